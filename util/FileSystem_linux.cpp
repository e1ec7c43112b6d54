#include "FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

bool isDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool sameFileName(const std::string& a, const std::string& b) {
  return a == b;
}

bool makeDirectory(const std::string& path) {
  return mkdir(path.c_str(), 0755) == 0;
}

std::string executablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || length >= static_cast<ssize_t>(sizeof buffer)) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

std::string currentDirectory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}
