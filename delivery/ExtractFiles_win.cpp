#include "ExtractFiles.h"

#include "FileSystem.h"
#include "FileSystem_win.h"
#include "Scoped_win.h"

#include <windows.h>

const wchar_t kPathSeparator = L'\\';

namespace {

// Attributes an archive may set; folder, link and device bits are the file system's.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

HANDLE handleOf(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

FILETIME toFileTime(std::uint64_t value) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
  time.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return time;
}

bool isRealFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

}  // namespace

InputFile::~InputFile() {
  if (m_file != -1) CloseHandle(handleOf(m_file));
}

bool InputFile::open(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  m_file = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool InputFile::read(void* data, std::uint32_t size, std::uint32_t& done) {
  DWORD count = 0;
  const BOOL ok = ReadFile(handleOf(m_file), data, size, &count, nullptr);
  done = count;
  return ok != FALSE;
}

bool InputFile::seek(std::int64_t offset, std::uint32_t origin, std::uint64_t& position) {
  if (origin > 2) return false;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  LARGE_INTEGER result;
  if (!SetFilePointerEx(handleOf(m_file), distance, &result, origin)) return false;
  position = static_cast<std::uint64_t>(result.QuadPart);
  return true;
}

OutputFile::~OutputFile() {
  if (m_file != -1) CloseHandle(handleOf(m_file));
}

bool OutputFile::create(const std::wstring& path) {
  // A leftover of an earlier run may be read-only or a link: remove it, never follow it.
  clearReadOnly(path);
  if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  m_file = reinterpret_cast<std::intptr_t>(file);
  m_path = path;
  return true;
}

void OutputFile::abandon() {
  if (m_file != -1) CloseHandle(handleOf(m_file));
  m_file = -1;
}

bool OutputFile::write(const void* data, std::uint32_t size) { return writeAll(m_file, data, size); }

bool OutputFile::finish(const ItemMetadata& metadata) {
  HANDLE file = handleOf(m_file);
  m_file = -1;
  bool ok = true;
  if (metadata.modified) {
    const FILETIME modified = toFileTime(*metadata.modified);
    ok = SetFileTime(file, nullptr, nullptr, &modified) != FALSE;
  }
  DWORD error = GetLastError();
  if (!CloseHandle(file)) return false;
  if (ok && metadata.attributes) {
    const DWORD attributes = *metadata.attributes & kSettableAttributes;
    if (attributes != 0) {
      ok = SetFileAttributesW(m_path.c_str(), attributes) != FALSE;
      error = GetLastError();
    }
  }
  SetLastError(error);
  return ok;
}

bool makeItemFolder(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  if (isRealFolder(GetFileAttributesW(path.c_str()))) return true;
  SetLastError(ERROR_ALREADY_EXISTS);
  return false;
}

void finishFolder(const std::wstring& path, const ItemMetadata& metadata) {
  if (!isRealFolder(GetFileAttributesW(path.c_str()))) return;
  if (metadata.modified) {
    const ScopedHandle folder(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (folder.valid()) {
      const FILETIME modified = toFileTime(*metadata.modified);
      SetFileTime(folder.get(), nullptr, nullptr, &modified);
    }
  }
  if (metadata.attributes) {
    // Read-only means nothing for a folder's content; it is left out, as the shell does.
    const DWORD attributes = *metadata.attributes & kSettableAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
    if (attributes != 0) SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY);
  }
}

bool replaceFile(const std::wstring& from, const std::wstring& to) {
  clearReadOnly(to);
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool removeFile(const std::wstring& path) {
  clearReadOnly(path);
  return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
}

bool isRegularFileAt(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::optional<std::uint64_t> regularFileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
    return std::nullopt;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool removeFolderTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
  // A junction or folder link is removed itself; what it points to is not entered.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return removeFile(path);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") removeFolderTree(path + L"\\" + name);
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
  }
  clearReadOnly(path);
  return RemoveDirectoryW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::optional<std::uint64_t> freeSpace(const std::wstring& path) {
  std::wstring folder = path;
  for (;;) {
    ULARGE_INTEGER available{};
    if (GetDiskFreeSpaceExW(folder.empty() ? L"." : folder.c_str(), &available, nullptr, nullptr))
      return available.QuadPart;
    const DWORD error = GetLastError();
    if ((error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) || folder.empty()) return std::nullopt;
    const std::size_t separator = folder.find_last_of(L"\\/", folder.size() > 1 ? folder.size() - 2 : 0);
    if (separator == std::wstring::npos)
      folder.clear();
    else
      folder.erase(separator + 1);
  }
}
