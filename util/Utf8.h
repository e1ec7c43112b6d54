// Wide text (UTF-16 on Windows, UTF-32 on Linux) as UTF-8.
#pragma once

#include <string>
#include <string_view>

// Units that are no character (a lone surrogate, a value beyond U+10FFFF) become U+FFFD.
std::string toUtf8(std::wstring_view text);

// UTF-8 bytes as wide text; invalid sequences become U+FFFD.
std::wstring fromUtf8(std::string_view text);
