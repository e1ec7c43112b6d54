#include <gdk/gdkx.h>

#include "framework/CDC.h"
#include "framework/Controls.h"
#include "framework/FrameworkImpl_linux.h"
#include "framework/WndNative_linux.h"
#include "util/LauncherTraces_linux.h"
#include "util/Resources.h"
#include "util/Utf8.h"

namespace {

constexpr char kWndKey[] = "kvr-cwnd";

// A child's widget has gone with its dialog: its object no longer has a window.
void onChildDestroyed(GtkWidget* widget, gpointer) {
  CWnd* wnd = windowOf(widget);
  if (wnd == nullptr) return;
  WndAccess::destroy(*wnd);
  WndAccess::impl(*wnd).widget = nullptr;
}

gboolean onChildDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
  CWnd* wnd = windowOf(widget);
  if (wnd == nullptr) return FALSE;
  eraseBackground(*wnd, cr);
  paintWindow(*wnd, cr);
  return FALSE;
}

}  // namespace

bool ensureToolkit() {
  static const bool started = [] {
    // The channel client and the single-instance check speak X11.
    gdk_set_allowed_backends("x11");
    // A renamed copy keeps the web engine's folders, which the uninstaller knows by this name.
    g_set_prgname(kProgramName);
    return gtk_init_check(nullptr, nullptr) != FALSE;
  }();
  return started;
}

std::string utf8(const std::wstring& text) { return toUtf8(text); }

CWnd* windowOf(GtkWidget* widget) { return static_cast<CWnd*>(g_object_get_data(G_OBJECT(widget), kWndKey)); }

void bindWidget(CWnd& wnd, GtkWidget* widget) {
  WndAccess::impl(wnd).widget = widget;
  g_object_set_data(G_OBJECT(widget), kWndKey, &wnd);
}

bool eraseBackground(CWnd& wnd, cairo_t* cr) {
  CairoDC dc(cr);
  return WndAccess::eraseBackground(wnd, &dc);
}

void paintWindow(CWnd& wnd, cairo_t* cr) {
  WndAccess::impl(wnd).paintContext = cr;
  WndAccess::paint(wnd);
  WndAccess::impl(wnd).paintContext = nullptr;
}

CWnd::CWnd() : m_impl(std::make_unique<Impl>()) {}

CWnd::~CWnd() {
  if (m_impl->widget != nullptr) g_object_set_data(G_OBJECT(m_impl->widget), kWndKey, nullptr);
}

bool CWnd::IsWindow() const { return m_impl->widget != nullptr; }

int CWnd::GetDlgCtrlID() const { return m_impl->id; }

CWnd* CWnd::GetDlgItem(int nID) {
  const auto found = m_impl->children.find(nID);
  return found != m_impl->children.end() && found->second->IsWindow() ? found->second : nullptr;
}

CWnd* CWnd::GetParent() const { return m_impl->parent; }

bool CWnd::DestroyWindow() {
  if (m_impl->widget == nullptr) return false;
  GtkWidget* widget = m_impl->widget;
  gtk_widget_destroy(widget);
  m_impl->widget = nullptr;
  return true;
}

bool CWnd::ShowWindow(ShowCmd nCmdShow) {
  GtkWidget* widget = m_impl->widget;
  if (widget == nullptr) return false;
  const bool wasVisible = gtk_widget_get_visible(widget);
  switch (nCmdShow) {
    case ShowCmd::Hide: gtk_widget_hide(widget); break;
    case ShowCmd::Show: gtk_widget_show(widget); break;
    case ShowCmd::ShowNormal:
      if (m_impl->topLevel) gtk_window_deiconify(GTK_WINDOW(widget));
      gtk_widget_show(widget);
      break;
    case ShowCmd::Minimize:
      if (m_impl->topLevel) gtk_window_iconify(GTK_WINDOW(widget));
      break;
  }
  return wasVisible;
}

bool CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, bool bRepaint) {
  return SetWindowPos(ZOrder::Keep, x, y, nWidth, nHeight, bRepaint ? 0 : kSwpNoRedraw);
}

