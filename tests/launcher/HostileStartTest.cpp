// The launcher in surroundings a player's machine can offer on both platforms.
#include <chrono>
#include <filesystem>
#include <memory>

#include "BoxCloser.h"
#include "HostileRun.h"
#include "TitledWindow.h"

namespace fs = std::filesystem;

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
