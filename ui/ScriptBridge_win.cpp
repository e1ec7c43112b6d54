#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "ScriptBridge.h"
#include "Scoped_win.h"
#include "TextConvert_win.h"

std::optional<std::string> WebViewSystem::ToOem(std::wstring_view text) { return toCodePage(text, CP_OEMCP); }

ProcessStartResult WebViewSystem::StartProcess(const std::string& program, const std::string& cmdline) {
  std::vector<char> szCmdline(cmdline.begin(), cmdline.end());
  szCmdline.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ProcessStartResult result;
  if (CreateProcessA(program.c_str(), szCmdline.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                     nullptr, &startup, &info)) {
    // The launcher neither waits for the game nor reads its exit code.
    const ScopedHandle thread(info.hThread), process(info.hProcess);
    result.started = true;
    return result;
  }
  result.error = GetLastError();
  char* message = nullptr;
  if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, result.error, 0, reinterpret_cast<char*>(&message), 0, nullptr) != 0) {
    result.errorText = message;
    while (!result.errorText.empty() && (result.errorText.back() == '\n' || result.errorText.back() == '\r'))
      result.errorText.pop_back();
  }
  LocalFree(message);
  return result;
}

void WebViewSystem::OpenInDefaultBrowser(const std::wstring& url) {
  ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
