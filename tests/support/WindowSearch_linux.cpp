#include "WindowSearch_linux.h"

#include <X11/Xatom.h>

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

Window findShownWindow(Display* display, const std::string& title) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) != 0 && attributes.map_state == IsViewable &&
        windowTitle(display, children[i]) == title)
      found = children[i];
  }
  if (children != nullptr) XFree(children);
  return found;
}
