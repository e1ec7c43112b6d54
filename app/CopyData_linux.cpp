#include "CopyData.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <mutex>

#include "X11CopyData_linux.h"

namespace {

// Xlib reports protocol errors to one process-wide handler, whose default ends the process.
// While a record is sent, errors of the sender's own connection are trapped; every other
// connection's errors (GTK's) go on to the handler that was installed before.
std::mutex g_sendMutex;
Display* g_trapDisplay = nullptr;
XErrorHandler g_previousHandler = nullptr;
int g_trappedError = Success;

int trapError(Display* display, XErrorEvent* error) {
  if (display == g_trapDisplay) {
    if (g_trappedError == Success) g_trappedError = error->error_code;
    return 0;
  }
  return g_previousHandler != nullptr ? g_previousHandler(display, error) : 0;
}

// The sender's own connection, with its errors trapped for its lifetime.
class TrappedConnection {
 public:
  TrappedConnection() : m_display(XOpenDisplay(nullptr)) {
    if (m_display == nullptr) return;
    g_trapDisplay = m_display;
    g_trappedError = Success;
    g_previousHandler = XSetErrorHandler(trapError);
  }
  ~TrappedConnection() {
    if (m_display == nullptr) return;
    XCloseDisplay(m_display);
    XSetErrorHandler(g_previousHandler);
    g_trapDisplay = nullptr;
  }
  TrappedConnection(const TrappedConnection&) = delete;
  TrappedConnection& operator=(const TrappedConnection&) = delete;

  Display* display() const { return m_display; }
  bool failed() const { return g_trappedError != Success; }

 private:
  Display* m_display;
};

// Largest property this connection can set in one request (the request's header is 24 bytes).
size_t maxPropertyBytes(Display* display) {
  long units = XExtendedMaxRequestSize(display);
  if (units == 0) units = XMaxRequestSize(display);
  return static_cast<size_t>(units) * 4 - 32;
}

bool waitUntilTaken(Display* display, Window sender, Atom property) {
  const auto deadline = std::chrono::steady_clock::now() + kCopyDataTimeout;
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == PropertyNotify && event.xproperty.window == sender && event.xproperty.atom == property &&
          event.xproperty.state == PropertyDelete)
        return true;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, static_cast<int>(left.count()));
  }
}

}  // namespace

bool sendCopyData(int32_t windowId, uint32_t dwData, const std::vector<uint8_t>& payload) {
  if (windowId <= 0) return false;
  std::lock_guard lock(g_sendMutex);
  TrappedConnection connection;
  Display* display = connection.display();
  if (display == nullptr || payload.size() > maxPropertyBytes(display)) return false;

  // Looked up before the sender's own window exists: the server hands a gone client's ids
  // to the next connection, so a stale id could otherwise name the sender's own window.
  const auto target = static_cast<Window>(windowId);
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, target, &attributes) == 0 || connection.failed()) return false;

  const Window sender = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(display, sender, PropertyChangeMask);
  const Atom atom = postCopyDataRecord(display, target, sender, dwData, windowId, payload);
  // A target gone since the look-up shows up here as BadWindow.
  XSync(display, False);
  const bool taken = !connection.failed() && waitUntilTaken(display, sender, atom);
  XDestroyWindow(display, sender);
  return taken;
}
