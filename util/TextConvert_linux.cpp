#include "TextConvert.h"

#include <cstdint>

std::optional<std::string> TryToAnsi(std::wstring_view text) {
  // wchar_t is UTF-32 here; narrow text is UTF-8.
  std::string result;
  result.reserve(text.size());
  for (const wchar_t unit : text) {
    const auto c = static_cast<uint32_t>(unit);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    if (c < 0x80) {
      result += static_cast<char>(c);
    } else if (c < 0x800) {
      result += static_cast<char>(0xC0 | (c >> 6));
      result += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      result += static_cast<char>(0xE0 | (c >> 12));
      result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      result += static_cast<char>(0xF0 | (c >> 18));
      result += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return result;
}

std::wstring FromAnsi(std::string_view text) {
  std::wstring result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    uint32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1Fu : extra == 2 ? lead & 0x0Fu : lead & 0x07u;
    bool valid = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3Fu);
    }
    static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (valid && (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) valid = false;
    result += valid ? static_cast<wchar_t>(c) : L'\xFFFD';
    i += valid ? static_cast<size_t>(extra) + 1 : 1;
  }
  return result;
}
