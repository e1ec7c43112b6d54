#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "LaunchOptions.h"
#include "LauncherLog.h"
#include "LogLines.h"
#include "LogManager.h"
#include "TestFolder.h"
#include "TextConvert.h"

namespace {

// Values the fields hold before the reading, so that "nothing stored" shows.
LaunchOptions initialOptions() {
  LaunchOptions options;
  options.m_nWinId = 77;
  options.m_strToken = "oldToken";
  options.m_strFrom = "oldFrom";
  return options;
}

// The launcher's log set-up in a folder of its own, around one ParseCmdLine.
class LaunchLog {
 public:
  LaunchLog() {
    m_manager.setProcessName("proc");
    m_manager.configFromText(kLauncherLogConfig);
    m_manager.setLoggerDisplay(0, false);
    m_manager.start();
  }

  // Reads `wszCmdline` into `options`; returns the launcher's lines as the log file
  // holds them, without their time and level (and without the logger's own lines).
  std::vector<std::string> read(LaunchOptions& options, std::wstring_view wszCmdline) {
    ParseCmdLine(options, wszCmdline, m_manager, m_manager.findLogger("Main"));
    m_manager.stop();
    return infoLinesBelow(m_folder.path() / "kvr" / "logs");
  }

 private:
  TestFolder m_folder;
  LogManager m_manager;
};

struct LaunchCase {
  const wchar_t* commandLine;
  std::optional<LaunchOptions> stored;  // nothing: the fields keep their values
  std::vector<std::string> lines;
};

LaunchOptions stored(int32_t winId, std::string from, std::string token) {
  LaunchOptions options;
  options.m_nWinId = winId;
  options.m_strFrom = std::move(from);
  options.m_strToken = std::move(token);
  return options;
}

// The bare word sets the request and nothing else, and logs nothing.
LaunchOptions uninstallOnly() {
  LaunchOptions options = initialOptions();
  options.m_bUninstall = true;
  return options;
}

constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();

const LaunchCase kCases[] = {
    {L"--winid=123 --fromc=abc --tokenc=xyz",
     stored(123, "abc", "xyz"),
     {"szCmdline:--winid=123 --fromc=abc --tokenc=xyz", "winid:123,From:abc,token:xyz"}},
    {L"--winid 123", stored(123, "", ""), {"szCmdline:--winid 123", "winid:123,From:,token:"}},
    // A value option takes the next token whatever it holds.
    {L"--fromc --tokenc=x",
     stored(0, "--tokenc=x", ""),
     {"szCmdline:--fromc --tokenc=x", "winid:0,From:--tokenc=x,token:"}},
    {L"--tokenc=t --winid -5", stored(-5, "", "t"), {"szCmdline:--tokenc=t --winid -5", "winid:-5,From:,token:t"}},
    {L"--winid=+2147483647",
     stored(2147483647, "", ""),
     {"szCmdline:--winid=+2147483647", "winid:2147483647,From:,token:"}},
    {L"--winid=-2147483648",
     stored(kMinInt, "", ""),
     {"szCmdline:--winid=-2147483648", "winid:-2147483648,From:,token:"}},
    {L"--winid=1 --winid=2", stored(2, "", ""), {"szCmdline:--winid=1 --winid=2", "winid:2,From:,token:"}},
    // One bad value discards the good options of the same line.
    {L"--winid=12x --fromc=a --tokenc=b",
     std::nullopt,
     {"szCmdline:--winid=12x --fromc=a --tokenc=b", "ParseCmdLine:option value is invalid: --winid=12x\n"}},
    {L"--fromc=a --winid=",
     std::nullopt,
     {"szCmdline:--fromc=a --winid=", "ParseCmdLine:option value is invalid: --winid=\n"}},
    {L"--winid=0x10", std::nullopt, {"szCmdline:--winid=0x10", "ParseCmdLine:option value is invalid: --winid=0x10\n"}},
    {L"--winid=2147483648",
     std::nullopt,
     {"szCmdline:--winid=2147483648", "ParseCmdLine:option value is invalid: --winid=2147483648\n"}},
    {L"--winid=5\t", std::nullopt, {"szCmdline:--winid=5\t", "ParseCmdLine:option value is invalid: --winid=5\t\n"}},
    {L"--fromc=a --winid", std::nullopt, {"szCmdline:--fromc=a --winid", "ParseCmdLine:option needs value: --winid\n"}},
    {L"--WinId=5", std::nullopt, {"szCmdline:--WinId=5", "ParseCmdLine:undefined option: --WinId\n"}},
    {L"--other --winid=1", std::nullopt, {"szCmdline:--other --winid=1", "ParseCmdLine:undefined option: --other\n"}},
    // Every problem of the line is collected, in order.
    {L"-ab --winid=x --fromc",
     std::nullopt,
     {"szCmdline:-ab --winid=x --fromc",
      "ParseCmdLine:undefined short option: -a\nundefined short option: -b\noption value is invalid: --winid=x\n"
      "option needs value: --fromc\n"}},
    {L"winid=5", stored(0, "", ""), {"szCmdline:winid=5", "winid:0,From:,token:"}},
    {L"- --winid=3", stored(3, "", ""), {"szCmdline:- --winid=3", "winid:3,From:,token:"}},
    {L"--winid=1  --fromc=f", stored(1, "f", ""), {"szCmdline:--winid=1  --fromc=f", "winid:1,From:f,token:"}},
    {L"--fromc=\"a b\"", stored(0, "a b", ""), {"szCmdline:--fromc=\"a b\"", "winid:0,From:a b,token:"}},
    {L"\"--fromc=a b\" --tokenc=\"\"",
     stored(0, "a b", ""),
     {"szCmdline:\"--fromc=a b\" --tokenc=\"\"", "winid:0,From:a b,token:"}},
    {L"--fromc=C:\\x --tokenc=a\\\"b\\\\c\\ d",
     stored(0, "C:x", "a\"b\\c d"),
     {"szCmdline:--fromc=C:\\x --tokenc=a\\\"b\\\\c\\ d", "winid:0,From:C:x,token:a\"b\\c d"}},
    {L"--fromc=a\tb", stored(0, "a\tb", ""), {"szCmdline:--fromc=a\tb", "winid:0,From:a\tb,token:"}},
    {L"--fromc=\"a b", std::nullopt, {"szCmdline:--fromc=\"a b", "ParseCmdLine:quote is not closed\n"}},
    {L"--fromc=a\\",
     std::nullopt,
     {"szCmdline:--fromc=a\\", "ParseCmdLine:unexpected occurrence of '\\' at end of string\n"}},
    {L"\"\"", std::nullopt, {"szCmdline:\"\"", "ParseCmdLine:argument number must be longer than 0\n"}},
    {L"", std::nullopt, {"wszCmdline is empty "}},
    {L"uninstall", uninstallOnly(), {}},
    // Only the bare word is the uninstall request.
    {L"uninstall --winid=5", stored(5, "", ""), {"szCmdline:uninstall --winid=5", "winid:5,From:,token:"}},
    {L"\"uninstall\"", stored(0, "", ""), {"szCmdline:\"uninstall\"", "winid:0,From:,token:"}},
    {L"uninstall ", stored(0, "", ""), {"szCmdline:uninstall ", "winid:0,From:,token:"}},
    {L"Uninstall", stored(0, "", ""), {"szCmdline:Uninstall", "winid:0,From:,token:"}},
};

}  // namespace

