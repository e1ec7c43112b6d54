#include <cstdlib>

#include "TestDesktop.h"

TestDesktop::TestDesktop(const std::optional<std::filesystem::path>& folder) {
  if (const char* previous = getenv("XDG_DESKTOP_DIR")) m_previous = previous;
  if (folder) {
    std::filesystem::create_directories(*folder);
    setenv("XDG_DESKTOP_DIR", folder->c_str(), 1);
  } else {
    unsetenv("XDG_DESKTOP_DIR");
  }
}

TestDesktop::~TestDesktop() {
  if (m_previous)
    setenv("XDG_DESKTOP_DIR", m_previous->c_str(), 1);
  else
    unsetenv("XDG_DESKTOP_DIR");
}
