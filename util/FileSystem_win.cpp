#include "FileSystem.h"

#include <windows.h>

#include "TextConvert.h"

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
  for (std::wstring* name : {&left, &right})
    name->erase(name->find_last_not_of(L". ") + 1);
  return CompareStringOrdinal(left.data(), static_cast<int>(left.size()), right.data(),
                              static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

bool makeDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::string executablePath() {
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(buffer, length);
}

std::string currentDirectory() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return {};
  return ToAnsi(std::wstring_view(buffer, length));
}
