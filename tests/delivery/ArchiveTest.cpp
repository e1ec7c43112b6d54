// The archive layer and ExtractPackage against real archives made by
// make-archive-fixtures.sh, with the codec library the launcher carries.
#include "Bit7z.h"
#include "ExtractFiles.h"
#include "ExtractPackage.h"
#include "LoadedLibrary.h"
#include "TestFolder.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kFixtures = KVR_ARCHIVE_FIXTURES;

std::wstring fixture(const char* name) { return (kFixtures / name).wstring(); }

// The codec library copied to the place the launcher writes it to.
std::string codecFileName() { return fs::path(kCodecLibraryPath).filename().string(); }

void placeCodecLibrary() {
  fs::create_directories("kvr");
  fs::copy_file(KVR_TEST_CODEC_LIBRARY, fs::path(kCodecLibraryPath), fs::copy_options::overwrite_existing);
}

// Everything below `folder` (files, folders, links), relative, leaving out the
// library's folder "kvr".
std::vector<std::string> entriesBelow(const fs::path& folder) {
  std::vector<std::string> entries;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = fs::relative(it->path(), folder).generic_string();
    if (relative == "kvr") {
      it.disable_recursion_pending();
      continue;
    }
    entries.push_back(relative);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// Runs `work` and returns the BitException's message, or "no exception".
template <typename Work>
std::string failureOf(Work work) {
  try {
    work();
  } catch (const BitException& error) {
    return error.what();
  }
  return "no exception";
}

void extractPackage(const std::wstring& package, const std::wstring& folder) {
  Bit7zLibrary library(kCodecLibraryPath);
  BitExtractor extractor(library, BitFormat::SevenZip);
  ExtractPackage(extractor, package, folder);
}

// The test folder may not keep read-only files (Windows refuses to delete them).
void makeWritable(const fs::path& file) { fs::permissions(file, fs::perms::owner_write, fs::perm_options::add); }

const std::vector<std::string> kGameFiles = {
    "bin/helper.exe",       "data/blob.bin",     "data/maps/deep/secret.txt",
    "data/maps/level1.map", "data/readonly.txt", "kvr.exe",
};

std::vector<std::string> gameFilesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& file : filesBelow(folder)) files.push_back(fs::relative(file, folder).generic_string());
  return files;
}

