// Conversions between the platform's wide text and the launcher's narrow text
// (the thread's ANSI code page on Windows, UTF-8 on Linux).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The narrow form of `text`, or nothing when it cannot be converted.
std::optional<std::string> TryToAnsi(std::wstring_view text);

// The narrow form of `text`; a text that cannot be converted gives an empty text,
// never a half-converted one.
std::string ToAnsi(std::wstring_view text);

// The wide form of narrow text (invalid bytes: Windows maps them by its code page,
// Linux gives U+FFFD).
std::wstring FromAnsi(std::string_view text);
