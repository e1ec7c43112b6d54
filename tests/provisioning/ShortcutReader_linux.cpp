#include <string>

#include "ShortcutReader.h"
#include "TestFolder.h"

const char kShortcutName[] = "Kavran.desktop";

namespace {

// The string escapes every Desktop Entry value may use.
std::string unescapeValue(const std::string& value) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    const char next = value[++i];
    text += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
  }
  return text;
}

// The Exec key's one quoted argument: quotes removed, backslash escapes and "%%" undone.
std::optional<std::string> execProgram(const std::string& exec) {
  if (exec.size() < 2 || exec.front() != '"' || exec.back() != '"') return std::nullopt;
  std::string program;
  for (size_t i = 1; i + 1 < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 2 < exec.size())
      ++i;
    else if (exec[i] == '%' && exec[i + 1] == '%')
      ++i;
    program += exec[i];
  }
  return program;
}

}  // namespace

std::optional<ShortcutFacts> readShortcut(const std::filesystem::path& file) {
  const std::string content = readFile(file);
  if (content.rfind("[Desktop Entry]\n", 0) != 0) return std::nullopt;
  std::optional<std::string> program;
  std::optional<std::string> folder;
  for (size_t begin = 0, end; (end = content.find('\n', begin)) != std::string::npos; begin = end + 1) {
    const std::string line = content.substr(begin, end - begin);
    if (line.rfind("Exec=", 0) == 0) program = execProgram(unescapeValue(line.substr(5)));
    if (line.rfind("Path=", 0) == 0) folder = unescapeValue(line.substr(5));
  }
  if (!program || !folder) return std::nullopt;
  return ShortcutFacts{*program, *folder};
}
