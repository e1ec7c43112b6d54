#include "FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "Utf8.h"

bool isDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool sameFileName(const std::string& a, const std::string& b) { return a == b; }

bool makeFolderChain(const std::string& path) {
  if (path.empty()) return true;
  // A folder on the way that exists already, or that another process makes at the
  // same moment, fails to be made and is fine: only the end counts. As with mkdir -p,
  // the user's umask decides the modes.
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    mkdir(path.substr(0, slash).c_str(), 0777);
  mkdir(path.c_str(), 0777);
  return isDirectory(path);
}

bool makeFolderChain(const std::wstring& path) { return makeFolderChain(toUtf8(path)); }

bool writeAll(std::intptr_t file, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(static_cast<int>(file), bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool writeWholeFile(const std::string& file, std::span<const unsigned char> bytes, bool executable,
                    std::string_view writingSuffix) {
  const std::string partial = file + std::string(writingSuffix);
  unlink(partial.c_str());  // a leftover of an earlier attempt, whatever its mode or kind
  const int out = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, executable ? 0755 : 0644);
  if (out < 0) return false;
  const bool complete = writeAll(out, bytes.data(), bytes.size()) && fsync(out) == 0;
  if (close(out) == 0 && complete && rename(partial.c_str(), file.c_str()) == 0) return true;
  unlink(partial.c_str());
  return false;
}

bool copyFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat info {};
  fstat(in, &info);
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777);
  if (out < 0) {
    close(in);
    return false;
  }
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (ssize_t count; ok && (count = read(in, buffer.data(), buffer.size())) != 0;) {
    if (count < 0) {
      ok = errno == EINTR;
      continue;
    }
    ok = writeAll(out, buffer.data(), static_cast<size_t>(count));
  }
  close(in);
  ok = close(out) == 0 && ok;
  if (!ok) unlink(to.c_str());
  return ok;
}

std::filesystem::path executableFile() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || length >= static_cast<ssize_t>(sizeof buffer)) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

std::string narrowPath(const std::filesystem::path& path) { return path.native(); }

std::optional<std::filesystem::path> desktopFolder() {
  const char* desktop = getenv("XDG_DESKTOP_DIR");
  const char* home = getenv("HOME");
  std::string folder;
  if (desktop != nullptr && *desktop != '\0')
    folder = desktop;
  else if (home != nullptr && *home != '\0')
    folder = std::string(home) + "/Desktop";
  if (folder.empty() || !isDirectory(folder)) return std::nullopt;
  return folder;
}

std::string currentDirectory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}
