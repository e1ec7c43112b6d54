#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "FileSystem.h"
#include "GameCommand.h"
#include "LauncherLogLines.h"
#include "Logger.h"
#include "RecordingSystem.h"
#include "ScriptBridge.h"
#include "TestFolder.h"
#include "TextConvert.h"

namespace fs = std::filesystem;

namespace {

// A code page where the ANSI form of a text differs from UTF-8: two bytes of GBK per
// Chinese character.
struct GbkCodePage : WebViewSystem {
  std::wstring AnsiToWide(std::string_view text) override {
    static const std::map<std::string, std::wstring> kGbk = {{"\xC4\xE3\xBA\xC3", L"\u4F60\u597D"},
                                                             {"ab\xC4\xE3", L"ab\u4F60"}};
    const auto found = kGbk.find(std::string(text));
    return found != kGbk.end() ? found->second : FromAnsi(text);
  }
};

// The view's side of the call, recorded with the system's.
struct Recorder : IAppLoginView, RecordingSystem {
  void ReloadLoginPage() override { calls.push_back("reload"); }
  int32_t OwnerWindowNumber() const override { return 4242; }
  bool DestroyOwner() override {
    calls.push_back("destroy");
    return true;
  }
};

// A fresh folder, where the bridge's log can run as the launcher's does.
struct BridgeRun : testing::Test {
  TestFolder folder;

  void TearDown() override { ILogManager::instance().stop(); }
};

}  // namespace

TEST(LoginToken, Conversion) {
  struct Case {
    std::wstring argument;
    std::optional<std::string> token;
  };
  const Case cases[] = {
      // ASCII text: the same Base64 text comes out.
      {L"dGVzdA==", "dGVzdA=="},
      {L"eyJ1aWQiOjQyfQ==", "eyJ1aWQiOjQyfQ=="},
      // The ANSI form of "你好" becomes its UTF-8 form, and longer.
      {L"xOO6ww==", "5L2g5aW9"},
      {L"YWLE4w==", "YWLkvaA="},
      // The decoded bytes end at their first zero byte.
      {L"YWIAY2Q=", "YWI="},
      // Refused: nothing to decode, not Base64, decodes to no text.
      {L"", std::nullopt},
      {L"dGVzdA", std::nullopt},
      {L"dGVz dA==", std::nullopt},
      {L"AA==", std::nullopt},
      {L"AGFi", std::nullopt},
      {L"dGVzdA=\u4F60", std::nullopt},
  };
  GbkCodePage system;
  for (const Case& c : cases) EXPECT_EQ(MakeLoginToken(c.argument, system), c.token) << ToAnsi(c.argument);
}

TEST_F(BridgeRun, Decisions) {
  const std::string kMissing = "box 游戏正在下载 | 来自网页的消息";
  const std::string kFailed = "box 游戏启动失败，请重新打开 | 提示";
  const std::string kLine = "./kvr/game/kvr.exe dGVzdA== -5 4242 end";
  struct Case {
    const char* name;
    std::string strPath;
    bool finished, exists, startSucceeds;
    std::wstring argument;
    bool result;
    std::vector<std::string> calls, lines;
    bool asksPath;
  };
  // One case a row reads better than one field a line.
  // clang-format off
  const Case cases[] = {
      {"installed", "./kvr/game", true, true, true, L"dGVzdA==", true,
       {"start ./kvr/game/kvr.exe | " + kLine, "report game_start", "reload", "destroy"},
       {"AppLogin Start Game", kLine, "AppLogin Start End"}, true},
      // The flag wins over the file: still extracting, the executable may already be there.
      {"extracting", "./kvr/game", false, true, true, L"dGVzdA==", false, {kMissing, "reload"},
       {"wszExePath:./kvr/game/kvr.exe", "AppLogin file does not exist paht"}, false},
      {"download failed", "./kvr/game", true, false, true, L"dGVzdA==", false, {kMissing, "reload"},
       {"wszExePath:./kvr/game/kvr.exe", "AppLogin file does not exist paht"}, true},
      // An empty or broken token would shift the game's fields.
      {"empty token", "./kvr/game", true, true, true, L"", false, {"reload"},
       {"AppLogin Start Game", "AppLogin token refused, length:0"}, true},
      {"broken token", "./kvr/game", true, true, true, L"dGVzdA", false, {"reload"},
       {"AppLogin Start Game", "AppLogin token refused, length:6"}, true},
      {"line too long", std::string(1010, 'p'), true, true, true, L"dGVzdA==", false, {"reload"},
       {"AppLogin Start Game", "AppLogin cmdline refused, over 1023 characters"}, true},
      // A failed start is no start: no report, the window stays, the player is told.
      {"start failed", "./kvr/game", true, true, false, L"dGVzdA==", false,
       {"start ./kvr/game/kvr.exe | " + kLine, "reload", kFailed},
       {"AppLogin Start Game", kLine, "AppLogin start err:2 not found"}, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    ASSERT_TRUE(startQuietLauncherLog());
    Recorder recorder;
    recorder.pathExists = c.exists;
    recorder.startSucceeds = c.startSucceeds;
    const bool result = RunAppLogin(c.argument, {c.strPath, -5, c.finished}, recorder, recorder);
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(recorder.calls, c.calls) << c.name;
    EXPECT_EQ(recorder.pathsAsked.size(), c.asksPath ? 1u : 0u) << c.name;
    EXPECT_EQ(stopAndReadLines(), c.lines) << c.name;
    removeTree("kvr");
  }
}

// The real process start: the program goes in as the application name, so a folder with a
// blank never makes the system try its first word as a program.
TEST_F(BridgeRun, StartsTheGameInAFolderWithABlank) {
  const fs::path standin = fs::path(executablePath()).parent_path() / "kvr.exe";
  fs::create_directories("my games");
  fs::copy_file(standin, "my games/kvr.exe");
  writeFile("my.exe", "not a program");
  writeFile("my", "not a program");
  const std::string line = *formatGameCommand("my games", "dGVzdA==", 7, 8);

  WebViewSystem system;
  const ProcessStartResult started = system.StartProcess(gameExecutablePath("my games"), line);
  ASSERT_TRUE(started.started) << started.error << " " << started.errorText;
  std::string recorded;
  for (int i = 0; i < 500 && recorded.find("\nend\n") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (fs::exists("kvr_started.txt")) recorded = readFile("kvr_started.txt");
  }
  std::vector<std::string> fields;
  for (size_t end; (end = recorded.find('\n')) != std::string::npos; recorded.erase(0, end + 1))
    fields.push_back(recorded.substr(0, end));
  ASSERT_GE(fields.size(), 2u);
  EXPECT_EQ(fields[1], currentDirectory());
  EXPECT_EQ(std::vector<std::string>(fields.begin() + 2, fields.end()), splitCommandLine(line));

  const ProcessStartResult missing = system.StartProcess("no such folder/kvr.exe", "no such folder/kvr.exe t 1 2 end");
  EXPECT_FALSE(missing.started);
  EXPECT_NE(missing.error, 0u);
  EXPECT_FALSE(missing.errorText.empty());
}
