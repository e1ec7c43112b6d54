#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "GameUpdate.h"
#include "HeldFile.h"
#include "InstallRecord.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kSha(64, 'a');

InstallRecord record(const std::string& version, std::vector<InstalledFile> files) {
  InstallRecord made;
  made.version = version;
  made.package = "./kvr/kvr.7z";
  made.packageSize = 1234;
  made.packageSha256 = kSha;
  made.files = std::move(files);
  return made;
}

TEST(InstallRecord, ReadsBackWhatItWrites) {
  const InstallRecord written = record("2.0 beta", {{"kvr.exe", 10, 0x0badf00du}, {"data/maps/a b.map", 0, {}}});
  const auto read = parseInstallRecord(installRecordText(written));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->version, "2.0 beta");
  EXPECT_EQ(read->package, "./kvr/kvr.7z");
  EXPECT_EQ(read->packageSize, 1234);
  EXPECT_EQ(read->packageSha256, kSha);
  ASSERT_EQ(read->files.size(), 2u);
  EXPECT_EQ(read->files[0].path, "kvr.exe");
  EXPECT_EQ(read->files[0].crc, 0x0badf00du);
  EXPECT_EQ(read->files[1].path, "data/maps/a b.map");
  EXPECT_FALSE(read->files[1].crc);
}

// Anything out of place is no record: the game is then checked as without one.
TEST(InstallRecord, RefusesWhatItDidNotWrite) {
  const std::string head = "kvr install record 1\nversion\t1\npackage\t5\t" + kSha + "\t./kvr/kvr.7z\n";
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"another header", "kvr install record 2\nversion\t1\npackage\t5\t" + kSha + "\t./kvr/kvr.7z\n"},
      {"no line end at the end", head + "file\t1\t-\tkvr.exe"},
      {"no package line", "kvr install record 1\nversion\t1\n"},
      {"short hash", "kvr install record 1\nversion\t1\npackage\t5\tabc\t./kvr/kvr.7z\n"},
      {"negative size", "kvr install record 1\nversion\t1\npackage\t-5\t" + kSha + "\t./kvr/kvr.7z\n"},
      {"a path leaving the game folder", head + "file\t1\t-\t../kvr.exe\n"},
      {"an absolute path", head + "file\t1\t-\t/etc/passwd\n"},
      {"a path not in the record's form", head + "file\t1\t-\tdata//a\n"},
      {"a control character", head + "file\t1\t-\tdata/\x01\n"},
      {"a short CRC", head + "file\t1\tabc\tkvr.exe\n"},
      {"a size that is no number", head + "file\t1x\t-\tkvr.exe\n"},
      {"an unknown line", head + "folder\tdata\n"},
      {"a CR in the version", "kvr install record 1\nversion\t1\r\npackage\t5\t" + kSha + "\t./kvr/kvr.7z\n"},
  };
  for (const auto& [name, text] : cases) EXPECT_FALSE(parseInstallRecord(text)) << name;
  EXPECT_TRUE(parseInstallRecord(head + "file\t1\t-\tkvr.exe\n"));
}

TEST(UpdateJournal, ReadsBackWhatItWritesAndRefusesDamage) {
  UpdateJournal journal;
  journal.gameFolder = "./kvr/game";
  journal.oldPackage = "./kvr/v1.7z";
  journal.removed = {"data/old.txt"};
  journal.next = record("2", {{"kvr.exe", 3, 1u}});
  const std::string text = updateJournalText(journal);
  const auto read = parseUpdateJournal(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->gameFolder, "./kvr/game");
  EXPECT_EQ(read->oldPackage, "./kvr/v1.7z");
  EXPECT_EQ(read->removed, std::vector<std::string>{"data/old.txt"});
  EXPECT_EQ(read->next.version, "2");
  // Cut anywhere, or a removed file out of the game folder: no journal.
  for (std::size_t cut = 0; cut < text.size(); cut += 7) EXPECT_FALSE(parseUpdateJournal(text.substr(0, cut))) << cut;
  journal.removed = {"../../outside"};
  EXPECT_FALSE(parseUpdateJournal(updateJournalText(journal)));
}

TEST(UpdateJournal, DroppedFilesIgnoreLetterCase) {
  const InstallRecord old = record("1", {{"kvr.exe", 1, {}}, {"Data/A.txt", 1, {}}, {"data/old.txt", 1, {}}});
  const InstallRecord next = record("2", {{"kvr.exe", 1, {}}, {"data/a.txt", 1, {}}});
  EXPECT_EQ(filesDropped(old, next), std::vector<std::string>{"data/old.txt"});
}

TEST(UpdateJournal, UpdateFoldersSitBesideTheGameFolder) {
  EXPECT_EQ(stagingFolder("./kvr/game"), "./kvr/game.staging");
  EXPECT_EQ(replacedFolder("./kvr/game/"), "./kvr/game.replaced");
  EXPECT_EQ(stagingFolder("."), "./kvr/game.staging");
  EXPECT_EQ(stagingFolder(""), "./kvr/game.staging");
}

