// Surroundings only Linux offers: the locale's character set, standard output
// handed over as a pipe.
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "BoxCloser.h"
#include "HostileRun.h"
#include "Process_linux.h"
#include "TitledWindow.h"

namespace fs = std::filesystem;

TEST_F(HostileRun, NonAsciiPathsWorkUnderTheCLocale) {
  // HOME, the game folder and the package's items all carry non-ASCII names.
  const fs::path wideHome = home.path() / fs::u8path("玩家 Ünïcode");
  fs::create_directories(wideHome / "Desktop");
  setEnvironment("HOME", wideHome.string());
  install = fs::u8path(installFolder());
  configure(configurationFor("./kvr/游戏"));
  servePackage("non-ascii.7z");
  for (const char* locale : {"C", "C.UTF-8"}) {
    SCOPED_TRACE(locale);
    removeTree(install.parent_path());
    setEnvironment("LC_ALL", locale);
    const ProcessResult result = closedOnceInstalled([&] { return runProgram(launcher.string(), {}, 60000); });
    unsetenv("LC_ALL");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(install / "kvr" / fs::u8path("游戏") / "kvr.exe"));
    EXPECT_TRUE(fs::is_regular_file(install / "kvr" / fs::u8path("游戏/数据/地图 一.txt")));
    ASSERT_FALSE(launcherLines().empty());
    EXPECT_EQ(launcherLines().back(), "close launch");
  }
}

TEST_F(HostileRun, HomeThatCannotHoldTheInstallFolderIsRefused) {
  struct Case {
    const char* name;
    std::string home;
  };
  const fs::path file = home.path() / "a-file";
  writeFile(file, "not a folder");
  const Case cases[] = {
      {"HOME is a file", file.string()},
      {"HOME is relative", "relative-home"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setEnvironment("HOME", c.home);
    TestFolder start;
    const fs::path errors = home.path() / "stderr.txt";
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    BoxCloser boxes("提示");
    const ProcessResult result = runProgram(launcher.string(), {}, StandardStreams{-1, err});
    close(err);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(boxes.closed().size(), 1u);
    EXPECT_EQ(readFile(errors).rfind("无法创建安装目录:", 0), 0u) << readFile(errors);
    EXPECT_TRUE(fs::is_empty(start.path())) << "nothing lands where the launcher started";
  }
  EXPECT_TRUE(newEvents().empty());
}

// The configuration host down (every connection refused, here at the proxy libcurl is
// told to use): the launcher retries for a while, then says so in a box within 12 s and
// ends with code 1 once the box is dismissed, its log as before.
TEST_F(HostileRun, ConfigurationHostDownIsToldWithinTwelveSeconds) {
  const char* savedNoProxy = getenv("no_proxy");
  const std::string noProxy = savedNoProxy != nullptr ? savedNoProxy : "";
  unsetenv("no_proxy");
  setEnvironment("http_proxy", "http://127.0.0.1:1");
  const fs::path errors = home.path() / "stderr.txt";
  const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  BoxCloser boxes("提示");
  const auto started = std::chrono::steady_clock::now();
  const ProcessResult result = runProgram(launcher.string(), {}, StandardStreams{-1, err});
  const auto elapsed = std::chrono::steady_clock::now() - started;
  close(err);
  unsetenv("http_proxy");
  if (savedNoProxy != nullptr) setenv("no_proxy", noProxy.c_str(), 1);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(boxes.closed().size(), 1u);
  EXPECT_EQ(readFile(errors), "无法连接服务器，请检查网络后重新打开\n");
  // The retries take a few seconds: a link that blinks is ridden out.
  EXPECT_GE(elapsed, std::chrono::seconds(3));
  EXPECT_LT(elapsed, std::chrono::seconds(12));
  // One error line, however many attempts; the proxy in use follows it.
  const std::vector<std::string> lines = launcherLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "cfg check err:Couldn't connect to server");
  EXPECT_EQ(lines.back(), "proxy:http://127.0.0.1:1 (environment http_proxy)");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "cfg check start"), 1);
  EXPECT_TRUE(newEvents().empty());
}

