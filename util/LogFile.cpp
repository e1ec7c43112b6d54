#include "LogFile.h"

#include "FileSystem.h"
#include "FormatText.h"
#include "SystemClock.h"

LogFilePath logFilePath(const LoggerState& logger, const std::string& processName, const std::tm& created,
                        uint32_t index) {
  LogFilePath location{logger.path, {}};
  if (logger.monthdir) location.folder += formatText("%04d_%02d/", created.tm_year + 1900, created.tm_mon + 1);
  location.path = location.folder + formatText("%s_%s_%04d%02d%02d%02d%02d_%03u.log", processName.c_str(),
                                               logger.name.c_str(), created.tm_year + 1900, created.tm_mon + 1,
                                               created.tm_mday, created.tm_hour, created.tm_min, index);
  return location;
}

int64_t systemSeconds() { return static_cast<int64_t>(time(nullptr)); }

bool LogFile::open(const LoggerState& logger, const std::string& processName, int64_t time) {
  if (time < m_dayStart || time >= m_dayEnd) {
    m_index = 0;
    close();
  } else if (m_writeLength > static_cast<uint32_t>(logger.limitsize * 1048576u)) {
    ++m_index;
    close();
  }
  if (m_file != nullptr) return true;

  m_writeLength = 0;
  std::tm local{};
  toLocalTime(time, local);
  std::tm midnight = local;
  midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
  m_dayStart = fromLocalTime(midnight);
  midnight.tm_mday += 1;
  m_dayEnd = fromLocalTime(midnight);

  LogFilePath location = logFilePath(logger, processName, local, m_index);
  m_path = std::move(location.path);
  makeFolderChain(location.folder);

  FILE* file = fopen(m_path.c_str(), "ab");
  long size = -1;
  if (file != nullptr && fseek(file, 0, SEEK_END) == 0) size = ftell(file);
  if (size < 0) {
    if (file != nullptr) fclose(file);
    return false;
  }
  m_file = file;
  m_writeLength = static_cast<uint32_t>(size);
  if (logger.reserveTime > 0) keepHistory(logger.reserveTime);
  return true;
}

// Deletes the files of the oldest entries while they are older than the reserve time
// (once more than seven are kept), then enters the file just opened.
void LogFile::keepHistory(int64_t reserveTime) {
  const int64_t now = m_clock();
  if (m_history.size() > 7) {
    // The file just opened is never deleted, however old its entry.
    while (!m_history.empty() && m_history.front().first < now - reserveTime && m_history.front().second != m_path) {
      remove(m_history.front().second.c_str());
      m_history.pop_front();
    }
  }
  if (m_history.empty() || m_history.back().second != m_path) m_history.emplace_back(now, m_path);
}

void LogFile::write(const char* text, size_t length) {
  if (m_file != nullptr && length != 0 && fwrite(text, 1, length, m_file) < length) close();
  m_writeLength += static_cast<uint32_t>(length);
}

void LogFile::flush() {
  if (m_file != nullptr) fflush(m_file);
}

void LogFile::close() {
  if (m_file != nullptr) {
    fclose(m_file);
    m_file = nullptr;
  }
}
