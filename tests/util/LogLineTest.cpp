#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "LogLine.h"
#include "SystemClock.h"
#include "TimeZone.h"

namespace {

std::string header(int64_t time, uint32_t ms, uint32_t threadId, int32_t level) {
  char buffer[LOG_TEXT_SIZE];
  RecordStream stream(buffer, buffer + LOG_TEXT_SIZE);
  writeLineHeader(stream, time, ms, threadId, level);
  return std::string(buffer, static_cast<size_t>(stream.written()));
}

std::string localStamp(int64_t time) {
  std::tm local{};
  EXPECT_TRUE(toLocalTime(time, local));
  char buffer[80];
  snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
           local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buffer;
}

// Days since 1970-01-01 of a civil date, to read a broken-down time as if it were UTC.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

int64_t utcOffset(int64_t time) {
  std::tm local{};
  toLocalTime(time, local);
  const int64_t asUtc = daysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                      static_cast<unsigned>(local.tm_mday)) *
                            86400 +
                        local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return asUtc - time;
}

// Instants in [from, until) at which the local UTC offset changes.
std::vector<int64_t> offsetChanges(int64_t from, int64_t until) {
  std::vector<int64_t> changes;
  for (int64_t t = from; t + 3600 <= until; t += 3600) {
    if (utcOffset(t) == utcOffset(t + 3600)) continue;
    int64_t low = t, high = t + 3600;  // offset(low) differs from offset(high)
    while (high - low > 1) {
      const int64_t mid = low + (high - low) / 2;
      (utcOffset(mid) == utcOffset(low) ? low : high) = mid;
    }
    changes.push_back(high);
  }
  return changes;
}

}  // namespace

TEST(RecordStream, NumbersTextAndRoom) {
  struct Case {
    uint64_t value;
    int width;
    int base;
    const char* expected;
  };
  const Case cases[] = {
      {0, 0, 10, "0"},
      {7, 4, 10, "0007"},
      {4321, 4, 10, "4321"},
      {123456, 4, 10, "123456"},
      {99, 2, 10, "99"},
      {100, 0, 10, "100"},
      {18446744073709551615ull, 0, 10, "18446744073709551615"},
      {255, 0, 16, "FF"},
      {0xABC, 8, 16, "00000ABC"},
  };
  for (const Case& c : cases) {
    char buffer[128];
    RecordStream stream(buffer, buffer + sizeof buffer);
    stream.writeUnsigned(c.value, c.width, c.base);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(stream.written())), c.expected) << c.value;
  }

  char buffer[128];
  RecordStream signedStream(buffer, buffer + sizeof buffer);
  signedStream << int64_t{-42} << ' ' << INT64_MIN;
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(signedStream.written())), "-42 -9223372036854775808");

  // With fewer than 65 bytes of room a number is not written; a character needs 2 bytes.
  char small[66];
  RecordStream tight(small, small + sizeof small);
  tight << std::string(2, 'x');
  tight.writeUnsigned(5);
  EXPECT_EQ(tight.written(), 2);
  tight << std::string(63, 'y');
  tight.writeChar('a');
  EXPECT_EQ(tight.written(), 65);
  tight.writeChar('b');
  EXPECT_EQ(tight.written(), 65);
  tight << "cdef";
  EXPECT_EQ(tight.written(), 66);
  EXPECT_EQ(small[65], 'c');
}

TEST(LineHeader, FixedLayout) {
  std::thread([] {
    setTimeZone("UTC0");
    const int64_t time = 1709647629;  // 2024-03-05 14:07:09 UTC
    EXPECT_EQ(header(time, 123, 4321, LOG_INFO), "2024-03-05 14:07:09.123 [4321] LOG_INFO ");
    EXPECT_EQ(header(time, 5, 88, LOG_INFO), "2024-03-05 14:07:09.005 [0088] LOG_INFO ");
    EXPECT_EQ(header(time, 999, 123456, LOG_ERROR), "2024-03-05 14:07:09.999 [123456] LOG_ERROR ");
    EXPECT_EQ(header(time, 0, 1, LOG_WARN), "2024-03-05 14:07:09.000 [0001] LOG_WARN ");
    EXPECT_EQ(header(time + 3600 * 10, 0, 1, LOG_FATAL), "2024-03-06 00:07:09.000 [0001] LOG_FATAL ");
    EXPECT_EQ(header(time - 86400 * 70, 0, 1, LOG_TRACE), "2023-12-26 14:07:09.000 [0001] LOG_TRACE ");
  }).join();
}

// The header's date and time equal the local time of the record on days when the
// clock is shifted, however the thread's cache was warmed before.
TEST(LineHeader, FollowsDaylightSavingShifts) {
  std::thread([] {
    setTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
    // A year no other test touches: Wine's runtime caches a year's daylight rules
    // across time-zone changes.
    const int64_t yearStart = 1924992000;  // 2031-01-01 00:00 UTC
    const std::vector<int64_t> changes = offsetChanges(yearStart, yearStart + 366 * 86400);
    ASSERT_EQ(changes.size(), 2u) << "the test zone must shift its clock twice a year";
    for (const int64_t change : changes) {
      // Walk across the shift the way a logging thread would.
      for (int64_t t = change - 2 * 3600 - 1; t <= change + 2 * 3600 + 1; t += 7)
        ASSERT_EQ(header(t, 0, 1, LOG_INFO).substr(0, 19), localStamp(t)) << "time " << t;
      for (const int64_t t : {change - 1, change, change + 1, change + 3599, change + 3600})
        EXPECT_EQ(header(t, 0, 1, LOG_INFO).substr(0, 19), localStamp(t)) << "time " << t;
    }
  }).join();
}
