// The logger's configuration text: INI-like sections, one per logger.
//   [Main]
//   path = ./kvr/logs/
//   level = info
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// One section's values, starting from a fresh logger's defaults.
struct LoggerSection {
  std::string key;
  std::string name;
  std::string path = "./log/";
  int32_t level = 1;
  bool display = true;
  bool outfile = true;
  bool monthdir = false;
  uint32_t limitsize = 100;
  bool enable = true;
  bool fileline = true;
  int64_t reserve = 0;
};

using ConfigSections = std::map<std::string, LoggerSection>;

// Drops a leading UTF-8 byte-order mark, then `extra`, blanks, tabs, CR and LF at both ends.
std::string trimConfigText(std::string_view text, std::string_view extra = {});

// Every CR and every LF ends a line; lines are numbered from 1.
ConfigSections parseConfigText(std::string_view text);

// Sum of the text's bytes as unsigned values, used to skip re-applying the same text.
uint32_t configChecksum(std::string_view text);
