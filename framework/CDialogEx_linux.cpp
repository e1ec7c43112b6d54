#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <memory>
#include <optional>
#include <vector>

#include "framework/CDialogEx.h"
#include "framework/FrameworkImpl_linux.h"
#include "framework/UiThreadChannel.h"
#include "util/Utf8.h"
#include "util/X11CopyData_linux.h"

namespace {

// Dialog units to pixels at 96 DPI with the shell font's base units (6 × 13), rounded
// as the dialog manager rounds (MulDiv).
constexpr int DialogUnitsToPixelsX(int units) { return (units * 6 * 2 + (units >= 0 ? 4 : -4)) / 8; }
constexpr int DialogUnitsToPixelsY(int units) { return (units * 13 * 2 + (units >= 0 ? 8 : -8)) / 16; }
static_assert(DialogUnitsToPixelsX(297) == 446 && DialogUnitsToPixelsY(392) == 637);
static_assert(DialogUnitsToPixelsX(40) == 60 && DialogUnitsToPixelsY(11) == 18);

// The label's colour comes from the dialog's WM_CTLCOLOR answer, asked on every paint as
// Windows asks it; the attribute changes only when the answer does.
void applyLabelColour(CWnd& label, cairo_t* cr) {
  CWnd* dialog = label.GetParent();
  GtkWidget* widget = WndAccess::impl(label).widget;
  if (dialog == nullptr || widget == nullptr) return;
  CairoDC dc(cr);
  WndAccess::ctlColor(*dialog, &dc, &label);
  const ColorRef colour = DCAccess::impl(dc).textColour;
  const auto scale = [](uint8_t value) { return static_cast<guint16>(value * 257); };
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(attributes, pango_attr_size_new(8 * PANGO_SCALE));
  pango_attr_list_insert(
      attributes, pango_attr_foreground_new(scale(RedOf(colour)), scale(GreenOf(colour)), scale(BlueOf(colour))));
  PangoAttrList* current = gtk_label_get_attributes(GTK_LABEL(widget));
  gchar* now = current != nullptr ? pango_attr_list_to_string(current) : nullptr;
  gchar* wanted = pango_attr_list_to_string(attributes);
  if (now == nullptr || g_strcmp0(now, wanted) != 0) gtk_label_set_attributes(GTK_LABEL(widget), attributes);
  g_free(now);
  g_free(wanted);
  pango_attr_list_unref(attributes);
}

gboolean onLabelDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
  if (CWnd* label = windowOf(widget)) applyLabelColour(*label, cr);
  return FALSE;
}

gboolean onFrameDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
  const int width = gtk_widget_get_allocated_width(widget);
  const int height = gtk_widget_get_allocated_height(widget);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 0.5, 0.5, width - 1, height - 1);
  cairo_stroke(cr);
  return FALSE;
}

// A button: pressed and released over it is a click, told to the dialog as BN_CLICKED.
gboolean onButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer) {
  CWnd* button = windowOf(widget);
  if (button == nullptr || event->button != 1) return TRUE;
  const int width = gtk_widget_get_allocated_width(widget);
  const int height = gtk_widget_get_allocated_height(widget);
  if (event->x < 0 || event->y < 0 || event->x >= width || event->y >= height) return TRUE;
  if (CWnd* dialog = button->GetParent()) WndAccess::command(*dialog, button->GetDlgCtrlID(), kBnClicked);
  return TRUE;
}

gboolean onButtonPress(GtkWidget*, GdkEventButton*, gpointer) {
  return TRUE;  // the press belongs to the button, not to the dialog's drag
}

