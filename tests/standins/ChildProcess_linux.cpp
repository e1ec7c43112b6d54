#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "GameCommand.h"

struct ChildProcess::Impl {
  pid_t pid = -1;
  int output = -1;
  std::string pending;
  std::optional<int> exitCode;
};

ChildProcess::ChildProcess(const std::string& cmdline) : m_impl(std::make_unique<Impl>()) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
  std::vector<std::string> args = splitCommandLine(cmdline);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  if (posix_spawn(&m_impl->pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
    m_impl->pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  m_impl->output = pipeEnds[0];
}

ChildProcess::~ChildProcess() {
  if (m_impl->pid > 0 && !m_impl->exitCode) {
    kill(m_impl->pid, SIGKILL);
    waitpid(m_impl->pid, nullptr, 0);
  }
  if (m_impl->output >= 0) close(m_impl->output);
}

bool ChildProcess::started() const { return m_impl->pid > 0; }

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = m_impl->pending.find('\n');
    if (end != std::string::npos) {
      std::string line = m_impl->pending.substr(0, end);
      m_impl->pending.erase(0, end + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || m_impl->output < 0) return std::nullopt;
    pollfd output{m_impl->output, POLLIN, 0};
    if (poll(&output, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[256];
    const ssize_t count = read(m_impl->output, buffer, sizeof buffer);
    if (count <= 0) return std::nullopt;
    m_impl->pending.append(buffer, static_cast<size_t>(count));
  }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
  if (m_impl->pid <= 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!m_impl->exitCode) {
    int status = 0;
    if (waitpid(m_impl->pid, &status, WNOHANG) == m_impl->pid)
      m_impl->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    else if (std::chrono::steady_clock::now() >= deadline)
      return std::nullopt;
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return m_impl->exitCode;
}
