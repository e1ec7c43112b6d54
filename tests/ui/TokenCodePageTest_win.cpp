#include <windows.h>

#include <gtest/gtest.h>

#include "ScriptBridge.h"

// The thread's ANSI code page follows its locale: with Chinese (PRC) it is 936 (GBK), where
// the page's text and the game's UTF-8 form differ.
TEST(LoginToken, ChineseAnsiCodePage) {
  const LCID previous = GetThreadLocale();
  ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)));
  wchar_t codePage[8] = {};
  GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, codePage, 8);
  WebViewSystem system;
  const std::optional<std::string> chinese = MakeLoginToken(L"xOO6ww==", system);  // "你好" in GBK
  const std::optional<std::string> ascii = MakeLoginToken(L"dGVzdA==", system);
  SetThreadLocale(previous);
  ASSERT_STREQ(codePage, L"936");
  EXPECT_EQ(chinese, "5L2g5aW9");  // "你好" in UTF-8
  EXPECT_EQ(ascii, "dGVzdA==");
}
