#include "FileSystem.h"
#include "FileSystem_win.h"

#include <windows.h>
#include <shlobj.h>

#include "Scoped_win.h"
#include "TextConvert.h"

void clearReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
}

bool isDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(FromAnsi(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool sameFileName(const std::string& a, const std::string& b) {
  std::wstring left = FromAnsi(a);
  std::wstring right = FromAnsi(b);
  for (std::wstring* name : {&left, &right}) name->erase(name->find_last_not_of(L". ") + 1);
  return CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(), static_cast<int>(right.size()),
                              TRUE) == CSTR_EQUAL;
}

bool makeFolderChain(const std::string& path) { return makeFolderChain(FromAnsi(path)); }

bool makeFolderChain(const std::wstring& path) {
  if (path.empty()) return true;
  // A drive, a server's share or a folder that exists already fails to be made and
  // is fine: only the end counts.
  for (size_t at = path.find_first_of(L"\\/", 1); at != std::wstring::npos; at = path.find_first_of(L"\\/", at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool writeAll(std::intptr_t file, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    // WriteFile counts in a DWORD: a larger buffer goes in pieces.
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

namespace {

// Renames `from` over `to`. A reader that opened `to` without sharing its deletion (a
// scanner, an indexer, a check of ours in another process) refuses the rename while it
// holds the file; such readers let go within moments, so the rename is tried again
// for a bounded time before it counts as failed.
bool replaceWhenFree(const std::wstring& from, const std::wstring& to) {
  constexpr int kAttempts = 100;
  constexpr DWORD kPauseMs = 20;
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || attempt == kAttempts) return false;
    Sleep(kPauseMs);
  }
}

}  // namespace

bool writeWholeFile(const std::string& file, std::span<const unsigned char> bytes, bool,
                    std::string_view writingSuffix) {
  const std::wstring target = FromAnsi(file);
  const std::wstring partial = target + FromAnsi(writingSuffix);
  ScopedHandle handle(
      CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.valid()) return false;
  const bool complete = writeAll(reinterpret_cast<std::intptr_t>(handle.get()), bytes.data(), bytes.size()) &&
                        FlushFileBuffers(handle.get());
  if (handle.close() && complete) {
    clearReadOnly(target);
    if (replaceWhenFree(partial, target)) return true;
  }
  DeleteFileW(partial.c_str());
  return false;
}

std::filesystem::path executableFile() {
  // The longest path the system knows, so that no path comes cut.
  std::wstring path(0x8000, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return {};
  path.resize(length);
  return path;
}

std::string narrowPath(const std::filesystem::path& path) { return ToAnsi(path.native()); }

bool copyFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  return CopyFileW(from.c_str(), to.c_str(), TRUE) != 0;
}

std::optional<std::filesystem::path> desktopFolder() {
  wchar_t wszDesktop[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, wszDesktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return std::nullopt;
  return std::filesystem::path(wszDesktop);
}

std::string currentDirectory() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return {};
  return ToAnsi(std::wstring_view(buffer, length));
}
