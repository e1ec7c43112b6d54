#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "FileSystem.h"
#include "PosixWrite_linux.h"
#include "ProvisioningPlatform.h"
#include "StartupPlatform.h"

const char kCodecLibraryFile[] = "./kvr/7z.so";
const char kUninstallerFile[] = "uninst";

namespace {

std::string desktopFolder() {
  const char* desktop = getenv("XDG_DESKTOP_DIR");
  if (desktop != nullptr && *desktop != '\0') return desktop;
  const char* home = getenv("HOME");
  return home != nullptr && *home != '\0' ? std::string(home) + "/Desktop" : std::string();
}

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

bool writeWholeFile(const std::filesystem::path& file, std::span<const unsigned char> bytes, bool executable) {
  const std::string partial = file.string() + ".part";
  unlink(partial.c_str());  // a leftover of an earlier attempt, whatever its mode
  const int out = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, executable ? 0755 : 0644);
  if (out < 0) return false;
  const bool complete = writeAll(out, bytes.data(), bytes.size()) && fsync(out) == 0;
  if (close(out) == 0 && complete && rename(partial.c_str(), file.c_str()) == 0) return true;
  unlink(partial.c_str());
  return false;
}

std::optional<DesktopShortcut> locateDesktopShortcut() {
  // As on Windows, the desktop folder is looked up, never created.
  const std::string desktop = desktopFolder();
  if (desktop.empty() || !isDirectory(desktop)) return std::nullopt;
  DesktopShortcut shortcut;
  shortcut.file = desktop + "/Kavran.desktop";
  shortcut.fileName = shortcut.file.string();
  struct stat info {};
  shortcut.exists = lstat(shortcut.fileName.c_str(), &info) == 0;

  const std::string running = executablePath();
  const std::string fileName = running.substr(running.rfind('/') + 1);
  if (!running.empty() && copyTargetFits(fileName)) shortcut.target = installFolder() + "/" + fileName;
  return shortcut;
}

bool saveDesktopShortcut(const DesktopShortcut& shortcut) {
  const std::string entry = "[Desktop Entry]\nType=Application\nName=Kavran\nExec=" +
                            execArgument(shortcut.target.string()) + "\nPath=" + entryString(currentDirectory()) +
                            "\nTerminal=false\n";
  // Desktops start only entries marked executable.
  return writeWholeFile(shortcut.file,
                        {reinterpret_cast<const unsigned char*>(entry.data()), entry.size()}, true);
}
