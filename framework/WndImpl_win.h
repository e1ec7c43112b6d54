// The Win32 side of CWnd and its drawing contexts, shared by the framework's Windows twins.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "framework/CDC.h"
#include "framework/CDialogEx.h"
#include "framework/CImage.h"

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
  intptr_t result = 0;                         // a dialog's EndDialog value
  std::map<int, std::unique_ptr<CWnd>> items;  // children no object was bound to
};

struct CDC::Impl {
  HDC hdc = nullptr;
  PAINTSTRUCT paint{};  // a paint context's
};

struct CImage::Impl {
  HBITMAP bitmap = nullptr;
  uint8_t* top = nullptr;  // the first byte of the top row
  int width = 0;
  int height = 0;
  int bpp = 0;
  int pitch = 0;
  bool alpha = false;
  HDC memoryDC = nullptr;  // the image's own, made on first use
  HGDIOBJ previous = nullptr;
  HDC dc();
};

struct CPicture::Impl {
  Gdiplus::Bitmap* bitmap = nullptr;
};

struct CRgn::Impl {
  HRGN region = nullptr;
};

// The message a UiThreadChannel sends to run a function on the window's thread.
inline constexpr UINT kRunOnUiThreadMessage = WM_APP + 0x4B;

struct WndAccess {
  static CWnd::Impl& impl(const CWnd& wnd) { return *wnd.m_impl; }
  static CWnd* fromHandle(HWND hWnd);
  static void attach(CWnd& wnd, HWND hWnd);
  static LRESULT defaultResult(CWnd& wnd);
  static LRESULT CALLBACK subclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK dialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// A drawing context over a device context the caller keeps.
class HdcDC : public CDC {
 public:
  explicit HdcDC(HDC hdc);
};

// Ties the channel to the window whose thread runs its functions.
void bindChannel(UiThreadChannel& channel, HWND hWnd);

// Runs the function a channel sent (kRunOnUiThreadMessage) if the channel is still open.
void runSentTask(UiThreadChannel& channel, LPARAM task);
