#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "GameCommand.h"
#include "Process_linux.h"

extern char** environ;

namespace {

// Starts argv[0] with `argv` (ended by a null pointer) and the standard streams given;
// the process id, or -1 when it did not start.
pid_t spawn(const std::vector<char*>& argv, const StandardStreams& streams) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (streams.out >= 0) posix_spawn_file_actions_adddup2(&actions, streams.out, STDOUT_FILENO);
  if (streams.err >= 0) posix_spawn_file_actions_adddup2(&actions, streams.err, STDERR_FILENO);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

}  // namespace

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs) {
  return runProgram(program, arguments, StandardStreams{}, timeoutMs);
}

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const StandardStreams& streams, int timeoutMs) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ProcessResult result;
  const pid_t pid = spawn(argv, streams);
  if (pid < 0) return result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  result.finished = true;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

void setEnvironment(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }

struct ChildProcess::Impl {
  pid_t pid = -1;
  int output = -1;
  std::optional<int> exitCode;
};

ChildProcess::ChildProcess(const std::string& cmdline) : m_impl(std::make_unique<Impl>()) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
  std::vector<std::string> args = splitCommandLine(cmdline);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  m_impl->pid = spawn(argv, {pipeEnds[1], -1});
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

bool ChildProcess::readMore(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0 || m_impl->output < 0) return false;
  pollfd output{m_impl->output, POLLIN, 0};
  if (poll(&output, 1, static_cast<int>(left.count())) <= 0) return true;
  char buffer[256];
  const ssize_t count = read(m_impl->output, buffer, sizeof buffer);
  if (count <= 0) return false;
  m_pending.append(buffer, static_cast<size_t>(count));
  return true;
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
