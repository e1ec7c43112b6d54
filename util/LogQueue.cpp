#include "LogQueue.h"

#include <new>

void deleteQueuedLines(QueuedLine* line) {
  while (line != nullptr) {
    QueuedLine* next = line->next;
    ::operator delete(line);
    line = next;
  }
}

QueuedLine* SharedQueue::takeAll() {
  QueuedLine* newest = m_head.exchange(nullptr, std::memory_order_acquire);
  if (newest == nullptr) return nullptr;
  size_t count = 0;
  QueuedLine* oldest = nullptr;
  while (newest != nullptr) {
    QueuedLine* next = newest->next;
    newest->next = oldest;
    oldest = newest;
    newest = next;
    ++count;
  }
  m_size.fetch_sub(count, std::memory_order_relaxed);
  return oldest;
}

void SharedQueue::clear() {
  deleteQueuedLines(m_head.exchange(nullptr));
  m_size = 0;
}
