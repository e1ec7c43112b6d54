// A fresh temporary folder that is the current folder for the test's lifetime.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return m_path; }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_path;
};

// Removes `path` and everything below it, read-only files included (Windows refuses
// to delete those as they are).
void removeTree(const std::filesystem::path& path);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

// Regular files below `folder`, sorted by path.
std::vector<std::filesystem::path> filesBelow(const std::filesystem::path& folder);

// The text split at CR LF; a last line without CR LF is kept as it is.
std::vector<std::string> splitCrLf(const std::string& text);
