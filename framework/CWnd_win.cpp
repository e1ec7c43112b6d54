#include "framework/FrameworkImpl_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "framework/CDC.h"
#include "framework/Controls.h"
#include "framework/WndNative_win.h"

namespace {

constexpr wchar_t kWndProperty[] = L"KvrCWnd";

}  // namespace

CWnd* windowOf(HWND hWnd) { return static_cast<CWnd*>(GetPropW(hWnd, kWndProperty)); }

void attachWindow(CWnd& wnd, HWND hWnd) {
  WndAccess::impl(wnd).hWnd = hWnd;
  SetPropW(hWnd, kWndProperty, &wnd);
}

LRESULT defaultResult(CWnd& wnd) {
  CWnd::Impl& impl = WndAccess::impl(wnd);
  if (impl.oldProc == nullptr) {
    impl.wantDefault = true;  // a dialog: the dialog manager does the default
    return 0;
  }
  return CallWindowProcW(impl.oldProc, impl.hWnd, impl.message, impl.wParam, impl.lParam);
}

LRESULT CALLBACK subclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = windowOf(hWnd);
  if (wnd == nullptr) return DefWindowProcW(hWnd, message, wParam, lParam);
  CWnd::Impl& impl = WndAccess::impl(*wnd);
  const WNDPROC oldProc = impl.oldProc;
  impl.message = message;
  impl.wParam = wParam;
  impl.lParam = lParam;
  switch (message) {
    case WM_ERASEBKGND: {
      HdcDC dc(reinterpret_cast<HDC>(wParam));
      return WndAccess::eraseBackground(*wnd, &dc) ? TRUE : FALSE;
    }
    case WM_PAINT: WndAccess::paint(*wnd); return 0;
    case WM_DESTROY: WndAccess::destroy(*wnd); return CallWindowProcW(oldProc, hWnd, message, wParam, lParam);
    case WM_NCDESTROY: {
      SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
      RemovePropW(hWnd, kWndProperty);
      impl.hWnd = nullptr;
      impl.oldProc = nullptr;
      return CallWindowProcW(oldProc, hWnd, message, wParam, lParam);
    }
    default: return CallWindowProcW(oldProc, hWnd, message, wParam, lParam);
  }
}

CWnd::CWnd() : m_impl(std::make_unique<Impl>()) {}

CWnd::~CWnd() {
  if (m_impl->hWnd == nullptr) return;
  // The window outlives this object (a child of a dialog that goes later): let go of it.
  if (m_impl->oldProc != nullptr)
    SetWindowLongPtrW(m_impl->hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_impl->oldProc));
  RemovePropW(m_impl->hWnd, kWndProperty);
}

bool CWnd::IsWindow() const { return m_impl->hWnd != nullptr && ::IsWindow(m_impl->hWnd); }

int CWnd::GetDlgCtrlID() const { return m_impl->hWnd != nullptr ? ::GetDlgCtrlID(m_impl->hWnd) : 0; }

CWnd* CWnd::GetDlgItem(int nID) {
  if (m_impl->hWnd == nullptr) return nullptr;
  const HWND child = ::GetDlgItem(m_impl->hWnd, nID);
  if (child == nullptr) return nullptr;
  if (CWnd* bound = windowOf(child)) return bound;
  std::unique_ptr<CWnd>& item = m_impl->items[nID];
  if (item == nullptr) item = std::make_unique<CWnd>();
  item->m_impl->hWnd = child;
  return item.get();
}

CWnd* CWnd::GetParent() const {
  const HWND parent = m_impl->hWnd != nullptr ? ::GetParent(m_impl->hWnd) : nullptr;
  return parent != nullptr ? windowOf(parent) : nullptr;
}

bool CWnd::DestroyWindow() { return m_impl->hWnd != nullptr && ::DestroyWindow(m_impl->hWnd) != FALSE; }

bool CWnd::ShowWindow(ShowCmd nCmdShow) {
  int command = SW_SHOW;
  switch (nCmdShow) {
    case ShowCmd::Hide: command = SW_HIDE; break;
    case ShowCmd::Show: command = SW_SHOW; break;
    case ShowCmd::ShowNormal: command = SW_SHOWNORMAL; break;
    case ShowCmd::Minimize: command = SW_MINIMIZE; break;
  }
  return m_impl->hWnd != nullptr && ::ShowWindow(m_impl->hWnd, command) != FALSE;
}

bool CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, bool bRepaint) {
  return m_impl->hWnd != nullptr && ::MoveWindow(m_impl->hWnd, x, y, nWidth, nHeight, bRepaint) != FALSE;
}

bool CWnd::SetWindowPos(ZOrder insertAfter, int x, int y, int cx, int cy, unsigned nFlags) {
  if (m_impl->hWnd == nullptr) return false;
  HWND after = nullptr;
  UINT flags = 0;
  switch (insertAfter) {
    case ZOrder::Keep: flags |= SWP_NOZORDER; break;
    case ZOrder::TopMost: after = HWND_TOPMOST; break;
    case ZOrder::NoTopMost: after = HWND_NOTOPMOST; break;
  }
  if (nFlags & kSwpNoSize) flags |= SWP_NOSIZE;
  if (nFlags & kSwpNoMove) flags |= SWP_NOMOVE;
  if (nFlags & kSwpNoRedraw) flags |= SWP_NOREDRAW;
  return ::SetWindowPos(m_impl->hWnd, after, x, y, cx, cy, flags) != FALSE;
}

