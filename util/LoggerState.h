// A logger's settings: what its lines are filtered by and where they go.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct LoggerState {
  std::string key;
  std::string name;
  std::string path = "./log/";
  // Read by producers without a lock, so atomic; changed only through setters.
  std::atomic<int32_t> level{1};
  bool display = true;
  bool outfile = true;
  bool monthdir = false;
  uint32_t limitsize = 100;
  std::atomic<bool> enable{false};
  std::atomic<bool> fileline{true};
  int64_t reserveTime = 0;
};

// Applies one setting change (a RecordKind other than RECORD_LINE) with its value or text.
void applySettingChange(LoggerState& logger, int32_t kind, int32_t value, const std::string& text);
