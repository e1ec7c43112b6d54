#include "SharedLibrary.h"

#include "Utf8.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool SharedLibrary::load(const std::wstring& path) {
  unload();
  std::string fullPath = toUtf8(path);
  if (!fullPath.empty() && fullPath.front() != '/') {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
      m_error = static_cast<unsigned long>(errno);
      return false;
    }
    fullPath = std::string(buffer) + "/" + fullPath;
  }
  // dlopen reports no error code: a probe open gives the usual errno for a missing
  // or unreadable file, and anything it then refuses is "not an executable".
  const int probe = open(fullPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (probe < 0) {
    m_error = static_cast<unsigned long>(errno);
    return false;
  }
  close(probe);
  m_handle = dlopen(fullPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle == nullptr) {
    m_error = ENOEXEC;
    return false;
  }
  m_error = 0;
  return true;
}

SharedLibrary::Symbol SharedLibrary::symbol(const char* name) {
  void* address = m_handle != nullptr ? dlsym(m_handle, name) : nullptr;
  if (address == nullptr) {
    m_error = ENOENT;
    return nullptr;
  }
  return reinterpret_cast<Symbol>(address);
}

void SharedLibrary::unload() {
  if (m_handle != nullptr) dlclose(m_handle);
  m_handle = nullptr;
}
