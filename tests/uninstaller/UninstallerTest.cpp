#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestDesktop.h"
#include "TestFolder.h"
#include "UninstallRun.h"

namespace fs = std::filesystem;

namespace {

// Characters the command interpreter or sh would act on: variables, command
// separators, escapes, delayed expansion, command substitution, quotes.
const char kHostileName[] = "de%PATH%sk & mkdir pwned1 ^& !x! $(mkdir pwned2) `mkdir pwned3` 'q'";

struct UninstallCase {
  const char* name;
  bool fromInstallFolder;
  const char* desktopName;
};

const UninstallCase kCases[] = {
    {"from the install folder", true, "Desktop"},
    {"from another folder", false, "Desktop"},
    {"hostile desktop path", true, kHostileName},
    {"hostile desktop path, from another folder", false, kHostileName},
};

}  // namespace

TEST(Uninstaller, RemovesTheLauncherFromItsOwnFolderAndNothingElse) {
  TestFolder folder;
  for (const UninstallCase& test : kCases) {
    SCOPED_TRACE(test.name);
    const fs::path base = folder.path() / test.name;
    const UninstallFolders folders(base, base / fs::u8path(test.desktopName));
    const TestDesktop desktop(folders.desktop);

    const ProcessResult result = folders.run(test.fromInstallFolder ? folders.install : folders.elsewhere);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, kUninstallerExitCode);
    EXPECT_EQ(folders.remaining(), untouchedFiles(test.desktopName));
    EXPECT_FALSE(fs::exists(folders.install / "kvr"));
    EXPECT_FALSE(somethingRan(base));
  }
}
