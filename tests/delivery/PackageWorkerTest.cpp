#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ExtractPackage.h"
#include "FileSystem.h"
#include "FixtureServers.h"
#include "InstallRecord.h"
#include "LauncherLogLines.h"
#include "Logger.h"
#include "Process.h"
#include "PackageWorker.h"
#include "Sha256.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kHost = "http://127.0.0.1:18480";

// Records what the worker asks of the window.
struct RecordingUi : IPackageWorkerUi {
  std::vector<std::wstring> statusTexts;
  std::vector<std::wstring> boxes;
  void setStatusText(const std::wstring& text) override { statusTexts.push_back(text); }
  void showWarningBox(const std::wstring& text, const std::wstring& caption) override {
    boxes.push_back(text + L"|" + caption);
  }
};

// A launcher-like folder: the codec library in ./kvr/, the log running, the local
// channel serving `package` as its game package.
struct WorkerRun : testing::Test {
  TestFolder folder;
  RecordingUi ui;
  size_t eventsBefore = 0;

  void SetUp() override {
    fs::create_directories("kvr");
    fs::copy_file(fs::u8path(KVR_TEST_CODEC_LIBRARY), fs::path(kCodecLibraryPath));
    ASSERT_TRUE(startQuietLauncherLog());
    eventsBefore = channelEventTypes().size();
    g_downloadFinished = false;
    m_ulnow = 0;
    m_ultotal = 0;
    g_installProgress = -1;
  }
  void TearDown() override { ILogManager::instance().stop(); }

  void serve(const std::string& archive) {
    // Rewritten in place: MinGW's copy_file cannot overwrite.
    writeFile(fs::u8path(fixtureFile("channel-kvr.7z")), readFile(fs::u8path(KVR_ARCHIVE_FIXTURES) / archive));
  }

  // Has nginx serve `archive` as the game package (nginxConfig). A package replaced in
  // place also gets a later time: nginx's validator is made of the size and the time in
  // whole seconds, so two packages of one size within a second would look the same.
  static void serveByNginx(const std::string& archive) {
    const fs::path file = fs::u8path(fixtureFile("worker-nginx-root/package/velmora/kvr.7z"));
    fs::create_directories(file.parent_path());
    const bool existed = fs::exists(file);
    const auto before = existed ? fs::last_write_time(file) : fs::file_time_type();
    writeFile(file, readFile(fs::u8path(KVR_ARCHIVE_FIXTURES) / archive));
    if (existed) fs::last_write_time(file, before + std::chrono::seconds(10));
  }

  static DownloadConfig config(const std::string& urlPath, const std::string& packageName = "kvr.7z") {
    return {"./kvr/game", kHost + urlPath, "./kvr/" + packageName};
  }

  // The game package from nginx, with the configuration's `version` when given.
  static DownloadConfig nginxConfig(const std::string& version = "") {
    DownloadConfig run{
        "./kvr/game",
        "http://127.0.0.1:" + std::to_string(fixturePort("worker_nginx_host")) + "/package/velmora/kvr.7z",
        "./kvr/kvr.7z"};
    run.m_strVersion = version;
    return run;
  }
};

const RetryPauses kQuick = {std::chrono::milliseconds(10), std::chrono::milliseconds(10)};

// A successful run with the installed text shown at once: the texts, lines and events
// are the same, only the pause between the last two goes.
unsigned installRun(const DownloadConfig& config, IPackageWorkerUi& ui, const RetryPauses& pauses = kQuick) {
  return runPackageWorker(config, ui, pauses, kPackageTransferLimits, std::chrono::milliseconds(0));
}

