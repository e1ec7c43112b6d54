// A program started by a test, with its standard output on a pipe; killed and reaped when
// it still runs as this goes away.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

class ChildProcess {
 public:
  // Starts `cmdline` as the launcher starts the game: Windows gets the line itself; Linux
  // runs the first of its arguments (split as Windows would) with all of them, no shell.
  explicit ChildProcess(const std::string& cmdline);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const;
  // The next line of standard output without its line end, or nothing when no whole line
  // came within `timeout`.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // The exit code, or nothing when the program still runs after `timeout`.
  std::optional<int> wait(std::chrono::milliseconds timeout);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};
