// Programs a test starts: run and waited for, bounded in time, or started and read
// line by line.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ProcessResult {
  bool finished = false;  // false: killed at the time limit
  int exitCode = -1;
};

// Runs `program` with `arguments` (passed to it unchanged) in the current folder.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs = 20000);

// Sets an environment variable of this process (and so of the programs it starts).
void setEnvironment(const std::string& name, const std::string& value);

// A program started by a test, with its standard output on a pipe; killed and reaped when
// it still runs as this goes away.
class ChildProcess {
 public:
  // Starts `cmdline` as the launcher starts the game: Windows gets the line itself; Linux
  // runs the first of its arguments (split as Windows would) with all of them, no shell.
  explicit ChildProcess(const std::string& cmdline);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const;
  // The next line of standard output without its line end (LF or CR LF), or nothing when
  // no whole line came within `timeout`.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // The exit code, or nothing when the program still runs after `timeout`.
  std::optional<int> wait(std::chrono::milliseconds timeout);

 private:
  // Adds what the program has written since to `m_pending`; false when nothing more can
  // come before `deadline` (the time is up, the output closed or unreadable).
  bool readMore(std::chrono::steady_clock::time_point deadline);

  struct Impl;
  std::unique_ptr<Impl> m_impl;
  std::string m_pending;
};
