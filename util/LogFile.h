// Which file a logger's lines go to: a name carrying the process, the logger and the
// local minute the file was started, a new file each local day and past the size limit,
// optional month folders, and deletion of files older than the reserve time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <deque>
#include <string>
#include <utility>

#include "LoggerState.h"

struct LogFilePath {
  std::string folder;  // the logger's path, then "YYYY_MM/" when monthdir is on
  std::string path;    // the folder, then "process_name_YYYYMMDDhhmm_NNN.log"
};

// Where the logger's file number `index` of a day, started at the local time `created`,
// lies. Names carry the minute and the index, so a file started in the same minute with
// the same index (after a restart, say) is the same file and is appended to.
LogFilePath logFilePath(const LoggerState& logger, const std::string& processName, const std::tm& created,
                        uint32_t index);

// The clock the reserve time is counted by, in seconds since the epoch: the system's
// (`time`), or a test's.
using LogFileClock = int64_t (*)();
int64_t systemSeconds();

// The file one logger writes to; used by the writer thread alone while it runs.
class LogFile {
 public:
  LogFile() = default;
  ~LogFile() { close(); }
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Makes sure the right file for a line made at `time` is open. A line of a new local
  // day starts index 0; a line that finds more than the size limit written starts the
  // next index. A new file is opened for appending (its size counts as written) after
  // its folder is created, and with a reserve time set, files of old entries are
  // deleted. False when the file cannot be opened; `path()` then names it.
  bool open(const LoggerState& logger, const std::string& processName, int64_t time);
  // Writes the text to the open file; a short write closes it. The length counts
  // toward the size limit either way.
  void write(const char* text, size_t length);
  void flush();
  void close();
  // The full path last chosen: the open file's, or the one that could not be opened.
  const std::string& path() const { return m_path; }
  void setClock(LogFileClock clock) { m_clock = clock; }

 private:
  void keepHistory(int64_t reserveTime);

  int64_t m_dayStart = 0;
  int64_t m_dayEnd = 0;  // next local midnight: days are 23 or 25 hours when the clock shifts
  uint32_t m_index = 0;
  uint32_t m_writeLength = 0;
  FILE* m_file = nullptr;
  std::string m_path;
  std::deque<std::pair<int64_t, std::string>> m_history;  // files opened with a reserve time set
  LogFileClock m_clock = &systemSeconds;
};
