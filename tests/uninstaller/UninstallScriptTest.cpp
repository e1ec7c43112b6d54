#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "UninstallScript.h"

namespace {

struct QuoteCase {
  std::string path;
  std::optional<std::string> batch;  // nothing: refused
  std::string sh;
};

const QuoteCase kQuotes[] = {
    {"C:\\Games\\velmora\\kvr", "\"C:\\Games\\velmora\\kvr\"", "'C:\\Games\\velmora\\kvr'"},
    {"C:\\a%PATH%b%", "\"C:\\a%%PATH%%b%%\"", "'C:\\a%PATH%b%'"},
    {"C:\\a & b ^& !c! (d) | e", "\"C:\\a & b ^& !c! (d) | e\"", "'C:\\a & b ^& !c! (d) | e'"},
    {"/home/it's $(x) `y`", "\"/home/it's $(x) `y`\"", "'/home/it'\\''s $(x) `y`'"},
    {"C:\\a\"b", std::nullopt, "'C:\\a\"b'"},
    {"C:\\a\nb", std::nullopt, "'C:\\a\nb'"},
    {"C:\\a\rb", std::nullopt, "'C:\\a\rb'"},
};

}  // namespace

TEST(UninstallScript, PathsAreQuotedOrRefused) {
  for (const QuoteCase& test : kQuotes) {
    SCOPED_TRACE(test.path);
    EXPECT_EQ(QuoteForBatch(test.path), test.batch);
    EXPECT_EQ(QuoteForSh(test.path), test.sh);
  }
}

TEST(UninstallScript, UnquotableDesktopFallsBackToTheProfile) {
  const std::optional<std::string> script =
      BatchScript({"C:\\Games\\velmora\\kvr", "C:\\Games\\velmora\\kvr\\DeleteBat.bat", "C:\\Users\\a\"b\\Desktop"});
  ASSERT_TRUE(script);
  EXPECT_NE(script->find(" timeout /t 2 /nobreak \r\n"), std::string::npos);
  EXPECT_NE(script->find(" del /F /S /Q  \"%userprofile%\\Desktop\\Kavran.lnk\"\r\n"), std::string::npos);
  EXPECT_EQ(script->find("a\"b"), std::string::npos);
}

TEST(UninstallScript, UnquotableFolderGivesNoScript) {
  EXPECT_FALSE(BatchScript({"C:\\Games\\a\"b", "C:\\x\\DeleteBat.bat", "C:\\Users\\a\\Desktop"}));
  EXPECT_FALSE(BatchScript({"C:\\Games\\kvr", "C:\\x\"\\DeleteBat.bat", "C:\\Users\\a\\Desktop"}));
  EXPECT_FALSE(BatchScript({"", "C:\\x\\DeleteBat.bat", "C:\\Users\\a\\Desktop"}));
}
