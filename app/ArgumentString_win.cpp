#include <windows.h>

#include "ArgumentString.h"

std::wstring launcherArgumentString(int, const char* const[]) {
  const wchar_t* p = GetCommandLineW();
  if (!p) return {};
  bool quoted = false;
  while (*p > L' ' || (*p != L'\0' && quoted)) {
    if (*p == L'"') quoted = !quoted;
    ++p;
  }
  while (*p != L'\0' && *p <= L' ') ++p;
  return p;
}
