#include "TextConvert.h"

#include <cstdint>

#include "Utf8.h"

// wchar_t is UTF-32 here and narrow text is UTF-8.
std::optional<std::string> TryToAnsi(std::wstring_view text) {
  for (const wchar_t unit : text) {
    const auto c = static_cast<uint32_t>(unit);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  }
  return toUtf8(text);
}

std::wstring FromAnsi(std::string_view text) { return fromUtf8(text); }