bool CWnd::SetForegroundWindow() {
  if (m_impl->hWnd == nullptr) return false;
  // A box that is up keeps the keyboard, over the window: Enter meant for it must not reach
  // the window.
  if (const HWND box = newestBoxUp()) return ::SetForegroundWindow(box) != FALSE;
  return ::SetForegroundWindow(m_impl->hWnd) != FALSE;
}

void CWnd::SetWindowText(const std::wstring& text) {
  if (m_impl->hWnd != nullptr) SetWindowTextW(m_impl->hWnd, text.c_str());
}

std::wstring CWnd::GetWindowText() const {
  if (m_impl->hWnd == nullptr) return {};
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(m_impl->hWnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(m_impl->hWnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

CRect CWnd::GetWindowRect() const {
  RECT rect{};
  if (m_impl->hWnd != nullptr) {
    ::GetWindowRect(m_impl->hWnd, &rect);
    const HWND parent = ::GetParent(m_impl->hWnd);
    if (parent != nullptr && (GetWindowLongW(m_impl->hWnd, GWL_STYLE) & WS_CHILD) != 0)
      MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return {rect.left, rect.top, rect.right, rect.bottom};
}

CRect CWnd::GetClientRect() const {
  RECT rect{};
  if (m_impl->hWnd != nullptr) ::GetClientRect(m_impl->hWnd, &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void CWnd::SetIcon(unsigned nIconId, bool bBigIcon) {
  if (m_impl->hWnd == nullptr) return;
  const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIconId));
  SendMessageW(m_impl->hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool CWnd::SetWindowRgn(CRgn&& region, bool bRedraw) {
  if (m_impl->hWnd == nullptr || region.IsNull()) return false;
  // From here on the window system owns the region.
  if (::SetWindowRgn(m_impl->hWnd, RgnAccess::impl(region)->region, bRedraw) == 0) return false;
  RgnAccess::release(region)->region = nullptr;
  return true;
}

void CWnd::RedrawWindow() {
  if (m_impl->hWnd == nullptr) return;
  ::InvalidateRect(m_impl->hWnd, nullptr, TRUE);
  UpdateWindow(m_impl->hWnd);
}

void CWnd::InvalidateRect(const CRect& rect) {
  if (m_impl->hWnd == nullptr) return;
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  ::InvalidateRect(m_impl->hWnd, &area, TRUE);
}

void CWnd::DeleteNotifyIcon(unsigned nID) {
  if (m_impl->hWnd == nullptr) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = m_impl->hWnd;
  data.uID = nID;
  Shell_NotifyIconW(NIM_DELETE, &data);
}

bool CWnd::SubclassDlgItem(int nID, CWnd* pParent) {
  if (pParent == nullptr || pParent->m_impl->hWnd == nullptr) return false;
  const HWND child = ::GetDlgItem(pParent->m_impl->hWnd, nID);
  if (child == nullptr) return false;
  pParent->m_impl->items.erase(nID);
  m_impl->hWnd = child;
  PreSubclassWindow();
  attachWindow(*this, child);
  m_impl->oldProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc)));
  return true;
}

bool CWnd::OnEraseBkgnd(CDC*) { return defaultResult(*this) != 0; }

void CWnd::OnPaint() { defaultResult(*this); }

HitTest CWnd::OnNcHitTest(CPoint) { return defaultResult(*this) == HTCAPTION ? HitTest::Caption : HitTest::Client; }

CtlColorBrush CWnd::OnCtlColor(CDC*, CWnd*) {
  defaultResult(*this);
  return CtlColorBrush::Default;
}

void CWnd::ModifyStyleOwnerDraw() {
  const HWND hWnd = m_impl->hWnd;
  const LONG style = GetWindowLongW(hWnd, GWL_STYLE);
  SetWindowLongW(hWnd, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
}

CSize GetFullScreenSize() { return {GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)}; }

void CProgressCtrl::SetRange32(int32_t nLower, int32_t nUpper) {
  SendMessageW(GetNativeWindow(*this), PBM_SETRANGE32, static_cast<WPARAM>(nLower), static_cast<LPARAM>(nUpper));
}

void CProgressCtrl::GetRange(int32_t& nLower, int32_t& nUpper) const {
  PBRANGE range{};
  SendMessageW(GetNativeWindow(*this), PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  nLower = range.iLow;
  nUpper = range.iHigh;
}

void CProgressCtrl::SetPos(int32_t nPos) {
  SendMessageW(GetNativeWindow(*this), PBM_SETPOS, static_cast<WPARAM>(nPos), 0);
}

int32_t CProgressCtrl::GetPos() const {
  return static_cast<int32_t>(SendMessageW(GetNativeWindow(*this), PBM_GETPOS, 0, 0));
}

HWND GetNativeWindow(const CWnd& wnd) { return WndAccess::impl(wnd).hWnd; }

void AttachNativeWindow(CWnd& wnd, HWND hWnd) {
  attachWindow(wnd, hWnd);
  WndAccess::impl(wnd).oldProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc)));
}
