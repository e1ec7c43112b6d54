#include "LogRecordPool.h"

#include <cstring>
#include <mutex>

namespace {

constexpr size_t kPoolMax = 200;
// Most lines fit a fixed slot, recycled without the allocator; a longer line is
// allocated to its size and freed once written.
constexpr size_t kSlotSize = 256;

}  // namespace

LogRecord* RecordPool::takeRecord() {
  if (m_recordCount.load(std::memory_order_relaxed) > 0) {
    std::lock_guard<SpinLock> lock(m_lock);
    if (!m_records.empty()) {
      LogRecord* record = m_records.back();
      m_records.pop_back();
      m_recordCount.store(m_records.size(), std::memory_order_relaxed);
      return record;
    }
  }
  return new LogRecord;
}

void RecordPool::giveRecord(LogRecord* record) {
  if (m_recordCount.load(std::memory_order_relaxed) < kPoolMax) {
    std::lock_guard<SpinLock> lock(m_lock);
    m_records.push_back(record);
    m_recordCount.store(m_records.size(), std::memory_order_relaxed);
    return;
  }
  delete record;
}

QueuedLine* RecordPool::newLine(size_t textLength) {
  const size_t size = sizeof(QueuedLine) + textLength + 1;
  QueuedLine* line = nullptr;
  if (size <= kSlotSize) {
    {
      std::lock_guard<SpinLock> lock(m_lock);
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

namespace {

void copyLine(const LogRecord& record, QueuedLine& line) {
  line.loggerId = record.loggerId;
  line.kind = record.kind;
  line.kindValue = record.kindValue;
  line.level = record.level;
  line.time = record.time;
  line.milliseconds = record.milliseconds;
  line.threadId = record.threadId;
  line.textLength = record.textLength;
  memcpy(line.text, record.text, static_cast<size_t>(record.textLength) + 1);
}

}  // namespace

QueuedLine* RecordPool::lineFrom(LogRecord* record) {
  const size_t textLength = static_cast<size_t>(record->textLength);
  if (sizeof(QueuedLine) + textLength + 1 > kSlotSize) {
    QueuedLine* line = newLine(textLength);
    copyLine(*record, *line);
    giveRecord(record);
    return line;
  }
  QueuedLine* line = nullptr;
  {
    std::lock_guard<SpinLock> lock(m_lock);
    if (m_freeSlots == nullptr) m_freeSlots = m_returnedSlots.exchange(nullptr, std::memory_order_acquire);
    line = m_freeSlots;
    if (line != nullptr) {
      m_freeSlots = line->next;
      line->text = reinterpret_cast<char*>(line + 1);
      copyLine(*record, *line);
      if (m_records.size() < kPoolMax) {
        m_records.push_back(record);
        m_recordCount.store(m_records.size(), std::memory_order_relaxed);
        record = nullptr;
      }
    }
  }
  if (line == nullptr) {
    line = new (::operator new(kSlotSize)) QueuedLine;
    line->text = reinterpret_cast<char*>(line + 1);
    copyLine(*record, *line);
  }
  line->inSlot = true;
  if (record != nullptr) giveRecord(record);
  return line;
}

void RecordPool::returnSlots(QueuedLine* first, QueuedLine* last) {
  QueuedLine* head = m_returnedSlots.load(std::memory_order_relaxed);
  do {
    last->next = head;
  } while (!m_returnedSlots.compare_exchange_weak(head, first, std::memory_order_release, std::memory_order_relaxed));
}

void RecordPool::prepare(size_t slots, size_t records) {
  std::lock_guard<SpinLock> lock(m_lock);
  m_records.reserve(kPoolMax);  // giving a record back never grows the list
  for (size_t i = 0; i < records; ++i) {
    auto* record = new LogRecord;
    memset(record, 0, sizeof(LogRecord));
    m_records.push_back(record);
  }
  m_recordCount.store(m_records.size(), std::memory_order_relaxed);
  for (size_t i = 0; i < slots; ++i) {
    auto* slot = new (::operator new(kSlotSize)) QueuedLine;
    memset(static_cast<void*>(slot), 0, kSlotSize);
    slot->next = m_freeSlots;
    m_freeSlots = slot;
  }
}

void RecordPool::release() {
  std::lock_guard<SpinLock> lock(m_lock);
  for (LogRecord* record : m_records) delete record;
  m_records.clear();
  m_recordCount = 0;
  deleteQueuedLines(m_freeSlots);
  m_freeSlots = nullptr;
  deleteQueuedLines(m_returnedSlots.exchange(nullptr));
}

void WrittenLines::returnAll() {
  if (m_first == nullptr) return;
  m_pool.returnSlots(m_first, m_last);
  m_first = nullptr;
  m_last = nullptr;
  m_count = 0;
}
