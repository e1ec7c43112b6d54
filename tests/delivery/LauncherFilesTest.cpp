#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ExtractPackage.h"
#include "FileSystem.h"
#include "LauncherFiles.h"

// Names are compared as the platform compares them: on Windows "7ZA.DLL." is the
// codec library, on Linux "7Z.SO" is another file.
TEST(LauncherFiles, NamesWhatTheLauncherKeepsInItsDataFolder) {
  const std::string library = std::filesystem::path(kCodecLibraryPath).filename().string();
  std::string upper = library;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  const bool foldsCase = sameFileName("A", "a");
  const struct {
    std::string name;
    std::string gamePath;
    bool launchers;
  } cases[] = {
      {library, "./kvr/game", true},
      {library + ".part", "./kvr/game", true},
      {"logs", "./kvr/game", true},
      {upper, "./kvr/game", foldsCase},
      {library + ". .", "./kvr/game", foldsCase},
      {"LOGS", "./kvr/game", foldsCase},
      {"kvr.7z", "./kvr/game", false},
      // The newest accepted configuration timestamp and its copy in writing.
      {"PCDownloadCfg.timestamp", "./kvr/game", true},
      {"PCDownloadCfg.timestamp.part", "./kvr/game", true},
      {"pcdownloadcfg.TIMESTAMP", "./kvr/game", foldsCase},
      {"PCDownloadCfg.timestamp.7z", "./kvr/game", false},
      // A package's resume record and the record in writing.
      {"kvr.7z.resume", "./kvr/game", true},
      {"x.resume", "./kvr/game", true},
      {"kvr.7z.resume.tmp", "./kvr/game", true},
      {"kvr.7z.RESUME", "./kvr/game", foldsCase},
      {"kvr.7z.resume. ", "./kvr/game", foldsCase},
      {".resume", "./kvr/game", false},
      {"kvr.resume.7z", "./kvr/game", false},
      {"kvr.7zresume", "./kvr/game", false},
      {"logs.7z", "./kvr/game", false},
      {"x" + library, "./kvr/game", false},
      // The game folder below ./kvr/, or a folder holding it.
      {"game", "./kvr/game", true},
      {"game", "kvr/game/bin", true},
      {"game", ".\\kvr\\game", true},
      {"GAME", "./kvr/game", foldsCase},
      {"game", "./games/game", false},
      {"game", "/opt/kvr/game", false},
      {"game", "D:/kvr/game", false},
      {"kvr.7z", "./kvr/kvr.7z.d", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(isLauncherFileName(c.name, c.gamePath), c.launchers) << c.name << " with " << c.gamePath;
}
