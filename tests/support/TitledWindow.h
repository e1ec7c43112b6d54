// A real top-level window with a given title, shown for the lifetime of the object,
// for tests of what the launcher does when such a window exists.
#pragma once

#include <memory>
#include <string>

class TitledWindow {
 public:
  explicit TitledWindow(const std::string& title);
  ~TitledWindow();
  TitledWindow(const TitledWindow&) = delete;
  TitledWindow& operator=(const TitledWindow&) = delete;

  bool shown() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};
