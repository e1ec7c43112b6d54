// Where the launcher lives: the fixed install folder, the folders it keeps there and
// the files it carries into it. Folders and file names are narrow text, as in
// FileSystem.h.
#pragma once

#include <string>

// The launcher's data folder in the install folder (the package, the codec library,
// the logs, the game folder's usual place) and the logger's folder in it. Macros, so
// that the paths and texts made of them are constants too.
#define KVR_DATA_FOLDER "kvr"
#define KVR_LOG_FOLDER "logs"

// The fixed install folder (Windows "C:\Games\velmora\kvr"; Linux "Games/velmora/kvr"
// below $HOME, else below the account's home folder).
std::string installFolder();

// The codec library ("./kvr/7za.dll" / "./kvr/7z.so") in the data folder and the uninstaller
// ("uninst.exe" / "uninst"), relative to the install folder: provisioning writes
// them there and the archive layer loads the library.
extern const char kCodecLibraryFile[];
extern const char kUninstallerFile[];
