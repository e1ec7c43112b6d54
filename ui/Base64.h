// Standard Base64: the RFC 4648 alphabet, "=" padding to a multiple of four characters,
// no line breaks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);

// The decoded bytes, or nothing for an empty text, a length that is not a multiple of 4,
// a character outside the alphabet, or "=" anywhere but in the last one or two places.
// Unused low bits of the last group are not checked.
std::optional<std::string> Base64Decode(std::string_view text);
