#include <gtest/gtest.h>

#include "ChannelClient.h"

TEST(CloseNotice, PayloadBytes) {
  std::vector<uint8_t> expected(528, 0);
  expected[0] = 1;    // 32-bit 1, little-endian
  expected[4] = '1';  // UTF-16 "1", then its terminator and zeros up to offset 524
  expected[524] = 1;  // 32-bit 1, little-endian
  EXPECT_EQ(kCloseNoticeData, 1u);
  EXPECT_EQ(closeNoticePayload(), expected);
}
