// Recycled memory of the logger: whole records that producers compose their lines in,
// and fixed-size slots for the queued copies of those lines.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>
#include <thread>
#include <vector>

#include "LogQueue.h"
#include "Logger.h"

// The pool's lock: producers hold it for a few pointer moves, so a thread that finds it
// taken spins rather than sleeping, as sleeping and being woken are system calls that
// cost far more than the wait. A holder that has lost its core is waited for by
// yielding now and then.
class SpinLock {
 public:
  void lock() {
    unsigned spins = 0;
    while (m_locked.exchange(true, std::memory_order_acquire)) {
      while (m_locked.load(std::memory_order_relaxed)) {
        if (++spins == kSpinsBeforeYield) {
          spins = 0;
          std::this_thread::yield();
        }
      }
    }
  }
  void unlock() { m_locked.store(false, std::memory_order_release); }

 private:
  static constexpr unsigned kSpinsBeforeYield = 1000;
  std::atomic<bool> m_locked{false};
};

// Producers take and give records, and take slots, under one lock. The writer hands
// written slots back onto a second list without the lock, and a producer that finds
// the free list empty takes that whole list: only take-all and push touch the lock-free
// list, so it has no ABA problem.
class RecordPool {
 public:
  RecordPool() = default;
  ~RecordPool() { release(); }
  RecordPool(const RecordPool&) = delete;
  RecordPool& operator=(const RecordPool&) = delete;

  // A pooled record, else a fresh one; left uninitialised: only used bytes are written.
  LogRecord* takeRecord();
  // Keeps the record for the next call, or frees it when 200 are pooled.
  void giveRecord(LogRecord* record);
  // Room for a queued line of `textLength` bytes of text: a recycled 256-byte slot when
  // it fits (nearly every line), else memory of its exact size, freed once written.
  QueuedLine* newLine(size_t textLength);
  // The queued copy of a composed line (header fields and text), with the record given
  // back in the same hold of the lock that takes the slot: one lock a call instead of
  // two. A line longer than a slot gets memory of its own size.
  QueuedLine* lineFrom(LogRecord* record);
  // Hands back the written slots from `first` to `last` (linked by `next`) in one push.
  void returnSlots(QueuedLine* first, QueuedLine* last);
  // Makes `slots` slots and `records` records ahead, their memory touched, so that a
  // burst of up to that many queued lines neither allocates nor faults a page in.
  void prepare(size_t slots, size_t records);
  // Frees every pooled record and slot.
  void release();

 private:
  SpinLock m_lock;
  std::vector<LogRecord*> m_records;
  std::atomic<size_t> m_recordCount{0};
  QueuedLine* m_freeSlots = nullptr;  // under the lock
  // Slots the writer has written, handed back without the lock; taken all at once.
  std::atomic<QueuedLine*> m_returnedSlots{nullptr};
};

// The writer's end of the slots: lines it has written, slots gathered and handed back
// in batches (one atomic push for many), lines of their own size freed at once.
class WrittenLines {
 public:
  explicit WrittenLines(RecordPool& pool) : m_pool(pool) {}
  ~WrittenLines() { deleteQueuedLines(m_first); }
  WrittenLines(const WrittenLines&) = delete;
  WrittenLines& operator=(const WrittenLines&) = delete;

  void release(QueuedLine* line) {
    if (!line->inSlot) {
      ::operator delete(line);
      return;
    }
    if (m_first == nullptr) m_last = line;
    line->next = m_first;
    m_first = line;
    if (++m_count >= kBatch) returnAll();
  }
  // Hands every gathered slot back to the pool.
  void returnAll();

 private:
  static constexpr size_t kBatch = 64;

  RecordPool& m_pool;
  QueuedLine* m_first = nullptr;
  QueuedLine* m_last = nullptr;
  size_t m_count = 0;
};
