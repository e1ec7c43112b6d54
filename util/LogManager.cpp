#include "LogManager.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>

#include "Console.h"
#include "FileSystem.h"
#include "LogLine.h"
#include "SystemClock.h"

int32_t mainLoggerId = 0;

namespace {

constexpr size_t kPoolMax = 200;
constexpr size_t kBackPressureStart = 20000;
constexpr auto kStartWait = std::chrono::milliseconds(3000);
constexpr auto kIdlePoll = std::chrono::milliseconds(50);
// A backlog this long wakes an idle writer before its poll is due, so that a burst
// is drained early rather than at the next poll.
constexpr size_t kWakeWriterAt = 128;
// The writer hands written slots back in batches, one atomic push for many.
constexpr size_t kSlotBatch = 64;

// Most lines fit a fixed slot, recycled without the allocator; a longer line is
// allocated to its size and freed once written.
constexpr size_t kSlotSize = 256;

void deleteQueuedLines(QueuedLine* line) {
  while (line != nullptr) {
    QueuedLine* next = line->next;
    ::operator delete(line);
    line = next;
  }
}

std::string processNameFrom(const std::string& executable) {
  if (executable.empty()) return "process";
  const size_t slash = executable.find_last_of("\\/");
  std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

template <typename... Args>
std::string formatText(const char* format, Args... args) {
  const int length = snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  snprintf(text.data(), text.size() + 1, format, args...);
  return text;
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
  for (int32_t id = 0; id < LOGGER_MAX; ++id) closeLogger(id);
  deleteQueuedLines(m_sharedHead.exchange(nullptr));
  deleteQueuedLines(m_writerQueue);
  deleteQueuedLines(m_writtenSlots);
  releasePool();
}

// ---- records -------------------------------------------------------------------------

LogRecord* LogManager::newRecord(int32_t id, int32_t level) {
  LogRecord* record = nullptr;
  if (m_poolSize.load(std::memory_order_relaxed) > 0) {
    std::lock_guard<LockHelper> lock(m_poolLock);
    if (!m_pool.empty()) {
      record = m_pool.back();
      m_pool.pop_back();
      m_poolSize.store(m_pool.size(), std::memory_order_relaxed);
    }
  }
  if (record == nullptr) record = new LogRecord;  // left uninitialised: only used bytes are written

  record->loggerId = id;
  record->level = level;
  record->kind = RECORD_LINE;
  record->kindValue = 0;
  record->textLength = 0;
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  record->time = now / 1000;
  record->milliseconds = static_cast<uint32_t>(now % 1000);
  record->threadId = currentThreadId();

  RecordStream stream(record->text, record->text + LOG_TEXT_SIZE);
  writeLineHeader(stream, record->time, record->milliseconds, record->threadId, level);
  record->textLength = stream.written();
  return record;
}

void LogManager::freeRecord(LogRecord* record) {
  if (m_poolSize.load(std::memory_order_relaxed) < kPoolMax) {
    std::lock_guard<LockHelper> lock(m_poolLock);
    m_pool.push_back(record);
    m_poolSize.store(m_pool.size(), std::memory_order_relaxed);
    return;
  }
  delete record;
}

void LogManager::releasePool() {
  std::lock_guard<LockHelper> lock(m_poolLock);
  for (LogRecord* record : m_pool) delete record;
  m_pool.clear();
  m_poolSize = 0;
  deleteQueuedLines(m_freeSlots);
  m_freeSlots = nullptr;
  deleteQueuedLines(m_returnedSlots.exchange(nullptr));
}

QueuedLine* LogManager::newQueuedLine(size_t textLength) {
  const size_t size = sizeof(QueuedLine) + textLength + 1;
  QueuedLine* line = nullptr;
  if (size <= kSlotSize) {
    {
      std::lock_guard<LockHelper> lock(m_poolLock);
      if (m_freeSlots == nullptr) m_freeSlots = m_returnedSlots.exchange(nullptr, std::memory_order_acquire);
      line = m_freeSlots;
      if (line != nullptr) m_freeSlots = line->next;
    }
    if (line == nullptr) line = new (::operator new(kSlotSize)) QueuedLine;
    line->inSlot = true;
  } else {
    line = new (::operator new(size)) QueuedLine;
    line->inSlot = false;
  }
  line->text = reinterpret_cast<char*>(line + 1);
  return line;
}

bool LogManager::acceptsLog(int32_t id, int32_t level) {
  if (!validId(id) || !m_running.load(std::memory_order_relaxed)) return false;
  const LoggerState& logger = m_loggers[id];
  if (!logger.enable.load(std::memory_order_relaxed) || level < logger.level.load(std::memory_order_relaxed))
    return false;

  // Above 20000 queued records producers are slowed down, linearly up to a certain
  // 100 ms sleep at 40000, rather than the queue being bounded.
  const size_t queued = m_sharedQueueSize.load(std::memory_order_relaxed);
  if (queued <= kBackPressureStart) return true;
  unsigned rate = static_cast<unsigned>((queued * 100 - 2000000) / 20000);
  if (rate > 100) rate = 100;
  if (static_cast<unsigned>(rand() % 100) >= rate) return true;
  if (rate > 50 && m_sharedQueueSize.load() <= kBackPressureStart) return true;
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

  QueuedLine* queuedLine = newQueuedLine(static_cast<size_t>(record->textLength));
  queuedLine->loggerId = id;
  queuedLine->kind = record->kind;
  queuedLine->kindValue = record->kindValue;
  queuedLine->level = record->level;
  queuedLine->time = record->time;
  queuedLine->milliseconds = record->milliseconds;
  queuedLine->threadId = record->threadId;
  queuedLine->textLength = record->textLength;
  memcpy(queuedLine->text, record->text, static_cast<size_t>(record->textLength) + 1);
  freeRecord(record);

  const size_t queued = m_sharedQueueSize.fetch_add(1, std::memory_order_relaxed) + 1;
  m_totalPushed.fetch_add(1, std::memory_order_relaxed);
  enqueue(queuedLine);
  if (queued >= kWakeWriterAt && m_writerIdle.load(std::memory_order_relaxed) && m_writerIdle.exchange(false)) {
    std::lock_guard<std::mutex> lock(m_idleMutex);
    m_idleWake.notify_one();
  }
  return true;
}

void LogManager::enqueue(QueuedLine* line) {
  QueuedLine* head = m_sharedHead.load(std::memory_order_relaxed);
  do {
    line->next = head;
  } while (!m_sharedHead.compare_exchange_weak(head, line, std::memory_order_release, std::memory_order_relaxed));
}

void LogManager::releaseLine(QueuedLine* line) {
  if (!line->inSlot) {
    ::operator delete(line);
    return;
  }
  if (m_writtenSlots == nullptr) m_writtenSlotsTail = line;
  line->next = m_writtenSlots;
  m_writtenSlots = line;
  if (++m_writtenSlotCount >= kSlotBatch) returnSlots();
}

// Hands the written slots back in one push, without the pool lock: producers take the
// whole returned list under that lock once their free list is empty.
void LogManager::returnSlots() {
  if (m_writtenSlots == nullptr) return;
  QueuedLine* head = m_returnedSlots.load(std::memory_order_relaxed);
  do {
    m_writtenSlotsTail->next = head;
  } while (!m_returnedSlots.compare_exchange_weak(head, m_writtenSlots, std::memory_order_release,
                                                  std::memory_order_relaxed));
  m_writtenSlots = nullptr;
  m_writtenSlotsTail = nullptr;
  m_writtenSlotCount = 0;
}

// Takes every line pushed so far into the writer queue, oldest first; false when none.
bool LogManager::takeShared() {
  QueuedLine* newest = m_sharedHead.exchange(nullptr, std::memory_order_acquire);
  if (newest == nullptr) return false;
  size_t count = 0;
  QueuedLine* oldest = nullptr;
  while (newest != nullptr) {
    QueuedLine* next = newest->next;
    newest->next = oldest;
    oldest = newest;
    newest = next;
    ++count;
  }
  m_writerQueue = oldest;
  m_sharedQueueSize.fetch_sub(count, std::memory_order_relaxed);
  return true;
}

uint64_t LogManager::totalPushCount() {
  return m_totalPushed.load(std::memory_order_relaxed);
}

// ---- loggers and settings ------------------------------------------------------------

int32_t LogManager::CreateLogger(const char* key) {
  if (key == nullptr) return -1;
  const std::string trimmed = trimConfigText(key);
  const auto found = m_ids.find(trimmed);
  if (found != m_ids.end()) return found->second;
  const int32_t id = m_lastId + 1;
  if (id >= LOGGER_MAX) {
    const char* message =
        "logger: CreateLogger can not create|writeover, because loggerid need < LOGGER_MAX! \r\n";
    printColored(message, strlen(message), LOG_FATAL);
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

bool LogManager::isLoggerEnabled(int32_t id) {
  return validId(id) && m_loggers[id].enable;
}

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

bool LogManager::setLoggerFileLine(int32_t id, bool on) {
  return queueSettingChange(id, RECORD_FILELINE, on, "");
}

bool LogManager::setLoggerDisplay(int32_t id, bool on) {
  return queueSettingChange(id, RECORD_DISPLAY, on, "");
}

bool LogManager::setLoggerOutFile(int32_t id, bool on) {
  return queueSettingChange(id, RECORD_OUTFILE, on, "");
}

bool LogManager::setLoggerLimitSize(int32_t id, uint32_t mebibytes) {
  const uint32_t limit = mebibytes == 0 ? 4294967295u : mebibytes;
  return queueSettingChange(id, RECORD_LIMITSIZE, static_cast<int32_t>(limit), "");
}

bool LogManager::setLoggerMonthDir(int32_t id, bool on) {
  return queueSettingChange(id, RECORD_MONTHDIR, on, "");
}

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
    applySettingChange(id, kind, value, text);
    return true;
  }
  // While the writer runs, changes travel through the queue so that they apply between
  // lines, in order.
  QueuedLine* change = newQueuedLine(text.size());
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
  m_sharedQueueSize.fetch_add(1, std::memory_order_relaxed);
  enqueue(change);
  return true;
}

void LogManager::applySettingChange(int32_t id, int32_t kind, int32_t value, const std::string& text) {
  if (!validId(id)) return;
  LoggerState& logger = m_loggers[id];
  switch (kind) {
    case RECORD_ENABLE: logger.enable = value != 0; break;
    case RECORD_NAME: logger.name = text; break;
    case RECORD_PATH: logger.path = text; break;
    case RECORD_LEVEL: logger.level = value; break;
    case RECORD_FILELINE: logger.fileline = value != 0; break;
    case RECORD_DISPLAY: logger.display = value != 0; break;
    case RECORD_OUTFILE: logger.outfile = value != 0; break;
    case RECORD_LIMITSIZE: logger.limitsize = static_cast<uint32_t>(value); break;
    case RECORD_MONTHDIR: logger.monthdir = value != 0; break;
    case RECORD_RESERVE: logger.reserveTime = value < 0 ? 0 : value; break;
    default: break;
  }
}

// ---- configuration -------------------------------------------------------------------

bool LogManager::configFromText(const std::string& text) {
  return applyConfigText(text, false);
}

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
    consoleWritePlain(formatText(
        " !!! !!! logger configure error: too many calls to Config. the old config file=%s,  the new config file=%s !!! !!! \r\n",
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

// ---- console -------------------------------------------------------------------------

void LogManager::printColored(const char* text, size_t length, int32_t level) {
  if (level < LOG_INFO || level > LOG_FATAL) {
    consoleWritePlain(std::string_view(text, length));
    return;
  }
  std::lock_guard<LockHelper> lock(m_consoleLock);
  consoleWriteColored(std::string_view(text, length), levelConsoleAttribute(level));
}

// ---- lifecycle and the writer --------------------------------------------------------

bool LogManager::start() {
  if (m_running || threadStarted()) {
    const char* message = "logger already start \r\n";
    printColored(message, strlen(message), LOG_FATAL);
    return false;
  }
  m_startSem.reset(0);
  if (!startThread()) {
    consoleWritePlain("logger: create logger thread error! \r\n");
    return false;
  }
  return m_startSem.wait(kStartWait);
}

bool LogManager::stop() {
  if (!m_running) return false;
  const char* message = "logger stopping \r\n";
  printColored(message, strlen(message), LOG_FATAL);
  {
    std::lock_guard<std::mutex> lock(m_idleMutex);
    m_running = false;
  }
  m_idleWake.notify_all();
  joinThread();
  // Records pushed by producers that raced with the stop are dropped, never written.
  deleteQueuedLines(m_sharedHead.exchange(nullptr));
  m_sharedQueueSize = 0;
  releasePool();
  return true;
}

void LogManager::logOwn(const char* message) {
  KVR_LOG_TO(*this, 0, LOG_ALARM, message);
}

void LogManager::logLoggerSummary(int32_t id) {
  const LoggerState& logger = m_loggers[id];
  KVR_LOG_TO(*this, 0, LOG_ALARM, "logger id=", id, " key=", logger.key, " name=", logger.name,
             " path=", logger.path, " level=", logger.level.load(), " display=", logger.display);
}

void LogManager::idleWait() {
  std::unique_lock<std::mutex> lock(m_idleMutex);
  m_writerIdle = true;
  m_idleWake.wait_for(lock, kIdlePoll, [this] {
    return !m_running || m_sharedQueueSize.load(std::memory_order_relaxed) >= kWakeWriterAt;
  });
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

  uint32_t unflushed[LOGGER_MAX] = {};
  time_t lastReload = time(nullptr);
  for (;;) {
    for (;;) {
      if (m_writerQueue == nullptr && !takeShared()) {
        returnSlots();
        break;
      }
      QueuedLine* record = m_writerQueue;
      m_writerQueue = record->next;
      writeRecord(record, unflushed);
    }

    for (int32_t id = 0; id <= m_lastId; ++id) {
      LoggerState& logger = m_loggers[id];
      if (!logger.enable) {
        closeLogger(id);
      } else if (unflushed[id] != 0) {
        if (logger.file != nullptr) fflush(logger.file);
        unflushed[id] = 0;
      }
    }

    idleWait();
    if (!m_running && m_sharedQueueSize.load(std::memory_order_relaxed) == 0) {
      for (int32_t id = 0; id <= m_lastId; ++id) {
        if (m_loggers[id].enable) {
          m_loggers[id].enable = false;
          closeLogger(id);
        }
      }
      return;
    }
    if (m_reloadInterval != 0 && time(nullptr) - lastReload > m_reloadInterval) {
      reloadConfig();
      lastReload = time(nullptr);
    }
  }
}

void LogManager::writeRecord(QueuedLine* record, uint32_t* unflushed) {
  const int32_t id = record->loggerId;
  if (!validId(id)) {
    releaseLine(record);
    return;
  }
  if (record->kind != RECORD_LINE) {
    applySettingChange(id, record->kind, record->kindValue,
                       std::string(record->text, static_cast<size_t>(record->textLength)));
    closeLogger(id);  // the next line opens a file with the new settings
    releaseLine(record);
    return;
  }
  m_totalPopped.fetch_add(1, std::memory_order_relaxed);
  LoggerState& logger = m_loggers[id];
  if (!logger.enable || record->level < logger.level) {
    releaseLine(record);
    return;
  }
  const size_t length = static_cast<size_t>(record->textLength);
  if (logger.display) printColored(record->text, length, record->level);
  if (logger.outfile) {
    if (!openLogger(*record)) {
      releaseLine(record);
      return;
    }
    if (logger.file != nullptr && length != 0 && fwrite(record->text, 1, length, logger.file) < length)
      closeLogger(id);
    logger.writeLength += static_cast<uint32_t>(length);
    ++unflushed[id];
  }
  m_totalWritten.fetch_add(1, std::memory_order_relaxed);
  m_totalWrittenBytes.fetch_add(length, std::memory_order_relaxed);
  releaseLine(record);
}

// ---- files ---------------------------------------------------------------------------

void LogManager::closeLogger(int32_t id) {
  LoggerState& logger = m_loggers[id];
  if (logger.file != nullptr) {
    fclose(logger.file);
    logger.file = nullptr;
  }
}

bool LogManager::createDirectoryChain(const std::string& path) {
  if (path.empty()) return true;
  std::string folder = path;
  for (char& c : folder)
    if (c == '\\') c = '/';
  if (folder.back() != '/') folder += '/';
  for (size_t slash = folder.find('/'); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    if (!prefix.empty() && !isDirectory(prefix) && !makeDirectory(prefix)) return false;
  }
  return true;
}

bool LogManager::openLogger(const QueuedLine& record) {
  const int32_t id = record.loggerId;
  LoggerState& logger = m_loggers[id];
  if (!logger.enable || !logger.outfile || record.level < logger.level) return false;

  if (record.time < logger.fileDayStart || record.time >= logger.fileDayEnd) {
    logger.fileIndex = 0;
    closeLogger(id);
  } else if (logger.writeLength > static_cast<uint32_t>(logger.limitsize * 1048576u)) {
    ++logger.fileIndex;
    closeLogger(id);
  }
  if (logger.file != nullptr) return true;

  logger.fileCreateTime = record.time;
  logger.writeLength = 0;
  std::tm local{};
  toLocalTime(record.time, local);
  std::tm midnight = local;
  midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
  logger.fileDayStart = fromLocalTime(midnight);
  midnight.tm_mday += 1;
  logger.fileDayEnd = fromLocalTime(midnight);

  std::string folder = logger.path;
  if (logger.monthdir) folder += formatText("%04d_%02d/", local.tm_year + 1900, local.tm_mon + 1);
  const std::string fullPath =
      folder + formatText("%s_%s_%04d%02d%02d%02d%02d_%03u.log", m_processName.c_str(), logger.name.c_str(),
                          local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, logger.fileIndex);
  if (!isDirectory(folder)) createDirectoryChain(folder);

  FILE* file = fopen(fullPath.c_str(), "ab");
  long size = -1;
  if (file != nullptr && fseek(file, 0, SEEK_END) == 0) size = ftell(file);
  if (size < 0) {
    if (file != nullptr) fclose(file);
    const char* bar = "!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n";
    const std::string message = formatText("logger: can not open log file %s. \r\n", fullPath.c_str());
    printColored(bar, strlen(bar), LOG_FATAL);
    printColored(message.data(), message.size(), LOG_FATAL);
    printColored(bar, strlen(bar), LOG_FATAL);
    logger.outfile = false;
    return false;
  }
  logger.file = file;
  logger.writeLength = static_cast<uint32_t>(size);

  if (logger.reserveTime > 0) {
    const int64_t now = time(nullptr);
    if (logger.history.size() > 7) {
      // The file just opened is never deleted, however old its entry.
      while (!logger.history.empty() && logger.history.front().first < now - logger.reserveTime &&
             logger.history.front().second != fullPath) {
        remove(logger.history.front().second.c_str());
        logger.history.pop_front();
      }
    }
    if (logger.history.empty() || logger.history.back().second != fullPath)
      logger.history.emplace_back(now, fullPath);
  }
  return true;
}
