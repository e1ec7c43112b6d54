// Local broken-down times for the log file tests.
#pragma once

#include <ctime>

inline std::tm localTm(int year, int month, int day, int hour, int minute, int second = 0) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  return local;
}
