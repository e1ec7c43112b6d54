// Text from outside that lands in a header, a line of a record or a file name must
// hold no control character: one could end the line or start another.
#pragma once

#include <string_view>

// True when `text` holds a byte below 0x20 (U+0000 and line ends among them) or DEL.
inline bool hasControlCharacter(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}
