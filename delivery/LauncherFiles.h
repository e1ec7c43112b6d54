// What the launcher itself keeps in its data folder "./kvr/", next to the package.
#pragma once

#include <string>

// True when a package stored as `name` in the data folder would land on the codec
// library, the log folder, the install record, the update journal, the newest accepted
// configuration timestamp ("PCDownloadCfg.timestamp") (each also in writing), a
// package's resume record (a name ending in ".resume", or in ".resume.tmp" as a record
// in writing), an update's folders (names ending in ".staging" or ".replaced") or, for a game
// folder `gamePath` given relative to the install folder below "./kvr/", the game
// folder's top. Names are compared as the platform compares them (Windows: letter case
// and trailing dots and blanks do not count).
bool isLauncherFileName(const std::string& name, const std::string& gamePath);
