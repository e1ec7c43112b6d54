#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "LocalTime.h"
#include "LogFile.h"
#include "SystemClock.h"
#include "TestFolder.h"

namespace fs = std::filesystem;

TEST(LogFileName, FromSettingsTimeAndIndex) {
  struct Case {
    const char* path;
    bool monthdir;
    const char* process;
    const char* name;
    std::tm created;
    uint32_t index;
    const char* folder;
    const char* fullPath;
  };
  const Case cases[] = {
      {"./kvr/logs/", false, "kvr_velmora", "log", localTm(2024, 3, 5, 14, 7), 0, "./kvr/logs/",
       "./kvr/logs/kvr_velmora_log_202403051407_000.log"},
      {"./kvr/logs/", true, "kvr_velmora", "log", localTm(2024, 3, 5, 14, 7), 0, "./kvr/logs/2024_03/",
       "./kvr/logs/2024_03/kvr_velmora_log_202403051407_000.log"},
      // A second file of the day, started when the first passed the size limit.
      {"./kvr/logs/", false, "kvr_velmora", "log", localTm(2024, 3, 5, 15, 30), 1, "./kvr/logs/",
       "./kvr/logs/kvr_velmora_log_202403051530_001.log"},
      // Every field zero-filled; the month folder is the file's, not the current one.
      {"logs/", true, "proc", "Net", localTm(2025, 1, 2, 0, 5), 9, "logs/2025_01/",
       "logs/2025_01/proc_Net_202501020005_009.log"},
      {"logs/", true, "proc", "Net", localTm(2023, 12, 31, 23, 59), 0, "logs/2023_12/",
       "logs/2023_12/proc_Net_202312312359_000.log"},
      // The index widens past three digits rather than wrapping.
      {"logs/", false, "proc", "log", localTm(2024, 3, 5, 14, 7), 1000, "logs/", "logs/proc_log_202403051407_1000.log"},
      // The path is used as the setter left it, separators and all.
      {"C:\\logs\\app/", false, "proc", "my log", localTm(2024, 3, 5, 14, 7), 0, "C:\\logs\\app/",
       "C:\\logs\\app/proc_my log_202403051407_000.log"},
  };
  for (const Case& c : cases) {
    LoggerState logger;
    logger.path = c.path;
    logger.monthdir = c.monthdir;
    logger.name = c.name;
    const LogFilePath location = logFilePath(logger, c.process, c.created, c.index);
    EXPECT_EQ(location.folder, c.folder) << c.fullPath;
    EXPECT_EQ(location.path, c.fullPath);
  }
}

TEST(LogFileRolling, ExistingFileIsAppendedAndCountsTowardTheLimit) {
  // A restart within the same minute finds its file again: what it holds already
  // counts toward the size limit, so the first line written starts file 001.
  TestFolder folder;
  LoggerState logger;
  logger.path = "logs/";
  logger.name = "log";
  logger.limitsize = 1;
  const int64_t time = fromLocalTime(localTm(2024, 3, 5, 14, 7));
  const fs::path first = folder.path() / "logs/proc_log_202403051407_000.log";
  const fs::path second = folder.path() / "logs/proc_log_202403051407_001.log";
  fs::create_directory(folder.path() / "logs");
  writeFile(first, std::string(1048576, 'a'));

  LogFile file;
  ASSERT_TRUE(file.open(logger, "proc", time));
  EXPECT_EQ(file.path(), "logs/proc_log_202403051407_000.log");
  file.write("b\r\n", 3);
  ASSERT_TRUE(file.open(logger, "proc", time + 30));
  EXPECT_EQ(file.path(), "logs/proc_log_202403051407_001.log");
  file.write("c\r\n", 3);
  // The next local day starts again at 000.
  ASSERT_TRUE(file.open(logger, "proc", fromLocalTime(localTm(2024, 3, 6, 0, 0))));
  EXPECT_EQ(file.path(), "logs/proc_log_202403060000_000.log");
  file.close();

  EXPECT_EQ(readFile(first), std::string(1048576, 'a') + "b\r\n");
  EXPECT_EQ(readFile(second), "c\r\n");
}

TEST(LogFileFolders, MissingFoldersAreMadeAndTheFileOpensInThem) {
  // The path as a configuration gives it: "\" and "/" mixed, the month folder below.
  // Each platform reads it with its own separators, and the file lands where the
  // folders were made.
  TestFolder folder;
  LoggerState logger;
  logger.path = "a\\b/c/";
  logger.name = "log";
  logger.monthdir = true;
  LogFile file;
  ASSERT_TRUE(file.open(logger, "proc", fromLocalTime(localTm(2024, 3, 5, 14, 7))));
  file.write("x\r\n", 3);
  file.close();
  EXPECT_EQ(readFile(fs::u8path(file.path())), "x\r\n");

  writeFile(folder.path() / "file", "x");
  logger.path = "file/sub/";
  EXPECT_FALSE(file.open(logger, "proc", fromLocalTime(localTm(2024, 3, 6, 14, 7))));
}
