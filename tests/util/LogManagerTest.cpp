#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "Console.h"
#include "LauncherLog.h"
#include "LocalTime.h"
#include "LogManager.h"
#include "SystemClock.h"
#include "TestFolder.h"

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

// A manager configured like the launcher's, with a fixed process name, in its own folder.
struct LoggerFixture : testing::Test {
  TestFolder folder;
  LogManager manager;

  void SetUp() override {
    manager.setProcessName("proc");
    manager.configFromText(kLauncherLogConfig);
    manager.setLoggerDisplay(0, false);
  }

  void log(const std::string& text, int32_t level = LOG_INFO) { KVR_LOG_TO(manager, 0, level, text); }

  // Queues a line as if it had been made at `time`, to drive the file choice.
  void logAt(int64_t time, const std::string& text) {
    LogRecord* record = manager.newRecord(0, LOG_INFO);
    record->time = time;
    RecordStream stream(*record);
    stream << text;
    record->textLength += stream.written();
    manager.pushRecord(record, nullptr, 0);
  }

  std::vector<fs::path> logFiles() { return filesBelow(folder.path() / "kvr"); }

  std::vector<std::string> allLines() {
    std::vector<std::string> lines;
    for (const fs::path& file : logFiles())
      for (std::string& line : splitCrLf(readFile(file))) lines.push_back(std::move(line));
    return lines;
  }
};

int64_t localTimeOf(int year, int month, int day, int hour, int minute, int second) {
  return fromLocalTime(localTm(year, month, day, hour, minute, second));
}

}  // namespace

TEST_F(LoggerFixture, LauncherConfigurationLeavesMainAsConfigured) {
  const LoggerState& main = manager.logger(0);
  EXPECT_EQ(manager.findLogger("Main"), 0);
  EXPECT_TRUE(main.enable);
  EXPECT_EQ(main.level, 1);
  EXPECT_TRUE(main.outfile);
  EXPECT_EQ(main.path, "./kvr/logs/");
  EXPECT_EQ(main.name, "log");
  EXPECT_FALSE(main.fileline);
  EXPECT_EQ(main.limitsize, 100u);
  EXPECT_EQ(manager.activeLoggerCount(), 1u);

  // The same text again changes nothing, even what was set since.
  manager.setLoggerLevel(0, LOG_ERROR);
  EXPECT_TRUE(manager.configFromText(kLauncherLogConfig));
  EXPECT_EQ(main.level, LOG_ERROR);
}

TEST_F(LoggerFixture, WritesTheLauncherLogFile) {
  manager.setLoggerDisplay(0, true);  // the launcher's own setting; output is captured here
  CaptureStdout();
  const int64_t before = time(nullptr);
  ASSERT_TRUE(manager.start());
  log("work:here");
  log("close launch");
  ASSERT_TRUE(manager.stop());
  const std::string console = GetCapturedStdout();
  const int64_t after = time(nullptr);

  const std::vector<fs::path> files = logFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].parent_path(), folder.path() / "kvr" / "logs");
  const std::regex name("proc_log_(\\d{12})_000\\.log");
  std::smatch match;
  const std::string fileName = files[0].filename().string();
  ASSERT_TRUE(std::regex_match(fileName, match, name)) << fileName;
  bool minuteMatches = false;
  for (int64_t t = before; t <= after; ++t) {
    std::tm local{};
    toLocalTime(t, local);
    char stamp[64];
    snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
             local.tm_hour, local.tm_min);
    minuteMatches = minuteMatches || match[1] == stamp;
  }
  EXPECT_TRUE(minuteMatches) << fileName;

  const std::string text = readFile(files[0]);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  const std::vector<std::string> lines = splitCrLf(text);
  ASSERT_EQ(lines.size(), 4u) << text;
  const std::string headerPattern = "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} \\[\\d{4,}\\] ";
  EXPECT_TRUE(std::regex_match(lines[0],
                               std::regex(headerPattern + "LOG_ALARM -----------------  logger thread started!   -+")))
      << lines[0];
  EXPECT_TRUE(
      std::regex_match(lines[1], std::regex(headerPattern + "LOG_ALARM logger id=0 key=Main name=log path=./kvr/logs/ "
                                                            "level=1 display=true")))
      << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(headerPattern + "LOG_INFO work:here"))) << lines[2];
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(headerPattern + "LOG_INFO close launch"))) << lines[3];
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);

  // The console shows the same lines (where this target prints them).
  if (consoleShowsColoredText()) {
    EXPECT_NE(console.find("LOG_INFO work:here\r\n"), std::string::npos) << console;
    EXPECT_NE(console.find("logger stopping \r\n"), std::string::npos) << console;
  }
}

