// The pieces behind these operations are not built yet. Each does the least that
// lets start-up run on, and says so in the log, until its piece replaces it.
#include "LaunchServices.h"

#include "Logger.h"

void SetBrowserEmulation() {
  // Runs before the log starts; the web view piece writes the registry value here.
}

void runMainDialog(CVTQLaunchApp&) {
  logLine(LOG_INFO, "main dialog skipped: the window is not built yet");
}
