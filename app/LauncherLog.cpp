#include "LauncherLog.h"

#include "Logger.h"

bool startLauncherLog() {
  ILogManager& manager = ILogManager::instance();
  manager.configFromText(kLauncherLogConfig);
  mainLoggerId = manager.findLogger("Main");
  return manager.start();
}
