#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "BoxCloser.h"

namespace {

std::string windowTitle(Display* display, Window window) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                         XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after,
                         &data) == Success &&
      data != nullptr) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return title;
}

}  // namespace

struct BoxCloser::Impl {
  std::string caption;
  std::atomic<bool> stop{false};
  mutable std::mutex lock;
  std::vector<std::string> closed;
  std::thread thread;

  void run() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return;
    std::set<Window> done;
    while (!stop) {
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
          std::lock_guard<std::mutex> guard(lock);
          closed.push_back(caption);
        }
        if (children != nullptr) XFree(children);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
  }
};

BoxCloser::BoxCloser(const std::string& caption) : m_impl(std::make_unique<Impl>()) {
  m_impl->caption = caption;
  m_impl->thread = std::thread([impl = m_impl.get()] { impl->run(); });
}

BoxCloser::~BoxCloser() {
  m_impl->stop = true;
  m_impl->thread.join();
}

std::vector<std::string> BoxCloser::closed() const {
  std::lock_guard<std::mutex> guard(m_impl->lock);
  return m_impl->closed;
}
