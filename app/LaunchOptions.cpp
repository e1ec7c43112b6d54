#include "LaunchOptions.h"

#include <optional>

#include "Logger.h"
#include "TextConvert.h"
#include "cmdline.h"

void ParseCmdLine(LaunchOptions& options, std::wstring_view wszCmdline) {
  ParseCmdLine(options, wszCmdline, ILogManager::instance(), mainLoggerId);
}

void ParseCmdLine(LaunchOptions& options, std::wstring_view wszCmdline, ILogManager& manager, int32_t loggerId) {
  if (wszCmdline.empty()) {
    KVR_LOG_TO(manager, loggerId, LOG_INFO, "wszCmdline is empty ");
    return;
  }
  // A text the code page cannot hold is dropped whole rather than read half-converted.
  const std::optional<std::string> converted = TryToAnsi(wszCmdline);
  if (!converted) {
    KVR_LOG_TO(manager, loggerId, LOG_INFO, "wszCmdline not convertible, read as empty, units:", wszCmdline.size());
    return;
  }
  const std::string& szCmdline = *converted;
  if (szCmdline == "uninstall") {
    options.m_bUninstall = true;
    return;
  }
  KVR_LOG_TO(manager, loggerId, LOG_INFO, "szCmdline:", szCmdline);

  cmdline::parser parser;
  parser.add_option<int32_t>("winid", 0, "--winid", false, 0);
  parser.add_option<std::string>("fromc", 0, "--fromc", false, "");
  parser.add_option<std::string>("tokenc", 0, "--tokenc", false, "");
  if (!parser.parse_line(szCmdline)) {
    KVR_LOG_TO(manager, loggerId, LOG_INFO, "ParseCmdLine:", parser.error_text());
    return;
  }
  options.m_nWinId = parser.value_of<int32_t>("winid");
  options.m_strFrom = parser.value_of<std::string>("fromc");
  options.m_strToken = parser.value_of<std::string>("tokenc");
  KVR_LOG_TO(manager, loggerId, LOG_INFO, "winid:", options.m_nWinId, ",From:", options.m_strFrom,
             ",token:", options.m_strToken);
}
