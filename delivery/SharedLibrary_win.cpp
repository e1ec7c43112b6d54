#include "SharedLibrary.h"

#include <windows.h>

#include <vector>

bool SharedLibrary::load(const std::wstring& path) {
  unload();
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) {
    m_error = GetLastError();
    return false;
  }
  std::vector<wchar_t> fullPath(length + 1);
  if (GetFullPathNameW(path.c_str(), length + 1, fullPath.data(), nullptr) == 0) {
    m_error = GetLastError();
    return false;
  }
  // Full path plus altered search order: the library's own dependencies are looked
  // up next to it, and no folder of the search path can supply a stand-in.
  HMODULE module = LoadLibraryExW(fullPath.data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    m_error = GetLastError();
    return false;
  }
  m_handle = module;
  m_error = 0;
  return true;
}

SharedLibrary::Symbol SharedLibrary::symbol(const char* name) {
  FARPROC address = m_handle != nullptr ? GetProcAddress(static_cast<HMODULE>(m_handle), name) : nullptr;
  if (address == nullptr) {
    m_error = m_handle != nullptr ? GetLastError() : ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return reinterpret_cast<Symbol>(address);
}

void SharedLibrary::unload() {
  if (m_handle != nullptr) FreeLibrary(static_cast<HMODULE>(m_handle));
  m_handle = nullptr;
}
