#include "ArgumentString.h"

#include <cstdint>
#include <string_view>

namespace {

void appendDecoded(std::wstring& out, std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out += static_cast<wchar_t>(lead);
      ++i;
      continue;
    }
    size_t length = 0;
    uint32_t code = 0;
    uint32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1Fu;
      smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0Fu;
      smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07u;
      smallest = 0x10000;
    }
    bool valid = length > 0 && i + length <= bytes.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3Fu);
    }
    // Overlong forms, encoded surrogates and values past U+10FFFF are no text either.
    valid = valid && code >= smallest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (valid) {
      out += static_cast<wchar_t>(code);
      i += length;
    } else {
      // As the Windows conversion substitutes what it cannot map: one broken byte
      // must not cost the whole command line.
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
    }
  }
}

void appendQuoted(std::wstring& out, std::string_view argument) {
  if (argument.empty()) {
    out += L"\"\"";
    return;
  }
  std::wstring decoded;
  appendDecoded(decoded, argument);
  const bool blank = decoded.find(L' ') != std::wstring::npos;
  if (blank) out += L'"';
  for (const wchar_t c : decoded) {
    if (c == L'\\' || c == L'"') out += L'\\';
    out += c;
  }
  if (blank) out += L'"';
}

}  // namespace

std::wstring launcherArgumentString(int argc, const char* const argv[]) {
  std::wstring text;
  if (!argv) return text;
  for (int i = 1; i < argc && argv[i]; ++i) {
    if (i > 1) text += L' ';
    const std::string_view argument(argv[i]);
    appendQuoted(text, argument);
    if (argument.empty() && (i + 1 == argc || !argv[i + 1])) text += L' ';
  }
  return text;
}
