// Small thread, semaphore and lock wrappers the logger is built from.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Owns one thread whose body is `run`.
class ThreadHelper {
 public:
  virtual ~ThreadHelper() = default;
  virtual void run() = 0;

 protected:
  bool startThread();  // false when the platform could not create the thread
  void joinThread();
  bool threadStarted() const { return m_thread.joinable(); }

 private:
  std::thread m_thread;
};

// A counting semaphore with an upper bound on its count.
class SemHelper {
 public:
  explicit SemHelper(int initial = 0, int maximum = 64) : m_count(initial), m_max(maximum) {}
  virtual ~SemHelper() = default;
  void reset(int count);
  void post();
  bool wait(std::chrono::milliseconds limit);  // false on time-out

 private:
  std::mutex m_mutex;
  std::condition_variable m_cv;
  int m_count;
  int m_max;
};

// The logger's lock: a plain mutex, never held together with another.
class LockHelper {
 public:
  virtual ~LockHelper() = default;
  void lock() { m_mutex.lock(); }
  void unlock() { m_mutex.unlock(); }

 private:
  std::mutex m_mutex;
};
