// Reads back what a desktop shortcut starts: through the shell's link object
// (Windows) or the Desktop Entry's Exec and Path keys (Linux).
#pragma once

#include <filesystem>
#include <optional>

// The shortcut's file name on the desktop: "Kavran.lnk" / "Kavran.desktop".
extern const char kShortcutName[];

struct ShortcutFacts {
  std::filesystem::path target;
  std::filesystem::path workingFolder;
};

// Nothing when `file` is no readable shortcut.
std::optional<ShortcutFacts> readShortcut(const std::filesystem::path& file);
