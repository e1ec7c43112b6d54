#include "ui/DownloadMeter.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Clock = DownloadMeter::Clock;

// A sample: milliseconds after the meter's start, bytes received so far.
struct At {
  int ms;
  std::int64_t bytes;
};

// Samples every 200 ms from `fromMs` up to `toMs`, at `bytesPerSecond` from `startBytes`.
std::vector<At> steady(int fromMs, int toMs, std::int64_t startBytes, std::int64_t bytesPerSecond) {
  std::vector<At> samples;
  for (int ms = fromMs; ms <= toMs; ms += 200)
    samples.push_back({ms, startBytes + bytesPerSecond * (ms - fromMs) / 1000});
  return samples;
}

std::vector<At> operator+(std::vector<At> first, const std::vector<At>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

}  // namespace

// The meter after a run of samples: the speed over the last five seconds, and the time
// left only once the samples span three seconds and the speed is above zero.
TEST(DownloadMeter, SpeedAndTimeLeft) {
  struct Case {
    const char* name;
    std::vector<At> samples;
    std::int64_t total;
    std::optional<double> speed;
    std::optional<std::int64_t> secondsLeft;
  };
  const Case cases[] = {
      {"steady rate", steady(0, 6000, 0, 100'000), 1'000'000, 100'000, 4},
      {"steady rate after a resumed part: only what came in counts", steady(0, 6000, 50'000'000, 100'000), 51'000'000,
       100'000, 4},
      {"a burst, then a stall shorter than the window",
       steady(0, 1000, 0, 5'000'000) + steady(1200, 4000, 5'000'000, 0), 20'000'000, 1'250'000, 12},
      {"a burst, then a stall as long as the window", steady(0, 1000, 0, 5'000'000) + steady(1200, 7000, 5'000'000, 0),
       20'000'000, 0.0, std::nullopt},
      {"the rate triples: the window holds both rates",
       steady(0, 10000, 0, 100'000) + steady(10200, 12000, 1'060'000, 300'000), 10'000'000, 180'000, 47},
      {"the rate triples: the window holds only the new one",
       steady(0, 10000, 0, 100'000) + steady(10200, 15000, 1'060'000, 300'000), 10'000'000, 300'000, 25},
      {"too few seconds of samples for a time left", steady(0, 2800, 0, 100'000), 1'000'000, 100'000, std::nullopt},
      {"one sample: no speed yet", {{0, 4000}}, 1'000'000, std::nullopt, std::nullopt},
      {"nothing comes at all", steady(0, 6000, 4000, 0), 1'000'000, 0.0, std::nullopt},
      {"started over from the first byte: measured again from there",
       steady(0, 4000, 0, 100'000) + steady(4200, 6000, 0, 100'000), 1'000'000, 100'000, std::nullopt},
      {"a time left beyond 100 hours is no answer", steady(0, 6000, 0, 1), 1'000'000'000, 1.0, std::nullopt},
      {"a fraction of a second left is one second", steady(0, 6000, 0, 100'000), 600'001, 100'000, 1},
  };
  const Clock::time_point start{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DownloadMeter meter;
    for (const At& sample : c.samples) meter.add(start + std::chrono::milliseconds(sample.ms), sample.bytes);
    const std::optional<double> speed = meter.bytesPerSecond();
    ASSERT_EQ(speed.has_value(), c.speed.has_value());
    if (speed) {
      EXPECT_NEAR(*speed, *c.speed, 1e-6 * (*c.speed + 1));
    }
    EXPECT_EQ(meter.secondsLeft(c.total), c.secondsLeft);
  }
}

// What the player reads: the share rounded down, the speed in the unit that keeps it to
// three figures, the time left with hours only past an hour.
TEST(DownloadMeter, Text) {
  struct Case {
    std::int64_t bytes, total;
    std::optional<double> speed;
    std::optional<std::int64_t> secondsLeft;
    const wchar_t* text;
  };
  constexpr double kKB = 1024;
  constexpr double kMB = 1024 * 1024;
  // clang-format off
  const Case cases[] = {
      {37, 100, 2.4 * kMB, 83, L"37%  2.4 MB/s  剩余 01:23"},
      {0, 100, std::nullopt, std::nullopt, L"0%"},
      {999, 1000, 0.0, std::nullopt, L"99%  0 B/s"},
      {1000, 1000, 999.0, 0, L"100%  999 B/s  剩余 00:00"},
      {5, 0, std::nullopt, std::nullopt, L"0%"},
      {1, 3, 999.5, std::nullopt, L"33%  1.0 KB/s"},
      {1, 3, 9.94 * kKB, std::nullopt, L"33%  9.9 KB/s"},
      {1, 3, 9.96 * kKB, std::nullopt, L"33%  10 KB/s"},
      {1, 3, 999.4 * kKB, std::nullopt, L"33%  999 KB/s"},
      {1, 3, 999.6 * kKB, std::nullopt, L"33%  1.0 MB/s"},
      {1, 3, 150 * kMB, std::nullopt, L"33%  150 MB/s"},
      {1, 3, 1.0 * kMB, 59, L"33%  1.0 MB/s  剩余 00:59"},
      {1, 3, 1.0 * kMB, 3599, L"33%  1.0 MB/s  剩余 59:59"},
      {1, 3, 1.0 * kMB, 3600, L"33%  1.0 MB/s  剩余 1:00:00"},
      {1, 3, 1.0 * kMB, 36061, L"33%  1.0 MB/s  剩余 10:01:01"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bytes << "/" << c.total);
    EXPECT_EQ(downloadProgressText(c.bytes, c.total, c.speed, c.secondsLeft), c.text);
  }
}
