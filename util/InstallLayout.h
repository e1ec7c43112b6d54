// Where the launcher lives: the fixed install folder, the launcher's copy there and
// the files it carries into the install folder. Folders and file names are narrow
// text, as in FileSystem.h; the copy is a std::filesystem::path, like the running
// executable whose name it takes, so that the name keeps every character.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The fixed install folder (Windows "C:\Games\velmora\kvr"; Linux "Games/velmora/kvr"
// below $HOME, else below the account's home folder).
std::string installFolder();

// The launcher's copy named `fileName` in the install folder (Windows: string 149
// with the name in place of "%s"). Nothing when it does not fit the platform's bound
// for the copy target (Windows: a 100-character buffer; Linux: PATH_MAX): a name is
// never cut, so there is then no copy and no shortcut to one.
std::optional<std::filesystem::path> launcherCopyPath(const std::filesystem::path& fileName);

// The codec library ("./kvr/7za.dll" / "./kvr/7z.so") and the uninstaller
// ("uninst.exe" / "uninst"), relative to the install folder: provisioning writes
// them there and the archive layer loads the library.
extern const char kCodecLibraryFile[];
extern const char kUninstallerFile[];
