// What the uninstall script says, for the Windows command interpreter and for sh.
// A running program cannot delete its own file, so the uninstaller hands the removal
// to a script that runs after it has ended. The script works in the uninstaller's own
// folder whatever folder it was started from: every path in it is absolute, and
// quoted so that no character of a path can end the argument, expand a variable or
// start another command. Paths are narrow text as the interpreter reads the script:
// the ANSI code page on Windows, UTF-8 on Linux.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct UninstallPaths {
  std::string folder;   // the uninstaller's own folder: the install folder to empty
  std::string script;   // the script's full path: it removes itself last
  std::string desktop;  // the desktop folder; empty when it is not known
  // Folders and files the launcher made outside its install folder (Linux: the web
  // engine's folders, the lock file), removed whole.
  std::vector<std::string> outside = {};
};

// `path` as one double-quoted argument of a batch file, percent signs doubled (a
// batch file expands them even inside quotes). Nothing when the path holds a quote
// or a control character, which no quoting makes safe.
std::optional<std::string> QuoteForBatch(std::string_view path);

// `path` as one single-quoted sh word.
std::string QuoteForSh(std::string_view path);

// The batch script, lines ending in CR LF. It pauses one second and removes, in the
// uninstaller's folder, the data folder "kvr", every "*.exe" there and below,
// "uninst.exe", then the desktop shortcut "Kavran.lnk" and itself. When the desktop
// is not known or cannot be quoted, the shortcut is named through %USERPROFILE% and
// the pause is two seconds. Nothing when the folder or the script cannot be quoted.
std::optional<std::string> BatchScript(const UninstallPaths& paths);

// The sh script: waits for process `pid` (the uninstaller) to end, at most five
// seconds, and removes, in the uninstaller's folder, the data folder "kvr", every
// executable there and below ("*.exe" or a file marked executable), "uninst", then
// the desktop entry "Kavran.desktop" (when the desktop is known), what `outside` names,
// and itself.
std::string ShellScript(const UninstallPaths& paths, long pid);
