#include "ExtractFiles.h"

#include "FileSystem.h"
#include "Utf8.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

const wchar_t kPathSeparator = L'/';

namespace {

constexpr std::uint32_t kUnixExtension = 0x8000;
constexpr std::uint32_t kReadOnly = 0x1;
constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

timespec toTimespec(std::uint64_t fileTime) {
  timespec value{};
  if (fileTime < kUnixEpochAsFileTime) return value;
  const std::uint64_t since = fileTime - kUnixEpochAsFileTime;
  value.tv_sec = static_cast<time_t>(since / 10000000u);
  value.tv_nsec = static_cast<long>(since % 10000000u) * 100;
  return value;
}

// The permission bits the archive asks for; set-id and sticky bits are never taken
// from a downloaded archive.
std::optional<mode_t> archiveMode(std::uint32_t attributes, mode_t current) {
  if ((attributes & kUnixExtension) != 0) return static_cast<mode_t>((attributes >> 16) & 0777);
  if ((attributes & kReadOnly) != 0) return static_cast<mode_t>(current & 0555);
  return std::nullopt;
}

int fd(std::intptr_t file) { return static_cast<int>(file); }

}  // namespace

InputFile::~InputFile() {
  if (m_file != -1) close(fd(m_file));
}

bool InputFile::open(const std::wstring& path) {
  const int file = ::open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  m_file = file;
  return true;
}

bool InputFile::read(void* data, std::uint32_t size, std::uint32_t& done) {
  ssize_t count;
  do {
    count = ::read(fd(m_file), data, size);
  } while (count < 0 && errno == EINTR);
  done = count > 0 ? static_cast<std::uint32_t>(count) : 0;
  return count >= 0;
}

bool InputFile::seek(std::int64_t offset, std::uint32_t origin, std::uint64_t& position) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin > 2) return false;
  const off_t result = lseek(fd(m_file), static_cast<off_t>(offset), kWhence[origin]);
  if (result < 0) return false;
  position = static_cast<std::uint64_t>(result);
  return true;
}

OutputFile::~OutputFile() {
  if (m_file != -1) close(fd(m_file));
}

bool OutputFile::create(const std::wstring& path) {
  const std::string narrow = toUtf8(path);
  if (unlink(narrow.c_str()) != 0 && errno != ENOENT) return false;
  const int file = ::open(narrow.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (file < 0) return false;
  m_file = file;
  m_path = path;
  return true;
}

void OutputFile::abandon() {
  if (m_file != -1) close(fd(m_file));
  m_file = -1;
}

bool OutputFile::write(const void* data, std::uint32_t size) { return writeAll(m_file, data, size); }

bool OutputFile::finish(const ItemMetadata& metadata) {
  const int file = fd(m_file);
  m_file = -1;
  bool ok = true;
  if (metadata.modified) {
    const timespec times[2] = {{0, UTIME_NOW}, toTimespec(*metadata.modified)};
    ok = futimens(file, times) == 0;
  }
  if (ok && metadata.attributes) {
    struct stat info {};
    ok = fstat(file, &info) == 0;
    const auto mode = archiveMode(*metadata.attributes, info.st_mode & 0777);
    if (ok && mode) ok = fchmod(file, *mode) == 0;
  }
  const int saved = errno;
  if (close(file) != 0) return false;
  errno = saved;
  return ok;
}

bool makeItemFolder(const std::wstring& path) {
  const std::string narrow = toUtf8(path);
  if (mkdir(narrow.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat info {};
  if (lstat(narrow.c_str(), &info) != 0) return false;
  if (S_ISDIR(info.st_mode)) return true;
  errno = S_ISLNK(info.st_mode) ? ELOOP : ENOTDIR;
  return false;
}

void finishFolder(const std::wstring& path, const ItemMetadata& metadata) {
  const std::string narrow = toUtf8(path);
  if (metadata.attributes) {
    struct stat info {};
    if (lstat(narrow.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      // A folder keeps the owner's rights to enter and change it, so that a later
      // installation can replace its content.
      const auto mode = archiveMode(*metadata.attributes, info.st_mode & 0777);
      if (mode) chmod(narrow.c_str(), *mode | 0700);
    }
  }
  if (metadata.modified) {
    const timespec times[2] = {{0, UTIME_NOW}, toTimespec(*metadata.modified)};
    utimensat(AT_FDCWD, narrow.c_str(), times, AT_SYMLINK_NOFOLLOW);
  }
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
  return rename(toUtf8(from).c_str(), toUtf8(to).c_str()) == 0;
}

bool removeFile(const std::wstring& path) { return unlink(toUtf8(path).c_str()) == 0 || errno == ENOENT; }

bool isRegularFileAt(const std::wstring& path) {
  struct stat info {};
  return stat(toUtf8(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::uint64_t> regularFileSize(const std::wstring& path) {
  struct stat info {};
  if (stat(toUtf8(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

bool removeFolderTree(const std::wstring& path) {
  const std::string narrow = toUtf8(path);
  struct stat info {};
  if (lstat(narrow.c_str(), &info) != 0) return errno == ENOENT;
  // Depth first and physical: a folder's content goes before the folder, links are not entered.
  const auto removeOne = [](const char* entry, const struct stat*, int, FTW*) { return ::remove(entry) == 0 ? 0 : -1; };
  return nftw(narrow.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

std::optional<std::uint64_t> freeSpace(const std::wstring& path) {
  std::string folder = toUtf8(path);
  for (;;) {
    struct statvfs volume {};
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &volume) == 0)
      return static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
    if (errno != ENOENT || folder.empty()) return std::nullopt;
    const std::size_t slash = folder.find_last_of('/', folder.size() > 1 ? folder.size() - 2 : 0);
    if (slash == std::string::npos)
      folder.clear();
    else
      folder.erase(slash == 0 ? 1 : slash);
  }
}
