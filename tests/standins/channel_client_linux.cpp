// Stand-in for the channel client: owns a top-level X11 window, prints its id, writes down
// every copy-data record it receives and ends after the given time.
//   channel_client RECORD_FILE TIME_LIMIT_MS [hang]
// With "hang" it never answers: a client whose window has stopped responding.
// It reads records the way the sender documents them (app/CopyData.h), independently of the
// sender's code, as a real client would.
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "CopyDataRecord.h"

namespace {

// A sender that vanishes before its record is read must not end this program.
int ignoreError(Display*, XErrorEvent*) { return 0; }

void takeRecord(Display* display, const XClientMessageEvent& message, const std::string& recordPath) {
  const auto dwData = static_cast<uint32_t>(static_cast<unsigned long>(message.data.l[0]) & 0xffffffffUL);
  const auto wParam = static_cast<int32_t>(static_cast<uint32_t>(message.data.l[1]));
  const auto sender = static_cast<Window>(message.data.l[2]);
  const auto property = static_cast<Atom>(message.data.l[3]);

  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long left = 0;
  unsigned char* data = nullptr;
  const int result = XGetWindowProperty(display, sender, property, 0, 0x1000000, False, AnyPropertyType, &type, &format,
                                        &count, &left, &data);
  if (result == Success && type == message.message_type && format == 8 && left == 0)
    appendLine(recordPath, formatCopyDataRecord(dwData, wParam, data, count));
  if (data != nullptr) XFree(data);
  // Deleting the property tells the sender the record was taken: only after it is on disk.
  XDeleteProperty(display, sender, property);
  XFlush(display);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "hang")) {
    std::fprintf(stderr, "usage: channel_client RECORD_FILE TIME_LIMIT_MS [hang]\n");
    return 2;
  }
  const bool hang = argc == 4;
  const std::string recordPath = argv[1];
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(std::strtoul(argv[2], nullptr, 10));

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;
  XSetErrorHandler(ignoreError);
  const Atom copyData = XInternAtom(display, "_KVR_COPYDATA", False);
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 200, 0, 0,
                                            WhitePixel(display, DefaultScreen(display)));
  XStoreName(display, window, "channel client");
  XMapWindow(display, window);
  XSync(display, False);
  std::printf("%lu\n", window);
  std::fflush(stdout);

  if (hang) std::this_thread::sleep_until(deadline);
  for (;;) {
    while (!hang && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == ClientMessage && event.xclient.message_type == copyData && event.xclient.format == 32)
        takeRecord(display, event.xclient, recordPath);
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, static_cast<int>(left.count()));
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
