// The writer thread's work: the lines taken from the shared queue go, oldest first, to
// the console and to each logger's file; setting changes apply between them, in order.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "LogFile.h"
#include "LogQueue.h"
#include "LogRecordPool.h"
#include "Logger.h"
#include "LoggerState.h"
#include "ThreadHelpers.h"

// The console as the logger prints to it: levels 2 to 6 in their colour under a lock,
// so that a colour and its text stay together; other levels plain.
class LogConsole {
 public:
  void print(const char* text, size_t length, int32_t level);
  void print(const char* text, int32_t level);

 private:
  LockHelper m_lock;
};

class LogWriter {
 public:
  // `loggers` holds LOGGER_MAX entries, of which ids 0 to `lastId` are in use.
  LogWriter(LoggerState* loggers, const std::atomic<int32_t>& lastId, const std::string& processName,
            SharedQueue& shared, RecordPool& pool, LogConsole& console);
  ~LogWriter() { deleteQueuedLines(m_queue); }
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // Writes every line queued so far, hands the written slots back, then flushes the
  // files written to and closes those of disabled loggers. True when it took anything.
  bool drain();
  // The last step at stop: every logger still enabled is disabled and its file closed.
  void disableAll();
  // The clock every logger's file counts its reserve time by; while the writer is stopped.
  void setFileClock(LogFileClock clock) {
    for (LogFile& file : m_files) file.setClock(clock);
  }

  uint64_t popCount() const { return m_popped.load(std::memory_order_relaxed); }
  uint64_t writeCount() const { return m_written.load(std::memory_order_relaxed); }
  uint64_t writeBytes() const { return m_writtenBytes.load(std::memory_order_relaxed); }

 private:
  bool validId(int32_t id) const { return id >= 0 && id <= m_lastId; }
  // Carries out one queued entry and hands its memory back.
  void write(QueuedLine* record);
  void applyChange(const QueuedLine& change);
  void writeLine(const QueuedLine& line);
  // Makes sure `file` is open for a line made at `time`; when it cannot be, says so on
  // the console and switches the logger's file output off.
  bool openFile(LoggerState& logger, LogFile& file, int64_t time);

  LoggerState* m_loggers;
  const std::atomic<int32_t>& m_lastId;
  const std::string& m_processName;
  SharedQueue& m_shared;
  LogConsole& m_console;
  LogFile m_files[LOGGER_MAX];
  uint32_t m_unflushed[LOGGER_MAX] = {};

  alignas(256) QueuedLine* m_queue = nullptr;  // taken from the shared queue, oldest first
  WrittenLines m_writtenLines;
  std::atomic<uint64_t> m_popped{0};
  std::atomic<uint64_t> m_written{0};
  std::atomic<uint64_t> m_writtenBytes{0};
};
