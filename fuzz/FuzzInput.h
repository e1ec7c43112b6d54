// Helpers the fuzz targets share: the input as text, and splitting it into pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

inline std::string_view inputText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at every `separator`: several values from one input.
inline std::vector<std::string> inputPieces(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string_view::npos; start = end + 1)
    pieces.emplace_back(text.substr(start, end - start));
  pieces.emplace_back(text.substr(start));
  return pieces;
}

// An invariant broken: libFuzzer keeps the input that did it.
#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) {       \
      std::abort();           \
    }                         \
  } while (false)
