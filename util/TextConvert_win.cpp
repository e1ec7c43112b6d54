#include "TextConvert_win.h"

#include <windows.h>

#include "TextConvert.h"

std::optional<std::string> toCodePage(std::wstring_view text, unsigned codePage, bool exact) {
  if (text.empty()) return std::string();
  if (text.size() > 0x3FFFFFFF) return std::nullopt;
  const int units = static_cast<int>(text.size());
  DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL usedDefault = FALSE;
  BOOL* askDefault = exact ? &usedDefault : nullptr;
  // Ask for the size first: a UTF-8 code page needs three bytes per unit.
  int needed = WideCharToMultiByte(codePage, flags, text.data(), units, nullptr, 0, nullptr, askDefault);
  // A UTF-8 code page takes neither the flag nor the default-character query, and loses nothing.
  if (needed == 0 && exact && (GetLastError() == ERROR_INVALID_FLAGS || GetLastError() == ERROR_INVALID_PARAMETER)) {
    flags = 0;
    askDefault = nullptr;
    needed = WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  }
  if (needed <= 0 || usedDefault) return std::nullopt;
  std::string result(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(codePage, flags, text.data(), units, result.data(), needed, nullptr, askDefault) != needed ||
      usedDefault)
    return std::nullopt;
  return result;
}

std::optional<std::string> TryToAnsi(std::wstring_view text) { return toCodePage(text, CP_THREAD_ACP); }

std::wstring FromAnsi(std::string_view text) {
  if (text.empty() || text.size() > 0x3FFFFFFF) return {};
  const int bytes = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), bytes, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring result(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), bytes, result.data(), needed);
  return result;
}
