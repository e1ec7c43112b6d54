#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>
#include <string>
#include <vector>

#include "BoxCloser.h"
#include "FixtureServers.h"
#include "InstallLayout.h"
#include "LogLines.h"
#include "Process.h"
#include "ShortcutReader.h"
#include "StartupPlatform.h"
#include "TestDesktop.h"
#include "TestFolder.h"
#include "TitledWindow.h"
#include "WindowClick.h"

namespace fs = std::filesystem;

namespace {

// A configuration whose game folder is `path`.
std::string configurationFor(const std::string& path) {
  return R"({"path": ")" + path +
         R"(", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z", "packageName": "kvr.7z"})";
}

// Every test starts from no install folder, with its own HOME (used on Linux), and
// the local channel serving a valid download configuration.
struct LauncherRun : testing::Test {
  TestFolder home;
  TestDesktop desktop{home.path() / "Desktop"};
  fs::path install;
  fs::path launcher = fs::u8path(KVR_LAUNCHER_EXE);
  fs::path configuration = fs::u8path(fixtureFile("channel-PCDownloadCfg.json"));
  size_t eventsBefore = 0;

  void SetUp() override {
    setEnvironment("HOME", home.path().string());
    install = fs::u8path(installFolder());
    removeTree(install.parent_path());
    // The game is already there unless a test says otherwise: no download.
    fs::create_directories(home.path() / "game");
    writeFile(home.path() / "game" / "kvr.exe", "installed game");
    writeFile(configuration, configurationFor((home.path() / "game").generic_string()));
    eventsBefore = channelEventTypes().size();
  }

  std::vector<std::string> newEvents() const { return channelEventTypesSince(eventsBefore); }

  // The events without the login page's loads, which come from the UI thread whenever the
  // page has loaded, between the worker's (the whole road's test checks them).
  static std::vector<std::string> withoutPageLoads(std::vector<std::string> types) {
    types.erase(std::remove(types.begin(), types.end(), "web_load"), types.end());
    return types;
  }

  void TearDown() override { removeTree(install.parent_path()); }

  // Runs the launcher and, once its window is up and the package work is over (the log's
  // last line of the worker when `installs`), presses the window's close button as the
  // player would.
  ProcessResult run(const fs::path& program, const std::vector<std::string>& arguments = {}, bool installs = false) {
    std::atomic<bool> ended{false};
    std::thread player([&] {
      auto nextClick = std::chrono::steady_clock::now();
      while (!ended) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (std::chrono::steady_clock::now() < nextClick) continue;
        if (installs) {
          const std::vector<std::string> lines = launcherLines();
          if (std::find(lines.begin(), lines.end(), "7z decode end2") == lines.end()) continue;
        }
        // The close button's middle; a refused press would open a box, so press once a while.
        if (clickInWindow("Kavran", 1073 + 19, 95 + 19))
          nextClick = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      }
    });
    const ProcessResult result = runProgram(program.string(), arguments, 60000);
    ended = true;
    player.join();
    return result;
  }

  // The launcher's own lines, without the header and the logger's start-up lines.
  std::vector<std::string> launcherLines() { return infoLinesBelow(install / "kvr" / "logs"); }
};

}  // namespace

TEST_F(LauncherRun, FirstStartInstallsCopiesAndLogs) {
  writeFile(configuration, configurationFor("./kvr/game"));
  writeFile(fs::u8path(fixtureFile("channel-kvr.7z")), readFile(fs::u8path(KVR_ARCHIVE_FIXTURES) / "nested.7z"));
  const ProcessResult result = run(launcher, {}, true);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0);

  const fs::path copy = install / launcher.filename();
  ASSERT_TRUE(fs::exists(copy));
  EXPECT_EQ(fs::file_size(copy), fs::file_size(launcher));
  const std::vector<std::string> lines = launcherLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "work:" + installFolder());
  EXPECT_EQ(lines.back(), "close launch");
  EXPECT_TRUE(fs::exists(install / "kvr" / "game" / "kvr.exe"));
  EXPECT_EQ(withoutPageLoads(newEvents()), (std::vector<std::string>{"launch_start", "download_start", "download_end",
                                                                     "decode_start", "decode_end", "close launch"}));

  // Started again from its installed copy: nothing to copy or download, the same sequence.
  const size_t eventsAfterFirst = channelEventTypes().size();
  const ProcessResult second = run(copy);
  ASSERT_TRUE(second.finished);
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(launcherLines().back(), "close launch");
  EXPECT_EQ(withoutPageLoads(channelEventTypesSince(eventsAfterFirst)),
            (std::vector<std::string>{"launch_start", "close launch"}));
}

TEST_F(LauncherRun, ExistingCopyIsNeverOverwritten) {
  fs::create_directories(install);
  writeFile(install / launcher.filename(), "an older launcher");
  const ProcessResult result = run(launcher);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(readFile(install / launcher.filename()), "an older launcher");
}

