// An install folder with the uninstaller, the launcher's files and canaries around
// it, and a run of the uninstaller that waits for its script to finish.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Process.h"

// The uninstaller's exit code as the test sees it: 0xFFFFFFFF (Windows) or 255.
extern const int kUninstallerExitCode;

// The launcher's install folder, the one folder the uninstaller acts in: fixed on
// Windows, below HOME on Linux (`base` becomes HOME there).
std::filesystem::path launcherInstallFolder(const std::filesystem::path& base);

struct UninstallFolders {
  // Fills the launcher's install folder (emptied first) with the launcher's files and
  // the uninstaller, `base` (an empty folder) with "elsewhere" holding files of the
  // same names, and the shortcut in `desktop` (below `base`) next to a file that must stay.
  UninstallFolders(const std::filesystem::path& base, const std::filesystem::path& desktop);
  ~UninstallFolders();

  // Runs the uninstaller at `program` (the one in the install folder unless given) with
  // `from` as its current folder and waits (bounded) until its script has removed itself.
  ProcessResult run(const std::filesystem::path& from, const std::filesystem::path& program = {}) const;

  // Regular files below `base` and, as "inst/...", below the install folder, relative
  // to them, as generic text, sorted.
  std::vector<std::string> remaining() const;

  std::filesystem::path base, install, elsewhere, desktop;
};

// The files `UninstallFolders` leaves that the uninstaller must not touch.
std::vector<std::string> untouchedFiles(const std::string& desktopName);

// Whether a folder or file whose name starts with "pwned" exists below `base`: a command
// hidden in a path has run.
bool somethingRan(const std::filesystem::path& base);
