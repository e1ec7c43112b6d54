#include "ui/MainDlg.h"

#include <chrono>
#include <thread>

#include "app/ChannelClient.h"
#include "delivery/PackageWorker.h"
#include "framework/CDC.h"
#include "framework/MessageBox.h"
#include "resources/MainDialog.h"
#include "resources/StringTable.h"
#include "ui/ProgressThread.h"
#include "util/Logger.h"
#include "util/Resources.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 725;
constexpr wchar_t kCloseRefusedText[] = L"游戏正在下载，请稍后关闭";
constexpr wchar_t kCloseQuestionText[] = L"游戏正在下载，确定要退出吗？";
constexpr wchar_t kCloseRefusedCaption[] = L"提示";
// How long the launcher's end waits for a stopped transfer's worker: it ends within about
// a second, and its "download end" comes before the launcher's "close launch".
constexpr auto kStoppedWorkerWait = std::chrono::milliseconds(1500);
// The download's figures sit on the plate under the status strip, against the bar's right
// end: the bar itself is 8 pixels high, too low for legible text, and the strip holds no
// more room. Light on the plate's dark blue, in the strip's own colour.
constexpr CRect kProgressTextRect{523, 660, 1079, 675};
constexpr ColorRef kProgressTextColour = MakeRgb(214, 224, 240);
constexpr int kProgressTextHeight = 12;

// Hidden, changed and shown again, so that the transparent label is repainted over the
// background instead of over its old text.
void SetStatusText(CStatic& label, const std::wstring& text) {
  label.ShowWindow(ShowCmd::Hide);
  label.SetWindowText(text);
  label.ShowWindow(ShowCmd::Show);
}

}  // namespace

// What the worker and the progress thread see of the window. It outlives the dialog
// (the threads hold it); every call goes through the window's UI-thread channel, so once
// the window is gone the calls do nothing and the controls are never touched.
class MainDlgThreadUi final : public IPackageWorkerUi, public IProgressBarUi {
 public:
  MainDlgThreadUi(std::shared_ptr<UiThreadChannel> channel, MainDlg& dialog)
      : m_channel(std::move(channel)), m_dialog(dialog), m_label(dialog.m_statusText), m_bar(dialog.m_progress) {}

  void setStatusText(const std::wstring& text) override {
    m_channel->runOnUiThread([&] {
      // Installing starts from an empty bar in the same step, not at the progress thread's
      // next sample: the full download's bar never stands under "正在安装...".
      if (text == kStatusInstalling) {
        m_bar.SetRange32(0, kInstallProgressFull);
        m_bar.SetPos(0);
        m_bar.RedrawWindow();
      }
      SetStatusText(m_label, text);
    });
  }
  void showWarningBox(const std::wstring& text, const std::wstring& caption) override {
    m_channel->warningBox(text, caption);
  }
  bool setRange(int32_t nLower, int32_t nUpper) override {
    return m_channel->runOnUiThread([&] { m_bar.SetRange32(nLower, nUpper); });
  }
  bool setPos(int32_t nPos) override {
    return m_channel->runOnUiThread([&] {
      m_bar.SetPos(nPos);
      m_bar.RedrawWindow();
    });
  }
  bool setProgressText(const std::wstring& text) override {
    return m_channel->runOnUiThread([&] { m_dialog.SetProgressText(text); });
  }

 private:
  std::shared_ptr<UiThreadChannel> m_channel;
  MainDlg& m_dialog;
  CStatic& m_label;
  CProgress& m_bar;
};

MainDlg::MainDlg(const LaunchOptions& options, const DownloadConfig& config, std::future<WindowArt> art)
    : CDialogEx(IDD_MAIN_DIALOG),
      m_options(options),
      m_config(config),
      m_art(std::move(art)),
      m_htmlView(options, config) {}

MainDlg::~MainDlg() = default;

void MainDlg::DoDataExchange(CDataExchange* pDX) {
  CDialogEx::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_BTN_CLOSE, m_btnClose);
  DDX_Control(pDX, IDC_BTN_MIN, m_btnMin);
  DDX_Control(pDX, IDC_PROGRESS, m_progress);
  DDX_Control(pDX, IDC_STATUS_TEXT, m_statusText);
}

