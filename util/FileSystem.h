// Files and folders as the logger and the launcher need them. Paths are narrow
// text: the ANSI code page on Windows, UTF-8 on Linux.
#pragma once

#include <string>

bool isDirectory(const std::string& path);

// True when `path` is a regular file (links followed). Never throws: no conversion
// of the path depends on the locale.
bool isRegularFile(const std::string& path);

// True when the file names `a` and `b` (no folder part) name the same file in one
// folder: the same bytes on Linux; on Windows regardless of letter case and of
// trailing dots and blanks, which the file system drops.
bool sameFileName(const std::string& a, const std::string& b);

// Creates one folder; its parent must exist.
bool makeDirectory(const std::string& path);

// Full path of the running executable, or empty when it cannot be read.
std::string executablePath();

// The process's current folder as narrow text (empty when it cannot be read).
std::string currentDirectory();
