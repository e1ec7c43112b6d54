#include "ChildProcess.h"

#include <windows.h>

#include <thread>
#include <vector>

struct ChildProcess::Impl {
  HANDLE process = nullptr;
  HANDLE output = nullptr;
  std::string pending;
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
  if (CreateProcessA(nullptr, szCmdline.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                     nullptr, nullptr, &startup, &info)) {
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

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = m_impl->pending.find('\n');
    if (end != std::string::npos) {
      std::string line = m_impl->pending.substr(0, end);
      m_impl->pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (m_impl->output == nullptr || std::chrono::steady_clock::now() >= deadline)
      return std::nullopt;
    DWORD available = 0;
    if (!PeekNamedPipe(m_impl->output, nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;
    if (available == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    char buffer[256];
    DWORD count = 0;
    if (!ReadFile(m_impl->output, buffer, sizeof buffer < available ? sizeof buffer : available,
                  &count, nullptr) ||
        count == 0)
      return std::nullopt;
    m_impl->pending.append(buffer, count);
  }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
  if (m_impl->process == nullptr) return std::nullopt;
  if (!m_impl->exitCode) {
    if (WaitForSingleObject(m_impl->process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
      return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_impl->process, &code);
    m_impl->exitCode = static_cast<int>(code);
  }
  return m_impl->exitCode;
}
