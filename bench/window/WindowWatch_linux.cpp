// Starts a program and measures the time until its window titled TITLE is on the screen
// and painted: the pixel at (X, Y) of the window is bright (the picture's sun). Prints the
// milliseconds and the program's resident memory at that moment, then ends the program.
// With --stalls MS it first watches the window's main loop for MS milliseconds more and
// prints, third, the longest it took to answer a ping (_NET_WM_PING, which the toolkit
// answers from its main loop), one ping every 2 ms. With --close it then asks the window
// to close (WM_DELETE_WINDOW, as the title bar's button does) and prints, last, the
// milliseconds until the program has ended (-1: not within 30 s).
//   window_watch [--stalls MS] [--close] TITLE X Y TIMEOUT_MS PROGRAM [ARGUMENTS...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "WindowSearch_linux.h"

extern char** environ;

namespace {

bool painted(Display* display, Window window, int x, int y) {
  int rootX = 0;
  int rootY = 0;
  Window child = 0;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
  XImage* image = XGetImage(display, DefaultRootWindow(display), rootX, rootY, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const unsigned long pixel = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return ((pixel >> 16) & 0xff) > 200 && ((pixel >> 8) & 0xff) > 150;
}

long residentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

using Clock = std::chrono::steady_clock;

// The longest answer to a ping over `span`, in milliseconds; -1 when one never came.
double longestStall(Display* display, Window window, std::chrono::milliseconds span) {
  const Window root = DefaultRootWindow(display);
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
  // The answer goes to the root window.
  XSelectInput(display, root, SubstructureNotifyMask);
  const auto end = Clock::now() + span;
  double longest = 0;
  for (long sequence = 1; Clock::now() < end; ++sequence) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[1] = sequence;
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    const auto sent = Clock::now();
    bool answered = false;
    while (!answered) {
      if (Clock::now() - sent > std::chrono::seconds(10)) return -1;
      if (XPending(display) == 0) {
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 1);
        continue;
      }
      XEvent reply;
      XNextEvent(display, &reply);
      answered = reply.type == ClientMessage && reply.xclient.message_type == protocols &&
                 reply.xclient.data.l[0] == static_cast<long>(ping) && reply.xclient.data.l[1] == sequence;
    }
    longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return longest;
}

// Milliseconds from asking `window` to close until the process `pid` has ended; -1
// when it has not within 30 s.
double closeAndWait(Display* display, Window window, pid_t pid) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
  const auto sent = Clock::now();
  while (Clock::now() - sent < std::chrono::seconds(30)) {
    if (waitpid(pid, nullptr, WNOHANG) == pid)
      return std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::chrono::milliseconds stallSpan{0};
  if (argc > 2 && std::string(argv[1]) == "--stalls") {
    stallSpan = std::chrono::milliseconds(std::atol(argv[2]));
    argc -= 2;
    argv += 2;
  }
  const bool close = argc > 1 && std::string(argv[1]) == "--close";
  if (close) {
    --argc;
    ++argv;
  }
  if (argc < 6) {
    std::fprintf(stderr, "usage: window_watch [--stalls MS] [--close] TITLE X Y TIMEOUT_MS PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  const std::string title = argv[1];
  const int x = std::atoi(argv[2]);
  const int y = std::atoi(argv[3]);
  const auto timeout = std::chrono::milliseconds(std::atol(argv[4]));
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 1;

  const auto start = std::chrono::steady_clock::now();
  // The program's own output would mix with the measurement.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[5], &actions, nullptr, argv + 5, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return 1;
  int result = 1;
  bool ended = false;  // reaped already
  while (std::chrono::steady_clock::now() - start < timeout) {
    const Window window = findShownWindow(display, title);
    if (window != 0 && painted(display, window, x, y)) {
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      const long resident = residentKiB(pid);
      std::printf("%.1f %ld", ms, resident);
      if (stallSpan.count() > 0) std::printf(" %.1f", longestStall(display, window, stallSpan));
      if (close) {
        const double closing = closeAndWait(display, window, pid);
        ended = closing >= 0;
        std::printf(" %.1f", closing);
      }
      std::printf("\n");
      result = 0;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  XCloseDisplay(display);
  return result;
}
