// The rules for the names inside an archive: which item paths stay below the output
// folder and into which folder names they split, which link targets stay inside it.
// Paths come as the codec library reports them: '/' and the platform's `separator`
// (kPathSeparator) split them; any other character, a backslash on Linux too, is part
// of a name.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

bool isPathSeparator(wchar_t c, wchar_t separator);

// The components of an item path, or nothing when the path could end anywhere but
// below the output folder: empty and absolute paths, drive letters and streams (any
// ':'), ".." and names of dots and blanks only (Windows drops trailing dots and
// blanks), control characters (U+0000 among them). Empty and "." components are left out.
std::optional<std::vector<std::wstring>> safeComponents(std::wstring_view path, wchar_t separator);

// True when a link `depth` folders below the output folder, pointing at `target`,
// stays inside it.
bool linkStaysInside(std::wstring_view target, std::size_t depth, wchar_t separator);

// The first `count` components joined by '/', ASCII letters in lower case: equal keys
// are one file on a case-insensitive file system, where "Kvr.EXE" and "kvr.exe" are one.
std::wstring foldedKey(const std::vector<std::wstring>& parts, std::size_t count);