bool CWnd::SetWindowPos(ZOrder insertAfter, int x, int y, int cx, int cy, unsigned nFlags) {
  GtkWidget* widget = m_impl->widget;
  if (widget == nullptr) return false;
  CRect& rect = m_impl->rect;
  if ((nFlags & kSwpNoMove) == 0) {
    rect = {x, y, x + rect.Width(), y + rect.Height()};
  }
  if ((nFlags & kSwpNoSize) == 0) rect.right = rect.left + cx, rect.bottom = rect.top + cy;
  if (m_impl->topLevel) {
    if (insertAfter != ZOrder::Keep) gtk_window_set_keep_above(GTK_WINDOW(widget), insertAfter == ZOrder::TopMost);
    if ((nFlags & kSwpNoMove) == 0) gtk_window_move(GTK_WINDOW(widget), rect.left, rect.top);
    if ((nFlags & kSwpNoSize) == 0) {
      // The size is the layout's: fixed hints, so that no window manager scales the window
      // to a smaller screen (the picture would stretch under controls that stay).
      GdkGeometry hints{};
      hints.min_width = hints.max_width = rect.Width();
      hints.min_height = hints.max_height = rect.Height();
      gtk_window_set_geometry_hints(GTK_WINDOW(widget), nullptr, &hints,
                                    static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
      gtk_window_resize(GTK_WINDOW(widget), rect.Width(), rect.Height());
    }
  } else if (m_impl->parent != nullptr && m_impl->parent->m_impl->fixed != nullptr) {
    if ((nFlags & kSwpNoMove) == 0)
      gtk_fixed_move(GTK_FIXED(m_impl->parent->m_impl->fixed), widget, rect.left, rect.top);
    if ((nFlags & kSwpNoSize) == 0) gtk_widget_set_size_request(widget, rect.Width(), rect.Height());
  }
  if ((nFlags & kSwpNoRedraw) == 0) gtk_widget_queue_draw(widget);
  return true;
}

bool CWnd::SetForegroundWindow() {
  if (m_impl->widget == nullptr || !m_impl->topLevel) return false;
  // A box that is up keeps the keyboard, over the window: Enter meant for it must not reach
  // the window.
  if (GtkWidget* box = newestWarningBox()) {
    if (GdkWindow* window = gtk_widget_get_window(m_impl->widget)) gdk_window_raise(window);
    // The server's time, not the last input's: a focus change since then would refuse it.
    GdkWindow* boxWindow = gtk_widget_get_window(box);
    gtk_window_present_with_time(GTK_WINDOW(box),
                                 boxWindow != nullptr ? gdk_x11_get_server_time(boxWindow) : GDK_CURRENT_TIME);
    return true;
  }
  gtk_window_present(GTK_WINDOW(m_impl->widget));
  return true;
}

void CWnd::SetWindowText(const std::wstring& text) {
  m_impl->text = text;
  GtkWidget* widget = m_impl->widget;
  if (widget == nullptr) return;
  if (m_impl->topLevel)
    gtk_window_set_title(GTK_WINDOW(widget), utf8(text).c_str());
  else if (GTK_IS_LABEL(widget))
    gtk_label_set_text(GTK_LABEL(widget), utf8(text).c_str());
}

std::wstring CWnd::GetWindowText() const { return m_impl->text; }

CRect CWnd::GetWindowRect() const { return m_impl->rect; }

CRect CWnd::GetClientRect() const { return {0, 0, m_impl->rect.Width(), m_impl->rect.Height()}; }

void CWnd::SetIcon(unsigned nIconId, bool) {
  // GTK keeps one icon list for every size: the large and the small icon are one picture.
  if (m_impl->widget == nullptr || !m_impl->topLevel) return;
  const std::span<const unsigned char> bytes = LoadResourceBytes(nIconId, "ICON");
  if (bytes.empty()) return;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  if (gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr)) {
    if (GdkPixbuf* icon = gdk_pixbuf_loader_get_pixbuf(loader)) gtk_window_set_icon(GTK_WINDOW(m_impl->widget), icon);
  } else {
    gdk_pixbuf_loader_close(loader, nullptr);
  }
  g_object_unref(loader);
}

bool CWnd::SetWindowRgn(CRgn&& region, bool bRedraw) {
  GtkWidget* widget = m_impl->widget;
  if (widget == nullptr || region.IsNull()) return false;
  // The bounding shape cuts the picture; the input shape lets clicks through the cut.
  gtk_widget_shape_combine_region(widget, RgnAccess::impl(region)->region);
  gtk_widget_input_shape_combine_region(widget, RgnAccess::impl(region)->region);
  if (bRedraw) gtk_widget_queue_draw(widget);
  return true;
}

