#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "BoxCloser.h"
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

// A copy run from elsewhere (a download folder) would empty that folder: it removes
// nothing and says so (a box on Windows, standard error on Linux), as it does when
// its script cannot be written. A user's own file of the script's name stays.
TEST(Uninstaller, OutsideItsInstallFolderOrWithoutItsScriptItRemovesNothing) {
  struct Case {
    const char* name;
    bool copyElsewhere;
    bool scriptBlocked;
  };
  TestFolder folder;
  for (const Case& test : {Case{"a copy in another folder", true, false}, Case{"no script", false, true}}) {
    SCOPED_TRACE(test.name);
    const fs::path base = folder.path() / test.name;
    const UninstallFolders folders(base, base / "Desktop");
    const TestDesktop desktop(folders.desktop);
    for (const char* script : {"DeleteBat.sh", "DeleteBat.bat"}) {
      writeFile(folders.elsewhere / script, "the user's own");
      if (test.scriptBlocked) fs::create_directories(folders.install / script);
    }
    const fs::path uninstaller = folders.install / fs::u8path(KVR_TEST_UNINSTALLER).filename();
    fs::path program;
    if (test.copyElsewhere) {
      program = folders.elsewhere / uninstaller.filename();
      fs::remove(program);  // MinGW's copy_file cannot overwrite
      fs::copy_file(uninstaller, program);
    }
    const std::vector<std::string> before = folders.remaining();

    const BoxCloser boxes("提示");
    const ProcessResult result = folders.run(folders.elsewhere, program);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(folders.remaining(), before);
    EXPECT_FALSE(somethingRan(base));
  }
}