// A game folder on disk: the old version, a file of the player's, the new version staged.
struct ApplyRun : testing::Test {
  TestFolder folder;
  const std::map<std::string, std::string> v1 = {
      {"kvr.exe", "game v1"}, {"data/same.txt", "same"}, {"data/changed.txt", "old text"}, {"data/old.txt", "gone"}};
  const std::map<std::string, std::string> v2 = {{"kvr.exe", "game version 2"},
                                                 {"data/same.txt", "same"},
                                                 {"data/changed.txt", "new text"},
                                                 {"data/deep/new.txt", "new"}};
  UpdateJournal journal;

  static InstallRecord recordOf(const std::string& version, const std::map<std::string, std::string>& files) {
    std::vector<InstalledFile> listed;
    for (const auto& [path, content] : files) listed.push_back({path, content.size(), {}});
    return record(version, listed);
  }

  void SetUp() override {
    for (const auto& [path, content] : v1) put("kvr/game/" + path, content);
    put("kvr/game/saves/player.sav", "mine");
    for (const auto& [path, content] : v2) put("kvr/game.staging/" + path, content);
    ASSERT_TRUE(writeInstallRecord(recordOf("1", v1)));
    journal.gameFolder = "./kvr/game";
    journal.next = recordOf("2", v2);
    journal.removed = filesDropped(recordOf("1", v1), journal.next);
    ASSERT_TRUE(writeUpdateJournal(journal));
  }

  static void put(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    writeFile(path, content);
  }

  // The game folder's files and their contents.
  static std::map<std::string, std::string> game() {
    std::map<std::string, std::string> found;
    for (const fs::path& file : filesBelow("kvr/game"))
      found[fs::relative(file, "kvr/game").generic_string()] = readFile(file);
    return found;
  }

  std::map<std::string, std::string> with(std::map<std::string, std::string> files) const {
    files["saves/player.sav"] = "mine";
    return files;
  }
};

struct Interrupted {};

// Cut short after any number of moves (as by a kill), the next apply finishes it; a
// move that fails puts everything back. Either way the game is one version whole.
TEST_F(ApplyRun, EndsWithOneVersionWholeWhereverItStops) {
  const std::size_t moves = 3 + 4 + 1;  // replaced files aside, staged files in, the dropped one aside
  for (std::size_t at = 0; at < moves; ++at) {
    SCOPED_TRACE("stopped at move " + std::to_string(at));
    TearDown();
    removeTree("kvr");
    SetUp();
    // A kill: nothing after the move runs.
    EXPECT_THROW(applyUpdate(journal,
                             [at](std::size_t move) {
                               if (move == at) throw Interrupted{};
                               return true;
                             }),
                 Interrupted)
        << "only " << moves << " moves";
    const auto resumed = readUpdateJournal();
    ASSERT_TRUE(resumed);
    EXPECT_TRUE(applyUpdate(*resumed));
    EXPECT_EQ(game(), with(v2));
    EXPECT_EQ(readInstallRecord()->version, "2");
    EXPECT_FALSE(readUpdateJournal());
    EXPECT_FALSE(fs::exists("kvr/game.staging"));
    EXPECT_FALSE(fs::exists("kvr/game.replaced"));

    TearDown();
    removeTree("kvr");
    SetUp();
    // A move refused (a file held open): the old version stays, the journal too.
    EXPECT_FALSE(applyUpdate(journal, [at](std::size_t move) { return move != at; }));
    EXPECT_EQ(game(), with(v1));
    EXPECT_EQ(readInstallRecord()->version, "1");
    const auto again = readUpdateJournal();
    ASSERT_TRUE(again);
    EXPECT_TRUE(applyUpdate(*again));
    EXPECT_EQ(game(), with(v2));
  }
  EXPECT_TRUE(applyUpdate(journal)) << "the finished apply runs again harmlessly";
}

// Another program holding a game file: the apply stops, the old version stays whole,
// and the next start, the file let go, finishes it.
TEST_F(ApplyRun, AFileHeldOpenStopsTheApplyUntilItIsLetGo) {
  {
    const auto held = holdFile("kvr/game/data/changed.txt");
    if (!held) GTEST_SKIP() << "no sharing modes on this platform";
    EXPECT_FALSE(applyUpdate(journal));
    EXPECT_EQ(game(), with(v1));
    EXPECT_EQ(readInstallRecord()->version, "1");
  }
  const auto resumed = readUpdateJournal();
  ASSERT_TRUE(resumed);
  EXPECT_TRUE(applyUpdate(*resumed));
  EXPECT_EQ(game(), with(v2));
}

TEST_F(ApplyRun, DamageIsFoundFromSizesAlone) {
  EXPECT_TRUE(damagedFiles(recordOf("1", v1), "./kvr/game").empty());
  fs::remove("kvr/game/data/same.txt");
  fs::resize_file("kvr/game/data/changed.txt", 2);
  writeFile("kvr/game/kvr.exe", "game v2");  // same size: not found without reading
  EXPECT_EQ(damagedFiles(recordOf("1", v1), "./kvr/game"),
            (std::vector<std::string>{"data/changed.txt", "data/same.txt"}));
}

}  // namespace
