#include "ItemPath.h"

namespace {

wchar_t asciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Calls `visit` with each part between separators, empty ones included.
template <typename Visit>
void forEachPart(std::wstring_view path, wchar_t separator, Visit visit) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !isPathSeparator(path[end], separator)) ++end;
    visit(path.substr(start, end - start));
    start = end + 1;
  }
}

// Control characters: Windows refuses them in names, and on Linux a name holding one
// (a line feed, an escape sequence) is a trap for whoever lists the folder.
bool hasControlCharacter(std::wstring_view part) {
  for (const wchar_t c : part)
    if (c < 0x20 || c == 0x7f) return true;
  return false;
}

}  // namespace

bool isPathSeparator(wchar_t c, wchar_t separator) { return c == L'/' || c == separator; }

std::optional<std::vector<std::wstring>> safeComponents(std::wstring_view path, wchar_t separator) {
  if (path.empty() || isPathSeparator(path.front(), separator)) return std::nullopt;
  std::vector<std::wstring> parts;
  bool safe = true;
  forEachPart(path, separator, [&](std::wstring_view part) {
    if (!safe || part.empty() || part == L".") return;
    if (part.find(L':') != std::wstring_view::npos || part.find_first_not_of(L". ") == std::wstring_view::npos ||
        hasControlCharacter(part))
      safe = false;
    else
      parts.emplace_back(part);
  });
  if (!safe || parts.empty()) return std::nullopt;
  return parts;
}

bool linkStaysInside(std::wstring_view target, std::size_t depth, wchar_t separator) {
  if (target.empty() || isPathSeparator(target.front(), separator) || target.find(L':') != std::wstring_view::npos)
    return false;
  std::size_t level = depth;
  bool inside = true;
  forEachPart(target, separator, [&](std::wstring_view part) {
    if (!inside) return;
    if (part == L"..") {
      if (level == 0)
        inside = false;
      else
        --level;
    } else if (!part.empty() && part != L".") {
      ++level;
    }
  });
  return inside;
}

std::wstring foldedKey(const std::vector<std::wstring>& parts, std::size_t count) {
  std::wstring key;
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) key += L'/';
    for (const wchar_t c : parts[i]) key += asciiLower(c);
  }
  return key;
}
