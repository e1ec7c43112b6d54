#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ArgumentString.h"
#include "TextConvert.h"
#include "cmdline.h"

namespace {

std::wstring rebuilt(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"/opt/kvr/kvr_velmora"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  return launcherArgumentString(static_cast<int>(argv.size() - 1), argv.data());
}

}  // namespace

TEST(ArgumentString, SplittingGivesBackTheArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {"--winid=5", "--fromc=abc", "--tokenc=xyz"},
      {"a b", "c"},
      {"  lead", "trail  ", " "},
      {"say \"hi\"", "\"", "\"\""},
      {"C:\\dir\\", "x"},
      {"a\\\"b", "\\\\\"", "\\", "\\ "},
      {"", "x"},
      {"x", ""},
      {""},
      {"", ""},
      {"x", "", "", "y"},
      {"tab\there", "new\nline", "\t"},
      {"--fromc=\xd0\x9a\xd0\xb0\xd0\xb2 \xe4\xb8\xad", "\xf0\x9f\x8e\xae"},
      {"--winid", "-3", "-", "--"},
      {"uninstall"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    const std::wstring text = rebuilt(arguments);
    const std::optional<std::string> narrow = TryToAnsi(text);
    ASSERT_TRUE(narrow);
    SCOPED_TRACE(*narrow);
    const cmdline::split_result split = cmdline::split_line(*narrow);
    EXPECT_EQ(split.error, "");
    EXPECT_EQ(split.tokens, arguments);
  }
}

TEST(ArgumentString, ShowsTheRuleInItsText) {
  EXPECT_EQ(rebuilt({}), L"");
  EXPECT_EQ(rebuilt({"--winid=5", "--fromc=a b"}), L"--winid=5 \"--fromc=a b\"");
  EXPECT_EQ(rebuilt({"C:\\x", "q\""}), L"C:\\\\x q\\\"");
  EXPECT_EQ(rebuilt({"", "x", ""}), L"\"\" x \"\" ");
  EXPECT_EQ(rebuilt({"uninstall"}), L"uninstall");
  EXPECT_EQ(launcherArgumentString(0, nullptr), L"");
}

// A broken byte becomes U+FFFD, as the Windows conversion substitutes unmappable
// characters; the other arguments are kept as they are.
TEST(ArgumentString, BrokenUtf8IsReplacedAndTheRestKept) {
  const struct {
    std::string argument;
    std::string replaced;
  } cases[] = {
      {"\xff", "\xef\xbf\xbd"},
      {"a\x80", "a\xef\xbf\xbd"},
      {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},
      {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
      {"\xf4\x90\x80\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
      {"\xe4\xb8", "\xef\xbf\xbd\xef\xbf\xbd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.argument));
    const std::optional<std::string> narrow = TryToAnsi(rebuilt({"--winid=5", "--tokenc=" + c.argument}));
    ASSERT_TRUE(narrow);
    const cmdline::split_result split = cmdline::split_line(*narrow);
    EXPECT_EQ(split.tokens, (std::vector<std::string>{"--winid=5", "--tokenc=" + c.replaced}));
  }
}
