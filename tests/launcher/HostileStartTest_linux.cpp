// Surroundings only Linux offers: the locale's character set, standard output
// handed over as a pipe.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "HostileRun.h"

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
    const ProcessResult result = run();
    unsetenv("LC_ALL");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(install / "kvr" / fs::u8path("游戏") / "kvr.exe"));
    EXPECT_TRUE(fs::is_regular_file(install / "kvr" / fs::u8path("游戏/数据/地图 一.txt")));
    ASSERT_FALSE(launcherLines().empty());
    EXPECT_EQ(launcherLines().back(), "close launch");
  }
}
