// Starts a program and measures the time until its window titled TITLE is on the screen
// and painted: the pixel at (X, Y) of the window is bright (the picture's sun). Prints the
// milliseconds and the program's resident memory at that moment, then ends the program.
//   window_watch TITLE X Y TIMEOUT_MS PROGRAM [ARGUMENTS...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: window_watch TITLE X Y TIMEOUT_MS PROGRAM [ARGUMENTS...]\n");
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
  while (std::chrono::steady_clock::now() - start < timeout) {
    const Window window = findShownWindow(display, title);
    if (window != 0 && painted(display, window, x, y)) {
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      std::printf("%.1f %ld\n", ms, residentKiB(pid));
      result = 0;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  XCloseDisplay(display);
  return result;
}
