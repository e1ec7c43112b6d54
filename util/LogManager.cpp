#include "LogManager.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Console.h"
#include "FileSystem.h"
#include "FormatText.h"
#include "LogLine.h"
#include "SystemClock.h"

int32_t mainLoggerId = 0;

namespace {

constexpr size_t kBackPressureStart = 20000;
constexpr auto kStartWait = std::chrono::milliseconds(3000);
// Slots and records made at start: a burst of up to this many lines is queued without
// allocating (about 1.1 MB with the allocator's own bytes).
constexpr size_t kPreparedSlots = 4096;
constexpr size_t kPreparedRecords = 4;
// The writer polls the queue rather than being woken by every burst: a wake-up is a
// system call on the calling thread, and waking a sleeping core cost it about 30 us.
// The poll is short after a drain that found lines and doubles while nothing comes.
constexpr auto kBusyPoll = std::chrono::milliseconds(1);
constexpr auto kIdlePoll = std::chrono::milliseconds(50);
// Only a backlog this long, half the prepared slots, wakes a sleeping writer early, so
// that it drains before producers run out of slots.
constexpr size_t kWakeWriterAt = kPreparedSlots / 2;

std::string processNameFrom(const std::string& executable) {
  if (executable.empty()) return "process";
  const size_t slash = executable.find_last_of("\\/");
  std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace

ILogManager& ILogManager::instance() {
  static LogManager s_manager;
  return s_manager;
}

LogManager::LogManager() : m_processName(processNameFrom(executablePath())) {
  m_loggers[0].enable = true;
  m_loggers[0].key = "Main";
  m_loggers[0].name = "Main";
  m_ids["Main"] = 0;
}

LogManager::~LogManager() {
  if (m_running)
    stop();
  else
    joinThread();
}

// ---- records -------------------------------------------------------------------------

LogRecord* LogManager::newRecord(int32_t id, int32_t level) {
  LogRecord* record = m_pool.takeRecord();
  record->loggerId = id;
  record->level = level;
  record->kind = RECORD_LINE;
  record->kindValue = 0;
  record->textLength = 0;
  const auto now =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count();
  record->time = now / 1000;
  record->milliseconds = static_cast<uint32_t>(now % 1000);
  record->threadId = currentThreadId();

  RecordStream stream(record->text, record->text + LOG_TEXT_SIZE);
  writeLineHeader(stream, record->time, record->milliseconds, record->threadId, level);
  record->textLength = stream.written();
  return record;
}

void LogManager::freeRecord(LogRecord* record) { m_pool.giveRecord(record); }

bool LogManager::acceptsLog(int32_t id, int32_t level) {
  if (!validId(id) || !m_running.load(std::memory_order_relaxed)) return false;
  const LoggerState& logger = m_loggers[id];
  if (!logger.enable.load(std::memory_order_relaxed) || level < logger.level.load(std::memory_order_relaxed))
    return false;

  // Above 20000 queued records producers are slowed down, linearly up to a certain
  // 100 ms sleep at 40000, rather than the queue being bounded.
  const size_t queued = m_shared.size();
  if (queued <= kBackPressureStart) return true;
  unsigned rate = static_cast<unsigned>((queued * 100 - 2000000) / 20000);
  if (rate > 100) rate = 100;
  if (static_cast<unsigned>(rand() % 100) >= rate) return true;
  if (rate > 50 && m_shared.size() <= kBackPressureStart) return true;
  std::this_thread::sleep_for(std::chrono::milliseconds(rate));
  return true;
}

bool LogManager::pushRecord(LogRecord* record, const char* file, int line) {
  const int32_t id = record->loggerId;
  if (!validId(id) || !m_running.load(std::memory_order_relaxed) ||
      !m_loggers[id].enable.load(std::memory_order_relaxed) ||
      record->level < m_loggers[id].level.load(std::memory_order_relaxed)) {
    freeRecord(record);
    return false;
  }
  if (m_loggers[id].fileline.load(std::memory_order_relaxed) && file != nullptr) {
    const char* name = file;
    for (const char* p = file; *p; ++p)
      if (*p == '\\' || *p == '/') name = p + 1;
    RecordStream stream(*record);
    stream << ' ' << name << ':' << line;
    record->textLength += stream.written();
  }
  if (record->textLength + 3 > LOG_TEXT_SIZE) record->textLength = LOG_TEXT_SIZE - 3;
  char* end = record->text + record->textLength;
  end[0] = '\r';
  end[1] = '\n';
  end[2] = '\0';
  record->textLength += 2;

  QueuedLine* queuedLine = m_pool.lineFrom(record);
  const size_t queued = m_shared.pushLine(queuedLine);
  if (queued >= kWakeWriterAt && m_writerIdle.load(std::memory_order_relaxed) && m_writerIdle.exchange(false)) {
    std::lock_guard<std::mutex> lock(m_idleMutex);
    m_idleWake.notify_one();
  }
  return true;
}

// ---- loggers and settings ------------------------------------------------------------

int32_t LogManager::CreateLogger(const char* key) {
  if (key == nullptr) return -1;
  const std::string trimmed = trimConfigText(key);
  const auto found = m_ids.find(trimmed);
  if (found != m_ids.end()) return found->second;
  const int32_t id = m_lastId + 1;
  if (id >= LOGGER_MAX) {
    const char* message = "logger: CreateLogger can not create|writeover, because loggerid need < LOGGER_MAX! \r\n";
    m_console.print(message, LOG_FATAL);
    return -1;
  }
  m_ids[trimmed] = id;
  m_loggers[id].key = trimmed;
  m_loggers[id].name = trimmed;
  m_loggers[id].enable = true;
  m_lastId = id;
  return id;
}

int32_t LogManager::findLogger(const char* key) {
  if (key == nullptr) return -1;
  const auto found = m_ids.find(key);
  return found == m_ids.end() ? -1 : found->second;
}

bool LogManager::isLoggerEnabled(int32_t id) { return validId(id) && m_loggers[id].enable; }

uint32_t LogManager::activeLoggerCount() {
  uint32_t count = 0;
  for (int32_t id = 0; id <= m_lastId; ++id)
    if (m_loggers[id].enable) ++count;
  return count;
}

bool LogManager::setLoggerEnabled(int32_t id, bool enable) {
  if (enable) {
    if (!validId(id)) return false;
    m_loggers[id].enable = true;
    return true;
  }
  return queueSettingChange(id, RECORD_ENABLE, 0, "");
}

bool LogManager::setLoggerName(int32_t id, const char* name) {
  if (name == nullptr || *name == '\0') return false;
  return queueSettingChange(id, RECORD_NAME, 0, name);
}

bool LogManager::setLoggerPath(int32_t id, const char* path) {
  if (path == nullptr || *path == '\0') return false;
  std::string folder = path;
  if (folder.back() != '\\' && folder.back() != '/') folder += '/';
  return queueSettingChange(id, RECORD_PATH, 0, folder);
}

bool LogManager::setLoggerLevel(int32_t id, int32_t level) {
  // Lowering takes effect for the next line at once; raising waits for the lines
  // already queued.
  if (validId(id) && level <= m_loggers[id].level) {
    m_loggers[id].level = level;
    return true;
  }
  return queueSettingChange(id, RECORD_LEVEL, level, "");
}

bool LogManager::setLoggerFileLine(int32_t id, bool on) { return queueSettingChange(id, RECORD_FILELINE, on, ""); }

bool LogManager::setLoggerDisplay(int32_t id, bool on) { return queueSettingChange(id, RECORD_DISPLAY, on, ""); }

bool LogManager::setLoggerOutFile(int32_t id, bool on) { return queueSettingChange(id, RECORD_OUTFILE, on, ""); }

bool LogManager::setLoggerLimitSize(int32_t id, uint32_t mebibytes) {
  const uint32_t limit = mebibytes == 0 ? 4294967295u : mebibytes;
  return queueSettingChange(id, RECORD_LIMITSIZE, static_cast<int32_t>(limit), "");
}

bool LogManager::setLoggerMonthDir(int32_t id, bool on) { return queueSettingChange(id, RECORD_MONTHDIR, on, ""); }

bool LogManager::setLoggerReserveTime(int32_t id, int64_t seconds) {
  const int64_t clamped = seconds > INT32_MAX ? INT32_MAX : seconds;
  return queueSettingChange(id, RECORD_RESERVE, static_cast<int32_t>(clamped < INT32_MIN ? INT32_MIN : clamped), "");
}

bool LogManager::setReloadInterval(int32_t seconds) {
  m_reloadInterval = seconds;
  return true;
}

bool LogManager::queueSettingChange(int32_t id, RecordKind kind, int32_t value, const std::string& text) {
  if (!validId(id) || text.size() >= static_cast<size_t>(LOG_TEXT_SIZE)) return false;
  if (!m_running) {
    applySettingChange(m_loggers[id], kind, value, text);
    return true;
  }
  // While the writer runs, changes travel through the queue so that they apply between
  // lines, in order.
  QueuedLine* change = m_pool.newLine(text.size());
  change->loggerId = id;
  change->kind = kind;
  change->kindValue = value;
  change->level = LOG_DEBUG;
  change->time = 0;
  change->milliseconds = 0;
  change->threadId = 0;
  change->textLength = static_cast<int32_t>(text.size());
  memcpy(change->text, text.data(), text.size());
  change->text[text.size()] = '\0';
  m_shared.pushChange(change);
  return true;
}

// ---- configuration -------------------------------------------------------------------

bool LogManager::configFromText(const std::string& text) { return applyConfigText(text, false); }

bool LogManager::applyConfigText(const std::string& text, bool reload) {
  const uint32_t checksum = configChecksum(text);
  if (checksum == m_configChecksum) return true;
  m_configChecksum = checksum;

  for (const auto& [sectionName, section] : parseConfigText(text)) {
    int32_t id = findLogger(section.key.c_str());
    if (id < 0) {
      if (reload) continue;
      id = CreateLogger(section.key.c_str());
      if (id < 0) continue;
    }
    setLoggerEnabled(id, section.enable);
    setLoggerName(id, section.name.c_str());
    setLoggerPath(id, section.path.c_str());
    setLoggerLevel(id, section.level);
    setLoggerFileLine(id, section.fileline);
    setLoggerDisplay(id, section.display);
    setLoggerOutFile(id, section.outfile);
    setLoggerLimitSize(id, section.limitsize);
    setLoggerMonthDir(id, section.monthdir);
    // A configured reserve time is applied too, so that old files really are deleted.
    setLoggerReserveTime(id, section.reserve);
  }
  return true;
}

bool LogManager::readConfigFile(const std::string& path, std::string& text) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    consoleWritePlain(" !!! !!! !!! !!!\r\n");
    consoleWritePlain(formatText(" !!! !!! logger load config file error. filename=%s  !!! !!! \r\n", path.c_str()));
    consoleWritePlain(" !!! !!! !!! !!!\r\n");
    return false;
  }
  text.clear();
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  fclose(file);
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.erase(zero);
  return true;
}

