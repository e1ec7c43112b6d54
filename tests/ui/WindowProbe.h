// What the window tests see and do from outside the window's code: the window system's
// view of a dialog (position, title, topmost, icon), the screen's pixels, real mouse and
// keyboard input, the message boxes, and a window behind everything that counts clicks.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/AfxTypes.h"

class CDialogEx;

struct Rgb {
  uint8_t red, green, blue;
  bool operator==(const Rgb&) const = default;
};

struct WindowFacts {
  CRect rect;         // on the screen
  std::string title;  // UTF-8
  bool topMost = false;
  bool hasIcon = false;
};

// The window system's view of the dialog's window (it must be shown).
WindowFacts windowFacts(CDialogEx& dialog);
// The id another process uses for the dialog's window (HWND or X11 window), as text.
std::string windowId(CDialogEx& dialog);

Rgb screenPixel(CPoint point);
// The screen's pixels in `rect`, row by row from the top.
std::vector<Rgb> screenPixels(const CRect& rect);
void clickAt(CPoint point);
// Presses the left button at `from`, moves to `to` and releases it there.
void dragFrom(CPoint from, CPoint to);
enum class Key { Escape, Enter };
void pressKey(CDialogEx& dialog, Key key);

// Waits up to `timeout` for an open message box with this caption and text.
bool waitForBox(CDialogEx& dialog, const std::wstring& caption, const std::wstring& text,
                std::chrono::milliseconds timeout);
// Presses its OK button; false when there is no such box.
bool dismissBox(CDialogEx& dialog, const std::wstring& caption, const std::wstring& text);
// Answers a yes/no box with Yes or No; false when there is no such box.
bool answerBox(CDialogEx& dialog, const std::wstring& caption, const std::wstring& text, bool yes);
// The same for a box left open after the dialog has gone (Windows: an ownerless box
// lives on its own thread); false when there is none.
bool dismissOrphanBox(const std::wstring& caption, const std::wstring& text);

// The stacking window managers a window is tried under, by name (Windows: the system's own).
std::vector<std::string> windowManagers();

// One of them running on the display for as long as this lives (Windows: nothing to start).
// Linux starts the program and waits, bounded, until it manages the screen; it is ended
// and its hold on the screen waited out when this goes.
class WindowManager {
 public:
  explicit WindowManager(const std::string& name);
  ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  bool running() const;
  // Whether it has taken the dialog's window on (Linux: the window carries WM_STATE).
  bool manages(CDialogEx& dialog) const;

  struct Impl;

 private:
  std::unique_ptr<Impl> m_impl;
};

// A top-level window over the whole screen, below every other window, in a colour of
// its own, counting the left clicks that reach it.
class Backdrop {
 public:
  Backdrop();
  ~Backdrop();
  Backdrop(const Backdrop&) = delete;
  Backdrop& operator=(const Backdrop&) = delete;

  static constexpr Rgb kColour{40, 160, 64};
  int clicks() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> m_impl;
};