TEST_F(LoggerFixture, NothingBeforeStartOrAfterStop) {
  log("before start");
  EXPECT_FALSE(manager.acceptsLog(0, LOG_INFO));
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.start());
  log("while running");
  ASSERT_TRUE(manager.stop());
  EXPECT_FALSE(manager.stop());
  log("after stop");

  const std::vector<std::string> lines = allLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[2].find("while running"), std::string::npos);
  EXPECT_EQ(manager.totalPushCount(), 3u);
  EXPECT_EQ(manager.totalWriteCount(), 3u);
}

TEST_F(LoggerFixture, StopWritesEveryQueuedLineWhole) {
  ASSERT_TRUE(manager.start());
  constexpr int kThreads = 3;
  constexpr int kLines = 30000;
  std::vector<std::thread> producers;
  for (int t = 0; t < kThreads; ++t)
    producers.emplace_back([this, t] {
      for (int i = 0; i < kLines; ++i) KVR_LOG_TO(manager, 0, LOG_INFO, "producer ", t, " line ", i, " end");
    });
  for (std::thread& producer : producers) producer.join();
  ASSERT_TRUE(manager.stop());

  std::vector<int> next(kThreads, 0);
  size_t count = 0;
  const std::regex line(".* LOG_INFO producer (\\d) line (\\d+) end");
  for (const std::string& text : allLines()) {
    if (text.find("LOG_ALARM") != std::string::npos) continue;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(text, match, line)) << text;
    const int producer = std::stoi(match[1]);
    EXPECT_EQ(std::stoi(match[2]), next[producer]++);  // each producer's lines in order
    ++count;
  }
  EXPECT_EQ(count, static_cast<size_t>(kThreads * kLines));
  EXPECT_EQ(manager.totalWriteCount(), count + 2);
}

TEST_F(LoggerFixture, LongMessagesAndSourceSuffix) {
  manager.setLoggerFileLine(0, true);
  ASSERT_TRUE(manager.start());
  log(std::string(9000, 'x'));
  {
    LogRecord* record = manager.newRecord(0, LOG_INFO);
    RecordStream stream(*record);
    stream << "with suffix";
    record->textLength += stream.written();
    manager.pushRecord(record, "C:\\a\\b/c.cpp", 42);
  }
  ASSERT_TRUE(manager.stop());

  const std::string text = readFile(logFiles().at(0));
  const std::vector<std::string> lines = splitCrLf(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].size(), 8189u);
  EXPECT_EQ(lines[2].back(), 'x');
  EXPECT_TRUE(lines[3].size() > 20 && lines[3].substr(lines[3].size() - 20) == "with suffix c.cpp:42") << lines[3];
}

TEST_F(LoggerFixture, LinesOfEveryLengthArriveExactly) {
  // Queued lines are stored by their length; short and long ones, across every size a
  // queued line may take, arrive byte for byte and in order.
  ASSERT_TRUE(manager.start());
  std::vector<std::string> messages;
  for (size_t length = 1; length <= 600; ++length) {
    messages.emplace_back(length, static_cast<char>('a' + length % 26));
    log(messages.back());
  }
  ASSERT_TRUE(manager.stop());

  const std::vector<std::string> lines = allLines();
  ASSERT_EQ(lines.size(), messages.size() + 2);
  for (size_t i = 0; i < messages.size(); ++i) {
    const std::string& line = lines[i + 2];
    const size_t level = line.find(" LOG_INFO ");
    ASSERT_NE(level, std::string::npos) << line;
    EXPECT_EQ(line.substr(level + 10), messages[i]);
  }
}