void CWnd::RedrawWindow() {
  if (m_impl->widget != nullptr) gtk_widget_queue_draw(m_impl->widget);
}

void CWnd::InvalidateRect(const CRect& rect) {
  if (m_impl->widget != nullptr)
    gtk_widget_queue_draw_area(m_impl->widget, rect.left, rect.top, rect.Width(), rect.Height());
}

bool CWnd::SubclassDlgItem(int nID, CWnd* pParent) {
  if (pParent == nullptr) return false;
  const auto found = pParent->m_impl->items.find(nID);
  if (found == pParent->m_impl->items.end() || !found->second->IsWindow()) return false;
  Impl& from = *found->second->m_impl;
  m_impl->parent = pParent;
  m_impl->id = nID;
  m_impl->kind = from.kind;
  m_impl->text = from.text;
  m_impl->rect = from.rect;
  GtkWidget* widget = from.widget;
  from.widget = nullptr;
  PreSubclassWindow();
  bindWidget(*this, widget);
  pParent->m_impl->children[nID] = this;
  return true;
}

bool CWnd::OnEraseBkgnd(CDC*) { return false; }

void CWnd::OnPaint() {}

HitTest CWnd::OnNcHitTest(CPoint) { return HitTest::Client; }

CtlColorBrush CWnd::OnCtlColor(CDC*, CWnd*) { return CtlColorBrush::Default; }

void CWnd::ModifyStyleOwnerDraw() {
  // Every GTK button of ours is drawn by its object: nothing to change.
}

// The standard progress bar: its state lives in the object; GTK draws nothing of its own.
void CProgressCtrl::SetRange32(int32_t nLower, int32_t nUpper) {
  WndAccess::impl(*this).lower = nLower;
  WndAccess::impl(*this).upper = nUpper;
  RedrawWindow();
}

void CProgressCtrl::GetRange(int32_t& nLower, int32_t& nUpper) const {
  nLower = WndAccess::impl(*this).lower;
  nUpper = WndAccess::impl(*this).upper;
}

void CProgressCtrl::SetPos(int32_t nPos) {
  WndAccess::impl(*this).pos = nPos;
  RedrawWindow();
}

int32_t CProgressCtrl::GetPos() const { return WndAccess::impl(*this).pos; }

GtkWidget* GetNativeWidget(const CWnd& wnd) { return WndAccess::impl(wnd).widget; }

GtkFixed* GetChildContainer(const CWnd& dialog) {
  GtkWidget* fixed = WndAccess::impl(dialog).fixed;
  return fixed != nullptr ? GTK_FIXED(fixed) : nullptr;
}

void AttachNativeWidget(CWnd& wnd, GtkWidget* widget, CWnd& parent, int nID, const CRect& rect) {
  CWnd::Impl& impl = WndAccess::impl(wnd);
  CWnd::Impl& parentImpl = WndAccess::impl(parent);
  impl.parent = &parent;
  impl.id = nID;
  impl.rect = rect;
  bindWidget(wnd, widget);
  g_signal_connect(widget, "destroy", G_CALLBACK(onChildDestroyed), nullptr);
  gtk_fixed_put(GTK_FIXED(parentImpl.fixed), widget, rect.left, rect.top);
  gtk_widget_set_size_request(widget, rect.Width(), rect.Height());
  parentImpl.children[nID] = &wnd;
}

void connectChildSignals(GtkWidget* widget) {
  g_signal_connect(widget, "destroy", G_CALLBACK(onChildDestroyed), nullptr);
  g_signal_connect(widget, "draw", G_CALLBACK(onChildDraw), nullptr);
}

void CWnd::DeleteNotifyIcon(unsigned) {
  // The launcher puts no icon in a notification area on Linux: nothing to remove.
}

CSize GetFullScreenSize() {
  if (!ensureToolkit()) return {};
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display != nullptr ? gdk_display_get_primary_monitor(display) : nullptr;
  if (monitor == nullptr && display != nullptr) monitor = gdk_display_get_monitor(display, 0);
  if (monitor == nullptr) return {};
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  return {area.width, area.height};
}
