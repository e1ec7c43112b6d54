#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FixtureServers.h"
#include "Process.h"
#include "StartupPlatform.h"
#include "TestFolder.h"
#include "TitledWindow.h"

namespace fs = std::filesystem;

namespace {

const char kConfiguration[] =
    R"({"path": "./kvr/game", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z", "packageName": "kvr.7z"})";

// Every test starts from no install folder, with its own HOME (used on Linux), and
// the local channel serving a valid download configuration.
struct LauncherRun : testing::Test {
  TestFolder home;
  fs::path install;
  fs::path launcher = fs::u8path(KVR_LAUNCHER_EXE);
  fs::path configuration = fs::u8path(fixtureFile("channel-PCDownloadCfg.json"));
  size_t eventsBefore = 0;

  void SetUp() override {
    setEnvironment("HOME", home.path().string());
    install = fs::u8path(installFolder());
    std::error_code ignored;
    fs::remove_all(install.parent_path(), ignored);
    writeFile(configuration, kConfiguration);
    eventsBefore = channelEventTypes().size();
  }

  std::vector<std::string> newEvents() const { return channelEventTypesSince(eventsBefore); }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(install.parent_path(), ignored);
  }

  ProcessResult run(const fs::path& program, const std::vector<std::string>& arguments = {}) {
    return runProgram(program.string(), arguments);
  }

  // The launcher's own lines, without the header and the logger's start-up lines.
  std::vector<std::string> launcherLines() {
    std::vector<std::string> lines;
    for (const fs::path& file : filesBelow(install / "kvr" / "logs"))
      for (const std::string& line : splitCrLf(readFile(file))) {
        const size_t info = line.find(" LOG_INFO ");
        if (info != std::string::npos) lines.push_back(line.substr(info + 10));
      }
    return lines;
  }
};

}  // namespace

TEST_F(LauncherRun, FirstStartInstallsCopiesAndLogs) {
  const ProcessResult result = run(launcher);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0);

  const fs::path copy = install / launcher.filename();
  ASSERT_TRUE(fs::exists(copy));
  EXPECT_EQ(fs::file_size(copy), fs::file_size(launcher));
  const std::vector<std::string> lines = launcherLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "work:" + installFolder());
  EXPECT_EQ(lines.back(), "close launch");
  EXPECT_EQ(newEvents(), (std::vector<std::string>{"launch_start", "close launch"}));

  // Started again from its installed copy: nothing to copy, the same sequence.
  const ProcessResult second = run(copy);
  ASSERT_TRUE(second.finished);
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(launcherLines().back(), "close launch");
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

  for (const auto& entry : fs::directory_iterator(install))
    EXPECT_FALSE(entry.is_regular_file()) << "no file under a cut name: " << entry.path();
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

TEST_F(LauncherRun, FailedConfigurationEndsWithCodeOne) {
  writeFile(configuration, "<html>not a configuration</html>");
  const ProcessResult result = run(launcher);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 1);
  const std::vector<std::string> lines = launcherLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("cfg check err:", 0), 0u) << lines.back();
  EXPECT_TRUE(newEvents().empty());
}
