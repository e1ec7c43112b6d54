// The launcher in surroundings a player's machine can offer on both platforms.
#include <filesystem>

#include "BoxCloser.h"
#include "HostileRun.h"

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
