#include <X11/Xlib.h>

#include <chrono>
#include <set>

#include "BoxCloser.h"
#include "WindowSearch_linux.h"

void BoxCloser::watch(const std::string& caption) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  std::set<Window> done;
  while (!m_stop) {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
      for (unsigned int i = 0; i < count; ++i) {
        if (done.count(children[i]) != 0 || windowTitle(display, children[i]) != caption) continue;
        // What a window manager sends when the player closes the window.
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = children[i];
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, children[i], False, NoEventMask, &event);
        XFlush(display);
        done.insert(children[i]);
        record(caption);
      }
      if (children != nullptr) XFree(children);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  XCloseDisplay(display);
}
