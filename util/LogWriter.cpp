#include "LogWriter.h"

#include <cstring>
#include <mutex>
#include <string_view>

#include "Console.h"
#include "FormatText.h"
#include "LogLine.h"

void LogConsole::print(const char* text, size_t length, int32_t level) {
  if (level < LOG_INFO || level > LOG_FATAL) {
    consoleWritePlain(std::string_view(text, length));
    return;
  }
  std::lock_guard<LockHelper> lock(m_lock);
  consoleWriteColored(std::string_view(text, length), levelConsoleAttribute(level));
}

void LogConsole::print(const char* text, int32_t level) { print(text, strlen(text), level); }

LogWriter::LogWriter(LoggerState* loggers, const std::atomic<int32_t>& lastId, const std::string& processName,
                     SharedQueue& shared, RecordPool& pool, LogConsole& console)
    : m_loggers(loggers),
      m_lastId(lastId),
      m_processName(processName),
      m_shared(shared),
      m_console(console),
      m_writtenLines(pool) {}

bool LogWriter::drain() {
  bool took = false;
  for (;;) {
    if (m_queue == nullptr && (m_queue = m_shared.takeAll()) == nullptr) {
      m_writtenLines.returnAll();
      break;
    }
    QueuedLine* record = m_queue;
    m_queue = record->next;
    write(record);
    took = true;
  }

  for (int32_t id = 0; id <= m_lastId; ++id) {
    if (!m_loggers[id].enable) {
      m_files[id].close();
    } else if (m_unflushed[id] != 0) {
      m_files[id].flush();
      m_unflushed[id] = 0;
    }
  }
  return took;
}

void LogWriter::disableAll() {
  for (int32_t id = 0; id <= m_lastId; ++id) {
    if (m_loggers[id].enable) {
      m_loggers[id].enable = false;
      m_files[id].close();
    }
  }
}

void LogWriter::write(QueuedLine* record) {
  if (validId(record->loggerId)) {
    if (record->kind == RECORD_LINE)
      writeLine(*record);
    else
      applyChange(*record);
  }
  m_writtenLines.release(record);
}

void LogWriter::applyChange(const QueuedLine& change) {
  applySettingChange(m_loggers[change.loggerId], change.kind, change.kindValue,
                     std::string(change.text, static_cast<size_t>(change.textLength)));
  m_files[change.loggerId].close();  // the next line opens a file with the new settings
}

void LogWriter::writeLine(const QueuedLine& line) {
  m_popped.fetch_add(1, std::memory_order_relaxed);
  const int32_t id = line.loggerId;
  LoggerState& logger = m_loggers[id];
  if (!logger.enable || line.level < logger.level) return;
  const size_t length = static_cast<size_t>(line.textLength);
  if (logger.display) m_console.print(line.text, length, line.level);
  if (logger.outfile) {
    if (!openFile(logger, m_files[id], line.time)) return;
    m_files[id].write(line.text, length);
    ++m_unflushed[id];
  }
  m_written.fetch_add(1, std::memory_order_relaxed);
  m_writtenBytes.fetch_add(length, std::memory_order_relaxed);
}

bool LogWriter::openFile(LoggerState& logger, LogFile& file, int64_t time) {
  if (file.open(logger, m_processName, time)) return true;

  const char* bar = "!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n";
  const std::string message = formatText("logger: can not open log file %s. \r\n", file.path().c_str());
  m_console.print(bar, LOG_FATAL);
  m_console.print(message.data(), message.size(), LOG_FATAL);
  m_console.print(bar, LOG_FATAL);
  logger.outfile = false;
  return false;
}
