#include "BoxCloser.h"

#include <utility>

BoxCloser::BoxCloser(const std::string& caption) : m_thread([this, caption] { watch(caption); }) {}

BoxCloser::~BoxCloser() {
  m_stop = true;
  m_thread.join();
}

std::vector<std::string> BoxCloser::closed() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_closed;
}

void BoxCloser::record(std::string entry) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_closed.push_back(std::move(entry));
}
