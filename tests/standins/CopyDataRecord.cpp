#include "CopyDataRecord.h"

#include <cstdio>

std::string formatCopyDataRecord(uint32_t dwData, int64_t wParam, const uint8_t* data, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string line = "dwData:" + std::to_string(dwData) + " wParam:" + std::to_string(wParam) + " data:";
  for (size_t i = 0; i < size; ++i) {
    line += kDigits[data[i] >> 4];
    line += kDigits[data[i] & 0x0f];
  }
  return line;
}

bool appendLine(const std::string& path, const std::string& line) {
  FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) return false;
  const bool written = std::fprintf(file, "%s\n", line.c_str()) >= 0;
  return std::fclose(file) == 0 && written;
}
