#include "GameCommand.h"

#include "FileSystem.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<std::string> formatGameCommand(std::string_view strPath, std::string_view strToken, int32_t nWinId,
                                             int32_t nMainWindow) {
  if (strPath.find('\0') != std::string_view::npos || strToken.find('\0') != std::string_view::npos)
    return std::nullopt;
  std::string szCmdline;
  szCmdline.append(strPath).append("/kvr.exe ").append(strToken);
  szCmdline.append(" ").append(std::to_string(nWinId));
  szCmdline.append(" ").append(std::to_string(nMainWindow));
  szCmdline.append(" end");
  if (szCmdline.size() > kMaxGameCommandLength) return std::nullopt;
  return szCmdline;
}

std::vector<std::string> splitCommandLine(std::string_view cmdline) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = cmdline.size();

  std::string arg;
  bool quoted = false;
  for (; i < n && (quoted || !isBlank(cmdline[i])); ++i) {
    if (cmdline[i] == '"')
      quoted = !quoted;
    else
      arg += cmdline[i];
  }
  args.push_back(arg);

  for (;;) {
    while (i < n && isBlank(cmdline[i])) ++i;
    if (i == n) break;
    arg.clear();
    quoted = false;
    while (i < n && (quoted || !isBlank(cmdline[i]))) {
      const char c = cmdline[i];
      if (c == '\\') {
        size_t backslashes = 0;
        while (i < n && cmdline[i] == '\\') ++backslashes, ++i;
        if (i < n && cmdline[i] == '"') {
          arg.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(backslashes, '\\');
        }
      } else if (c == '"') {
        if (quoted && i + 1 < n && cmdline[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += c;
        ++i;
      }
    }
    args.push_back(arg);
  }
  return args;
}

std::string gameExecutablePath(std::string_view strPath) { return std::string(strPath) + "/kvr.exe"; }

bool isGameInstalled(std::string_view strPath) { return isRegularFile(gameExecutablePath(strPath)); }
