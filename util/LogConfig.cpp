#include "LogConfig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "Console.h"

namespace {

std::string lowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool parseBool(const std::string& lowered) { return lowered != "false" && lowered != "0"; }

int32_t parseLevel(const std::string& word, int32_t current) {
  static const std::map<std::string, int32_t> kWords = {
      {"trace", 0},   {"all", 0},   {"debug", 1}, {"info", 2},  {"warn", 3},
      {"warning", 3}, {"error", 4}, {"alarm", 5}, {"fatal", 6},
  };
  const auto found = kWords.find(word);
  return found == kWords.end() ? current : found->second;
}

template <typename... Args>
void printWarning(const char* format, Args... args) {
  char buffer[1024];
  const int length = snprintf(buffer, sizeof buffer, format, args...);
  if (length > 0) consoleWritePlain(std::string_view(buffer, std::min(static_cast<size_t>(length), sizeof buffer - 1)));
}

// Applies one line to `sections`; `current` is the section named last and persists
// from line to line. Faults print a warning on standard output and never fail.
void parseConfigLine(std::string_view line, int lineNumber, std::string& current, ConfigSections& sections) {
  const size_t equals = line.find('=');
  const std::string_view rawKey = line.substr(0, equals);
  if (rawKey.empty()) return;
  std::string key = trimConfigText(rawKey);
  const std::string value = equals == std::string_view::npos ? std::string() : trimConfigText(line.substr(equals + 1));
  if (key.empty() || key[0] == '#') return;

  if (key[0] == '[') {
    std::string name = trimConfigText(key, "[]");
    if (lowerCase(name) == "main") name = "Main";
    current = name;
    if (sections.count(name) == 0) {
      LoggerSection section;
      section.key = name;
      section.name = name;
      sections.emplace(name, section);
    } else {
      printWarning("logger configure warning: duplicate logger key:[%s] at line: %d \r\n", name.c_str(), lineNumber);
    }
    return;
  }

  const auto found = sections.find(current);
  if (found == sections.end()) {
    printWarning("logger configure warning: not found current logger name:[%s] at line:%d, key=%s, value=%s \r\n",
                 current.c_str(), lineNumber, key.c_str(), value.c_str());
    return;
  }
  LoggerSection& section = found->second;
  key = lowerCase(key);
  if (key == "path") {
    section.path = value;
    return;
  }
  if (key == "name") {
    section.name = value;
    return;
  }
  const std::string word = lowerCase(value);
  if (key == "level")
    section.level = parseLevel(word, section.level);
  else if (key == "display")
    section.display = parseBool(word);
  else if (key == "outfile")
    section.outfile = parseBool(word);
  else if (key == "monthdir")
    section.monthdir = parseBool(word);
  else if (key == "limitsize")
    section.limitsize = static_cast<uint32_t>(atoi(word.c_str()));
  else if (key == "fileline")
    section.fileline = parseBool(word);
  else if (key == "enable")
    section.enable = parseBool(word);
  else if (key == "reserve")
    section.reserve = atoi(word.c_str());
}

}  // namespace

std::string trimConfigText(std::string_view text, std::string_view extra) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::string drop(extra);
  drop += " \t\r\n";
  const size_t first = text.find_first_not_of(drop);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(drop);
  return std::string(text.substr(first, last - first + 1));
}

ConfigSections parseConfigText(std::string_view text) {
  ConfigSections sections;
  if (text.empty()) return sections;
  std::string current;
  int lineNumber = 1;
  size_t begin = 0;
  while (true) {
    const size_t end = text.find_first_of("\r\n", begin);
    parseConfigLine(text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin),
                    lineNumber, current, sections);
    if (end == std::string_view::npos) break;
    begin = end + 1;
    ++lineNumber;
  }
  return sections;
}

uint32_t configChecksum(std::string_view text) {
  uint32_t sum = 0;
  for (const char c : text) sum += static_cast<unsigned char>(c);
  return sum;
}