// The package responses of the local channel's host, "<status> <first byte> <bytes
// sent>", once there are `atLeast` (the host records a response after its last byte).
std::vector<std::string> channelRequests(std::size_t atLeast) {
  std::vector<std::string> found;
  for (int wait = 0; wait < 100; ++wait) {
    found.clear();
    std::ifstream log(fixtureFile("channel-requests.log"));
    for (std::string path, status, first, sent; log >> path >> status >> first >> sent;)
      found.push_back(status + " " + first + " " + sent);
    if (found.size() >= atLeast) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return found;
}

// nginx's responses for the game package, "<status> "<Range asked for>" <body bytes>",
// once there are `atLeast` (nginx logs a response after its last byte).
std::vector<std::string> nginxResponses(std::size_t atLeast) {
  std::vector<std::string> found;
  for (int wait = 0; wait < 100; ++wait) {
    found.clear();
    std::ifstream log(fixtureFile("worker-nginx/access.log"));
    for (std::string line; std::getline(log, line);)
      if (line.rfind("/package/velmora/kvr.7z ", 0) == 0) found.push_back(line.substr(line.find(' ') + 1));
    if (found.size() >= atLeast) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return found;
}

std::string sha256Of(const std::string& bytes) {
  Sha256 hash;
  hash.update(bytes.data(), bytes.size());
  return hash.hexDigest();
}

bool contains(const std::vector<std::string>& lines, const std::string& start) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

}  // namespace

TEST_F(WorkerRun, InstallsAMissingGame) {
  serve("nested.7z");
  EXPECT_EQ(installRun(config("/package/velmora/kvr.7z"), ui, kPackageRetryPauses), 1u);
  EXPECT_TRUE(g_downloadFinished);

  EXPECT_TRUE(fs::exists("kvr/game/kvr.exe"));
  EXPECT_TRUE(fs::exists("kvr/game/data/maps/deep/secret.txt"));
  EXPECT_TRUE(fs::exists("kvr/kvr.7z")) << "the archive stays";
  const auto size = static_cast<int32_t>(fs::file_size("kvr/kvr.7z") / 1000);
  EXPECT_EQ(m_ulnow, size);
  EXPECT_EQ(m_ultotal, size);
  EXPECT_EQ(g_installProgress, kInstallProgressFull) << "the bar ends full";
  EXPECT_EQ(ui.statusTexts, (std::vector<std::wstring>{kStatusInstalling, kStatusInstalled}));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(channelEventTypesSince(eventsBefore),
            (std::vector<std::string>{"download_start", "download_end", "decode_start", "decode_end"}));
  EXPECT_EQ(stopAndReadLines(), (std::vector<std::string>{"download start", "download end", "7z decode start",
                                                          " packageName:./kvr/kvr.7z, path:./kvr/game", "7z decode end",
                                                          "7z decode end2"}));
}

// Every failure ends with the flag raised and the error box, and leaves no game behind.
TEST_F(WorkerRun, FailuresEndWithTheErrorBox) {
  struct Case {
    const char* name;
    const char* archive;
    std::string url;
    std::string packageName;
    bool removeCodec;
    std::vector<std::string> events;
    std::string logged;  // a line that starts so
    std::string sha256 = "";
  };
  const std::vector<std::string> transferEvents = {"download_start", "download_end"};
  const std::vector<std::string> decodeEvents = {"download_start", "download_end", "decode_start"};
  const std::string nested = sha256Of(readFile(fs::u8path(KVR_ARCHIVE_FIXTURES) / "nested.7z"));
  const std::string tampering = "http://127.0.0.1:" + std::to_string(fixturePort("channel_tampering_proxy"));
  const Case cases[] = {
      {"cut off mid-body", "nested.7z", kHost + "/cut/package/velmora/kvr.7z", "kvr.7z", false, transferEvents,
       "download end"},
      {"unreachable", "nested.7z", "http://127.0.0.1:1/package/velmora/kvr.7z", "kvr.7z", false, transferEvents,
       "download end"},
      {"not found page", "nested.7z", kHost + "/404/package/velmora/kvr.7z", "kvr.7z", false, transferEvents,
       "download http status:404"},
      {"server error beyond the retries", "nested.7z", kHost + "/package/velmora/kvr.7z?fail=503:9", "kvr.7z", false,
       transferEvents, "download http status:503"},
      {"flipped byte, no hash given: the archive's check", "damaged-late.7z", kHost + "/package/velmora/kvr.7z",
       "kvr.7z", false, decodeEvents, "CRC Failed"},
      {"flipped byte, hash given", "damaged-late.7z", kHost + "/package/velmora/kvr.7z", "kvr.7z", false,
       transferEvents,
       "download sha256 mismatch, expected:" + std::string(64, 'e') + ", actual:", std::string(64, 'e')},
      {"changed on the way, the right hash given", "nested.7z", tampering + "/package/velmora/kvr.7z?tamper=100",
       "kvr.7z", false, transferEvents, "download sha256 mismatch, expected:" + nested + ", actual:", nested},
      {"no codec library", "nested.7z", kHost + "/package/velmora/kvr.7z", "kvr.7z", true, decodeEvents,
       "Cannot load 7-zip library (error "},
      {"encrypted", "encrypted.7z", kHost + "/package/velmora/kvr.7z", "kvr.7z", false, decodeEvents,
       "Password is not defined"},
      {"truncated archive", "truncated.7z", kHost + "/package/velmora/kvr.7z", "kvr.7z", false, decodeEvents, ""},
      {"name with a folder", "nested.7z", kHost + "/package/velmora/kvr.7z", "../evil.7z", false, transferEvents,
       "download refused, packageName is not a plain file name:./kvr/../evil.7z"},
      {"name with a drive", "nested.7z", kHost + "/package/velmora/kvr.7z", "C:evil.7z", false, transferEvents,
       "download refused, packageName is not a plain file name:"},
      {"package file cannot be opened", "nested.7z", kHost + "/package/velmora/kvr.7z", "folder.7z", false,
       transferEvents, "download cannot open package file:./kvr/folder.7z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    fs::remove_all("kvr");
    SetUp();
    serve(c.archive);
    if (c.removeCodec) fs::remove(fs::path(kCodecLibraryPath));
    fs::create_directories("kvr/folder.7z");
    DownloadConfig failing{"./kvr/game", c.url, "./kvr/" + c.packageName};
    failing.m_strPackageSha256 = c.sha256;
    runPackageWorker(failing, ui, kQuick);
    EXPECT_TRUE(g_downloadFinished);
    EXPECT_FALSE(fs::exists("kvr/game/kvr.exe"));
    EXPECT_FALSE(fs::exists("evil.7z"));
    EXPECT_EQ(ui.boxes, (std::vector<std::wstring>{std::wstring(kDownloadErrorText) + L"|" + kDownloadErrorCaption}));
    ui.boxes.clear();
    ASSERT_FALSE(ui.statusTexts.empty());
    // Not the working state any more: what failed, the transfer or the extraction.
    EXPECT_EQ(ui.statusTexts.back(), c.events == decodeEvents ? kStatusInstallFailed : kStatusDownloadFailed);
    ui.statusTexts.clear();
    EXPECT_EQ(channelEventTypesSince(eventsBefore), c.events);
    const std::vector<std::string> lines = stopAndReadLines();
    EXPECT_TRUE(contains(lines, c.logged)) << c.logged;
    EXPECT_FALSE(contains(lines, "7z decode end"));
    if (!c.sha256.empty()) {
      EXPECT_FALSE(fs::exists("kvr/kvr.7z")) << "a package failing its hash is deleted";
    }
  }
}

// A package no volume has room for: the disk box before the host is asked for a byte,
// and nothing else is touched.
TEST_F(WorkerRun, APackageTooBigForTheDiskGivesTheDiskBoxBeforeAnyTransfer) {
  serve("nested.7z");
  const std::size_t requestsBefore = channelRequests(0).size();
  DownloadConfig huge = config("/package/velmora/kvr.7z");
  huge.m_nPackageSize = std::int64_t{1} << 60;
  runPackageWorker(huge, ui, kQuick);
  EXPECT_TRUE(g_downloadFinished);
  EXPECT_EQ(ui.boxes, (std::vector<std::wstring>{std::wstring(kDiskSpaceText) + L"|" + kDownloadErrorCaption}));
  EXPECT_EQ(ui.statusTexts, (std::vector<std::wstring>{kStatusNoSpace}));
  EXPECT_EQ(channelRequests(0).size(), requestsBefore);
  EXPECT_FALSE(fs::exists("kvr/kvr.7z"));
  EXPECT_EQ(channelEventTypesSince(eventsBefore), (std::vector<std::string>{"download_start", "download_end"}));
  EXPECT_TRUE(contains(stopAndReadLines(), "download needs "));
}

// Retries stay inside the run: one pair of transfer events, no box; the label says the
// transfer is retrying once, and downloading again when bytes come.
TEST_F(WorkerRun, TransientFailuresAreRetriedWithinTheRun) {
  serve("nested.7z");
  const std::string package = readFile(fs::u8path(KVR_ARCHIVE_FIXTURES) / "nested.7z");
  DownloadConfig checked = config("/package/velmora/kvr.7z?fail=503:2&run=" +
                                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  checked.m_nPackageSize = static_cast<std::int64_t>(package.size());
  checked.m_strPackageSha256 = sha256Of(package);
  installRun(checked, ui);
  EXPECT_TRUE(fs::exists("kvr/game/kvr.exe"));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(channelEventTypesSince(eventsBefore),
            (std::vector<std::string>{"download_start", "download_end", "decode_start", "decode_end"}));
  const std::vector<std::string> lines = stopAndReadLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "download http status:503"), 2);
  EXPECT_EQ(ui.statusTexts,
            (std::vector<std::wstring>{kStatusRetrying, kStatusDownloading, kStatusInstalling, kStatusInstalled}));
}

// A launcher ended during the extraction left a complete package: the next start
// confirms it with the server and installs from it without a second download.
TEST_F(WorkerRun, ACompleteKeptPackageIsNotFetchedAgain) {
  serve("nested.7z");
  const DownloadConfig run = config("/package/velmora/kvr.7z");
  const size_t earlier = channelRequests(0).size();
  ASSERT_EQ(transferPackage(run.m_strGamePath, run.m_strPackageName), CURLE_OK);
  fs::create_directories("kvr/game/data");
  writeFile("kvr/game/data/blob.bin", "half written");
  const size_t requestsBefore = channelRequests(earlier + 1).size();

  installRun(run, ui, kPackageRetryPauses);
  EXPECT_TRUE(fs::exists("kvr/game/kvr.exe"));
  EXPECT_TRUE(ui.boxes.empty());
  const std::vector<std::string> requests = channelRequests(requestsBefore + 1);
  const auto size = fs::file_size("kvr/kvr.7z");
  EXPECT_EQ(std::vector<std::string>(requests.begin() + static_cast<std::ptrdiff_t>(requestsBefore), requests.end()),
            (std::vector<std::string>{"416 " + std::to_string(size) + " 0"}));
  EXPECT_EQ(m_ulnow, static_cast<int32_t>(size / 1000));
  EXPECT_EQ(m_ultotal, static_cast<int32_t>(size / 1000));
  EXPECT_EQ(ui.statusTexts, (std::vector<std::wstring>{kStatusInstalling, kStatusInstalled}));
  EXPECT_EQ(channelEventTypesSince(eventsBefore),
            (std::vector<std::string>{"download_start", "download_end", "decode_start", "decode_end"}));
}

// Needs a folder on a small volume of its own, given by small-volume.sh.
TEST_F(WorkerRun, TooLittleDiskSpaceEndsBeforeAnythingIsWritten) {
  const char* volume = std::getenv("KVR_SMALL_VOLUME");
  if (volume == nullptr) GTEST_SKIP() << "no small volume given (KVR_SMALL_VOLUME)";
  serve("nested.7z");
  DownloadConfig run = config("/package/velmora/kvr.7z");
  run.m_strPath = std::string(volume) + "/game";
  runPackageWorker(run, ui, kPackageRetryPauses);
  EXPECT_TRUE(g_downloadFinished);
  EXPECT_FALSE(fs::exists(fs::u8path(run.m_strPath))) << "nothing is written";
  EXPECT_EQ(ui.boxes, (std::vector<std::wstring>{std::wstring(kDiskSpaceText) + L"|" + kDownloadErrorCaption}));
  EXPECT_EQ(ui.statusTexts, (std::vector<std::wstring>{kStatusInstalling, kStatusNoSpace}));
  EXPECT_EQ(channelEventTypesSince(eventsBefore),
            (std::vector<std::string>{"download_start", "download_end", "decode_start"}));
  EXPECT_TRUE(contains(stopAndReadLines(), "Not enough disk space: "));
}

TEST_F(WorkerRun, StalledDownloadEndsAsATransferFailure) {
  serve("nested.7z");
  const auto started = std::chrono::steady_clock::now();
  runPackageWorker(config("/stall/package/velmora/kvr.7z"), ui, {});
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_TRUE(g_downloadFinished);
  EXPECT_LT(seconds, kPackageTransferLimits.lowSpeedSeconds + 10);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(channelEventTypesSince(eventsBefore), (std::vector<std::string>{"download_start", "download_end"}));
}

// A package stored over what the launcher keeps in ./kvr/ would break the install for
// good (the codec library is loaded into the launcher): refused like a transfer failure.
TEST_F(WorkerRun, PackageNamesOfTheLaunchersOwnFilesAreRefused) {
  serve("nested.7z");
  const std::string library = fs::path(kCodecLibraryPath).filename().string();
  const std::string codec = readFile(fs::path(kCodecLibraryPath));
  // "game" is the top of the game folder "./kvr/game".
  // "kvr.7z.resume" is the record beside the package "kvr.7z".
  for (const std::string& name :
       {library, library + ".part", std::string("logs"), std::string("game"), std::string("kvr.7z.resume")}) {
    SCOPED_TRACE(name);
    TearDown();
    fs::remove_all("kvr");
    SetUp();
    runPackageWorker(config("/package/velmora/kvr.7z", name), ui, kPackageRetryPauses);
    EXPECT_TRUE(g_downloadFinished);
    EXPECT_EQ(readFile(fs::path(kCodecLibraryPath)), codec);
    EXPECT_FALSE(fs::exists("kvr/game/kvr.exe"));
    EXPECT_EQ(ui.boxes.size(), 1u);
    ui.boxes.clear();
    EXPECT_EQ(channelEventTypesSince(eventsBefore), (std::vector<std::string>{"download_start", "download_end"}));
    const std::vector<std::string> lines = stopAndReadLines();
    EXPECT_TRUE(contains(lines, "download refused, packageName names a file the launcher keeps:./kvr/" + name));
  }
}

// A package that extracts cleanly but leaves no game executable is a failed install:
// the error box, and no "decode_end".
TEST_F(WorkerRun, PackageWithoutTheGameEndsWithTheErrorBox) {
  struct Case {
    const char* archive;
    bool installed;
  };
  const Case cases[] = {
      {"no-game.7z", false},
      {"game-folder.7z", false},
      // "KVR.EXE" is the game where file names ignore letter case.
      {"capitals.7z", sameFileName("KVR.EXE", "kvr.exe")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    TearDown();
    fs::remove_all("kvr");
    SetUp();
    serve(c.archive);
    installRun(config("/package/velmora/kvr.7z"), ui, kPackageRetryPauses);
    EXPECT_TRUE(g_downloadFinished);
    const std::vector<std::string> lines = stopAndReadLines();
    if (c.installed) {
      EXPECT_TRUE(ui.boxes.empty());
      EXPECT_TRUE(contains(lines, "7z decode end"));
    } else {
      EXPECT_EQ(ui.boxes.size(), 1u);
      EXPECT_EQ(channelEventTypesSince(eventsBefore),
                (std::vector<std::string>{"download_start", "download_end", "decode_start"}));
      EXPECT_TRUE(contains(lines, "The package holds no game executable: '"));
      EXPECT_FALSE(contains(lines, "7z decode end"));
    }
    ui.boxes.clear();
  }
}

// A host trickling 2 bytes a second is below the low-speed floor: each attempt ends
// within the low-speed time and is retried as a stall; the transfer fails once the
// retries are spent, within attempts x the low-speed time plus the pauses. The floor's
// time is shortened here; the stall test above holds the real one.
TEST_F(WorkerRun, TricklingDownloadEndsAsATransferFailure) {
  serve("nested.7z");
  TransferLimits limits;
  limits.lowSpeedSeconds = 3;
  const auto started = std::chrono::steady_clock::now();
  runPackageWorker(config("/trickle/package/velmora/kvr.7z"), ui, {std::chrono::milliseconds(10)}, limits);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_TRUE(g_downloadFinished);
  EXPECT_GE(seconds, 2 * limits.lowSpeedSeconds - 1);
  EXPECT_LT(seconds, 2 * limits.lowSpeedSeconds + 10);
  EXPECT_FALSE(fs::exists("kvr/game/kvr.exe"));
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(channelEventTypesSince(eventsBefore), (std::vector<std::string>{"download_start", "download_end"}));
  const std::vector<std::string> lines = stopAndReadLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.rfind("download retry in ", 0) == 0; }),
            1);
}

