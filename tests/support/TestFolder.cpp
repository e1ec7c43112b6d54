#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TestFolder::TestFolder() : m_previous(fs::current_path()) {
  static std::atomic<unsigned> s_counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  m_path = fs::temp_directory_path() / ("kvr-test-" + std::to_string(stamp) + "-" + std::to_string(s_counter++));
  fs::create_directories(m_path);
  fs::current_path(m_path);
}

TestFolder::~TestFolder() {
  std::error_code ignored;
  fs::current_path(m_previous, ignored);
  removeTree(m_path);
}

void removeTree(const fs::path& path) {
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(path, ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored))
    if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  fs::remove_all(path, ignored);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

std::vector<fs::path> filesBelow(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> splitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t begin = 0;
  for (size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
    lines.push_back(text.substr(begin, end - begin));
  if (begin < text.size()) lines.push_back(text.substr(begin));
  return lines;
}
