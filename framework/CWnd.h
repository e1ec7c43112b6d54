// The framework's window: a portable face over a platform window (an HWND on Windows,
// a GTK widget on Linux). Handlers are virtual functions, the framework's equivalent of
// a message map; each platform twin routes its window system's messages to them.
// Every member runs on the UI thread; other threads go through UiThreadChannel.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "framework/AfxTypes.h"

// Windows' headers (which some libraries' headers pull in) define these two names as
// macros; here they are CWnd's own members.
#undef SetWindowText
#undef GetWindowText

class CDC;
class CDialogEx;
class CRgn;

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // True while a platform window is attached.
  bool IsWindow() const;
  int GetDlgCtrlID() const;
  // The child with control id `nID` of this window: the object bound to it
  // (DDX_Control), else one the window keeps for it; null when there is none.
  CWnd* GetDlgItem(int nID);
  CWnd* GetParent() const;

  bool DestroyWindow();
  bool ShowWindow(ShowCmd nCmdShow);
  bool MoveWindow(int x, int y, int nWidth, int nHeight, bool bRepaint = true);
  bool SetWindowPos(ZOrder insertAfter, int x, int y, int cx, int cy, unsigned nFlags);
  bool SetForegroundWindow();
  void SetWindowText(const std::wstring& text);
  std::wstring GetWindowText() const;
  // Screen coordinates for a top-level window, the parent's client coordinates for a child.
  CRect GetWindowRect() const;
  CRect GetClientRect() const;
  // Large (true) or small (false) icon, from icon resource `nIconId`.
  void SetIcon(unsigned nIconId, bool bBigIcon);
  // Hands the region to the window system; the window shows and takes input only inside it.
  bool SetWindowRgn(CRgn&& region, bool bRedraw);
  // Repaints now (invalidate and update).
  void RedrawWindow();
  // Has `rect` of the client area repainted, background first, when the window next paints.
  void InvalidateRect(const CRect& rect);

  // Removes the notification-area icon `nID` registered for this window, if any.
  void DeleteNotifyIcon(unsigned nID);

  // Binds this object to the existing child `nID` of `pParent` so that its handlers
  // see the child's messages.
  bool SubclassDlgItem(int nID, CWnd* pParent);

 protected:
  // Called just before SubclassDlgItem routes the child's messages here.
  virtual void PreSubclassWindow() {}
  // WM_ERASEBKGND: true when the background counts as erased. The base does the default.
  virtual bool OnEraseBkgnd(CDC* pDC);
  // WM_PAINT: the base does the control's own painting.
  virtual void OnPaint();
  virtual HitTest OnNcHitTest(CPoint point);
  // WM_CTLCOLOR for child `pWnd`: may set the text colour and background mode on `pDC`.
  virtual CtlColorBrush OnCtlColor(CDC* pDC, CWnd* pWnd);
  // WM_COMMAND from child `nID` with notification `nCode`.
  virtual void OnCommand(int nID, int nCode);
  // WM_COPYDATA; the result is the message's answer.
  virtual bool OnCopyData(uint32_t dwData, std::span<const uint8_t> data);
  // WM_DESTROY, before the children go.
  virtual void OnDestroy() {}
  // Adds to the window's style: only the owner-draw button style is needed.
  void ModifyStyleOwnerDraw();

 public:
  struct Impl;  // the platform's side, defined by the twins

 private:
  std::unique_ptr<Impl> m_impl;

  friend struct WndAccess;  // the platform twins' way in (framework/FrameworkAccess.h)
};

// DDX_Control's counterpart: binds the dialog's child `nIDC` to `rControl`.
class CDataExchange {
 public:
  explicit CDataExchange(CWnd* pDlgWnd) : m_pDlgWnd(pDlgWnd) {}
  CWnd* m_pDlgWnd;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// The primary screen's area for a maximised window's client (SM_CXFULLSCREEN,
// SM_CYFULLSCREEN); on Linux the primary monitor's work area.
CSize GetFullScreenSize();
