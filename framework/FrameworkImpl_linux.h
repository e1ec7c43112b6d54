// The GTK side of the framework, for its Linux twins only: each class's platform state
// that more than one twin file needs (the access structs of FrameworkAccess.h reach it)
// and every function one twin file offers another.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>

#include "framework/DialogTemplate_linux.h"
#include "framework/FrameworkAccess.h"
#include "framework/Toolkit_linux.h"

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
};

struct CPicture::Impl {
  GdkPixbuf* pixbuf = nullptr;
};

struct CRgn::Impl {
  cairo_region_t* region;
};

// The object bound to a widget, if any, and the binding.
CWnd* windowOf(GtkWidget* widget);
void bindWidget(CWnd& wnd, GtkWidget* widget);
// The window's handlers for a draw callback's context: erase, then paint.
bool eraseBackground(CWnd& wnd, cairo_t* cr);
void paintWindow(CWnd& wnd, cairo_t* cr);
// Connects a child widget the dialog made from its template to its object's handlers.
void connectChildSignals(GtkWidget* widget);

// A drawing context over a cairo context the caller keeps.
class CairoDC : public CDC {
 public:
  explicit CairoDC(cairo_t* cr);
};

// A web view's widget is marked as a page's: keys typed in it are the page's, never the
// dialog's Enter or Escape.
void markPageWidget(GtkWidget* widget);
bool withinPage(GtkWidget* widget);
// AfxWarningBox, with `*shown` pointing at the box while it is open (when not null).
void runWarningBox(const std::wstring& text, const std::wstring& caption, GtkWidget** shown);
// The box shown last of those still up; null when none is.
GtkWidget* newestWarningBox();

// Wide text as GTK takes it (UTF-8).
std::string utf8(const std::wstring& text);
