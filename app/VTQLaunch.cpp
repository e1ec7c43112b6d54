#include "VTQLaunch.h"

#include <chrono>
#include <thread>

#include "DownloadEngine.h"
#include "LauncherLog.h"
#include "Logger.h"
#include "FileSystem.h"
#include "InstallLayout.h"
#include "Provisioning.h"
#include "Resources.h"
#include "StartupMessage.h"
#include "StartupPlatform.h"
#include "StringTable.h"
#include "TextConvert.h"
#include "framework/UiPlatform.h"
#include "ui/BrowserEmulation.h"
#include "ui/MainDlg.h"

CVTQLaunchApp theApp;

namespace {

const wchar_t kRegistryKey[] = L"应用程序向导生成的本地应用程序";

// How long a launcher started together with another (a double click) waits for the
// other's window before it ends without one.
constexpr auto kOtherWindowWait = std::chrono::seconds(5);

void raiseOtherLauncherWhenItShows(const std::wstring& title) {
  const auto deadline = std::chrono::steady_clock::now() + kOtherWindowWait;
  while (!raiseExistingInstance(title) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

}  // namespace

CVTQLaunchApp::CVTQLaunchApp() { m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART; }

void CVTQLaunchApp::ParseCmdLine() { ::ParseCmdLine(*this, m_lpCmdLine); }

bool CVTQLaunchApp::InitInstance() {
  // A second launcher only brings the first one forward, before touching the disk.
  // The lock covers two started at once, before either has a window.
  static const InstanceLock s_instanceLock;
  if (s_instanceLock.anotherHolds()) {
    raiseOtherLauncherWhenItShows(LoadResourceText(IDS_GAME_TITLE));
    endProcess(0);
  }
  if (raiseExistingInstance(LoadResourceText(IDS_GAME_TITLE))) endProcess(0);

  EnableDebugPrivilege();
  SetBrowserEmulation();
  if (!prepareInstallFolder()) {
    // Nothing may land in the folder the launcher was started from instead.
    showStartupError(kInstallFolderErrorText + FromAnsi(installFolder()));
    endProcess(1);
  }
  const SelfCopy selfCopy = copySelfToInstallFolder();

  startLauncherLog();
  logLine(LOG_INFO, "work:", currentDirectory());
  if (selfCopy.result == SelfCopyResult::NameTooLong)
    logLine(LOG_INFO, "self copy skipped, the target name is too long:", selfCopy.fileName);

  // The report connection's handshake and the window's background run while the
  // configuration is fetched; nothing reaches the collector unless the start gets as far
  // as its first report.
  DownloadEngine::instance().prepare("launch_start");
  m_gdiplusToken = startGraphics();
  std::future<WindowArt> windowArt = decodeWindowArtAside();
  const ConfigOutcome configOutcome = CfgCheck(*this);
  if (configOutcome != ConfigOutcome::Ready) {
    ILogManager::instance().stop();  // writes the "cfg check err:" line out first
    // Without a word the launcher would just vanish: the player learns whether to look at
    // the network or to wait for the channel.
    showStartupError(configOutcome == ConfigOutcome::Unreachable ? kConfigUnreachableText : kConfigUnusableText);
    endProcess(1);
  }
  ParseCmdLine();
  WriteEmbeddedFiles(m_strFrom);

  initOle();
  initCommonControls();
  CWinApp::InitInstance();
  installOleMessageFilter();

  DownloadEngine::instance().reportLater("launch_start");
  SetRegistryKey(kRegistryKey);
  runMainDialog(*this, *this, std::move(windowArt));
  return false;
}

int CVTQLaunchApp::ExitInstance() {
  stopGraphics(m_gdiplusToken);
  logLine(LOG_INFO, "close launch");
  DownloadEngine::instance().report("close launch");
  ILogManager::instance().stop();
  return CWinApp::ExitInstance();
}
