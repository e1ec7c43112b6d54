// The queue between the producers and the writer thread: finished lines and setting
// changes, each copied out of its record, on one lock-free list.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

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

// Frees every line of a list, slots included.
void deleteQueuedLines(QueuedLine* line);

// Producers push onto the list without a lock, newest first; the writer takes the whole
// list at once. The size is counted before a push, so it is never below the number of
// lines on the list, and the back-pressure estimate is never short.
class SharedQueue {
 public:
  SharedQueue() = default;
  ~SharedQueue() { deleteQueuedLines(m_head.exchange(nullptr)); }
  SharedQueue(const SharedQueue&) = delete;
  SharedQueue& operator=(const SharedQueue&) = delete;

  // Queues a line; returns the size counted with it. The line is counted as pushed
  // before the writer can take it, so pushed lines never fall below taken ones.
  size_t pushLine(QueuedLine* line) {
    const size_t queued = m_size.fetch_add(1, std::memory_order_relaxed) + 1;
    m_pushedLines.fetch_add(1, std::memory_order_relaxed);
    link(line);
    return queued;
  }
  // Queues a setting change, which is not a pushed line.
  void pushChange(QueuedLine* change) {
    m_size.fetch_add(1, std::memory_order_relaxed);
    link(change);
  }
  // Takes every entry pushed so far, oldest first, so that each thread's lines and
  // setting changes keep their order; null when there is none.
  QueuedLine* takeAll();
  // Drops every entry still queued and the size with them.
  void clear();

  size_t size() const { return m_size.load(std::memory_order_relaxed); }
  uint64_t pushedLines() const { return m_pushedLines.load(std::memory_order_relaxed); }

 private:
  void link(QueuedLine* line) {
    QueuedLine* head = m_head.load(std::memory_order_relaxed);
    do {
      line->next = head;
    } while (!m_head.compare_exchange_weak(head, line, std::memory_order_release, std::memory_order_relaxed));
  }

  std::atomic<QueuedLine*> m_head{nullptr};
  std::atomic<size_t> m_size{0};
  std::atomic<uint64_t> m_pushedLines{0};
};
