#include "FileSystem.h"

#include <fstream>
#include <sstream>

std::optional<std::string> readWholeFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return content.str();
}

bool writeWholeFile(const std::string& file, std::string_view text, std::string_view writingSuffix) {
  return writeWholeFile(file, {reinterpret_cast<const unsigned char*>(text.data()), text.size()}, false, writingSuffix);
}
