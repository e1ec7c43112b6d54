// What the player reads beside the bar while the package downloads: the share done, the
// speed averaged over the last few seconds and, once that average means something, the
// time left. Portable arithmetic over time points the caller gives, so tests pass their own.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

class DownloadMeter {
 public:
  using Clock = std::chrono::steady_clock;
  // The speed is the bytes of the last kWindow over that time: a burst leaves it within
  // kWindow, a stall brings it to exactly zero.
  static constexpr std::chrono::seconds kWindow{5};
  // The time left needs samples over at least this long: the first seconds of a transfer
  // (connection, slow start) would promise too much or too little.
  static constexpr std::chrono::seconds kSettle{3};

  // The bytes received so far at `at` (time points in order). Fewer bytes than before (a
  // transfer that started over) starts the measure over.
  void add(Clock::time_point at, std::int64_t bytes);
  // Bytes a second over the window; none before two samples.
  std::optional<double> bytesPerSecond() const;
  // Whole seconds until `total` bytes at the current speed, rounded up; none until the
  // samples span kSettle, while the speed is zero, or beyond 100 hours.
  std::optional<std::int64_t> secondsLeft(std::int64_t total) const;

 private:
  struct Sample {
    Clock::time_point at;
    std::int64_t bytes;
  };
  std::deque<Sample> m_samples;  // the window's, and the one just before it
  Clock::time_point m_first;     // since the measure (re)started
};

// "37%  2.4 MB/s  剩余 01:23": the share rounded down, the speed in B/s, KB/s or MB/s
// (1024 each, three figures at most), the time left as mm:ss or h:mm:ss. The parts the
// meter cannot tell yet are left out.
std::wstring downloadProgressText(std::int64_t bytes, std::int64_t total, std::optional<double> bytesPerSecond,
                                  std::optional<std::int64_t> secondsLeft);
