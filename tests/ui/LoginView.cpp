#include "LoginView.h"

#include <gtest/gtest.h>

#include <thread>

#include "resources/MainDialog.h"

using namespace std::chrono_literals;

ViewDialog::ViewDialog(const LaunchOptions& options, const DownloadConfig& config, WebViewSystem& system,
                       bool bWithPlaceholder)
    : CDialogEx(IDD_MAIN_DIALOG), m_view(options, config, system), m_bWithPlaceholder(bWithPlaceholder) {}

bool ViewDialog::OnInitDialog() {
  CDialogEx::OnInitDialog();
  if (!m_bWithPlaceholder) GetDlgItem(IDC_WEB_PLACEHOLDER)->DestroyWindow();
  m_bCreated = m_view.CreateFromPlaceholder(this);
  ready.set_value();
  return true;
}

void runWithDriver(ViewDialog& dialog, const std::function<void(ViewDialog&)>& driver) {
  std::thread driving([&] {
    if (dialog.ready.get_future().wait_for(30s) != std::future_status::ready) {
      ADD_FAILURE() << "the dialog did not come up";
      return;
    }
    driver(dialog);
    onUi(dialog, [&] { dialog.DestroyWindow(); });
  });
  dialog.DoModal();
  driving.join();
}

bool onUi(ViewDialog& dialog, const std::function<void()>& fn) {
  return dialog.GetUiThreadChannel()->runOnUiThread(fn);
}

bool waitOnUi(ViewDialog& dialog, const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    bool held = false;
    if (!onUi(dialog, [&] { held = done(); })) return false;
    if (held) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}
