// Dismisses the boxes a program under test shows, as a player would: every top-level
// window captioned `caption` that appears while the object lives is closed.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class BoxCloser {
 public:
  explicit BoxCloser(const std::string& caption);
  ~BoxCloser();
  BoxCloser(const BoxCloser&) = delete;
  BoxCloser& operator=(const BoxCloser&) = delete;

  // One entry per box closed so far: its text where the platform lets another
  // process read it (Windows), else its caption.
  std::vector<std::string> closed() const;

 private:
  // The watching thread: closes each new box captioned `caption` and records it, until
  // `m_stop`.
  void watch(const std::string& caption);
  void record(std::string entry);

  std::atomic<bool> m_stop{false};
  mutable std::mutex m_lock;
  std::vector<std::string> m_closed;
  std::thread m_thread;
};
