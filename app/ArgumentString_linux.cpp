#include "ArgumentString.h"

#include <cstdint>
#include <string_view>

#include "Utf8.h"

namespace {

void appendQuoted(std::wstring& out, std::string_view argument) {
  if (argument.empty()) {
    out += L"\"\"";
    return;
  }
  // As the Windows conversion substitutes what it cannot map: one broken byte must not
  // cost the whole command line.
  const std::wstring decoded = fromUtf8(argument);
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
