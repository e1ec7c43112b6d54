#include <sys/stat.h>

#include "FileSystem.h"
#include "ProvisioningPlatform.h"
#include "StartupPlatform.h"

namespace {

// A string value of a Desktop Entry: backslash and control characters escaped.
std::string entryString(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '\\': escaped += "\\\\"; break;
      case '\n': escaped += "\\n"; break;
      case '\t': escaped += "\\t"; break;
      case '\r': escaped += "\\r"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

// One quoted argument of the Exec key: the quoting rules of the key, then "%" kept
// from being read as a field code, then the string escapes of any value.
std::string execArgument(const std::string& path) {
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  return entryString(quoted + "\"");
}

}  // namespace

std::optional<DesktopShortcut> locateDesktopShortcut() {
  const std::optional<std::filesystem::path> desktop = desktopFolder();
  if (!desktop) return std::nullopt;
  DesktopShortcut shortcut;
  shortcut.file = desktop->native() + "/Kavran.desktop";
  shortcut.fileName = shortcut.file.native();
  struct stat info {};
  shortcut.exists = lstat(shortcut.fileName.c_str(), &info) == 0;

  const std::filesystem::path running = executableFile();
  if (!running.empty()) shortcut.target = launcherCopyPath(running.filename()).value_or(std::filesystem::path());
  return shortcut;
}

bool saveDesktopShortcut(const DesktopShortcut& shortcut) {
  const std::string entry =
      "[Desktop Entry]\nType=Application\nName=Kavran\nExec=" + execArgument(shortcut.target.string()) +
      "\nPath=" + entryString(currentDirectory()) + "\nTerminal=false\n";
  // Desktops start only entries marked executable.
  return writeWholeFile(shortcut.fileName, {reinterpret_cast<const unsigned char*>(entry.data()), entry.size()}, true);
}
