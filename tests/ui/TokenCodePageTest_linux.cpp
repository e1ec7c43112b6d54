#include <gtest/gtest.h>

#include "ScriptBridge.h"

// Both code pages are UTF-8 here: every token passes unchanged.
TEST(LoginToken, Utf8CodePages) {
  WebViewSystem system;
  EXPECT_EQ(MakeLoginToken(L"5L2g5aW9", system), "5L2g5aW9");
  EXPECT_EQ(MakeLoginToken(L"dGVzdA==", system), "dGVzdA==");
  // Bytes that are no UTF-8 are read as U+FFFD, as a code page maps what it cannot read.
  EXPECT_EQ(MakeLoginToken(L"xOO6ww==", system), "77+977+977+977+9");
}
