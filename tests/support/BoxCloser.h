// Dismisses the boxes a program under test shows, as a player would: every top-level
// window captioned `caption` that appears while the object lives is closed.
#pragma once

#include <memory>
#include <string>
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
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};
