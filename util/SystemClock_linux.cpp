#include "SystemClock.h"

#include <unistd.h>

uint32_t currentThreadId() {
  thread_local const uint32_t t_id = static_cast<uint32_t>(gettid());
  return t_id;
}

bool toLocalTime(int64_t seconds, std::tm& out) {
  const time_t value = static_cast<time_t>(seconds);
  return localtime_r(&value, &out) != nullptr;
}

int64_t fromLocalTime(std::tm local) {
  local.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&local));
}
