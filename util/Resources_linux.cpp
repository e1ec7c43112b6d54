#include "Resources.h"

#include <string_view>

#include "StringTable.h"

namespace {

struct StringEntry {
  unsigned id;
  std::string_view text;
};

#define KVR_STRING_ENTRY(id, text) {id, text},
constexpr StringEntry kStrings[] = {KVR_STRING_TABLE(KVR_STRING_ENTRY)};
#undef KVR_STRING_ENTRY

}  // namespace

std::wstring LoadResourceText(unsigned id) {
  for (const StringEntry& entry : kStrings) {
    if (entry.id != id) continue;
    // The table is ASCII, so each byte is one character.
    const std::string_view text = entry.text.substr(0, 99);
    return std::wstring(text.begin(), text.end());
  }
  return {};
}
