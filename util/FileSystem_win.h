// What the Windows side of the file seam shares with other Windows-only code.
#pragma once

#include <string>

// Clears the read-only attribute of `path`, so that it can be replaced or deleted.
void clearReadOnly(const std::wstring& path);
