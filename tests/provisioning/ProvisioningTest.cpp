#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "FileSystem.h"
#include "InstallLayout.h"
#include "Provisioning.h"
#include "ShortcutReader.h"
#include "TestDesktop.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kOlder = "an older file";

// A start in a fresh install folder (the current folder) with its own desktop; this
// test executable carries the launcher's two files.
struct Provisioning : testing::Test {
  TestFolder folder;
  fs::path desktopFolder = folder.path() / "Desktop";
  TestDesktop desktop{desktopFolder};
  fs::path library = kCodecLibraryFile;
  fs::path uninstaller = kUninstallerFile;
  fs::path shortcut = desktopFolder / kShortcutName;

  static std::string original(const char* file) { return readFile(fs::u8path(file)); }
};

struct StartCase {
  const char* name;
  bool library, uninstaller, shortcut;  // present before the start
  bool libraryWritten, uninstallerWritten, shortcutMade;
};

const StartCase kStarts[] = {
    {"first start", false, false, false, true, true, true},
    {"later start", true, true, true, false, false, false},
    {"library deleted", false, true, true, true, false, false},
    {"library and shortcut deleted", false, true, false, true, false, true},
    {"shortcut deleted", true, true, false, false, false, false},
    {"uninstaller deleted", true, false, true, false, true, false},
};

}  // namespace

TEST_F(Provisioning, WritesWhatIsMissingAndTouchesNothingElse) {
  const std::string codec = original(KVR_TEST_CODEC_LIBRARY);
  const std::string uninst = original(KVR_TEST_UNINSTALLER);
  ASSERT_FALSE(codec.empty());
  ASSERT_FALSE(uninst.empty());
  for (const StartCase& start : kStarts) {
    SCOPED_TRACE(start.name);
    std::error_code ignored;
    fs::remove_all("kvr", ignored);
    fs::remove(uninstaller, ignored);
    fs::remove(shortcut, ignored);
    // Files in place are intact copies from an earlier start, dated back so that a
    // rewrite shows.
    const auto earlier = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::file_time_type libraryTime, uninstallerTime;
    if (start.library) {
      fs::create_directory("kvr");
      writeFile(library, codec);
      fs::last_write_time(library, earlier);
      libraryTime = fs::last_write_time(library);  // as the file system keeps it
    }
    if (start.uninstaller) {
      writeFile(uninstaller, uninst);
      fs::last_write_time(uninstaller, earlier);
      uninstallerTime = fs::last_write_time(uninstaller);
    }
    if (start.shortcut) writeFile(shortcut, kOlder);

    WriteEmbeddedFiles("tag");

    EXPECT_EQ(readFile(library), codec);
    EXPECT_EQ(readFile(uninstaller), uninst);
    EXPECT_EQ(fs::last_write_time(library) != libraryTime, start.libraryWritten);
    EXPECT_EQ(fs::last_write_time(uninstaller) != uninstallerTime, start.uninstallerWritten);
    if (start.shortcutMade) {
      const std::optional<ShortcutFacts> facts = readShortcut(shortcut);
      ASSERT_TRUE(facts);
      EXPECT_EQ(facts->target, fs::u8path(installFolder()) / fs::u8path(executablePath()).filename());
      EXPECT_EQ(facts->workingFolder, fs::current_path());
    } else {
      EXPECT_EQ(readFile(shortcut), start.shortcut ? kOlder : "");
    }
  }
}

// A copy that is there but is not the launcher's own (cut short by a full disk, damaged)
// would be trusted for ever: it is written again like a missing one.
TEST_F(Provisioning, DamagedFilesAreWrittenAgain) {
  struct Damage {
    const char* name;
    std::string (*damage)(const std::string& original);
  };
  const Damage damages[] = {
      {"empty", [](const std::string&) { return std::string(); }},
      {"truncated", [](const std::string& original) { return original.substr(0, original.size() / 2); }},
      {"one byte changed",
       [](const std::string& original) {
         std::string changed = original;
         changed[changed.size() / 2] = static_cast<char>(changed[changed.size() / 2] ^ 0x55);
         return changed;
       }},
      {"longer", [](const std::string& original) { return original + "tail"; }},
  };
  const std::string codec = original(KVR_TEST_CODEC_LIBRARY);
  const std::string uninst = original(KVR_TEST_UNINSTALLER);
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.name);
    fs::create_directories("kvr");
    writeFile(library, damage.damage(codec));
    writeFile(uninstaller, damage.damage(uninst));
    writeFile(shortcut, kOlder);
    WriteEmbeddedFiles("tag");
    EXPECT_EQ(readFile(library), codec);
    EXPECT_EQ(readFile(uninstaller), uninst);
    EXPECT_EQ(readFile(shortcut), kOlder) << "an existing shortcut is never touched";
  }
}

TEST_F(Provisioning, NoDesktopFolderStillWritesTheFiles) {
  fs::remove(desktopFolder);
  WriteEmbeddedFiles("tag");
  EXPECT_EQ(readFile(library), original(KVR_TEST_CODEC_LIBRARY));
  EXPECT_EQ(readFile(uninstaller), original(KVR_TEST_UNINSTALLER));
  EXPECT_FALSE(fs::exists(desktopFolder)) << "the desktop folder is looked up, never created";
}

TEST_F(Provisioning, LeftoverOfAnInterruptedWriteIsReplaced) {
  fs::create_directory("kvr");
  const fs::path partial = library.string() + ".part";
  writeFile(partial, "the first bytes of a library");
  WriteEmbeddedFiles("tag");
  EXPECT_EQ(readFile(library), original(KVR_TEST_CODEC_LIBRARY));
  EXPECT_FALSE(fs::exists(partial));
}

TEST_F(Provisioning, MissingResourceWritesNoFile) {
  EXPECT_FALSE(WriteResourceToFile("none.bin", 999, "DLL"));
  EXPECT_FALSE(WriteResourceToFile("none.bin", 141, "EXE"));
  EXPECT_FALSE(fs::exists("none.bin"));
}