bool MainDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  SetIcon(IDI_MAIN_ICON, true);
  SetIcon(IDI_MAIN_ICON, false);
  SetWindowText(LoadResourceText(IDS_GAME_TITLE));

  LoadPngResource(&m_btnMin.m_image, IDB_PNG_MINIMIZE);
  m_btnMin.MoveWindow(1033, 98, 27, 27, false);
  LoadPngResource(&m_btnClose.m_image, IDB_PNG_CLOSE);
  m_btnClose.MoveWindow(1073, 95, 39, 39, false);
  m_progress.MoveWindow(523, 640, 556, 8, true);

  WindowArt art = m_art.get();
  m_bgBitmap = std::move(art.picture);
  CRgn region;
  region.CreateFromRects(art.outline);

  // Centred in the full-screen area on each axis where the window fits; else at the
  // area's edge, so that on a small screen the title area stays reachable (the window's
  // old edge could lie anywhere, even above the screen).
  const CSize screen = GetFullScreenSize();
  const int left = screen.cx > kWindowWidth ? (screen.cx - kWindowWidth) / 2 : 0;
  const int top = screen.cy > kWindowHeight ? (screen.cy - kWindowHeight) / 2 : 0;
  SetWindowPos(ZOrder::TopMost, 0, 0, 0, 0, kSwpNoSize | kSwpNoMove);
  MoveWindow(left, top, kWindowWidth, kWindowHeight, true);
  SetWindowRgn(std::move(region), true);

  GamePlan plan = planGameWork(m_config);
  if (plan.work != GameWork::None) {
    StartPackageWork(std::move(plan));
    m_statusText.SetWindowText(kStatusDownloading);
    m_progress.SetPos(0);
  } else {
    m_statusText.SetWindowText(kStatusInstalled);
    m_progress.SetRange32(0, 100);
    m_progress.SetPos(100);
    g_downloadFinished = true;
  }
  return true;
}

// The login view takes the place of placeholder 1009 once the window is on the screen:
// the web engine's start no longer keeps the player looking at nothing. Without the view
// the window goes on.
void MainDlg::OnFirstPaintDone() { m_htmlView.CreateFromPlaceholder(this); }

void MainDlg::StartPackageWork(GamePlan plan) {
  auto threadUi = std::make_shared<MainDlgThreadUi>(GetUiThreadChannel(), *this);
  // The threads are never joined: each keeps what it uses alive for itself.
  std::thread([threadUi, config = m_config, plan = std::move(plan)]() mutable {
    DownloadThreadProc(config, std::move(plan), *threadUi);
  }).detach();
  std::thread([threadUi] { ProgressThreadProc(*threadUi); }).detach();
}

void MainDlg::OnClose() {
  if (!g_downloadFinished) {
    // A download stopped now resumes at the next start; an extraction or an update stopped
    // halfway would leave a broken game, so that stays refused.
    if (!packageTransferUnderWay()) {
      AfxWarningBox(kCloseRefusedText, kCloseRefusedCaption);
      return;
    }
    if (!AfxQuestionBox(kCloseQuestionText, kCloseRefusedCaption)) return;
    // The transfer may have ended while the question was up.
    if (!stopPackageTransfer() && !g_downloadFinished) {
      AfxWarningBox(kCloseRefusedText, kCloseRefusedCaption);
      return;
    }
  }
  DeleteNotifyIcon(IDI_MAIN_ICON);
  DestroyWindow();
  sendCloseNotice(m_options.m_nWinId);
}

// Enter and Escape take the close button's way out: the guard holds, the client is told.
void MainDlg::OnOK() { OnClose(); }

void MainDlg::OnCancel() { OnClose(); }

void MainDlg::OnCommand(int nID, int nCode) {
  // The picture buttons are drawn by the dialog, and Windows reports a second press of
  // such a button that comes quickly after the first as a double click.
  if (nCode != kBnClicked && nCode != kBnDoubleClicked) return;
  if (nID == IDC_BTN_MIN) ShowWindow(ShowCmd::Minimize);
  if (nID == IDC_BTN_CLOSE) OnClose();
}

void MainDlg::SetProgressText(const std::wstring& text) {
  m_progressText = text;
  InvalidateRect(kProgressTextRect);
}

bool MainDlg::OnEraseBkgnd(CDC* pDC) {
  if (m_bgBitmap == nullptr) return false;
  const CRect window = GetWindowRect();
  pDC->DrawPicture(*m_bgBitmap, window.Width(), window.Height());
  if (!m_progressText.empty())
    pDC->DrawText(m_progressText, kProgressTextRect, kProgressTextColour, kProgressTextHeight);
  return false;
}

HitTest MainDlg::OnNcHitTest(CPoint) { return HitTest::Caption; }

CtlColorBrush MainDlg::OnCtlColor(CDC* pDC, CWnd* pWnd) {
  if (pWnd->GetDlgCtrlID() != IDC_STATUS_TEXT) return CDialogEx::OnCtlColor(pDC, pWnd);
  pDC->SetTextColor(MakeRgb(0, 0, 0));
  pDC->SetBkModeTransparent(true);
  return CtlColorBrush::Null;
}

bool MainDlg::OnCopyData(uint32_t, std::span<const uint8_t>) {
  logLine(LOG_INFO, "OnWnNotifygame ");
  return false;
}

void runMainDialog(const LaunchOptions& options, const DownloadConfig& config, std::future<WindowArt> art) {
  MainDlg dialog(options, config, std::move(art));
  dialog.DoModal();
  // Closed during the download: the stopped worker ends first, within the bound.
  const auto deadline = std::chrono::steady_clock::now() + kStoppedWorkerWait;
  while (!g_downloadFinished && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}
