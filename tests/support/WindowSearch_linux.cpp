#include "WindowSearch_linux.h"

#include <X11/Xatom.h>

namespace {

XErrorHandler g_previousHandler = nullptr;

int toleratingVanishedWindows(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  return g_previousHandler != nullptr ? g_previousHandler(display, error) : 0;
}

// A window XQueryTree listed may be gone when it is read; Xlib's default handler would
// end the whole test program on that BadWindow. Other errors go where they went before.
void tolerateVanishedWindows() {
  static const bool installed = (g_previousHandler = XSetErrorHandler(toleratingVanishedWindows), true);
  (void)installed;
}

}  // namespace

std::string windowTitle(Display* display, Window window) {
  tolerateVanishedWindows();
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
  tolerateVanishedWindows();
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
