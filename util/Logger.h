// The process-wide queued logger: call sites on any thread fill fixed-size records
// that one writer thread drains into the console and rolling log files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

enum LogLevel : int32_t {
  LOG_TRACE = 0,
  LOG_DEBUG = 1,
  LOG_INFO = 2,
  LOG_WARN = 3,
  LOG_ERROR = 4,
  LOG_ALARM = 5,
  LOG_FATAL = 6,
};

constexpr int LOGGER_MAX = 20;
constexpr int32_t LOG_TEXT_SIZE = 8192;

enum RecordKind : int32_t {
  RECORD_LINE = 0,
  RECORD_ENABLE = 1,
  RECORD_NAME = 2,
  RECORD_PATH = 3,
  RECORD_LEVEL = 4,
  RECORD_FILELINE = 5,
  RECORD_DISPLAY = 6,
  RECORD_OUTFILE = 7,
  RECORD_LIMITSIZE = 8,
  RECORD_MONTHDIR = 9,
  RECORD_RESERVE = 10,
};

// One queued line or setting change. Members are deliberately left uninitialised:
// records are pooled and only the bytes a line uses are ever written.
struct LogRecord {
  int32_t loggerId;
  int32_t kind;
  int32_t kindValue;
  int32_t level;
  int64_t time;           // seconds since 1970-01-01 UTC
  uint32_t milliseconds;  // 0-999
  uint32_t threadId;
  int32_t textLength;
  char text[LOG_TEXT_SIZE + 8];
};

// Appends to a record's text without ever passing LOG_TEXT_SIZE; numbers are only
// written while at least 65 bytes of room are left.
class RecordStream {
 public:
  RecordStream(char* begin, char* end) : m_pos(begin), m_begin(begin), m_end(end) {}
  RecordStream(LogRecord& record) : RecordStream(record.text + record.textLength, record.text + LOG_TEXT_SIZE) {}

  void writeText(const char* text, size_t length);
  void writeChar(char c);
  void writeUnsigned(uint64_t value, int minWidth = 0, int base = 10);
  void writeSigned(int64_t value);
  void writePointer(const void* pointer);
  int32_t written() const { return static_cast<int32_t>(m_pos - m_begin); }

  RecordStream& operator<<(std::string_view text) {
    writeText(text.data(), text.size());
    return *this;
  }
  RecordStream& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
  RecordStream& operator<<(const std::string& text) { return *this << std::string_view(text); }
  RecordStream& operator<<(char c) {
    writeChar(c);
    return *this;
  }
  RecordStream& operator<<(bool value) { return *this << (value ? "true" : "false"); }
  RecordStream& operator<<(const void* pointer) {
    writePointer(pointer);
    return *this;
  }
  template <typename T,
            std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>, int> = 0>
  RecordStream& operator<<(T value) {
    if constexpr (std::is_signed_v<T>)
      writeSigned(value);
    else
      writeUnsigned(value);
    return *this;
  }

 private:
  char* m_pos;
  char* m_begin;
  char* m_end;
};

class ILogManager {
 public:
  static ILogManager& instance();
  virtual ~ILogManager() = default;

  virtual bool Config(const std::string& path) = 0;
  virtual bool configFromText(const std::string& text) = 0;
  virtual int32_t CreateLogger(const char* key) = 0;
  virtual bool start() = 0;
  virtual bool stop() = 0;
  virtual int32_t findLogger(const char* key) = 0;
  virtual bool acceptsLog(int32_t id, int32_t level) = 0;
  virtual bool pushRecord(LogRecord* record, const char* file, int line) = 0;
  virtual bool setLoggerEnabled(int32_t id, bool enable) = 0;
  virtual bool setLoggerName(int32_t id, const char* name) = 0;
  virtual bool setLoggerPath(int32_t id, const char* path) = 0;
  virtual bool setLoggerLevel(int32_t id, int32_t level) = 0;
  virtual bool setLoggerFileLine(int32_t id, bool on) = 0;
  virtual bool setLoggerDisplay(int32_t id, bool on) = 0;
  virtual bool setLoggerOutFile(int32_t id, bool on) = 0;
  virtual bool setLoggerLimitSize(int32_t id, uint32_t mebibytes) = 0;
  virtual bool setLoggerMonthDir(int32_t id, bool on) = 0;
  virtual bool setLoggerReserveTime(int32_t id, int64_t seconds) = 0;
  virtual bool setReloadInterval(int32_t seconds) = 0;
  virtual bool reloadConfig() = 0;
  virtual bool isLoggerEnabled(int32_t id) = 0;
  virtual uint64_t totalWriteCount() = 0;
  virtual uint64_t totalWriteBytes() = 0;
  virtual uint64_t totalPushCount() = 0;
  virtual uint64_t totalPopCount() = 0;
  virtual uint32_t activeLoggerCount() = 0;
  virtual LogRecord* newRecord(int32_t id, int32_t level) = 0;
  virtual void freeRecord(LogRecord* record) = 0;
};

template <typename... Pieces>
void writePieces(RecordStream& stream, const Pieces&... pieces) {
  (stream << ... << pieces);
}

// Id of the "Main" logger, set at start-up; every call site logs to it.
extern int32_t mainLoggerId;

// Composes and queues one line on `manager`; the pieces are only evaluated when the
// logger accepts the level.
#define KVR_LOG_TO(manager, id, level, ...)                            \
  do {                                                                 \
    ILogManager& kvrLogManager_ = (manager);                           \
    if (kvrLogManager_.acceptsLog((id), (level))) {                    \
      LogRecord* kvrRecord_ = kvrLogManager_.newRecord((id), (level)); \
      RecordStream kvrStream_(*kvrRecord_);                            \
      writePieces(kvrStream_, __VA_ARGS__);                            \
      kvrRecord_->textLength += kvrStream_.written();                  \
      kvrLogManager_.pushRecord(kvrRecord_, __FILE__, __LINE__);       \
    }                                                                  \
  } while (0)

// The launcher's logging statement: logLine(LOG_INFO, "work:", szWork);
#define logLine(level, ...) KVR_LOG_TO(ILogManager::instance(), mainLoggerId, level, __VA_ARGS__)
