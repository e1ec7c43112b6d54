// The folder chain and the whole-file write that every part of the launcher shares.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "FileSystem.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

TEST(FolderChain, MakesWhatIsMissingAndSaysWhetherTheFolderIsThere) {
  TestFolder folder;
  fs::create_directories("existing/inner");
  writeFile("file", "in the way");
  struct Case {
    const char* name;
    bool made;
    const char* folder;  // a folder afterwards (UTF-8, relative to the test folder)
  };
  const std::pair<Case, std::string> narrow[] = {
      {{"empty: the current folder", true, "."}, ""},
      {{"every folder missing", true, "new/a/b"}, "new/a/b"},
      {{"below an existing folder", true, "existing/inner/c/d"}, "existing/inner/c/d"},
      {{"already there", true, "existing/inner"}, "existing/inner"},
      {{"dot and trailing separator", true, "trail/x"}, "./trail/x/"},
      {{"absolute", true, "absolute/a/b"}, (folder.path() / "absolute/a/b").string()},
      {{"a file in the way", false, nullptr}, "file/sub"},
      {{"the path is a file", false, nullptr}, "file"},
  };
  for (const auto& [c, path] : narrow) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(makeFolderChain(path), c.made);
    if (c.folder != nullptr) {
      EXPECT_TRUE(fs::is_directory(fs::u8path(c.folder)));
    }
  }
  // Wide text keeps characters that no code page holds.
  EXPECT_TRUE(makeFolderChain(std::wstring(L"wide/\u00e9t\u00e9/\u4e2d\u6587")));
  EXPECT_TRUE(fs::is_directory(fs::u8path("wide/\xc3\xa9t\xc3\xa9/\xe4\xb8\xad\xe6\x96\x87")));
  EXPECT_FALSE(makeFolderChain(std::wstring(L"file/\u4e2d")));
  EXPECT_EQ(readFile("file"), "in the way");
}

TEST(WholeFileWrite, ReplacesTheFileAndLeavesNoTemporaryName) {
  TestFolder folder;
  const std::string content = "new content";
  const std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(content.data()), content.size());
  struct Case {
    const char* name;
    const char* before;  // the file's content before; nullptr: no file
    bool readOnly;
    const char* suffix;
    const char* leftover;  // content of an earlier attempt under the temporary name
  };
  const Case cases[] = {
      {"new file", nullptr, false, ".part", nullptr},
      {"older file", "older", false, ".part", nullptr},
      {"read-only older file", "older", true, ".part", nullptr},
      {"leftover of an earlier attempt", "older", false, ".part", "half"},
      {"a suffix of its own", "older", false, ".tmp", "half"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove("file");
    if (c.before != nullptr) writeFile("file", c.before);
    if (c.readOnly) fs::permissions("file", fs::perms::owner_write, fs::perm_options::remove);
    if (c.leftover != nullptr) writeFile(std::string("file") + c.suffix, c.leftover);
    EXPECT_TRUE(writeWholeFile("file", bytes, false, c.suffix));
    EXPECT_EQ(readFile("file"), content);
    EXPECT_FALSE(fs::exists(std::string("file") + c.suffix));
    fs::permissions("file", fs::perms::owner_write, fs::perm_options::add);
  }
  EXPECT_FALSE(writeWholeFile("missing/file", bytes));
  EXPECT_FALSE(fs::exists("missing"));
}

// Another process reading the file (as a check of the install record does) holds it
// open for a moment; the write waits for it instead of failing.
TEST(WholeFileWrite, AReaderHoldingTheFileOnlyDelaysTheReplace) {
  TestFolder folder;
  writeFile("file", "older");
  std::promise<void> opened;
  std::thread reader([&opened] {
    std::ifstream held("file", std::ios::binary);
    opened.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  });
  opened.get_future().wait();
  EXPECT_TRUE(writeWholeFile("file", std::string_view("new content")));
  reader.join();
  EXPECT_EQ(readFile("file"), "new content");
  EXPECT_FALSE(fs::exists("file.part"));
}
