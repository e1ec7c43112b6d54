// What the launcher itself keeps in its data folder "./kvr/", next to the package.
#pragma once

#include <string>

// True when a package stored as `name` in the data folder would land on the codec
// library, its temporary copy or the log folder. Names are compared as the platform
// compares them (Windows: letter case and trailing dots and blanks do not count).
bool isLauncherFileName(const std::string& name);