TEST(ParseCmdLine, ReadsTheCasesOfTheTable) {
  for (const LaunchCase& c : kCases) {
    SCOPED_TRACE(ToAnsi(c.commandLine));
    LaunchOptions options = initialOptions();
    EXPECT_EQ(LaunchLog().read(options, c.commandLine), c.lines);
    const LaunchOptions expected = c.stored.value_or(initialOptions());
    EXPECT_EQ(options.m_nWinId, expected.m_nWinId);
    EXPECT_EQ(options.m_strFrom, expected.m_strFrom);
    EXPECT_EQ(options.m_strToken, expected.m_strToken);
    EXPECT_EQ(options.m_bUninstall, expected.m_bUninstall);
  }
}

TEST(ParseCmdLine, AnUnconvertibleTextIsNeverReadHalfConverted) {
  const std::wstring text = std::wstring(L"--winid=5 --fromc=a") + static_cast<wchar_t>(0xD800);
  LaunchOptions options = initialOptions();
  const std::vector<std::string> lines = LaunchLog().read(options, text);
  const std::optional<std::string> narrow = TryToAnsi(text);
  if (narrow) {
    // This code page stands some character in for the lone surrogate: the text is read whole.
    EXPECT_EQ(lines,
              (std::vector<std::string>{"szCmdline:" + *narrow, "winid:5,From:" + narrow->substr(18) + ",token:"}));
    EXPECT_EQ(options.m_nWinId, 5);
  } else {
    EXPECT_EQ(lines, std::vector<std::string>{"wszCmdline not convertible, read as empty, units:20"});
    EXPECT_EQ(options.m_nWinId, 77);
    EXPECT_EQ(options.m_strFrom, "oldFrom");
  }
}

TEST(ParseCmdLine, ReadsNonAsciiValuesInTheCodePage) {
  LaunchOptions options = initialOptions();
  const std::vector<std::string> lines =
      LaunchLog().read(options, L"--fromc=\"\u041a\u0430\u0432 \u0440\u0430\u043d\" --tokenc=\u4e2d\u6587");
  EXPECT_EQ(options.m_strFrom, ToAnsi(L"\u041a\u0430\u0432 \u0440\u0430\u043d"));
  EXPECT_EQ(options.m_strToken, ToAnsi(L"\u4e2d\u6587"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "winid:0,From:" + options.m_strFrom + ",token:" + options.m_strToken);
}

TEST(ParseCmdLine, VeryLongTextsAreReadWholeAndLoggedCut) {
  {
    const std::string token(100000, 't');
    LaunchOptions options = initialOptions();
    const std::vector<std::string> lines =
        LaunchLog().read(options, L"--winid=9 --tokenc=" + std::wstring(token.size(), L't'));
    EXPECT_EQ(options.m_nWinId, 9);
    EXPECT_EQ(options.m_strToken, token);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 32), "szCmdline:--winid=9 --tokenc=ttt");
    EXPECT_EQ(lines[1].substr(0, 23), "winid:9,From:,token:ttt");
    for (const std::string& line : lines) EXPECT_LE(line.size(), static_cast<size_t>(LOG_TEXT_SIZE));
  }
  {
    // One error message per letter: far more text than one log line holds.
    LaunchOptions options = initialOptions();
    const std::vector<std::string> lines = LaunchLog().read(options, L"-" + std::wstring(50000, L'x'));
    EXPECT_EQ(options.m_nWinId, 77);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, 40), "ParseCmdLine:undefined short option: -x\n");
    EXPECT_LE(lines[1].size(), static_cast<size_t>(LOG_TEXT_SIZE));
  }
}