TEST(ArchiveTest, ExtractsNestedFoldersIntoFolderThatDoesNotExistYet) {
  TestFolder folder;
  placeCodecLibrary();
  fs::copy_file(fixture("nested.7z"), "kvr/package.7z");

  extractPackage(L"./kvr/package.7z", L"games/velmora");

  const fs::path game = "games/velmora";
  EXPECT_EQ(gameFilesBelow(game), kGameFiles);
  EXPECT_EQ(readFile(game / "kvr.exe"), "game executable\n");
  EXPECT_EQ(readFile(game / "data/maps/deep/secret.txt"), "deep content\n");
  EXPECT_EQ(fs::file_size(game / "data/blob.bin"), 200000u);
  // The archive stays where it was downloaded.
  EXPECT_TRUE(fs::exists("kvr/package.7z"));

  const auto stamp = fs::last_write_time(kFixtures / "stamp.ref");
  EXPECT_EQ(fs::last_write_time(game / "kvr.exe"), stamp);
  EXPECT_EQ(fs::last_write_time(game / "data/maps/deep/secret.txt"), stamp);
  EXPECT_EQ(fs::last_write_time(game / "data/maps/deep"), stamp);
  EXPECT_EQ(fs::status(game / "data/readonly.txt").permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_NE(fs::status(game / "kvr.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
  makeWritable(game / "data/readonly.txt");
}

// The library's progress reaches the caller: one total, completed bytes that never go
// back and end at it, for a whole extraction and for a selection.
TEST(ArchiveTest, ProgressClimbsToTheTotal) {
  const std::vector<std::string> blob = {"data/blob.bin"};
  for (const std::vector<std::string>* only : {static_cast<const std::vector<std::string>*>(nullptr), &blob}) {
    SCOPED_TRACE(only == nullptr ? "whole" : "selection");
    TestFolder folder;
    placeCodecLibrary();
    Bit7zLibrary library(kCodecLibraryPath);
    BitExtractor extractor(library, BitFormat::SevenZip);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;
    extractor.setProgress([&](std::uint64_t completed, std::uint64_t total) { steps.emplace_back(completed, total); });
    extractor.extract(fixture("nested.7z"), L"game", kGameExecutable, only);
    ASSERT_GE(steps.size(), 2u);
    const std::uint64_t total = steps.front().second;
    EXPECT_GE(total, 200000u) << "the blob alone is that big";
    EXPECT_EQ(steps.front().first, 0u);
    for (std::size_t i = 1; i < steps.size(); ++i) {
      EXPECT_EQ(steps[i].second, total);
      EXPECT_GE(steps[i].first, steps[i - 1].first);
    }
    EXPECT_EQ(steps.back().first, total);
    if (only == nullptr) makeWritable("game/data/readonly.txt");
  }
}

TEST(ArchiveTest, OutputFolderWithOrWithoutTrailingSeparator) {
  const std::vector<std::wstring> folders = {L"game", L"game/", std::wstring(L"game") + kPathSeparator};
  for (const auto& output : folders) {
    SCOPED_TRACE(toUtf8(output));
    TestFolder folder;
    placeCodecLibrary();
    extractPackage(fixture("nested.7z"), output);
    EXPECT_EQ(gameFilesBelow("game"), kGameFiles);
    EXPECT_EQ(entriesBelow(".").front(), "game");
    makeWritable("game/data/readonly.txt");
  }
}

TEST(ArchiveTest, ReextractionReplacesFilesAndKeepsOthers) {
  TestFolder folder;
  placeCodecLibrary();
  fs::create_directories("game/data/maps");
  writeFile("game/kvr.exe", "old executable");
  writeFile("game/data/maps/level1.map", "old level, longer than the new one");
  writeFile("game/data/readonly.txt", "old read-only");
  fs::permissions("game/data/readonly.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  writeFile("game/saves.dat", "player's own file");

  extractPackage(fixture("nested.7z"), L"game");

  EXPECT_EQ(readFile("game/kvr.exe"), "game executable\n");
  EXPECT_EQ(readFile("game/data/maps/level1.map"), "level one\n");
  EXPECT_EQ(readFile("game/data/readonly.txt"), "read only\n");
  EXPECT_EQ(readFile("game/saves.dat"), "player's own file");
  makeWritable("game/data/readonly.txt");
}

struct FailureCase {
  const char* archive;
  std::string message;  // exact, or the beginning when `prefixOnly`
  bool prefixOnly;
};

TEST(ArchiveTest, FailuresCarryTheLibraryMessageAndLeaveNoGameExecutable) {
  const std::vector<FailureCase> cases = {
      {"missing.7z", "Cannot open archive file '" + toUtf8(fixture("missing.7z")) + "'", false},
      {"page.7z", "Cannot open archive '" + toUtf8(fixture("page.7z")) + "'", false},
      {"truncated.7z", "Cannot open archive '" + toUtf8(fixture("truncated.7z")) + "'", false},
      {"encrypted.7z", "Password is not defined", false},
      {"encrypted-names.7z", "Password is not defined", false},
      {"damaged-data.7z", "Data Error", false},
      {"damaged-late.7z", "CRC Failed", false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.archive);
    TestFolder folder;
    placeCodecLibrary();
    const std::string message = failureOf([&] { extractPackage(fixture(test.archive), L"game"); });
    EXPECT_EQ(message, test.message);
    // Nothing half-written is left under its own name, nor under the temporary one.
    EXPECT_FALSE(fs::exists("game/kvr.exe"));
    for (const auto& entry : entriesBelow(".")) EXPECT_EQ(entry.find(".kvrpart"), std::string::npos) << entry;
  }
}

TEST(ArchiveTest, FailureAfterTheExecutableWasDecodedRemovesOldAndNewExecutable) {
  // kvr.exe is the archive's first item and the damage is in its last one.
  TestFolder folder;
  placeCodecLibrary();
  fs::create_directories("game");
  writeFile("game/kvr.exe", "executable of an older installation");

  EXPECT_EQ(failureOf([&] { extractPackage(fixture("damaged-late.7z"), L"game"); }), "CRC Failed");

  EXPECT_FALSE(fs::exists("game/kvr.exe"));
  EXPECT_EQ(readFile("game/a.txt"), "first part\n");
  EXPECT_FALSE(fs::exists("game/z.txt"));
}

struct HostileCase {
  const char* archive;
  std::string message;
};

TEST(ArchiveTest, ItemsLeavingTheOutputFolderFailAndWriteNothingOutside) {
  // The absolute item names the fixture folder as the archiver saw it (Wine adds Z:).
  std::string absolute = (kFixtures / "escaped-absolute.txt").generic_string();
  if (absolute.rfind("Z:", 0) == 0) absolute.erase(0, 2);
  // Item paths as the library reports them, with the platform's separator.
  auto native = [](std::string path) {
    std::replace(path.begin(), path.end(), '/', static_cast<char>(kPathSeparator));
    return path;
  };
  auto unsafe = [&](const std::string& item) {
    return "Cannot extract '" + native(item) + "': the path leaves the output folder";
  };
  const std::vector<HostileCase> cases = {
      {"dotdot.7z", unsafe("../escaped-dotdot.txt")},
      {"updotdot.7z", unsafe("a/../../escaped-updotdot.txt")},
      {"absolute.7z", unsafe(absolute)},
      {"drive.7z", unsafe("C:/escaped-drive.txt")},
      {"drive-relative.7z", unsafe("C:escaped-drive.txt")},
      {"link-through.7z", "Cannot extract '" + native("lnk/y") + "': 'lnk' is no folder in the archive"},
      {"link-out.7z", "Cannot extract 'lnk': the link points outside the output folder"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.archive);
    TestFolder folder;
    placeCodecLibrary();
    fs::create_directories("install/game");

    EXPECT_EQ(failureOf([&] { extractPackage(fixture(test.archive), L"install/game"); }), test.message);

    // Checked before anything is written: not even the harmless item is there.
    EXPECT_EQ(entriesBelow("."), (std::vector<std::string>{"install", "install/game"}));
    EXPECT_FALSE(fs::exists(kFixtures / "escaped-absolute.txt"));
    EXPECT_FALSE(fs::exists(kFixtures / "escaped-link"));
  }
}

TEST(ArchiveTest, BackslashOfAUnixNameIsPartOfTheName) {
  // "..\\name" made on Unix is one file name: it stays inside the folder.
  TestFolder folder;
  placeCodecLibrary();
  fs::create_directories("install/game");
  extractPackage(fixture("backslash.7z"), L"install/game");
  const auto entries = entriesBelow(".");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[2].rfind("install/game/..", 0), 0u) << entries[2];
  EXPECT_EQ(entries[3], "install/game/ok.txt");
}

TEST(ArchiveTest, LinkInsideTheFolderBecomesAFileHoldingItsTarget) {
  TestFolder folder;
  placeCodecLibrary();
  extractPackage(fixture("link-inside.7z"), L"game");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("game/alias")));
  EXPECT_EQ(readFile("game/alias"), "sub/file.txt");
  EXPECT_EQ(readFile("game/sub/file.txt"), "target\n");
}

TEST(ArchiveTest, TestDecodesEverythingAndWritesNothing) {
  TestFolder folder;
  placeCodecLibrary();
  Bit7zLibrary library(kCodecLibraryPath);
  BitExtractor extractor(library, BitFormat::SevenZip);
  extractor.test(fixture("nested.7z"));
  EXPECT_EQ(failureOf([&] { extractor.test(fixture("damaged-data.7z")); }), "Data Error");
  EXPECT_TRUE(entriesBelow(".").empty());
}

TEST(ArchiveTest, LibraryThatCannotBeLoaded) {
  const std::vector<std::string> contents = {"", "this is no shared library"};
  for (const auto& content : contents) {
    SCOPED_TRACE(content.empty() ? "missing" : "not a library");
    TestFolder folder;
    fs::create_directories("kvr");
    if (!content.empty()) writeFile(kCodecLibraryPath, content);
    const std::string message = failureOf([] { Bit7zLibrary library(kCodecLibraryPath); });
    const std::string prefix = "Cannot load 7-zip library (error ";
    ASSERT_EQ(message.substr(0, prefix.size()), prefix);
    const std::string code = message.substr(prefix.size(), message.size() - prefix.size() - 1);
    EXPECT_FALSE(code.empty());
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << message;
    EXPECT_NE(code, "0");
    EXPECT_EQ(message.back(), ')');
  }
}

TEST(ArchiveTest, LibraryIsUnloadedAfterSuccessAndFailure) {
  const std::vector<const char*> archives = {"nested.7z", "page.7z", "damaged-data.7z"};
  for (const char* archive : archives) {
    SCOPED_TRACE(archive);
    TestFolder folder;
    placeCodecLibrary();
    failureOf([&] {
      Bit7zLibrary library(kCodecLibraryPath);
      BitExtractor extractor(library, BitFormat::SevenZip);
      EXPECT_TRUE(isLibraryLoaded(codecFileName()));
      ExtractPackage(extractor, fixture(archive), L"game");
    });
    EXPECT_FALSE(isLibraryLoaded(codecFileName()));
    if (fs::exists("game/data/readonly.txt")) makeWritable("game/data/readonly.txt");
  }
}

}  // namespace

TEST(ArchiveTest, FreeSpaceOfAFolderNotMadeYetIsThatOfItsParent) {
  TestFolder folder;
  const std::optional<std::uint64_t> here = freeSpace(L".");
  ASSERT_TRUE(here.has_value());
  EXPECT_GT(*here, 0u);
  const std::optional<std::uint64_t> below = freeSpace(L"./not/made/yet");
  ASSERT_TRUE(below.has_value());
  // Other programs write meanwhile; the same volume stays within a few MB.
  EXPECT_LT(*below > *here ? *below - *here : *here - *below, 64u << 20);
}
