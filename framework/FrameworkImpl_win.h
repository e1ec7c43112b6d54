// The Win32 side of the framework, for its Windows twins only: each class's platform
// state that more than one twin file needs (the access structs of FrameworkAccess.h reach
// it) and every function one twin file offers another.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "framework/FrameworkAccess.h"

namespace Gdiplus {
class Bitmap;
}

struct CWnd::Impl {
  HWND hWnd = nullptr;
  WNDPROC oldProc = nullptr;  // set while the object subclasses its window
  bool isDialog = false;
  // The message being handled, for Default().
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool wantDefault = false;
  std::map<int, std::unique_ptr<CWnd>> items;  // children no object was bound to
};

struct CDC::Impl {
  HDC hdc = nullptr;
  PAINTSTRUCT paint{};  // a paint context's
};

struct CImage::Impl {
  HBITMAP bitmap = nullptr;
  HDC memoryDC = nullptr;  // the image's own, made on first use
  HGDIOBJ previous = nullptr;
  HDC dc();
};

struct CPicture::Impl {
  Gdiplus::Bitmap* bitmap = nullptr;
};

struct CRgn::Impl {
  HRGN region;  // null once handed to the window system
};

// The message a UiThreadChannel sends to run a function on the window's thread.
inline constexpr UINT kRunOnUiThreadMessage = WM_APP + 0x4B;
// Posted to a dialog before its modal loop starts: its first paint is done when it comes.
inline constexpr UINT kFirstPaintMessage = WM_APP + 0x4C;

// The object bound to a window, if any, and the binding.
CWnd* windowOf(HWND hWnd);
void attachWindow(CWnd& wnd, HWND hWnd);
// The window's message handled the default way: the subclassed window's own procedure,
// or, for a dialog, the dialog manager (told through wantDefault).
LRESULT defaultResult(CWnd& wnd);
// The procedures that route a subclassed window's and a dialog's messages to the handlers.
LRESULT CALLBACK subclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK dialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// A drawing context over a device context the caller keeps.
class HdcDC : public CDC {
 public:
  explicit HdcDC(HDC hdc);
};

// Ties the channel to the window whose thread runs its functions.
void bindChannel(UiThreadChannel& channel, HWND hWnd);

// Runs the function a channel sent (kRunOnUiThreadMessage) if the channel is still open.
void runSentTask(UiThreadChannel& channel, LPARAM task);

// An ownerless message box of `type` on the calling thread (any thread); returns the
// answer, or 0 when the same box was already up (it comes forward instead of a copy).
int runMessageBox(const std::wstring& text, const std::wstring& caption, UINT type);
// The window of the newest message box up, whichever thread shows it; none when no box is.
HWND newestBoxUp();
