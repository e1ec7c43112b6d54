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
    bool launchers;
  } cases[] = {
      {library, true},
      {library + ".part", true},
      {"logs", true},
      {upper, foldsCase},
      {library + ". .", foldsCase},
      {"LOGS", foldsCase},
      {"kvr.7z", false},
      {"logs.7z", false},
      {"x" + library, false},
  };
  for (const auto& c : cases) EXPECT_EQ(isLauncherFileName(c.name), c.launchers) << c.name;
}
