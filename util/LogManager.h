// The logger's implementation: the record pool, the shared and writer queues, the
// writer thread, and the file side (naming, rolling, folders, old-file deletion).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "LogConfig.h"
#include "Logger.h"
#include "ThreadHelpers.h"

// A finished line or setting change on its way to the writer: the record's fields and
// a copy of only the text it uses, so a queued line costs its length and not 8 KiB.
struct QueuedLine {
  QueuedLine* next;
  int32_t loggerId;
  int32_t kind;
  int32_t kindValue;
  int32_t level;
  int64_t time;
  uint32_t milliseconds;
  uint32_t threadId;
  int32_t textLength;
  bool inSlot;  // a recycled fixed-size slot, else allocated to its text
  char* text;   // the bytes right behind this header, text length plus a terminating zero
};

struct LoggerState {
  std::string key;
  std::string name;
  std::string path = "./log/";
  // Read by producers without a lock, so atomic; changed only through setters.
  std::atomic<int32_t> level{1};
  bool display = true;
  bool outfile = true;
  bool monthdir = false;
  uint32_t limitsize = 100;
  std::atomic<bool> enable{false};
  std::atomic<bool> fileline{true};
  int64_t reserveTime = 0;
  // The current file, touched only by the writer thread while it runs.
  int64_t fileCreateTime = 0;
  int64_t fileDayStart = 0;
  int64_t fileDayEnd = 0;  // next local midnight: days are 23 or 25 hours when the clock shifts
  uint32_t fileIndex = 0;
  uint32_t writeLength = 0;
  FILE* file = nullptr;
  std::deque<std::pair<int64_t, std::string>> history;
};

class LogManager : public ThreadHelper, public ILogManager {
 public:
  LogManager();
  ~LogManager() override;
  LogManager(const LogManager&) = delete;
  LogManager& operator=(const LogManager&) = delete;

  bool Config(const std::string& path) override;
  bool configFromText(const std::string& text) override;
  int32_t CreateLogger(const char* key) override;
  bool start() override;
  bool stop() override;
  int32_t findLogger(const char* key) override;
  bool acceptsLog(int32_t id, int32_t level) override;
  bool pushRecord(LogRecord* record, const char* file, int line) override;
  bool setLoggerEnabled(int32_t id, bool enable) override;
  bool setLoggerName(int32_t id, const char* name) override;
  bool setLoggerPath(int32_t id, const char* path) override;
  bool setLoggerLevel(int32_t id, int32_t level) override;
  bool setLoggerFileLine(int32_t id, bool on) override;
  bool setLoggerDisplay(int32_t id, bool on) override;
  bool setLoggerOutFile(int32_t id, bool on) override;
  bool setLoggerLimitSize(int32_t id, uint32_t mebibytes) override;
  bool setLoggerMonthDir(int32_t id, bool on) override;
  bool setLoggerReserveTime(int32_t id, int64_t seconds) override;
  bool setReloadInterval(int32_t seconds) override;
  bool reloadConfig() override;
  bool isLoggerEnabled(int32_t id) override;
  uint64_t totalWriteCount() override { return m_totalWritten; }
  uint64_t totalWriteBytes() override { return m_totalWrittenBytes; }
  uint64_t totalPushCount() override;
  uint64_t totalPopCount() override { return m_totalPopped; }
  uint32_t activeLoggerCount() override;
  LogRecord* newRecord(int32_t id, int32_t level) override;
  void freeRecord(LogRecord* record) override;

  // Settings of a logger as they stand (for inspection while the writer is stopped).
  const LoggerState& logger(int32_t id) const { return m_loggers[id]; }
  const std::string& processName() const { return m_processName; }
  void setProcessName(std::string name) { m_processName = std::move(name); }

  // Internal steps, public for tests.
  bool openLogger(const QueuedLine& record);
  void closeLogger(int32_t id);
  static bool createDirectoryChain(const std::string& path);

 protected:
  void run() override;

 private:
  bool validId(int32_t id) const { return id >= 0 && id <= m_lastId; }
  bool queueSettingChange(int32_t id, RecordKind kind, int32_t value, const std::string& text);
  void applySettingChange(int32_t id, int32_t kind, int32_t value, const std::string& text);
  bool applyConfigText(const std::string& text, bool reload);
  bool readConfigFile(const std::string& path, std::string& text);
  void printColored(const char* text, size_t length, int32_t level);
  void logOwn(const char* message);
  void logLoggerSummary(int32_t id);
  void enqueue(QueuedLine* line);
  bool takeShared();
  void releaseLine(QueuedLine* line);
  void returnSlots();
  void writeRecord(QueuedLine* record, uint32_t* unflushed);
  void idleWait();
  void releasePool();
  QueuedLine* newQueuedLine(size_t textLength);

  std::atomic<bool> m_running{false};
  SemHelper m_startSem;
  int32_t m_reloadInterval = 0;
  uint32_t m_configChecksum = 0;
  std::string m_processName;
  std::string m_configPath;
  std::map<std::string, int32_t> m_ids;
  std::atomic<int32_t> m_lastId{0};
  LoggerState m_loggers[LOGGER_MAX];

  // The shared queue: producers push onto this list without a lock, newest first; the
  // writer takes the whole list at once. The size is counted before a push, so it is
  // never below the number of lines on the list.
  alignas(256) std::atomic<QueuedLine*> m_sharedHead{nullptr};
  std::atomic<size_t> m_sharedQueueSize{0};
  std::atomic<uint64_t> m_totalPushed{0};

  alignas(256) LockHelper m_poolLock;
  std::vector<LogRecord*> m_pool;
  std::atomic<size_t> m_poolSize{0};
  QueuedLine* m_freeSlots = nullptr;  // slots for queued lines, under the pool lock
  // Slots the writer has written, handed back without the lock; taken all at once.
  std::atomic<QueuedLine*> m_returnedSlots{nullptr};

  alignas(256) LockHelper m_consoleLock;

  // Lets stop() and a growing backlog cut the writer's idle poll short.
  alignas(256) std::mutex m_idleMutex;
  std::condition_variable m_idleWake;
  std::atomic<bool> m_writerIdle{false};

  alignas(256) QueuedLine* m_writerQueue = nullptr;  // taken from the shared queue, oldest first
  QueuedLine* m_writtenSlots = nullptr;  // written slots on their way back to the producers
  QueuedLine* m_writtenSlotsTail = nullptr;
  size_t m_writtenSlotCount = 0;
  std::atomic<uint64_t> m_totalPopped{0};
  std::atomic<uint64_t> m_totalWritten{0};
  std::atomic<uint64_t> m_totalWrittenBytes{0};
};
