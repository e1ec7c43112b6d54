#include <gio/gio.h>
#include <spawn.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "GameCommand.h"
#include "ScriptBridge.h"
#include "TextConvert.h"

// The OEM and ANSI code pages are both UTF-8 here.
std::optional<std::string> WebViewSystem::ToOem(std::wstring_view text) { return TryToAnsi(text); }

// The arguments are the command line split as the game's Windows runtime would split it;
// the program is started as it is, without a shell, with no descriptor but the standard three.
ProcessStartResult WebViewSystem::StartProcess(const std::string& program, const std::string& cmdline) {
  std::vector<std::string> args = splitCommandLine(cmdline);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ProcessStartResult result;
  result.started = error == 0;
  if (!result.started) {
    result.error = static_cast<uint32_t>(error);
    result.errorText = std::strerror(error);
  }
  return result;
}

void WebViewSystem::OpenInDefaultBrowser(const std::wstring& url) {
  g_app_info_launch_default_for_uri(ToAnsi(url).c_str(), nullptr, nullptr);
}
