// Writing a whole buffer to a file descriptor (Linux twins only).
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

// Writes all `size` bytes, retrying after signals and short writes; false on an error.
inline bool writeAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}
