#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <string>

#include "WindowClick.h"
#include "WindowSearch_linux.h"

bool clickInWindow(const std::string& title, int x, int y) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const Window window = findShownWindow(display, title);
  if (window != 0) {
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
  }
  XCloseDisplay(display);
  return window != 0;
}
