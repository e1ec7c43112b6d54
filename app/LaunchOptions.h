// Reading the launcher's command line at start-up: the channel client's window id,
// source tag and token, or the single word "uninstall".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class ILogManager;

// What the command line asked for; the application object holds one. Fields keep
// their values when the command line is empty or bad.
struct LaunchOptions {
  int32_t m_nWinId = 0;
  std::string m_strToken;
  std::string m_strFrom;
  bool m_bUninstall = false;
};

// Reads `wszCmdline` (the argument string after the program name) into `options` and
// logs what it found on the "Main" logger. Never fails: problems become log lines.
void ParseCmdLine(LaunchOptions& options, std::wstring_view wszCmdline);

// The same, logging to logger `loggerId` of `manager`.
void ParseCmdLine(LaunchOptions& options, std::wstring_view wszCmdline, ILogManager& manager, int32_t loggerId);