GtkWidget* makeChild(const DialogControl& control) {
  GtkWidget* widget = nullptr;
  switch (control.kind) {
    case DialogControlKind::Button:
      widget = gtk_event_box_new();
      gtk_event_box_set_visible_window(GTK_EVENT_BOX(widget), FALSE);
      gtk_widget_set_app_paintable(widget, TRUE);
      gtk_widget_add_events(widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
      g_signal_connect(widget, "button-press-event", G_CALLBACK(onButtonPress), nullptr);
      g_signal_connect(widget, "button-release-event", G_CALLBACK(onButtonRelease), nullptr);
      break;
    case DialogControlKind::Progress: widget = gtk_drawing_area_new(); break;
    case DialogControlKind::Label:
      widget = gtk_label_new(control.text);
      gtk_label_set_xalign(GTK_LABEL(widget), 0);
      gtk_label_set_yalign(GTK_LABEL(widget), 0);
      g_signal_connect(widget, "draw", G_CALLBACK(onLabelDraw), nullptr);
      break;
    case DialogControlKind::Frame:
      widget = gtk_drawing_area_new();
      g_signal_connect(widget, "draw", G_CALLBACK(onFrameDraw), nullptr);
      break;
  }
  connectChildSignals(widget);
  return widget;
}

gboolean onDialogDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
  if (CWnd* dialog = windowOf(widget)) eraseBackground(*dialog, cr);
  return FALSE;
}

// The dialog whose first frame is done, as long as its window lives.
struct FirstPaint {
  CDialogEx* dialog;
  std::weak_ptr<UiThreadChannel> channel;
};

gboolean onFirstPaintIdle(gpointer data) {
  const std::unique_ptr<FirstPaint> first(static_cast<FirstPaint*>(data));
  const std::shared_ptr<UiThreadChannel> channel = first->channel.lock();
  if (channel && channel->isOpen()) DialogAccess::firstPaintDone(*first->dialog);
  return G_SOURCE_REMOVE;
}

// The first frame is being drawn: an idle callback runs once it is finished (the
// frame's phases run at higher priorities than G_PRIORITY_DEFAULT_IDLE).
gboolean onFirstDraw(GtkWidget* widget, cairo_t*, gpointer data) {
  g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(onFirstDraw), data);
  auto* dialog = static_cast<CDialogEx*>(data);
  g_idle_add(onFirstPaintIdle, new FirstPaint{dialog, DialogAccess::channel(*dialog)});
  return FALSE;
}

gboolean onDialogPress(GtkWidget* widget, GdkEventButton* event, gpointer) {
  CWnd* dialog = windowOf(widget);
  if (dialog == nullptr || event->type != GDK_BUTTON_PRESS || event->button != 1) return FALSE;
  const CPoint point{static_cast<int>(event->x_root), static_cast<int>(event->y_root)};
  if (WndAccess::hitTest(*dialog, point) != HitTest::Caption) return FALSE;
  gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), point.x, point.y, event->time);
  return TRUE;
}

gboolean onDialogKey(GtkWidget* widget, GdkEventKey* event, gpointer) {
  auto* dialog = static_cast<CDialogEx*>(windowOf(widget));
  if (dialog == nullptr) return FALSE;
  // The focused child has the key first, as the browser control has it inside a Windows
  // dialog: Enter in the login page's form logs in instead of ending the dialog. A key the
  // page leaves alone (Escape in a field, Enter outside a form) comes back here from the
  // web view and is still the page's: only keys outside a page are the dialog's.
  if (gtk_window_propagate_key_event(GTK_WINDOW(widget), event)) return TRUE;
  if (withinPage(gtk_window_get_focus(GTK_WINDOW(widget)))) return FALSE;
  switch (event->keyval) {
    case GDK_KEY_Escape: DialogAccess::cancel(*dialog); return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter: DialogAccess::ok(*dialog); return TRUE;
    default: return FALSE;
  }
}

// The window system's close request is the dialog's Cancel, as on Windows.
gboolean onDialogDelete(GtkWidget* widget, GdkEvent*, gpointer) {
  if (auto* dialog = static_cast<CDialogEx*>(windowOf(widget))) DialogAccess::cancel(*dialog);
  return TRUE;
}

gboolean onDialogConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer) {
  if (CWnd* dialog = windowOf(widget))
    WndAccess::impl(*dialog).rect = {event->x, event->y, event->x + event->width, event->y + event->height};
  return FALSE;
}

void onDialogDestroy(GtkWidget* widget, gpointer) {
  auto* dialog = static_cast<CDialogEx*>(windowOf(widget));
  if (dialog == nullptr) return;
  if (const auto& channel = DialogAccess::channel(*dialog)) channel->close();
  WndAccess::destroy(*dialog);
  CWnd::Impl& impl = WndAccess::impl(*dialog);
  impl.widget = nullptr;
  impl.fixed = nullptr;
  if (impl.loop != nullptr) g_main_loop_quit(impl.loop);
}

