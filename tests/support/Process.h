// Starts a program for a test and waits for it, bounded in time.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  bool finished = false;  // false: killed at the time limit
  int exitCode = -1;
};

// Runs `program` with `arguments` (passed to it unchanged) in the current folder.
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         int timeoutMs = 20000);

// Sets an environment variable of this process (and so of the programs it starts).
void setEnvironment(const std::string& name, const std::string& value);
