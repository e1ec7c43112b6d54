#include "Resources.h"

#include <cstring>
#include <string_view>

#include "EmbeddedResources_linux.h"
#include "StringTable.h"

// Only an executable that carries files links a table (the launcher); the others
// leave this null. The window's pictures are a table of their own, linked by the
// executables that show the window.
extern "C" const EmbeddedResource kvr_embedded_resources[] __attribute__((weak));
extern "C" const EmbeddedResource kvr_window_art[] __attribute__((weak));

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

std::span<const unsigned char> LoadResourceBytes(unsigned id, const char* type) {
  for (const EmbeddedResource* table : {kvr_embedded_resources, kvr_window_art}) {
    if (table == nullptr) continue;
    for (const EmbeddedResource* entry = table; entry->type != nullptr; ++entry)
      if (entry->id == id && strcmp(entry->type, type) == 0)
        return {entry->begin, static_cast<size_t>(entry->end - entry->begin)};
  }
  return {};
}
