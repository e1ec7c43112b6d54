#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <string>
#include <vector>

#include "LowSpeedFloor.h"
#include "PackageRecord.h"
#include "PackageTransfer.h"
#include "ResponseHead.h"

TEST(ResponseHead, ReadsWhatTheTransferNeeds) {
  const struct {
    const char* what;
    std::vector<std::string> lines;
    long status;
    std::string validator;
    std::int64_t length, rangeFirst, rangeTotal;
  } cases[] = {
      // clang-format off
      {"strong ETag before the date",
       {"HTTP/1.1 200 OK\r\n", "ETag: \"v1\"\r\n", "Last-Modified: Mon, 01 Jan 2024 00:00:00 GMT\r\n",
        "Content-Length: 12\r\n"},
       200, "\"v1\"", 12, -1, -1},
      {"weak ETag: the date", {"HTTP/1.1 200 OK\r\n", "etag: W/\"v1\"\r\n", "last-modified: d\r\n"}, 200, "d", -1, -1, -1},
      {"range", {"HTTP/1.1 206 Partial\r\n", "Content-Range: bytes 10-19/20\r\n"}, 206, "", -1, 10, 20},
      {"unsatisfied range", {"HTTP/1.1 416 No\r\n", "Content-Range: bytes */20\r\n"}, 416, "", -1, -1, 20},
      {"interim head forgotten", {"HTTP/1.1 100 Continue\r\n", "ETag: \"a\"\r\n", "HTTP/1.1 200 OK\r\n"}, 200, "", -1,
       -1, -1},
      {"lone CR in the ETag refused", {"HTTP/1.1 200 OK\r\n", "ETag: \"a\rX-Evil: 1\"\r\n"}, 200, "", -1, -1, -1},
      {"control character in the date refused, ETag kept",
       {"HTTP/1.1 200 OK\r\n", "ETag: \"a\"\r\n", "Last-Modified: d\x01\r\n"}, 200, "\"a\"", -1, -1, -1},
      {"length not a number", {"HTTP/1.1 200 OK\r\n", "Content-Length: 12x\r\n"}, 200, "", -1, -1, -1},
      {"length beyond 18 digits", {"HTTP/1.1 200 OK\r\n", "Content-Length: 1234567890123456789\r\n"}, 200, "", -1, -1,
       -1},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResponseHead head;
    for (const std::string& line : c.lines) head.addLine(line);
    EXPECT_EQ(head.status, c.status);
    EXPECT_EQ(head.validator(), c.validator);
    EXPECT_EQ(head.length, c.length);
    EXPECT_EQ(head.rangeFirst, c.rangeFirst);
    EXPECT_EQ(head.rangeTotal, c.rangeTotal);
  }
}

TEST(PackageRecord, TextRoundTripsAndOddRecordsAreRefused) {
  const PackageRecord record{"http://h/p.7z", "\"v\\1\"", 1234, true};
  PackageRecord read;
  ASSERT_TRUE(parsePackageRecord(packageRecordText(record), read));
  EXPECT_EQ(read.url, record.url);
  EXPECT_EQ(read.validator, record.validator);
  EXPECT_EQ(read.size, record.size);
  EXPECT_EQ(read.complete, record.complete);

  const char* refused[] = {
      "",
      "[]",
      R"({"url":"u","validator":"v","size":1})",
      R"({"url":"u","validator":"v","size":"1","complete":false})",
      R"({"url":"u","validator":"a\r\nX: y","size":1,"complete":false})",
      R"({"url":"u","validator":"v","size":1e400,"complete":false})",
  };
  for (const char* text : refused) {
    SCOPED_TRACE(text);
    PackageRecord kept{"kept", "kept", 7, false};
    EXPECT_FALSE(parsePackageRecord(text, kept));
    EXPECT_EQ(kept.url, "kept");
    EXPECT_EQ(kept.size, 7);
  }
}

// The floor over fake time points: bytes arriving at `seconds` after the start, with
// 100 bytes a second over 10 s (1000 bytes a window).
TEST(LowSpeedFloor, EndsAResponseOnlyWhenAWindowFallsShort) {
  struct Step {
    double seconds;
    std::int64_t received;
    bool tooSlow;
  };
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      // clang-format off
      {"nothing for the whole window", {{0, 0, false}, {9.9, 0, false}, {10, 0, true}}},
      {"a trickle", {{0, 0, false}, {5, 500, false}, {10, 999, true}}},
      {"each window met", {{0, 0, false}, {9, 1000, false}, {18, 2000, false}, {27, 3000, false}}},
      {"a window met late restarts the clock", {{0, 0, false}, {9.5, 1000, false}, {19, 1500, false}, {19.5, 1500, true}}},
      {"a burst then silence", {{0, 0, false}, {1, 50000, false}, {10.9, 50000, false}, {11, 50000, true}}},
      {"the first call only starts the clock", {{100, 0, false}, {109, 0, false}, {110, 0, true}}},
      // clang-format on
  };
  const auto start = std::chrono::steady_clock::time_point{};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LowSpeedFloor floor(100, 10);
    for (const Step& step : c.steps) {
      const auto at = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                  std::chrono::duration<double>(step.seconds));
      EXPECT_EQ(floor.tooSlow(step.received, at), step.tooSlow) << "at " << step.seconds << " s";
    }
  }
}

// An outage is ridden out for at least two minutes of refused connections, no pause is so
// long that a link that came back waits more than 5 s, and attempts that each run into a
// time limit stop after about as long.
TEST(PackageRetries, RideOutTwoMinutesAndUseAReturnedLinkWithinFiveSeconds) {
  using std::chrono::milliseconds;
  const milliseconds paused = std::accumulate(kPackageRetryPauses.begin(), kPackageRetryPauses.end(), milliseconds(0));
  EXPECT_GE(paused, std::chrono::minutes(2));
  EXPECT_LE(*std::max_element(kPackageRetryPauses.begin(), kPackageRetryPauses.end()), std::chrono::seconds(5));
  EXPECT_TRUE(std::is_sorted(kPackageRetryPauses.begin(), kPackageRetryPauses.end()));
  EXPECT_GE(kPackageTransferLimits.retryFor, std::chrono::minutes(2));
  EXPECT_LE(kPackageTransferLimits.retryFor, paused + std::chrono::seconds(30));
}
