#include <windows.h>

#include "TextConvert.h"

std::optional<std::string> TryToAnsi(std::wstring_view text) {
  if (text.empty()) return std::string();
  if (text.size() > 0x3FFFFFFF) return std::nullopt;
  const int units = static_cast<int>(text.size());
  // Ask for the size first: a UTF-8 thread code page needs three bytes per unit.
  const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::nullopt;
  std::string result(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), units, result.data(), needed, nullptr, nullptr) != needed)
    return std::nullopt;
  return result;
}

std::wstring FromAnsi(std::string_view text) {
  if (text.empty() || text.size() > 0x3FFFFFFF) return {};
  const int bytes = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), bytes, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring result(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), bytes, result.data(), needed);
  return result;
}
