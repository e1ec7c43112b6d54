// Points the user's desktop folder at a folder of the test for the test's lifetime
// (Windows: the "User Shell Folders" value that the shell and the uninstaller read;
// Linux: XDG_DESKTOP_DIR), so that no test writes to the real desktop.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class TestDesktop {
 public:
  // `folder` is created; nothing: the desktop value is removed (Windows) or unset.
  explicit TestDesktop(const std::optional<std::filesystem::path>& folder);
  ~TestDesktop();
  TestDesktop(const TestDesktop&) = delete;
  TestDesktop& operator=(const TestDesktop&) = delete;

 private:
  std::optional<std::string> m_previous;  // the value as it was, in its stored form
  unsigned long m_previousType = 0;
};
