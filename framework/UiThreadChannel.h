// The one way a thread other than the UI thread touches a window: it hands the UI thread
// a function and waits until that has run. The UI thread never waits for another thread,
// so the two cannot lock against each other.
#pragma once

#include <functional>
#include <memory>
#include <string>

class UiThreadChannel {
 public:
  UiThreadChannel();
  ~UiThreadChannel();
  UiThreadChannel(const UiThreadChannel&) = delete;
  UiThreadChannel& operator=(const UiThreadChannel&) = delete;

  // Runs `fn` on the UI thread while the window lives and returns once it has run (at
  // once when called on the UI thread). False, `fn` not run, once the window is gone.
  // Windows: a sent message. GTK: an idle callback; the caller waits at most
  // kPickUpTimeout for the UI thread to start it, then as long as it runs.
  bool runOnUiThread(const std::function<void()>& fn);

  // An ownerless warning box from any thread; returns when the player has dismissed it.
  // Nothing once the window is gone.
  void warningBox(const std::wstring& text, const std::wstring& caption);

  // The window is gone: every later call is a no-op, waiting callers return.
  void close();
  bool isOpen() const;

  struct Impl;  // the platform's side: how a function reaches the UI thread

 private:
  std::unique_ptr<Impl> m_impl;

  friend struct ChannelAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};