TEST(InstallFolder, WithoutHomeIsBelowTheAccountsHomeFolder) {
  const char* saved = getenv("HOME");
  const std::string previous = saved != nullptr ? saved : "";
  unsetenv("HOME");
  const std::string folder = installFolder();
  setenv("HOME", previous.c_str(), 1);
  const passwd* account = getpwuid(getuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(folder, std::string(account->pw_dir) + "/Games/velmora/kvr");
}

TEST_F(HostileRun, ClosedOrUnreadStandardOutputNeitherEndsNorStallsTheLauncher) {
  // A first start with a long command line: far more console text than the pipe holds.
  const std::string token = "--tokenc=" + std::string(6000, 't');
  for (const bool readerGone : {true, false}) {
    SCOPED_TRACE(readerGone ? "nobody reads any more" : "nobody reads yet");
    removeTree(install.parent_path());
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    fcntl(ends[1], F_SETPIPE_SZ, 4096);
    if (readerGone) close(ends[0]);
    const StandardStreams streams{ends[1], -1};
    const ProcessResult result =
        closedOnceInstalled([&] { return runProgram(launcher.string(), {token}, streams, 60000); });
    close(ends[1]);
    if (!readerGone) close(ends[0]);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(install / "kvr" / "game" / "kvr.exe"));
    EXPECT_TRUE(logged("szCmdline:" + token)) << "the file keeps every line";
    ASSERT_FALSE(launcherLines().empty());
    EXPECT_EQ(launcherLines().back(), "close launch");
  }
}

// The Windows copy target's 100 characters are no bound here: a long HOME still gets
// the launcher's copy and the desktop entry pointing at it.
TEST_F(HostileRun, LongHomeStillGetsTheCopyAndTheDesktopEntry) {
  const fs::path longHome = home.path() / std::string(90, 'h');
  fs::create_directories(longHome);
  setEnvironment("HOME", longHome.string());
  install = fs::u8path(installFolder());
  const ProcessResult result = closedOnceInstalled([&] { return runProgram(launcher.string(), {}, 60000); });
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(fs::is_regular_file(install / launcher.filename()));
  const std::string entry = readFile(home.path() / "Desktop" / "Kavran.desktop");
  EXPECT_NE(entry.find("Exec=\"" + (install / launcher.filename()).string()), std::string::npos) << entry;
  removeTree(longHome / "Games");
}

// The window search ignores letter case, as FindWindowW does on Windows.
TEST_F(HostileRun, WindowTitledInOtherLetterCaseCountsAsAnotherInstance) {
  TitledWindow first("KAVRAN");
  ASSERT_TRUE(first.shown());
  const ProcessResult result = run();
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_FALSE(fs::exists(install)) << "nothing is written before the check";
}

TEST_F(HostileRun, WithoutADisplayEndsWithCodeOneBeforeTouchingAnything) {
  struct Case {
    const char* name;
    const char* display;  // null: not set at all
  };
  const Case cases[] = {
      {"DISPLAY not set", nullptr},
      {"DISPLAY names no server", ":97"},
  };
  const char* saved = getenv("DISPLAY");
  const std::string previous = saved != nullptr ? saved : "";
  // The lock file would be the first thing written: keep it where the test can see it.
  const fs::path runtime = home.path() / "runtime";
  fs::create_directories(runtime);
  setEnvironment("XDG_RUNTIME_DIR", runtime.string());
  unsetenv("WAYLAND_DISPLAY");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.display != nullptr)
      setEnvironment("DISPLAY", c.display);
    else
      unsetenv("DISPLAY");
    const fs::path errors = home.path() / "stderr.txt";
    const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const ProcessResult result = runProgram(launcher.string(), {}, StandardStreams{-1, err}, 10000);
    close(err);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(readFile(errors).find("cannot open the X display"), std::string::npos) << readFile(errors);
    EXPECT_FALSE(fs::exists(install.parent_path())) << "nothing is installed";
    EXPECT_TRUE(fs::is_empty(runtime)) << "no lock file";
  }
  setEnvironment("DISPLAY", previous);
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_TRUE(newEvents().empty()) << "neither launch_start nor close launch";
}
