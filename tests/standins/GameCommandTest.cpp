#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>

#include "FileSystem.h"
#include "GameCommand.h"
#include "Process.h"
#include "TestFolder.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(GameCommand, Format) {
  struct Case {
    std::string path, token;
    int32_t winId, window;
    std::optional<std::string> expected;
  };
  const std::string longPath(1023 - std::string("/kvr.exe t 1 2 end").size(), 'p');
  const Case cases[] = {
      {"./game", "dGVzdA==", 123456, 65734, "./game/kvr.exe dGVzdA== 123456 65734 end"},
      {"game", "dGVzdA==", -1, 0, "game/kvr.exe dGVzdA== -1 0 end"},
      {"D:\\kvr", "x", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
       "D:\\kvr/kvr.exe x -2147483648 2147483647 end"},
      // Fields go in as they are: no quotes around a path with blanks, nothing for an empty token.
      {"C:\\My Games", "a b", 0, 7, "C:\\My Games/kvr.exe a b 0 7 end"},
      {"game", "", 5, 7, "game/kvr.exe  5 7 end"},
      {longPath, "t", 1, 2, longPath + "/kvr.exe t 1 2 end"},
      // One character over the limit: refused rather than cut.
      {longPath + "p", "t", 1, 2, std::nullopt},
      {"game", std::string(2000, 'A'), 1, 2, std::nullopt},
      // A zero byte would cut the line where the system reads it.
      {"game\0/x"s, "t", 1, 2, std::nullopt},
      {"game", "to\0ken"s, 1, 2, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto line = formatGameCommand(c.path, c.token, c.winId, c.window);
    EXPECT_EQ(line, c.expected) << c.path.substr(0, 40) << " | " << c.token.substr(0, 40);
  }
}

TEST(GameCommand, Split) {
  struct Case {
    std::string line;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"./game/kvr.exe dGVzdA== -1 65734 end", {"./game/kvr.exe", "dGVzdA==", "-1", "65734", "end"}},
      {"", {""}},
      {"p  a\t b  ", {"p", "a", "b"}},
      // An empty token leaves no argument: the window id moves into its place.
      {"game/kvr.exe  5 7 end", {"game/kvr.exe", "5", "7", "end"}},
      // An unquoted path with blanks falls apart.
      {"C:\\My Games/kvr.exe t 0 7 end", {"C:\\My", "Games/kvr.exe", "t", "0", "7", "end"}},
      // The program name: quotes only delimit, backslashes are plain.
      {"\"C:\\My Games\\kvr.exe\" t", {"C:\\My Games\\kvr.exe", "t"}},
      {"C:\\a\\\"b c\" d", {"C:\\a\\b c", "d"}},
      // Later arguments: backslashes escape only quotes.
      {"p a\\b \\\\x", {"p", "a\\b", "\\\\x"}},
      {"p a\\\"b", {"p", "a\"b"}},
      {"p a\\\\\"b c\" d", {"p", "a\\b c", "d"}},
      {"p a\\\\\\\"b", {"p", "a\\\"b"}},
      {"p \"\" x", {"p", "", "x"}},
      {"p \"a\"\"b c\" d", {"p", "a\"b c", "d"}},
      {"p a\"b c\"d e", {"p", "ab cd", "e"}},
      {"p \"a b", {"p", "a b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.args) << c.line;
}

// The game stand-in started with the game's command line, as the launcher starts it. On
// Windows it reports what the game's C runtime makes of the line, which must be what the
// launcher's split gives on Linux. The line itself comes back whole on Windows, and on Linux
// as the arguments joined by blanks, the same text for a line with single blanks and no quotes.
TEST(GameStandin, ReceivesCommandLine) {
  const fs::path standin = fs::path(executablePath()).parent_path() / "kvr.exe";
  TestFolder folder;
  fs::create_directories("game");
  fs::copy_file(standin, "game/kvr.exe");
  struct Case {
    std::optional<std::string> line;
    bool plain;
  };
  const Case cases[] = {
      {formatGameCommand("game", "dGVzdA==", -1, 65734), true},
      {formatGameCommand("./game", "", 0, 0), false},
      {formatGameCommand("game", "a\\\"b \\\\\"c d\" \"\" \"e\"\"f g\"", 1, 2), false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(c.line);
    const std::string& line = *c.line;
    fs::remove("kvr_started.txt");
    ChildProcess game(line);
    ASSERT_TRUE(game.started()) << line;
    EXPECT_EQ(game.wait(std::chrono::seconds(20)), 0) << line;

    std::vector<std::string> recorded;
    std::string content = readFile("kvr_started.txt");
    for (size_t end; (end = content.find('\n')) != std::string::npos; content.erase(0, end + 1))
      recorded.push_back(content.substr(0, end));
    ASSERT_GE(recorded.size(), 2u) << line;
    if (c.plain) {
      EXPECT_EQ(recorded[0], line);
    }
    EXPECT_EQ(recorded[1], currentDirectory());
    EXPECT_EQ(std::vector<std::string>(recorded.begin() + 2, recorded.end()), splitCommandLine(line)) << line;
  }
}
