#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "cmdline.h"

namespace {

constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();

}  // namespace

TEST(CmdlineReader, IntTakesTheWholeTextOnly) {
  const struct {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"42", 42},
      {" \t42", 42},
      {"+7", 7},
      {"-0", 0},
      {"2147483647", 2147483647},
      {"-2147483648", kMinInt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"42 ", std::nullopt},
      {"4 2", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"-", std::nullopt},
      {"0x10", std::nullopt},
      {"1e3", std::nullopt},
      {"1.0", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(cmdline::default_reader<int32_t>()(c.text), c.value) << '"' << c.text << '"';
  EXPECT_EQ(cmdline::default_reader<std::string>()(""), "");
  EXPECT_EQ(cmdline::default_reader<std::string>()(" a\"b "), " a\"b ");
}

// Short letters and required options, which the launcher itself does not use.
TEST(CmdlineParser, ReadsShortLettersAndCollectsErrors) {
  const struct {
    const char* line;
    bool ok;
    const char* errors;
    int32_t count;
    const char* name;
    std::vector<std::string> rest;
  } cases[] = {
      {"-c 5", true, "", 5, "x", {}},
      {"-n -c", true, "", 1, "-c", {}},
      {"-nc 7 plain", false, "option needs value: --name\n", 7, "x", {"plain"}},
      {"-c", false, "option needs value: --count\n", 1, "x", {}},
      {"-cz 4", false, "option needs value: --count\nundefined short option: -z\n", 1, "x", {"4"}},
      {"--count=3 --name", false, "option needs value: --name\n", 3, "x", {}},
      {"a b  c", true, "", 1, "x", {"a", "b", "", "c"}},
      {"--count=3 --count=q", false, "option value is invalid: --count=q\n", 3, "x", {}},
      {"-- --=v", false, "undefined option: --\nundefined option: --\n", 1, "x", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    cmdline::parser parser;
    parser.add_option<int32_t>("count", 'c', "how many", false, 1);
    parser.add_option<std::string>("name", 'n', "what", false, "x");
    EXPECT_EQ(parser.parse_line(c.line), c.ok);
    EXPECT_EQ(parser.error_text(), c.errors);
    EXPECT_EQ(parser.value_of<int32_t>("count"), c.count);
    EXPECT_EQ(parser.value_of<std::string>("name"), c.name);
    EXPECT_EQ(parser.rest(), c.rest);
  }
}

TEST(CmdlineParser, ChecksRequiredAndSharedShortNames) {
  cmdline::parser required;
  required.add_option<int32_t>("port", 'p', "port number", true, 80);
  required.add_option<std::string>("host", 0, "host name", false, "");
  required.footer("file");
  EXPECT_FALSE(required.parse_line("prog"));
  EXPECT_EQ(required.error_text(), "need option: --port\n");
  EXPECT_EQ(required.rest(), std::vector<std::string>{"prog"});
  // The program name comes from the first parse only; each parse starts a new error list.
  EXPECT_TRUE(required.parse_line("other -p 8080"));
  EXPECT_EQ(required.error_text(), "");
  EXPECT_EQ(required.rest(), std::vector<std::string>{"other"});
  EXPECT_EQ(required.value_of<int32_t>("port"), 8080);
  EXPECT_EQ(required.usage(),
            "usage: prog --port=int [options] ... file\noptions:\n"
            "  -p, --port=int  port number\n      --host=string  host name\n");
  EXPECT_FALSE(required.parse_tokens({}));
  EXPECT_EQ(required.error_text(), "argument number must be longer than 0\n");

  cmdline::parser shared;
  shared.add_option<int32_t>("a", 'x', "", false, 0);
  shared.add_option<int32_t>("b", 'x', "", false, 0);
  EXPECT_FALSE(shared.parse_line("--a=1"));
  EXPECT_EQ(shared.error_text(), "short option 'x' is ambiguous\n");
  EXPECT_EQ(shared.value_of<int32_t>("a"), 0);
}

TEST(CmdlineParser, CallingMistakesThrow) {
  cmdline::parser parser;
  parser.add_option<int32_t>("winid", 0, "--winid", false, 0);
  const auto messageOf = [](const auto& call) -> std::string {
    try {
      call();
    } catch (const cmdline::cmdline_error& error) {
      return error.what();
    }
    return "no error";
  };
  EXPECT_EQ(messageOf([&] { parser.add_option<std::string>("winid", 0, "", false, ""); }),
            "multiple definition: winid");
  EXPECT_EQ(messageOf([&] { parser.value_of<int32_t>("fromc"); }), "there is no flag: --fromc");
  EXPECT_EQ(messageOf([&] { parser.value_of<std::string>("winid"); }), "type mismatch flag 'winid'");
}