namespace {

// The game folder's files and their contents, by path below it.
std::map<std::string, std::string> gameFiles() {
  std::map<std::string, std::string> found;
  for (const fs::path& file : filesBelow("kvr/game"))
    found[fs::relative(file, "kvr/game").generic_string()] = readFile(file);
  return found;
}

}  // namespace

// A new version named by the configuration replaces the old one in one start: changed
// files replaced, new ones added, dropped ones deleted, the player's own files kept.
TEST_F(WorkerRun, UpdatesToTheVersionTheConfigurationNames) {
  serveByNginx("v1.7z");
  installRun(nginxConfig("1"), ui);
  ASSERT_TRUE(ui.boxes.empty());
  ASSERT_EQ(readInstallRecord()->version, "1");
  writeFile("kvr/game/data/player.cfg", "mine");
  const size_t eventsBeforeUpdate = channelEventTypes().size();
  const size_t responses = nginxResponses(0).size();

  // Published at the same address: the kept v1 package's validator no longer holds.
  serveByNginx("v2.7z");
  g_downloadFinished = false;
  installRun(nginxConfig("2"), ui);
  EXPECT_TRUE(g_downloadFinished);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(gameFiles(), (std::map<std::string, std::string>{{"kvr.exe", "game executable, version two\n"},
                                                             {"data/same.txt", "same in both\n"},
                                                             {"data/changed.txt", "second text, longer\n"},
                                                             {"data/new/added.txt", "only in v2\n"},
                                                             {"data/player.cfg", "mine"}}));
  const auto record = readInstallRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->version, "2");
  EXPECT_EQ(record->files.size(), 4u);
  EXPECT_FALSE(fs::exists("kvr/game.staging"));
  EXPECT_FALSE(fs::exists("kvr/game.replaced"));
  EXPECT_FALSE(fs::exists("kvr/update.journal"));
  const std::string v2Size = std::to_string(fs::file_size(fs::u8path(KVR_ARCHIVE_FIXTURES) / "v2.7z"));
  const std::vector<std::string> sent = nginxResponses(responses + 1);
  ASSERT_EQ(sent.size(), responses + 1);
  EXPECT_EQ(sent.back().substr(0, 3) + sent.back().substr(sent.back().rfind(' ')), "200 " + v2Size)
      << "the whole new package: " << sent.back();
  EXPECT_EQ(channelEventTypesSince(eventsBeforeUpdate),
            (std::vector<std::string>{"download_start", "download_end", "decode_start", "decode_end"}));
  const std::vector<std::string> lines = stopAndReadLines();
  EXPECT_TRUE(contains(lines, "game update from version:1 to version:2"));
}

