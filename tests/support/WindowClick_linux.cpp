#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <string>

#include "WindowClick.h"

namespace {

std::string windowTitle(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long left = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &left, &data) == Success &&
      data != nullptr)
    title.assign(reinterpret_cast<const char*>(data), count);
  if (data != nullptr) XFree(data);
  return title;
}

}  // namespace

bool clickInWindow(const std::string& title, int x, int y) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const Window root = DefaultRootWindow(display);
  Window rootReturn = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  bool clicked = false;
  if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) != 0) {
    for (unsigned i = 0; i < count && !clicked; ++i) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display, children[i], &attributes) == 0 || attributes.map_state != IsViewable) continue;
      if (windowTitle(display, children[i]) != title) continue;
      int rootX = 0;
      int rootY = 0;
      Window child = 0;
      XTranslateCoordinates(display, children[i], root, x, y, &rootX, &rootY, &child);
      XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
      XTestFakeButtonEvent(display, 1, True, CurrentTime);
      XTestFakeButtonEvent(display, 1, False, CurrentTime);
      XSync(display, False);
      clicked = true;
    }
    if (children != nullptr) XFree(children);
  }
  XCloseDisplay(display);
  return clicked;
}
