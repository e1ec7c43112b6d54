#include "SystemClock.h"

#include <windows.h>

uint32_t currentThreadId() { return GetCurrentThreadId(); }

bool toLocalTime(int64_t seconds, std::tm& out) {
  // msvcrt keeps the result in a per-thread buffer, so this is thread-safe.
  const __time64_t value = seconds;
  const std::tm* local = _localtime64(&value);
  if (local == nullptr) return false;
  out = *local;
  return true;
}

int64_t fromLocalTime(std::tm local) {
  local.tm_isdst = -1;
  return _mktime64(&local);
}