// Damaged game files come back from the kept package without a byte downloaded; once
// the package is gone too, from one download. The player's files stay.
TEST_F(WorkerRun, RepairsDamagedFiles) {
  serveByNginx("nested.7z");
  const DownloadConfig run = nginxConfig();
  installRun(run, ui);
  ASSERT_TRUE(ui.boxes.empty());
  const auto installed = gameFiles();
  writeFile("kvr/game/data/player.cfg", "mine");
  auto expected = installed;
  expected["data/player.cfg"] = "mine";

  struct Damage {
    const char* name;
    bool packageGone;
  };
  for (const Damage damage : {Damage{"kept package", false}, Damage{"package deleted too", true}}) {
    SCOPED_TRACE(damage.name);
    fs::remove("kvr/game/data/maps/level1.map");
    fs::resize_file("kvr/game/data/blob.bin", 1000);
    fs::remove("kvr/game/kvr.exe");
    if (damage.packageGone) fs::remove("kvr/kvr.7z");
    const size_t responses = nginxResponses(0).size();
    const GamePlan plan = planGameWork(run);
    EXPECT_EQ(plan.work, GameWork::Repair);
    EXPECT_EQ(plan.damaged, (std::vector<std::string>{"data/blob.bin", "data/maps/level1.map", "kvr.exe"}));
    g_downloadFinished = false;
    ui.boxes.clear();
    installRun(run, ui);
    EXPECT_TRUE(g_downloadFinished);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(gameFiles(), expected);
    EXPECT_EQ(planGameWork(run).work, GameWork::None);
    // The kept package: not a byte asked for. Without it: the package once, whole.
    const std::vector<std::string> sent = nginxResponses(responses + (damage.packageGone ? 1 : 0));
    const std::vector<std::string> repair(sent.begin() + static_cast<std::ptrdiff_t>(responses), sent.end());
    if (damage.packageGone)
      EXPECT_EQ(repair, (std::vector<std::string>{"200 \"-\" " + std::to_string(fs::file_size("kvr/kvr.7z"))}));
    else
      EXPECT_TRUE(repair.empty()) << repair.front();
  }
}

