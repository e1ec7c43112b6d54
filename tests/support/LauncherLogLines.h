// The launcher's log in a test's folder: started as the launcher starts it, and read back.
#pragma once

#include <string>
#include <vector>

#include "LogLines.h"
#include "app/LauncherLog.h"
#include "util/Logger.h"

// Starts the log as the launcher configures it (./kvr/logs), its logger switched on (a
// stop leaves it off) and off the console; false when it cannot start.
inline bool startQuietLauncherLog() {
  ILogManager& logs = ILogManager::instance();
  logs.configFromText(kLauncherLogConfig);
  logs.setLoggerEnabled(0, true);
  logs.setLoggerDisplay(0, false);
  mainLoggerId = 0;
  return logs.start();
}

// The launcher's own lines so far, without the proxy line (the log is stopped to read them).
inline std::vector<std::string> stopAndReadLines() {
  ILogManager::instance().stop();
  return withoutProxyLine(infoLinesBelow("kvr/logs"));
}
