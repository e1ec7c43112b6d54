// The pieces behind these operations are not built yet. Each does the least that
// lets start-up run on, and says so in the log, until its piece replaces it.
#include "LaunchServices.h"

#include "GameCommand.h"
#include "Logger.h"
#include "PackageWorker.h"
#include "TextConvert.h"
#include "VTQLaunch.h"

namespace {

// Until the window exists the player sees nothing: what the worker would show goes
// to the log.
class LogOnlyWorkerUi final : public IPackageWorkerUi {
 public:
  void setStatusText(const std::wstring& text) override { logLine(LOG_INFO, "status:", ToAnsi(text)); }
  void showWarningBox(const std::wstring& text, const std::wstring& caption) override {
    logLine(LOG_INFO, "warning box:", ToAnsi(caption), ":", ToAnsi(text));
  }
};

}  // namespace

void runMainDialog(CVTQLaunchApp& app) {
  // The window is not built yet: install a missing game right here, as its package
  // worker would, and end.
  logLine(LOG_INFO, "main dialog skipped: the window is not built yet");
  if (isGameInstalled(app.m_strPath)) {
    g_downloadFinished = true;
    return;
  }
  LogOnlyWorkerUi ui;
  DownloadThreadProc(app, ui);
  logLine(LOG_INFO, isGameInstalled(app.m_strPath) ? "game installed:" : "game not installed:",
          gameExecutablePath(app.m_strPath));
}