bool LogManager::Config(const std::string& path) {
  if (!m_configPath.empty()) {
    consoleWritePlain(" !!! !!! !!! !!!\r\n");
    consoleWritePlain(
        formatText(" !!! !!! logger configure error: too many calls to Config. the old config file=%s,  the new config "
                   "file=%s !!! !!! \r\n",
                   m_configPath.c_str(), path.c_str()));
    consoleWritePlain(" !!! !!! !!! !!!\r\n");
    return false;
  }
  m_configPath = path;
  std::string text;
  return readConfigFile(path, text) && applyConfigText(text, false);
}

bool LogManager::reloadConfig() {
  if (m_configPath.empty()) return false;
  std::string text;
  return readConfigFile(m_configPath, text) && applyConfigText(text, true);
}

// ---- lifecycle and the writer thread -------------------------------------------------

bool LogManager::start() {
  if (m_running || threadStarted()) {
    m_console.print("logger already start \r\n", LOG_FATAL);
    return false;
  }
  m_startSem.reset(0);
  m_pool.prepare(kPreparedSlots, kPreparedRecords);
  if (!startThread()) {
    m_pool.release();
    consoleWritePlain("logger: create logger thread error! \r\n");
    return false;
  }
  return m_startSem.wait(kStartWait);
}

bool LogManager::stop() {
  if (!m_running) return false;
  m_console.print("logger stopping \r\n", LOG_FATAL);
  {
    std::lock_guard<std::mutex> lock(m_idleMutex);
    m_running = false;
  }
  m_idleWake.notify_all();
  joinThread();
  // Records pushed by producers that raced with the stop are dropped, never written.
  m_shared.clear();
  m_pool.release();
  return true;
}

