// The package transfer's low-speed floor, kept by the transfer's own progress
// callback: libcurl's low-speed check did not end a trickling transfer everywhere
// (under Wine a host sending 2 bytes a second kept it going).
#pragma once

#include <chrono>
#include <cstdint>

class LowSpeedFloor {
 public:
  LowSpeedFloor(std::int64_t bytesPerSecond, long seconds);

  // True once fewer than bytesPerSecond x seconds bytes have arrived in `seconds`
  // since the floor was last met; `received` counts all bytes so far.
  bool tooSlow(std::int64_t received, std::chrono::steady_clock::time_point now);

 private:
  std::int64_t m_bytesPerWindow;
  std::chrono::steady_clock::duration m_window;
  std::chrono::steady_clock::time_point m_since;
  std::int64_t m_receivedSince = 0;
  bool m_started = false;
};
