#include <windows.h>

#include "Resources.h"

std::wstring LoadResourceText(unsigned id) {
  wchar_t buffer[100];
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 100);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}