namespace {

constexpr char kUpdateChild[] = "KVR_UPDATE_CHILD";

DownloadConfig versionTwo() { return WorkerRun::nginxConfig("2"); }

// Copies the folder `from` to `to`, replacing what is there. A killed child's files may
// stay open for a moment after its end under Wine, and a folder holding them with it.
void copyFolder(const fs::path& from, const fs::path& to) {
  for (int attempt = 0; attempt < 100 && fs::exists(to); ++attempt) {
    removeTree(to);
    if (fs::exists(to)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(to, ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored))
    ADD_FAILURE() << "cannot remove " << it->path().generic_string();
  fs::copy(from, to, fs::copy_options::recursive);
}

}  // namespace

// The update to version 2 in the current folder, as a start of the launcher would run
// it; only as the child of the kill test below.
TEST(UpdateKillChild, Run) {
  const char* child = std::getenv(kUpdateChild);
  if (child == nullptr || *child == '\0') GTEST_SKIP() << "run by the kill test only";
  RecordingUi ui;
  installRun(versionTwo(), ui);
}

// The launcher killed at any moment of an update (transfer, staging, apply): what the
// next start finds is version 1 whole, version 2 whole, or a journal that finishes it.
TEST_F(WorkerRun, AnUpdateKilledAtAnyMomentLeavesOneVersionWhole) {
  serveByNginx("v1.7z");
  installRun(nginxConfig("1"), ui);
  ASSERT_EQ(readInstallRecord()->version, "1");
  writeFile("kvr/game/data/player.cfg", "mine");
  const auto v1 = gameFiles();
  // Its open file in ./kvr/logs would keep Windows from putting the old state back.
  ILogManager::instance().stop();
  copyFolder("kvr", "v1-state");
  serveByNginx("v2-many.7z");
  setEnvironment(kUpdateChild, "1");
  const std::string child = "\"" + executablePath() + "\" --gtest_filter=UpdateKillChild.Run";

  // How long an uninterrupted update takes to its new record. Its output is read as it
  // comes, so that a full pipe never holds the child, and shown when it fails.
  const auto start = std::chrono::steady_clock::now();
  std::chrono::milliseconds whole{0};
  std::string childOutput;
  {
    ChildProcess update(child);
    ASSERT_TRUE(update.started());
    const auto updated = [] {
      const auto record = readInstallRecord();
      return record && record->version == "2";
    };
    bool ended = false;
    while (!updated() && !ended && std::chrono::steady_clock::now() - start < std::chrono::seconds(120)) {
      ended = update.wait(std::chrono::milliseconds(0)).has_value();
      while (const auto line = update.readLine(std::chrono::milliseconds(ended ? 200 : 5))) childOutput += *line + "\n";
    }
    whole = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  }
  ASSERT_EQ(readInstallRecord()->version, "2") << "the update's output:\n" << childOutput;
  const auto v2 = gameFiles();

  // Most of that is the child's own start, and runs differ: the kills fall from half that
  // time to half again as long.
  std::map<GameWork, int> found;
  constexpr int kKills = 20;
  for (int kill = 0; kill <= kKills; ++kill) {
    const auto after = whole / 2 + whole * kill / kKills;
    SCOPED_TRACE("killed after " + std::to_string(after.count()) + " ms of " + std::to_string(whole.count()));
    copyFolder("v1-state", "kvr");
    {
      ChildProcess update(child);
      ASSERT_TRUE(update.started());
      std::this_thread::sleep_for(after);
    }
    GamePlan next = planGameWork(versionTwo());
    ++found[next.work];
    switch (next.work) {
      case GameWork::Update: EXPECT_EQ(gameFiles(), v1) << "the old version untouched"; break;
      case GameWork::FinishUpdate:
        EXPECT_TRUE(applyUpdate(*next.journal));
        EXPECT_EQ(gameFiles(), v2);
        break;
      case GameWork::None: EXPECT_EQ(gameFiles(), v2); break;
      default: ADD_FAILURE() << "the next start finds " << static_cast<int>(next.work);
    }
    EXPECT_EQ(planGameWork(versionTwo()).work, next.work == GameWork::Update ? GameWork::Update : GameWork::None);
  }
  setEnvironment(kUpdateChild, "");
  std::printf(
      "update of %lld ms killed %d times: old version found %d, finished by the journal %d, new version found %d\n",
      static_cast<long long>(whole.count()), kKills + 1, found[GameWork::Update], found[GameWork::FinishUpdate],
      found[GameWork::None]);
}
