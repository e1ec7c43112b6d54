// The launcher in surroundings a player's machine can offer on both platforms.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BoxCloser.h"
#include "Deployment.h"
#include "HostileRun.h"
#include "TitledWindow.h"

namespace fs = std::filesystem;

namespace {

std::string readFileIfAny(const std::string& file) {
  return fs::exists(fs::u8path(file)) ? readFile(fs::u8path(file)) : std::string();
}

}  // namespace

TEST_F(HostileRun, UncreatableInstallFolderWritesNothingAndSaysSo) {
  // A file stands where a folder of the install path must be.
  const fs::path games = install.parent_path().parent_path();
  for (const fs::path& blocker : {games, install.parent_path()}) {
    SCOPED_TRACE(blocker.string());
    removeTree(games);
    fs::create_directories(blocker.parent_path());
    writeFile(blocker, "a file, not a folder");
    {
      TestFolder start;  // the folder the launcher is started from
      BoxCloser boxes("提示");
      const ProcessResult result = run();
      ASSERT_TRUE(result.finished);
      EXPECT_EQ(result.exitCode, 1);
      EXPECT_EQ(boxes.closed().size(), 1u);
      EXPECT_TRUE(fs::is_empty(start.path())) << "nothing lands where the launcher started";
    }
    EXPECT_TRUE(fs::is_regular_file(blocker));
    EXPECT_TRUE(newEvents().empty());
  }
  removeTree(games);
}

TEST_F(HostileRun, LauncherStartedWhileAnotherHoldsTheLockTouchesNothing) {
  // What the other launcher, started a moment earlier, holds from its first step.
  const InstanceLock other;
  ASSERT_FALSE(other.anotherHolds());
  for (const bool windowShown : {false, true}) {
    SCOPED_TRACE(windowShown ? "the other's window is shown" : "no window yet");
    std::unique_ptr<TitledWindow> window;
    if (windowShown) window = std::make_unique<TitledWindow>("Kavran");
    const auto started = std::chrono::steady_clock::now();
    const ProcessResult result = run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(fs::exists(install)) << "nothing is written by the second launcher";
    EXPECT_TRUE(newEvents().empty());
    // It waits a few seconds for the other's window, and not at all once it is there.
    EXPECT_LT(seconds, windowShown ? 3.0 : 10.0);
  }
}

TEST_F(HostileRun, LockIsOnlyHeldWhileALauncherRuns) {
  {
    const InstanceLock first;
    EXPECT_FALSE(first.anotherHolds());
    const InstanceLock second;
    EXPECT_TRUE(second.anotherHolds());
  }
  const InstanceLock again;
  EXPECT_FALSE(again.anotherHolds());
}

// With the profile's key (the default profile trusts the local channel's), a signed
// document the launcher must refuse ends the start before any download: one "cfg check
// err:" line, exit code 1, no package asked for, nothing installed or started.
TEST_F(HostileRun, RefusedSignedConfigurationEndsBeforeAnyDownload) {
  if (std::string(KVR_CONFIG_PUBLIC_KEY).empty()) GTEST_SKIP() << "this profile takes the configuration unsigned";
  const struct {
    const char* what;
    std::string document;
    const char* keptTimestamp;  // the newest accepted before; nullptr: none
    std::string error;          // the last line's beginning
  } cases[] = {
      // The channel's host pins a document naming neither; this one names the size only.
      {"the package not pinned",
       R"({"path": "./kvr/game", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z", )"
       R"("packageName": "kvr.7z", "packageSize": 5})",
       nullptr, "cfg check err:the signed configuration does not pin the package"},
      {"older than one accepted before", configurationFor("./kvr/game"), "99999999999\n",
       "cfg check err:the signed configuration of "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    removeTree(install.parent_path());
    configure(c.document);
    if (c.keptTimestamp) {
      fs::create_directories(install / "kvr");
      writeFile(install / "kvr" / "PCDownloadCfg.timestamp", c.keptTimestamp);
    }
    const std::string requestsBefore = readFileIfAny(fixtureFile("channel-requests.log"));
    BoxCloser boxes("提示");
    const ProcessResult result = run();
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(boxes.closed().size(), 1u);
    const std::vector<std::string> lines = launcherLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind(c.error, 0), 0u) << lines.back();
    EXPECT_EQ(readFileIfAny(fixtureFile("channel-requests.log")), requestsBefore) << "no package was asked for";
    EXPECT_FALSE(fs::exists(install / "kvr" / "kvr.7z"));
    EXPECT_FALSE(fs::exists(install / "kvr" / "game"));
    EXPECT_FALSE(fs::exists(install / "kvr_started.txt"));
    EXPECT_TRUE(newEvents().empty());
    if (c.keptTimestamp) {
      EXPECT_EQ(readFile(install / "kvr" / "PCDownloadCfg.timestamp"), c.keptTimestamp);
    }
  }
}
