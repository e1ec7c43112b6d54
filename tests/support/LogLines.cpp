#include "LogLines.h"

#include <algorithm>

#include "TestFolder.h"

std::vector<std::string> infoLinesBelow(const std::filesystem::path& folder) {
  std::vector<std::string> lines;
  for (const std::filesystem::path& file : filesBelow(folder))
    for (const std::string& line : splitCrLf(readFile(file))) {
      const size_t info = line.find(" LOG_INFO ");
      if (info != std::string::npos) lines.push_back(line.substr(info + 10));
    }
  return lines;
}

std::vector<std::string> withoutProxyLine(std::vector<std::string> lines) {
  lines.erase(
      std::remove_if(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("proxy:", 0) == 0; }),
      lines.end());
  return lines;
}
