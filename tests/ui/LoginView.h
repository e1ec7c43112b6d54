// A dialog on the display holding the login view, as the main window holds it, with every
// system call of the view recorded (RecordingSystem). The dialog runs on the test's thread;
// a driver on a second thread acts on it through the window's UI-thread channel.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LauncherLogLines.h"
#include "RecordingSystem.h"
#include "TestFolder.h"
#include "delivery/PackageWorker.h"
#include "framework/CDialogEx.h"
#include "framework/UiPlatform.h"
#include "resources/StringTable.h"
#include "ui/BaseHtmlView.h"
#include "util/Resources.h"

// The login view, also noting the navigations it lets go on and the documents completed.
class RecordingView : public CBaseHtmlView {
 public:
  using CBaseHtmlView::CBaseHtmlView;
  std::vector<std::wstring> navigations;
  std::vector<std::wstring> documents;

 protected:
  void BeforeNavigate2(const std::wstring& url, bool& bCancel) override {
    CBaseHtmlView::BeforeNavigate2(url, bCancel);
    navigations.push_back(url);
  }
  void OnDocumentComplete(const std::wstring& url) override {
    documents.push_back(url);
    CBaseHtmlView::OnDocumentComplete(url);
  }
};

class ViewDialog : public CDialogEx {
 public:
  ViewDialog(const LaunchOptions& options, const DownloadConfig& config, WebViewSystem& system,
             bool bWithPlaceholder = true);
  RecordingView m_view;
  bool m_bCreated = false;
  std::promise<void> ready;

 protected:
  bool OnInitDialog() override;

 private:
  bool m_bWithPlaceholder;
};

// Runs `dialog` on this thread while `driver` runs on another; the dialog is destroyed
// when the driver leaves it open.
void runWithDriver(ViewDialog& dialog, const std::function<void(ViewDialog&)>& driver);

// Runs `fn` on the dialog's UI thread; false once the window is gone.
bool onUi(ViewDialog& dialog, const std::function<void()>& fn);

// Waits, asking on the UI thread, until `done` holds; false after `timeout` or once the
// window is gone.
bool waitOnUi(ViewDialog& dialog, const std::function<bool()>& done,
              std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A fresh folder with the launcher's log running, and what a view is made with.
struct LoginViewRun : testing::Test {
  TestFolder folder;
  LaunchOptions options;
  DownloadConfig config{"./kvr/game", "", ""};
  RecordingSystem system;
  const std::wstring loginUrl = LoadResourceText(IDS_LOGIN_URL);

  // The fixture's SetUp: the application's --winid is `nWinId`, the game not yet installed.
  void start(int32_t nWinId) {
    initOle();
    options.m_nWinId = nWinId;
    ASSERT_TRUE(startQuietLauncherLog());
    g_downloadFinished = false;
  }
  void TearDown() override { ILogManager::instance().stop(); }
};
