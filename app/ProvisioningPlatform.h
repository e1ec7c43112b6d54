// What provisioning needs of the platform: the desktop shortcut. The files it writes
// and where are in InstallLayout.h, the whole-file write in FileSystem.h.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

struct DesktopShortcut {
  std::filesystem::path file;    // "Kavran.lnk" / "Kavran.desktop" in the desktop folder
  std::string fileName;          // `file` as narrow text, for the log
  bool exists = false;           // a file of that name is already there
  std::filesystem::path target;  // the launcher's copy in the install folder; empty
                                 // when that copy's name does not fit its buffer
};

// The shortcut's place and target; nothing when the desktop folder cannot be found.
std::optional<DesktopShortcut> locateDesktopShortcut();

// Writes the shortcut to its target, with the current folder as working folder.
bool saveDesktopShortcut(const DesktopShortcut& shortcut);
