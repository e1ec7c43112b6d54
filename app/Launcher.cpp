#include "Launcher.h"

#include "FileSystem.h"
#include "LauncherLog.h"
#include "Logger.h"

int runLauncher() {
  // So far the launcher only starts its log in the current folder, records where it
  // works and stops the log again; the rest of start-up plugs in here.
  startLauncherLog();
  logLine(LOG_INFO, "work:", currentDirectory());
  logLine(LOG_INFO, "close launch");
  ILogManager::instance().stop();
  return 0;
}
