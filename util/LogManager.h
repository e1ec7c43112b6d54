// The logger's implementation: the calls of producers and of start-up, the loggers'
// settings and configuration, and the writer thread's life. The parts it is made of
// live in their own units: the record pool and slots (LogRecordPool.h), the shared
// queue (LogQueue.h), the writer's work (LogWriter.h) and the file choice (LogFile.h).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "LogConfig.h"
#include "LogQueue.h"
#include "LogRecordPool.h"
#include "LogWriter.h"
#include "Logger.h"
#include "LoggerState.h"
#include "ThreadHelpers.h"

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
  uint64_t totalWriteCount() override { return m_writer.writeCount(); }
  uint64_t totalWriteBytes() override { return m_writer.writeBytes(); }
  uint64_t totalPushCount() override { return m_shared.pushedLines(); }
  uint64_t totalPopCount() override { return m_writer.popCount(); }
  uint32_t activeLoggerCount() override;
  LogRecord* newRecord(int32_t id, int32_t level) override;
  void freeRecord(LogRecord* record) override;

  // Settings of a logger as they stand (for inspection while the writer is stopped).
  const LoggerState& logger(int32_t id) const { return m_loggers[id]; }
  void setProcessName(std::string name) { m_processName = std::move(name); }
  // The clock the reserve time of the log files is counted by (the system's unless a
  // test sets another); set before start.
  void setFileClock(LogFileClock clock) { m_writer.setFileClock(clock); }

 protected:
  void run() override;

 private:
  bool validId(int32_t id) const { return id >= 0 && id <= m_lastId; }
  bool queueSettingChange(int32_t id, RecordKind kind, int32_t value, const std::string& text);
  bool applyConfigText(const std::string& text, bool reload);
  bool readConfigFile(const std::string& path, std::string& text);
  void logOwn(const char* message);
  void logLoggerSummary(int32_t id);
  void idleWait(std::chrono::milliseconds poll);

  std::atomic<bool> m_running{false};
  SemHelper m_startSem;
  int32_t m_reloadInterval = 0;
  uint32_t m_configChecksum = 0;
  std::string m_processName;
  std::string m_configPath;
  std::map<std::string, int32_t> m_ids;
  std::atomic<int32_t> m_lastId{0};
  LoggerState m_loggers[LOGGER_MAX];

  // Apart from one another, so that producers, the pool and the writer do not share
  // cache lines.
  alignas(256) SharedQueue m_shared;
  alignas(256) RecordPool m_pool;
  alignas(256) LogConsole m_console;

  // Lets stop() and a growing backlog cut the writer's idle poll short.
  alignas(256) std::mutex m_idleMutex;
  std::condition_variable m_idleWake;
  std::atomic<bool> m_writerIdle{false};

  alignas(256) LogWriter m_writer{m_loggers, m_lastId, m_processName, m_shared, m_pool, m_console};
};
