#include "ThreadHelpers.h"

#include <system_error>

bool ThreadHelper::startThread() {
  try {
    m_thread = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void ThreadHelper::joinThread() {
  if (m_thread.joinable()) m_thread.join();
}

void SemHelper::reset(int count) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_count = count;
}

void SemHelper::post() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_count < m_max) ++m_count;
  }
  m_cv.notify_one();
}

bool SemHelper::wait(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (!m_cv.wait_for(lock, limit, [this] { return m_count > 0; })) return false;
  --m_count;
  return true;
}
