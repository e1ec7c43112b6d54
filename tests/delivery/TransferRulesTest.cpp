#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PackageRecord.h"
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