TEST_F(LoggerFixture, LinesReachTheFileWhileRunning) {
  // Producers wake the writer only for a long backlog: a burst longer than the slots
  // made at start, and a lone line once the writer has been idle, both reach the file
  // on its own poll, with no stop to push them out.
  ASSERT_TRUE(manager.start());
  constexpr int kBurst = 5000;
  for (int i = 0; i < kBurst; ++i) KVR_LOG_TO(manager, 0, LOG_INFO, "burst line ", i);
  const auto fileHolds = [this](const std::string& text) {
    for (int i = 0; i < 500; ++i) {
      for (const fs::path& file : logFiles())
        if (readFile(file).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  };
  EXPECT_TRUE(fileHolds("burst line " + std::to_string(kBurst - 1) + "\r\n"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  log("lone line");
  EXPECT_TRUE(fileHolds("lone line\r\n"));
  ASSERT_TRUE(manager.stop());
  EXPECT_EQ(allLines().size(), static_cast<size_t>(kBurst + 3));
}

TEST_F(LoggerFixture, LevelChangesWhileRunning) {
  ASSERT_TRUE(manager.start());
  EXPECT_FALSE(manager.acceptsLog(0, LOG_TRACE));
  manager.setLoggerLevel(0, LOG_TRACE);  // lowering: at once
  EXPECT_TRUE(manager.acceptsLog(0, LOG_TRACE));
  log("trace line", LOG_TRACE);
  manager.setLoggerLevel(0, LOG_ERROR);  // raising: only once the writer reaches it
  log("info after raise, queued before it applies");
  for (int i = 0; i < 200 && manager.acceptsLog(0, LOG_INFO); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(manager.acceptsLog(0, LOG_INFO));
  log("dropped info");
  log("kept error", LOG_ERROR);
  ASSERT_TRUE(manager.stop());

  std::string text;
  for (const std::string& line : allLines()) text += line + "\n";
  EXPECT_NE(text.find("LOG_TRACE trace line"), std::string::npos);
  EXPECT_EQ(text.find("info after raise"), std::string::npos) << "the writer drops lines below the new level";
  EXPECT_EQ(text.find("dropped info"), std::string::npos);
  EXPECT_NE(text.find("LOG_ERROR kept error"), std::string::npos);
}

TEST_F(LoggerFixture, LoggerIdsAreBounded) {
  EXPECT_EQ(manager.CreateLogger(" Net \r\n"), 1);
  EXPECT_EQ(manager.CreateLogger("Net"), 1);
  EXPECT_EQ(manager.CreateLogger(nullptr), -1);
  for (int i = 2; i < LOGGER_MAX; ++i) EXPECT_EQ(manager.CreateLogger(("L" + std::to_string(i)).c_str()), i);
  EXPECT_EQ(manager.CreateLogger("one too many"), -1);
  EXPECT_EQ(manager.findLogger("one too many"), -1);
  EXPECT_TRUE(manager.isLoggerEnabled(LOGGER_MAX - 1));
  EXPECT_FALSE(manager.isLoggerEnabled(LOGGER_MAX));
  EXPECT_FALSE(manager.setLoggerName(1, ""));
  EXPECT_FALSE(manager.setLoggerPath(1, nullptr));
  EXPECT_FALSE(manager.setLoggerLevel(LOGGER_MAX, 0));

  manager.setLoggerPath(1, "C:\\logs\\app");
  EXPECT_EQ(manager.logger(1).path, "C:\\logs\\app/");
  manager.setLoggerPath(1, "logs\\");
  EXPECT_EQ(manager.logger(1).path, "logs\\");
  manager.setLoggerLimitSize(1, 0);
  EXPECT_EQ(manager.logger(1).limitsize, 4294967295u);
  manager.setLoggerReserveTime(1, -5);
  EXPECT_EQ(manager.logger(1).reserveTime, 0);
}

TEST_F(LoggerFixture, NewFileEachLocalDay) {
  ASSERT_TRUE(manager.start());
  logAt(localTimeOf(2024, 3, 5, 23, 59, 59), "last of the day");
  logAt(localTimeOf(2024, 3, 6, 0, 0, 0), "first of the next");
  ASSERT_TRUE(manager.stop());
  std::vector<std::string> names;
  for (const fs::path& file : logFiles()) names.push_back(file.filename().string());
  ASSERT_EQ(names.size(), 3u);  // today's (start-up lines) and the two days
  EXPECT_EQ(names[0], "proc_log_202403052359_000.log");
  EXPECT_EQ(names[1], "proc_log_202403060000_000.log");
  EXPECT_NE(readFile(folder.path() / "kvr/logs" / names[1]).find("first of the next"), std::string::npos);
}

TEST_F(LoggerFixture, NewFileAfterSizeLimitAndMonthFolders) {
  manager.setLoggerLimitSize(0, 1);
  manager.setLoggerMonthDir(0, true);
  ASSERT_TRUE(manager.start());
  const int64_t t = localTimeOf(2024, 3, 5, 14, 7, 0);
  const std::string big(8000, 'b');
  for (int i = 0; i < 140; ++i) logAt(t, big);  // ~1.1 MiB
  ASSERT_TRUE(manager.stop());

  const fs::path month = folder.path() / "kvr/logs/2024_03";
  const uintmax_t first = fs::file_size(month / "proc_log_202403051407_000.log");
  const uintmax_t second = fs::file_size(month / "proc_log_202403051407_001.log");
  // The line that finds more than 1 MiB in the file starts the next one.
  EXPECT_GT(first, 1048576u);
  EXPECT_LE(first, 1048576u + 8000 + 64);
  EXPECT_EQ((first + second) / 8000, 140u);
}

TEST_F(LoggerFixture, UncreatableFolderSwitchesFileOutputOff) {
  writeFile(folder.path() / "blocker", "a file, not a folder");
  manager.setLoggerPath(0, "blocker/logs");
  CaptureStdout();
  ASSERT_TRUE(manager.start());
  log("still fine");
  ASSERT_TRUE(manager.stop());
  const std::string console = GetCapturedStdout();
  EXPECT_FALSE(manager.logger(0).outfile);
  EXPECT_FALSE(fs::exists(folder.path() / "blocker/logs"));
  if (consoleShowsColoredText()) {
    EXPECT_NE(console.find("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\nlogger: can not open log file blocker/logs/proc_log_"),
              std::string::npos)
        << console;
    EXPECT_NE(console.find(".log. \r\n!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n"), std::string::npos) << console;
  }
}

namespace {

// The reserve time's clock in the test below, moved on by hand.
std::atomic<int64_t> g_fileClock{1700000000};
int64_t fileClock() { return g_fileClock; }

}  // namespace

TEST_F(LoggerFixture, ReserveTimeDeletesOldFiles) {
  // Applied from the configuration text, not only through the setter.
  manager.configFromText("[Main]\npath = ./kvr/logs/\nname = log\ndisplay = 0\nreserve = 1\n");
  EXPECT_EQ(manager.logger(0).reserveTime, 1);
  manager.setFileClock(&fileClock);
  ASSERT_TRUE(manager.start());
  for (int day = 1; day <= 8; ++day) logAt(localTimeOf(2024, 1, day, 12, 0, 0), "old");
  // Once the writer has opened those files, two seconds pass.
  for (int wait = 0; wait < 500 && manager.totalWriteCount() < manager.totalPushCount(); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  g_fileClock += 2;
  logAt(localTimeOf(2024, 1, 20, 12, 0, 0), "new");
  ASSERT_TRUE(manager.stop());

  std::vector<std::string> names;
  for (const fs::path& file : logFiles()) names.push_back(file.filename().string());
  ASSERT_EQ(names.size(), 1u) << "the start-up file and eight old days are gone";
  EXPECT_EQ(names[0], "proc_log_202401201200_000.log");
}

TEST_F(LoggerFixture, ConfigFileOnceAndReload) {
  writeFile("log.ini", "[Main]\nlevel = warn\n[Net]\nlevel = error\n");
  EXPECT_TRUE(manager.Config("log.ini"));
  EXPECT_EQ(manager.logger(0).level, LOG_WARN);
  EXPECT_EQ(manager.findLogger("Net"), 1);

  CaptureStdout();
  EXPECT_FALSE(manager.Config("other.ini"));
  EXPECT_EQ(GetCapturedStdout(),
            " !!! !!! !!! !!!\r\n !!! !!! logger configure error: too many calls to Config. the old config "
            "file=log.ini,  the new config file=other.ini !!! !!! \r\n !!! !!! !!! !!!\r\n");

  // A reload changes known loggers and never creates new ones.
  writeFile("log.ini", "[Main]\nlevel = debug\n[Extra]\nlevel = info\n");
  EXPECT_TRUE(manager.reloadConfig());
  EXPECT_EQ(manager.logger(0).level, LOG_DEBUG);
  EXPECT_EQ(manager.findLogger("Extra"), -1);

  fs::remove("log.ini");
  CaptureStdout();
  EXPECT_FALSE(manager.reloadConfig());
  EXPECT_NE(GetCapturedStdout().find("logger load config file error. filename=log.ini"), std::string::npos);

  LogManager fresh;
  CaptureStdout();
  EXPECT_FALSE(fresh.Config("missing.ini"));
  GetCapturedStdout();
}
