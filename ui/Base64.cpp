#include "Base64.h"

#include <array>
#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kNotInAlphabet = -1;

constexpr std::array<int8_t, 256> makeValues() {
  std::array<int8_t, 256> values{};
  values.fill(kNotInAlphabet);
  for (int8_t i = 0; i < 64; ++i) values[static_cast<unsigned char>(kAlphabet[i])] = i;
  return values;
}

constexpr std::array<int8_t, 256> kValues = makeValues();

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                           static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
    text += kAlphabet[group >> 18];
    text += kAlphabet[(group >> 12) & 0x3F];
    text += kAlphabet[(group >> 6) & 0x3F];
    text += kAlphabet[group & 0x3F];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (rest == 2) group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    text += kAlphabet[group >> 18];
    text += kAlphabet[(group >> 12) & 0x3F];
    text += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
    text += '=';
  }
  return text;
}

std::optional<std::string> Base64Decode(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0) return std::nullopt;
  size_t padding = 0;
  if (text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
  const size_t data = text.size() - padding;

  std::string bytes;
  bytes.reserve(text.size() / 4 * 3);
  uint32_t group = 0;
  for (size_t i = 0; i < data; ++i) {
    const int8_t value = kValues[static_cast<unsigned char>(text[i])];
    if (value == kNotInAlphabet) return std::nullopt;  // also an "=" before the end
    group = group << 6 | static_cast<uint32_t>(value);
    if (i % 4 == 3) {
      bytes += static_cast<char>(group >> 16);
      bytes += static_cast<char>(group >> 8);
      bytes += static_cast<char>(group);
      group = 0;
    }
  }
  // A padded last group holds two characters (one byte) or three (two bytes).
  if (padding == 2) {
    bytes += static_cast<char>(group >> 4);
  } else if (padding == 1) {
    bytes += static_cast<char>(group >> 10);
    bytes += static_cast<char>(group >> 2);
  }
  return bytes;
}
