// printf-style formatting into a string of exactly the formatted length.
#pragma once

#include <cstdio>
#include <string>

template <typename... Args>
std::string formatText(const char* format, Args... args) {
  const int length = snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}