void LogManager::logOwn(const char* message) { KVR_LOG_TO(*this, 0, LOG_ALARM, message); }

void LogManager::logLoggerSummary(int32_t id) {
  const LoggerState& logger = m_loggers[id];
  KVR_LOG_TO(*this, 0, LOG_ALARM, "logger id=", id, " key=", logger.key, " name=", logger.name, " path=", logger.path,
             " level=", logger.level.load(), " display=", logger.display);
}

void LogManager::idleWait(std::chrono::milliseconds poll) {
  std::unique_lock<std::mutex> lock(m_idleMutex);
  m_writerIdle = true;
  m_idleWake.wait_for(lock, poll, [this] { return !m_running || m_shared.size() >= kWakeWriterAt; });
  m_writerIdle = false;
}

void LogManager::run() {
  {
    std::lock_guard<std::mutex> lock(m_idleMutex);
    m_running = true;
  }
  if (acceptsLog(0, LOG_ALARM)) logOwn("-----------------  logger thread started!   ----------------------------");
  for (int32_t id = 0; id <= m_lastId; ++id)
    if (m_loggers[id].enable && acceptsLog(0, LOG_ALARM)) logLoggerSummary(id);
  m_startSem.post();

  time_t lastReload = time(nullptr);
  auto poll = kBusyPoll;
  for (;;) {
    const bool wrote = m_writer.drain();
    poll = wrote ? kBusyPoll : std::min(poll * 2, kIdlePoll);
    idleWait(poll);
    if (!m_running && m_shared.size() == 0) {
      m_writer.disableAll();
      return;
    }
    if (m_reloadInterval != 0 && time(nullptr) - lastReload > m_reloadInterval) {
      reloadConfig();
      lastReload = time(nullptr);
    }
  }
}