// Inbound copy-data records (app/CopyData.h describes the X11 form): the payload is a
// property on the sender's window; deleting it tells the sender the record was taken.
GdkFilterReturn copyDataFilter(GdkXEvent* native, GdkEvent*, gpointer data) {
  const auto* xevent = static_cast<XEvent*>(native);
  auto* dialog = static_cast<CDialogEx*>(data);
  GtkWidget* widget = WndAccess::impl(*dialog).widget;
  if (widget == nullptr) return GDK_FILTER_CONTINUE;
  const std::optional<CopyDataAnnouncement> record =
      copyDataAnnouncedTo(*xevent, gdk_x11_window_get_xid(gtk_widget_get_window(widget)));
  if (!record) return GDK_FILTER_CONTINUE;
  Display* display = xevent->xclient.display;
  GdkDisplay* gdkDisplay = gdk_x11_lookup_xdisplay(display);
  gdk_x11_display_error_trap_push(gdkDisplay);
  std::vector<uint8_t> payload;
  const bool read = takeCopyDataPayload(display, *record, payload);
  gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
  if (read) WndAccess::copyData(*dialog, record->dwData, payload);
  return GDK_FILTER_REMOVE;
}

}  // namespace

intptr_t CDialogEx::DoModal() {
  const DialogTemplate* dialogTemplate = FindDialogTemplate(m_nIDTemplate);
  if (!ensureToolkit() || dialogTemplate == nullptr || IsWindow()) return -1;
  Impl& impl = WndAccess::impl(*this);

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_widget_set_app_paintable(window, TRUE);
  impl.topLevel = true;
  impl.rect = {0, 0, DialogUnitsToPixelsX(dialogTemplate->width), DialogUnitsToPixelsY(dialogTemplate->height)};
  gtk_window_set_default_size(GTK_WINDOW(window), impl.rect.Width(), impl.rect.Height());
  gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK | GDK_STRUCTURE_MASK);
  bindWidget(*this, window);
  g_signal_connect(window, "draw", G_CALLBACK(onDialogDraw), nullptr);
  g_signal_connect_after(window, "draw", G_CALLBACK(onFirstDraw), this);
  g_signal_connect(window, "button-press-event", G_CALLBACK(onDialogPress), nullptr);
  g_signal_connect(window, "key-press-event", G_CALLBACK(onDialogKey), nullptr);
  g_signal_connect(window, "delete-event", G_CALLBACK(onDialogDelete), nullptr);
  g_signal_connect(window, "configure-event", G_CALLBACK(onDialogConfigure), nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(onDialogDestroy), nullptr);

  impl.fixed = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(window), impl.fixed);
  for (const DialogControl& control : dialogTemplate->controls) {
    auto item = std::make_unique<CWnd>();
    Impl& child = WndAccess::impl(*item);
    child.parent = this;
    child.id = control.id;
    child.kind = control.kind;
    child.text = fromUtf8(control.text);
    child.rect = {DialogUnitsToPixelsX(control.x), DialogUnitsToPixelsY(control.y),
                  DialogUnitsToPixelsX(control.x + control.width), DialogUnitsToPixelsY(control.y + control.height)};
    GtkWidget* widget = makeChild(control);
    bindWidget(*item, widget);
    gtk_fixed_put(GTK_FIXED(impl.fixed), widget, child.rect.left, child.rect.top);
    gtk_widget_set_size_request(widget, child.rect.Width(), child.rect.Height());
    impl.children[control.id] = item.get();
    impl.items[control.id] = std::move(item);
  }
  gtk_widget_realize(window);
  m_channel = std::make_shared<UiThreadChannel>();
  gdk_window_add_filter(nullptr, copyDataFilter, this);

  m_nResult = 0;
  DialogAccess::initDialog(*this);
  if (IsWindow()) {
    gtk_widget_show_all(window);
    impl.loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(impl.loop);
    g_main_loop_unref(impl.loop);
    impl.loop = nullptr;
  }
  gdk_window_remove_filter(nullptr, copyDataFilter, this);
  DestroyWindow();
  return m_nResult;
}
