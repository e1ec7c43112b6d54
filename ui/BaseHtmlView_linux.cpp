#include <gdk/gdkx.h>

#include "framework/WndNative_linux.h"
#include "ui/BaseHtmlView.h"

int32_t WindowNumber(const CWnd& wnd) {
  GtkWidget* widget = GetNativeWidget(wnd);
  GdkWindow* window = widget != nullptr ? gtk_widget_get_window(gtk_widget_get_toplevel(widget)) : nullptr;
  if (window == nullptr || !GDK_IS_X11_WINDOW(window)) return 0;
  return static_cast<int32_t>(gdk_x11_window_get_xid(window));
}
