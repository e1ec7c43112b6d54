#include <gtest/gtest.h>

#include "LogConfig.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(LogConfig, Trimming) {
  struct Case {
    const char* text;
    const char* extra;
    const char* expected;
  };
  const Case cases[] = {
      {"  a b \t\r\n", "", "a b"}, {"\xEF\xBB\xBF  key", "", "key"}, {" \t \r\n", "", ""},
      {"[ main ]", "[]", "main"},  {"[[Main]]", "[]", "Main"},       {"x\xEF\xBB\xBF", "", "x\xEF\xBB\xBF"},
  };
  for (const Case& c : cases) EXPECT_EQ(trimConfigText(c.text, c.extra), c.expected) << c.text;
}

TEST(LogConfig, LauncherTextConfiguresMain) {
  const ConfigSections sections = parseConfigText("[Main] \npath = ./kvr/logs/ \nname=log \nfileline = 0 \n");
  ASSERT_EQ(sections.size(), 1u);
  const LoggerSection& main = sections.at("Main");
  EXPECT_EQ(main.key, "Main");
  EXPECT_EQ(main.name, "log");
  EXPECT_EQ(main.path, "./kvr/logs/");
  EXPECT_EQ(main.level, 1);
  EXPECT_TRUE(main.enable);
  EXPECT_TRUE(main.display);
  EXPECT_TRUE(main.outfile);
  EXPECT_FALSE(main.fileline);
  EXPECT_FALSE(main.monthdir);
  EXPECT_EQ(main.limitsize, 100u);
  EXPECT_EQ(main.reserve, 0);
}

TEST(LogConfig, AttributeValues) {
  struct Case {
    const char* line;
    bool (*check)(const LoggerSection&);
  };
  const Case cases[] = {
      {"level = Warning", [](const LoggerSection& s) { return s.level == 3; }},
      {"level = verbose", [](const LoggerSection& s) { return s.level == 1; }},
      {"LEVEL = ALL", [](const LoggerSection& s) { return s.level == 0; }},
      {"level=fatal", [](const LoggerSection& s) { return s.level == 6; }},
      {"display = FALSE", [](const LoggerSection& s) { return !s.display; }},
      {"display = 0", [](const LoggerSection& s) { return !s.display; }},
      {"display = no", [](const LoggerSection& s) { return s.display; }},
      {"outfile=false", [](const LoggerSection& s) { return !s.outfile; }},
      {"monthdir = 1", [](const LoggerSection& s) { return s.monthdir; }},
      {"enable = false", [](const LoggerSection& s) { return !s.enable; }},
      {"limitsize = 12mb", [](const LoggerSection& s) { return s.limitsize == 12; }},
      {"reserve = 3600", [](const LoggerSection& s) { return s.reserve == 3600; }},
      {"Path = C:\\Logs\\App", [](const LoggerSection& s) { return s.path == "C:\\Logs\\App"; }},
      {"name = Mixed Case", [](const LoggerSection& s) { return s.name == "Mixed Case"; }},
      {"colour = blue", [](const LoggerSection& s) { return s.level == 1 && s.display && s.name == "Net"; }},
      {"# level = fatal", [](const LoggerSection& s) { return s.level == 1; }},
      {"= fatal", [](const LoggerSection& s) { return s.level == 1; }},
      {"path = a = b", [](const LoggerSection& s) { return s.path == "a = b"; }},
  };
  for (const Case& c : cases) {
    const ConfigSections sections = parseConfigText(std::string("[Net]\n") + c.line);
    ASSERT_EQ(sections.count("Net"), 1u) << c.line;
    EXPECT_TRUE(c.check(sections.at("Net"))) << c.line;
  }
}

TEST(LogConfig, SectionNamesAndWarnings) {
  for (const char* header : {"[ main ]", "[MAIN]", "[main]"}) {
    const ConfigSections sections = parseConfigText(std::string(header) + "\nlevel = error\n");
    ASSERT_EQ(sections.count("Main"), 1u) << header;
    EXPECT_EQ(sections.at("Main").level, 4) << header;
  }

  // CR LF makes an empty line between, so the second [Main] is on line 5.
  CaptureStdout();
  ConfigSections sections = parseConfigText("[Main]\r\nlevel = info\r\n[Main]\r\nname = again\r\n");
  EXPECT_EQ(GetCapturedStdout(), "logger configure warning: duplicate logger key:[Main] at line: 5 \r\n");
  EXPECT_EQ(sections.at("Main").level, 2);
  EXPECT_EQ(sections.at("Main").name, "again");

  CaptureStdout();
  sections = parseConfigText("level = info\r\n[Net]");
  EXPECT_EQ(GetCapturedStdout(),
            "logger configure warning: not found current logger name:[] at line:1, key=level, value=info \r\n");
  EXPECT_EQ(sections.size(), 1u);

  EXPECT_TRUE(parseConfigText("").empty());
}
