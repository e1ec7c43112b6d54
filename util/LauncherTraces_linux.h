// What the launcher makes on Linux outside its install folder, named in one place: the
// launcher makes them, the uninstaller removes them. Narrow text, as in FileSystem.h.
#pragma once

#include <string>
#include <vector>

// The program name GLib knows the launcher by, whatever its file is called: the web
// engine names its folders after it.
extern const char kProgramName[];

// The single-instance lock file, one per user and install folder, in $XDG_RUNTIME_DIR
// (or /tmp): it exists before any folder of the launcher's own.
std::string instanceLockFile();

// The web engine's cache and data folders: kProgramName in $XDG_CACHE_HOME and
// $XDG_DATA_HOME (absolute ones), else in ~/.cache and ~/.local/share. None without a home.
std::vector<std::string> webEngineFolders();
