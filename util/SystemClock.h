// Time and thread facts for log records.
#pragma once

#include <cstdint>
#include <ctime>

// The operating system's id of the calling thread.
uint32_t currentThreadId();

// Local broken-down time of `seconds` since 1970 UTC; false when it has none.
bool toLocalTime(int64_t seconds, std::tm& out);

// Seconds since 1970 UTC of a local broken-down time (normalised like mktime).
int64_t fromLocalTime(std::tm local);
