// The launcher's log in a test's folder: started as the launcher starts it, and read back.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "app/LauncherLog.h"
#include "util/Logger.h"

// Starts the log as the launcher configures it (./kvr/logs); false when it cannot start.
inline bool startLauncherLog() {
  ILogManager& logs = ILogManager::instance();
  logs.configFromText(kLauncherLogConfig);
  logs.setLoggerEnabled(0, true);
  logs.setLoggerDisplay(0, false);
  mainLoggerId = 0;
  return logs.start();
}

// The launcher's own lines so far, each the text after its level (the log is stopped to
// read them). The proxy line comes with the process's first transfer (a report too),
// whichever test that is, so it is left out.
inline std::vector<std::string> stopAndReadLines() {
  ILogManager::instance().stop();
  std::vector<std::string> lines;
  for (const std::filesystem::path& file : filesBelow("kvr/logs"))
    for (const std::string& line : splitCrLf(readFile(file))) {
      const size_t info = line.find(" LOG_INFO ");
      if (info != std::string::npos && line.compare(info + 10, 6, "proxy:") != 0)
        lines.push_back(line.substr(info + 10));
    }
  return lines;
}
