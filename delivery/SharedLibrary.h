// A shared library loaded from its full path; the system's search path is never used.
#pragma once

#include <string>

class SharedLibrary {
 public:
  using Symbol = void (*)();

  SharedLibrary() = default;
  ~SharedLibrary() { unload(); }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Loads the library at `path`, made absolute against the current folder first.
  // False on failure, with error() holding the system's error code.
  bool load(const std::wstring& path);

  // The exported function `name`, or null with error() set.
  Symbol symbol(const char* name);

  void unload();
  unsigned long error() const { return m_error; }

 private:
  void* m_handle = nullptr;
  unsigned long m_error = 0;
};
