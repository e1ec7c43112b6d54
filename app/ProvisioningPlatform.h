// What provisioning needs of the platform: the embedded files' names, whole-file
// writes and the desktop shortcut.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

// The codec library ("./kvr/7za.dll" / "./kvr/7z.so") and the uninstaller
// ("uninst.exe" / "uninst"), relative to the install folder.
extern const char kCodecLibraryFile[];
extern const char kUninstallerFile[];

// Writes `bytes` to `file` through a temporary file renamed into place, so that the
// file never exists with partial content. `executable` makes it runnable where the
// platform marks that on the file.
bool writeWholeFile(const std::filesystem::path& file, std::span<const unsigned char> bytes, bool executable);

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
