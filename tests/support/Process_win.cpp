#include <windows.h>

#include <thread>

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

struct ChildProcess::Impl {
  HANDLE process = nullptr;
  HANDLE output = nullptr;
  std::optional<int> exitCode;
};

ChildProcess::ChildProcess(const std::string& cmdline) : m_impl(std::make_unique<Impl>()) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&m_impl->output, &writeEnd, &inheritable, 0)) return;
  SetHandleInformation(m_impl->output, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  std::vector<char> szCmdline(cmdline.begin(), cmdline.end());
  szCmdline.push_back('\0');
  if (CreateProcessA(nullptr, szCmdline.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                     &startup, &info)) {
    m_impl->process = info.hProcess;
    CloseHandle(info.hThread);
  }
  CloseHandle(writeEnd);
}

ChildProcess::~ChildProcess() {
  if (m_impl->process != nullptr) {
    if (!m_impl->exitCode) {
      TerminateProcess(m_impl->process, 1);
      WaitForSingleObject(m_impl->process, 5000);
    }
    CloseHandle(m_impl->process);
  }
  if (m_impl->output != nullptr) CloseHandle(m_impl->output);
}

bool ChildProcess::started() const { return m_impl->process != nullptr; }

bool ChildProcess::readMore(std::chrono::steady_clock::time_point deadline) {
  if (m_impl->output == nullptr || std::chrono::steady_clock::now() >= deadline) return false;
  DWORD available = 0;
  if (!PeekNamedPipe(m_impl->output, nullptr, 0, nullptr, &available, nullptr)) return false;
  if (available == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return true;
  }
  char buffer[256];
  DWORD count = 0;
  if (!ReadFile(m_impl->output, buffer, sizeof buffer < available ? sizeof buffer : available, &count, nullptr) ||
      count == 0)
    return false;
  m_pending.append(buffer, count);
  return true;
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
  if (m_impl->process == nullptr) return std::nullopt;
  if (!m_impl->exitCode) {
    if (WaitForSingleObject(m_impl->process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_impl->process, &code);
    m_impl->exitCode = static_cast<int>(code);
  }
  return m_impl->exitCode;
}
