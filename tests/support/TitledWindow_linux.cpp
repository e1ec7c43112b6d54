#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "TitledWindow.h"

struct TitledWindow::Impl {
  Display* display = nullptr;
  Window window = 0;
};

TitledWindow::TitledWindow(const std::string& title) : m_impl(std::make_unique<Impl>()) {
  m_impl->display = XOpenDisplay(nullptr);
  if (m_impl->display == nullptr) return;
  Display* display = m_impl->display;
  m_impl->window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 200, 100, 0, 0, 0);
  XStoreName(display, m_impl->window, title.c_str());
  XChangeProperty(display, m_impl->window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
  XMapWindow(display, m_impl->window);
  XSync(display, False);
}

TitledWindow::~TitledWindow() {
  if (m_impl->display == nullptr) return;
  if (m_impl->window != 0) XDestroyWindow(m_impl->display, m_impl->window);
  XCloseDisplay(m_impl->display);
}

bool TitledWindow::shown() const { return m_impl->window != 0; }
