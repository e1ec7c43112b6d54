#include <windows.h>

#include "Process.h"

namespace {

std::wstring widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length - 1 : 0), L'\0');
  if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
  return wide;
}

// Quotes one argument so that the C runtime's splitting gives it back unchanged.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs) {
  std::wstring commandLine = quoted(widen(program));
  for (const std::string& argument : arguments) commandLine += L" " + quoted(widen(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ProcessResult result;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return result;
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.finished = true;
    result.exitCode = static_cast<int>(code);
  } else {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

void setEnvironment(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(widen(name).c_str(), widen(value).c_str());
}
