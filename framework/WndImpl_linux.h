// The GTK side of CWnd and its drawing contexts, shared by the framework's Linux twins.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>

#include "framework/CDC.h"
#include "framework/CDialogEx.h"
#include "framework/CImage.h"
#include "framework/DialogTemplate_linux.h"

struct CWnd::Impl {
  GtkWidget* widget = nullptr;
  CWnd* parent = nullptr;
  int id = 0;
  DialogControlKind kind = DialogControlKind::Frame;
  bool topLevel = false;
  std::wstring text;
  CRect rect;  // top level: screen; child: the parent's client area
  // The standard progress bar's state.
  int32_t lower = 0;
  int32_t upper = 100;
  int32_t pos = 0;
  // The context of the draw callback under way, for CPaintDC.
  cairo_t* paintContext = nullptr;

  // A dialog's own parts.
  GtkWidget* fixed = nullptr;
  GMainLoop* loop = nullptr;
  intptr_t result = 0;
  std::map<int, std::unique_ptr<CWnd>> items;  // children no object was bound to
  std::map<int, CWnd*> children;               // every child by id, bound or not
};

struct CDC::Impl {
  cairo_t* cr = nullptr;
  bool ownsContext = false;
  ColorRef textColour = 0;
  bool transparent = false;
};

struct CImage::Impl {
  std::unique_ptr<uint8_t[]> data;
  int width = 0;
  int height = 0;
  int bpp = 0;
  int pitch = 0;
  bool alpha = false;
};

struct CPicture::Impl {
  GdkPixbuf* pixbuf = nullptr;
};

struct CRgn::Impl {
  cairo_region_t* region = nullptr;
};

// What the twins need of each other.
struct WndAccess {
  static CWnd::Impl& impl(const CWnd& wnd) { return *wnd.m_impl; }
  static CWnd* fromWidget(GtkWidget* widget);
  static void bind(CWnd& wnd, GtkWidget* widget);
  // Handlers, called by the signal callbacks.
  static bool eraseBackground(CWnd& wnd, cairo_t* cr);
  static void paint(CWnd& wnd, cairo_t* cr);
  static HitTest hitTest(CWnd& wnd, CPoint point) { return wnd.OnNcHitTest(point); }
  static CtlColorBrush ctlColor(CWnd& dialog, CDC* pDC, CWnd* pWnd) { return dialog.OnCtlColor(pDC, pWnd); }
  static void command(CWnd& dialog, int nID, int nCode) { dialog.OnCommand(nID, nCode); }
  static bool copyData(CWnd& wnd, uint32_t dwData, std::span<const uint8_t> data) {
    return wnd.OnCopyData(dwData, data);
  }
  static void destroy(CWnd& wnd) { wnd.OnDestroy(); }
  static bool initDialog(CDialogEx& dialog) { return dialog.OnInitDialog(); }
  static void ok(CDialogEx& dialog) { dialog.OnOK(); }
  static void cancel(CDialogEx& dialog) { dialog.OnCancel(); }
  static std::shared_ptr<UiThreadChannel>& channel(CDialogEx& dialog) { return dialog.m_channel; }
  static void preSubclass(CWnd& wnd) { wnd.PreSubclassWindow(); }
};

// A drawing context over a cairo context the caller keeps.
class CairoDC : public CDC {
 public:
  explicit CairoDC(cairo_t* cr);
};

// GTK on its X11 back end, started once on the UI thread; false without a display.
bool ensureToolkit();
// AfxWarningBox, with `*shown` pointing at the box while it is open (when not null).
void runWarningBox(const std::wstring& text, const std::wstring& caption, GtkWidget** shown);

// Wide text as GTK takes it (UTF-8).
std::string utf8(const std::wstring& text);
