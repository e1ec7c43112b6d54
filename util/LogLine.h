// The fixed layout of a log line: "2024-03-05 14:07:09.123 [4321] LOG_INFO message".
#pragma once

#include <cstdint>

#include "Logger.h"

// Console attribute of a level (0 for the plain levels 0 and 1 and out-of-range ones).
uint16_t levelConsoleAttribute(int32_t level);

// Writes the header of a record made at `time`.`milliseconds` by `threadId`.
// The date and time always equal the local broken-down time of `time`: each thread
// caches one local hour and refreshes it when the hour or the UTC offset changes.
void writeLineHeader(RecordStream& stream, int64_t time, uint32_t milliseconds, uint32_t threadId, int32_t level);
