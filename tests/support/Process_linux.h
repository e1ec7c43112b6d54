// Linux only: a program run with standard streams of the test's choosing.
#pragma once

#include "Process.h"

// A program's standard output and error: descriptors of this process, -1 for this
// process's own.
struct StandardStreams {
  int out = -1;
  int err = -1;
};

// runProgram with the program's standard output and error as given; the exit code as
// the shell shows it (128 + the signal when a signal ended the program).
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const StandardStreams& streams, int timeoutMs = 20000);
