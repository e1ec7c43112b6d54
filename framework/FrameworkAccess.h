// The platform twins' one way into the framework's classes: one access struct per class,
// each the class's friend, giving its platform side (Impl, defined by the platform's
// header FrameworkImpl_win.h / FrameworkImpl_linux.h, which includes this one) and the
// handlers a twin calls on the window system's behalf. Portable code never includes it.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "framework/CDC.h"
#include "framework/CDialogEx.h"
#include "framework/CHtmlView.h"
#include "framework/CImage.h"
#include "framework/CWnd.h"
#include "framework/UiThreadChannel.h"

struct WndAccess {
  static CWnd::Impl& impl(const CWnd& wnd) { return *wnd.m_impl; }
  static bool eraseBackground(CWnd& wnd, CDC* pDC) { return wnd.OnEraseBkgnd(pDC); }
  static void paint(CWnd& wnd) { wnd.OnPaint(); }
  static HitTest hitTest(CWnd& wnd, CPoint point) { return wnd.OnNcHitTest(point); }
  static CtlColorBrush ctlColor(CWnd& dialog, CDC* pDC, CWnd* pWnd) { return dialog.OnCtlColor(pDC, pWnd); }
  static void command(CWnd& dialog, int nID, int nCode) { dialog.OnCommand(nID, nCode); }
  static bool copyData(CWnd& wnd, uint32_t dwData, std::span<const uint8_t> data) {
    return wnd.OnCopyData(dwData, data);
  }
  static void destroy(CWnd& wnd) { wnd.OnDestroy(); }
  static void preSubclass(CWnd& wnd) { wnd.PreSubclassWindow(); }
};

struct DialogAccess {
  static bool initDialog(CDialogEx& dialog) { return dialog.OnInitDialog(); }
  static void ok(CDialogEx& dialog) { dialog.OnOK(); }
  static void cancel(CDialogEx& dialog) { dialog.OnCancel(); }
  static void firstPaintDone(CDialogEx& dialog) { dialog.OnFirstPaintDone(); }
  static std::shared_ptr<UiThreadChannel>& channel(CDialogEx& dialog) { return dialog.m_channel; }
};

struct HtmlViewAccess {
  static CHtmlView::Impl& impl(const CHtmlView& view) { return *view.m_impl; }
  static void beforeNavigate(CHtmlView& view, const std::wstring& url, bool& bCancel) {
    view.BeforeNavigate2(url, bCancel);
  }
  static CHtmlView* newWindow(CHtmlView& view, bool& bCancel) { return view.OnNewWindow2(bCancel); }
  static void documentComplete(CHtmlView& view, const std::wstring& url) { view.OnDocumentComplete(url); }
  static bool external(CHtmlView& view) { return view.OnGetExternal(); }
  static std::span<const CHtmlView::DispatchEntry> dispatchMap(const CHtmlView& view) { return view.GetDispatchMap(); }
};

struct DCAccess {
  static CDC::Impl& impl(const CDC& dc) { return *dc.m_impl; }
};

struct ImageAccess {
  static CImage::Impl& impl(const CImage& image) { return *image.m_impl; }
};

struct PictureAccess {
  static CPicture::Impl& impl(const CPicture& picture) { return *picture.m_impl; }
};

struct RgnAccess {
  // Null for a region that holds none.
  static CRgn::Impl* impl(const CRgn& region) { return region.m_impl.get(); }
  // The region's platform side, handed over: the region holds none afterwards.
  static std::unique_ptr<CRgn::Impl, CRgn::ImplDeleter> release(CRgn& region) { return std::move(region.m_impl); }
};

struct ChannelAccess {
  static UiThreadChannel::Impl& impl(const UiThreadChannel& channel) { return *channel.m_impl; }
};
