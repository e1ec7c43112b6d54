#include "LogLine.h"

#include <cstring>

#include "Console.h"
#include "SystemClock.h"

namespace {

const char* const kLevelTexts[] = {"LOG_TRACE", "LOG_DEBUG", "LOG_INFO ", "LOG_WARN ",
                                   "LOG_ERROR", "LOG_ALARM", "LOG_FATAL"};
const int kLevelLengths[] = {9, 9, 8, 8, 9, 9, 9};
const uint16_t kLevelAttributes[] = {0,
                                     0,
                                     CONSOLE_BLUE | CONSOLE_GREEN,
                                     CONSOLE_GREEN | CONSOLE_RED,
                                     CONSOLE_RED,
                                     CONSOLE_GREEN,
                                     CONSOLE_RED | CONSOLE_BLUE};

const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

bool validLevel(int32_t level) { return level >= LOG_TRACE && level <= LOG_FATAL; }

// One local hour of the calling thread: local time at `hourStart` is year-month-day hour:00:00,
// and the mapping is linear for every time in [validFrom, validUntil).
struct LocalHourCache {
  int64_t validFrom = 0;
  int64_t validUntil = 0;
  int64_t hourStart = 0;
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
};

thread_local LocalHourCache t_hour;

bool sameLocalHour(const std::tm& a, const std::tm& b) {
  return a.tm_year == b.tm_year && a.tm_yday == b.tm_yday && a.tm_hour == b.tm_hour;
}

void refreshLocalHour(LocalHourCache& cache, int64_t time) {
  std::tm local{};
  if (!toLocalTime(time, local)) {
    local = std::tm{};
    local.tm_year = 70;
    local.tm_mday = 1;
  }
  cache.year = local.tm_year + 1900;
  cache.month = local.tm_mon + 1;
  cache.day = local.tm_mday;
  cache.hour = local.tm_hour;
  cache.hourStart = time - local.tm_min * 60 - local.tm_sec;
  cache.validFrom = cache.hourStart;
  cache.validUntil = cache.hourStart + 3600;
  // An offset change inside the hour (zones that shift by half an hour) breaks the
  // linear mapping: then trust only the current minute.
  std::tm first{}, last{};
  if (!toLocalTime(cache.validFrom, first) || !toLocalTime(cache.validUntil - 1, last) ||
      !sameLocalHour(first, local) || !sameLocalHour(last, local) || first.tm_min != 0 || first.tm_sec != 0 ||
      last.tm_min != 59 || last.tm_sec != 59) {
    cache.validFrom = time - local.tm_sec;
    cache.validUntil = cache.validFrom + 60;
  }
}

}  // namespace

void RecordStream::writeText(const char* text, size_t length) {
  const size_t room = static_cast<size_t>(m_end - m_pos);
  if (length > room) length = room;
  memcpy(m_pos, text, length);
  m_pos += length;
}

void RecordStream::writeChar(char c) {
  if (m_end - m_pos > 1) *m_pos++ = c;
}

void RecordStream::writeUnsigned(uint64_t value, int minWidth, int base) {
  if (m_end - m_pos < 65) return;
  char digits[64];
  char* p = digits + sizeof digits;
  if (base == 16) {
    do {
      *--p = "0123456789ABCDEF"[value & 15];
      value >>= 4;
    } while (value != 0);
  } else {
    while (value >= 100) {
      const unsigned pair = static_cast<unsigned>(value % 100) * 2;
      value /= 100;
      *--p = kDigitPairs[pair + 1];
      *--p = kDigitPairs[pair];
    }
    if (value >= 10) {
      const unsigned pair = static_cast<unsigned>(value) * 2;
      *--p = kDigitPairs[pair + 1];
      *--p = kDigitPairs[pair];
    } else {
      *--p = static_cast<char>('0' + value);
    }
  }
  int length = static_cast<int>(digits + sizeof digits - p);
  for (; length < minWidth && length < 64; ++length) *m_pos++ = '0';
  const size_t count = static_cast<size_t>(digits + sizeof digits - p);
  memcpy(m_pos, p, count);
  m_pos += count;
}

void RecordStream::writeSigned(int64_t value) {
  if (value < 0) {
    writeChar('-');
    writeUnsigned(0 - static_cast<uint64_t>(value));
  } else {
    writeUnsigned(static_cast<uint64_t>(value));
  }
}

void RecordStream::writePointer(const void* pointer) { writeUnsigned(reinterpret_cast<uintptr_t>(pointer), 8, 16); }

uint16_t levelConsoleAttribute(int32_t level) { return validLevel(level) ? kLevelAttributes[level] : 0; }

void writeLineHeader(RecordStream& stream, int64_t time, uint32_t milliseconds, uint32_t threadId, int32_t level) {
  LocalHourCache& cache = t_hour;
  if (time < cache.validFrom || time >= cache.validUntil) refreshLocalHour(cache, time);
  const int64_t intoHour = time - cache.hourStart;

  stream.writeUnsigned(static_cast<uint64_t>(cache.year), 4);
  stream.writeChar('-');
  stream.writeUnsigned(static_cast<uint64_t>(cache.month), 2);
  stream.writeChar('-');
  stream.writeUnsigned(static_cast<uint64_t>(cache.day), 2);
  stream.writeChar(' ');
  stream.writeUnsigned(static_cast<uint64_t>(cache.hour), 2);
  stream.writeChar(':');
  stream.writeUnsigned(static_cast<uint64_t>(intoHour / 60), 2);
  stream.writeChar(':');
  stream.writeUnsigned(static_cast<uint64_t>(intoHour % 60), 2);
  stream.writeChar('.');
  stream.writeUnsigned(milliseconds, 3);
  stream.writeChar(' ');
  stream.writeChar('[');
  stream.writeUnsigned(threadId, 4);
  stream.writeChar(']');
  stream.writeChar(' ');
  if (validLevel(level)) stream.writeText(kLevelTexts[level], static_cast<size_t>(kLevelLengths[level]));
  stream.writeChar(' ');
}
