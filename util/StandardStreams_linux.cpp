#include "StandardStreams_linux.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

void makeNonBlocking(int stream) {
  struct stat info {};
  // A regular file never makes a writer wait; reopening it would lose a shared offset.
  if (fstat(stream, &info) != 0 || S_ISREG(info.st_mode)) return;
  // A description of our own for the same pipe or terminal, so that the programs
  // sharing the inherited one keep their blocking writes.
  const std::string self = "/proc/self/fd/" + std::to_string(stream);
  const int own = open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (own >= 0) {
    dup2(own, stream);
    close(own);
    return;
  }
  // A socket cannot be reopened: its shared description becomes non-blocking.
  const int flags = fcntl(stream, F_GETFL);
  if (flags != -1) fcntl(stream, F_SETFL, flags | O_NONBLOCK);
}

}  // namespace

void makeStandardStreamsSideChannels() {
  signal(SIGPIPE, SIG_IGN);
  makeNonBlocking(STDOUT_FILENO);
  makeNonBlocking(STDERR_FILENO);
}
