// One received copy-data record as the channel client stand-in writes it down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "dwData:<decimal> wParam:<decimal> data:<payload as lowercase hex>"
std::string formatCopyDataRecord(uint32_t dwData, int64_t wParam, const uint8_t* data, size_t size);

// Appends `line` and a line feed to the file at `path`; false when it cannot be written.
bool appendLine(const std::string& path, const std::string& line);
