// What the Windows side of the text conversion shares with other Windows-only code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// `text` in the code page `codePage` (CP_THREAD_ACP, CP_OEMCP), or nothing when it
// cannot be converted. With `exact`, also nothing when a character would come out as a
// look-alike or as the code page's default character: a "?" in a path is a wildcard
// to the command interpreter, and a look-alike names another file.
std::optional<std::string> toCodePage(std::wstring_view text, unsigned codePage, bool exact = false);