TEST_F(LauncherRun, NameTooLongForTheCopyTargetIsNotCopied) {
  const std::string longName = std::string(100, 'k') + launcher.extension().string();
  const fs::path renamed = home.path() / longName;
  fs::copy_file(launcher, renamed);
  fs::permissions(renamed, fs::status(launcher).permissions());
  const ProcessResult result = run(renamed);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0);

  // Linux bounds the target by its path limit only: the name fits there.
  if (launcherCopyPath(longName)) {
    EXPECT_TRUE(fs::is_regular_file(install / longName));
    return;
  }
  for (const auto& entry : fs::directory_iterator(install))
    EXPECT_FALSE(entry.is_regular_file() && entry.path().filename().string().rfind("kkkkkkkkkk", 0) == 0)
        << "no file under a cut name: " << entry.path();
  const std::vector<std::string> lines = launcherLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "self copy skipped, the target name is too long:" + longName),
            lines.end());
}

TEST_F(LauncherRun, SecondInstanceRaisesTheFirstAndTouchesNothing) {
  TitledWindow first("Kavran");
  ASSERT_TRUE(first.shown());
  const ProcessResult result = run(launcher);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_FALSE(fs::exists(install)) << "nothing is written before the check";
  EXPECT_TRUE(newEvents().empty());
}

// The player is told before the launcher ends: a box that it waits for.
TEST_F(LauncherRun, FailedConfigurationEndsWithCodeOne) {
  writeFile(configuration, "<html>not a configuration</html>");
  BoxCloser boxes("提示");
  const ProcessResult result = run(launcher);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 1);
  ASSERT_EQ(boxes.closed().size(), 1u);
  // Windows lets the closer read the box's text; elsewhere it knows the caption only.
  if (boxes.closed()[0] != "提示") {
    EXPECT_EQ(boxes.closed()[0], "游戏配置读取失败，请稍后重新打开");
  }
  const std::vector<std::string> lines = launcherLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("cfg check err:", 0), 0u) << lines.back();
  EXPECT_TRUE(newEvents().empty());
}

// Source lines of the runs so far: one for each shortcut the launcher made.
static std::vector<std::string> sourceLines(const std::vector<std::string>& lines) {
  std::vector<std::string> sources;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(sources),
               [](const std::string& line) { return line.rfind("Source:", 0) == 0; });
  return sources;
}

TEST_F(LauncherRun, ProvisionsMissingFilesAndTheShortcutOnlyWithTheLibrary) {
  const fs::path library = install / kCodecLibraryFile;
  const fs::path uninstaller = install / kUninstallerFile;
  const fs::path shortcut = home.path() / "Desktop" / kShortcutName;
  const std::string sourceLine = "Source:tag,wszPathLink:" + shortcut.string();

  ASSERT_TRUE(run(launcher, {"--fromc=tag"}).finished);
  EXPECT_EQ(readFile(library), readFile(fs::u8path(KVR_TEST_CODEC_LIBRARY)));
  EXPECT_EQ(readFile(uninstaller), readFile(fs::u8path(KVR_TEST_UNINSTALLER)));
  const std::optional<ShortcutFacts> facts = readShortcut(shortcut);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->target, install / launcher.filename());
  EXPECT_EQ(facts->workingFolder, install);
  EXPECT_EQ(sourceLines(launcherLines()), std::vector<std::string>{sourceLine});

  // A later start touches nothing.
  const auto libraryTime = fs::last_write_time(library);
  const auto uninstallerTime = fs::last_write_time(uninstaller);
  const auto shortcutTime = fs::last_write_time(shortcut);
  ASSERT_TRUE(run(launcher, {"--fromc=tag"}).finished);
  EXPECT_EQ(fs::last_write_time(library), libraryTime);
  EXPECT_EQ(fs::last_write_time(uninstaller), uninstallerTime);
  EXPECT_EQ(fs::last_write_time(shortcut), shortcutTime);
  EXPECT_EQ(sourceLines(launcherLines()).size(), 1u);

  // The library deleted: written again, the shortcut left as it is.
  fs::remove(library);
  ASSERT_TRUE(run(launcher, {"--fromc=tag"}).finished);
  EXPECT_EQ(readFile(library), readFile(fs::u8path(KVR_TEST_CODEC_LIBRARY)));
  EXPECT_EQ(fs::last_write_time(shortcut), shortcutTime);
  EXPECT_EQ(sourceLines(launcherLines()).size(), 1u);

  // The library and the shortcut deleted: both made again.
  fs::remove(library);
  fs::remove(shortcut);
  ASSERT_TRUE(run(launcher).finished);
  EXPECT_TRUE(fs::exists(library));
  EXPECT_TRUE(readShortcut(shortcut));
  EXPECT_EQ(sourceLines(launcherLines()),
            (std::vector<std::string>{sourceLine, "Source:,wszPathLink:" + shortcut.string()}));
}

TEST_F(LauncherRun, UninstallerRemovesWhatTheLauncherInstalled) {
  ASSERT_TRUE(run(launcher).finished);
  const fs::path shortcut = home.path() / "Desktop" / kShortcutName;
  ASSERT_TRUE(fs::exists(install / kUninstallerFile));
  ASSERT_TRUE(fs::exists(shortcut));

  fs::current_path(install);
  const ProcessResult result = run(install / kUninstallerFile);
  fs::current_path(home.path());
  ASSERT_TRUE(result.finished);
  // The script removes itself last, once the uninstaller has ended.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!fs::is_empty(install) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (const auto& entry : fs::directory_iterator(install)) ADD_FAILURE() << "left behind: " << entry.path();
  EXPECT_FALSE(fs::exists(shortcut));
}
