#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FileSystem.h"
#include "InstallLayout.h"
#include "LauncherTraces_linux.h"
#include "StartupPlatform.h"
#include "TextConvert.h"

namespace {

std::string windowTitle(Display* display, Window window) {
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data != nullptr) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    return title;
  }
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

// Titles match regardless of letter case, as the window search on Windows does.
bool sameTitle(const std::string& a, const std::string& b) {
  gchar* left = g_utf8_casefold(a.data(), static_cast<gssize>(a.size()));
  gchar* right = g_utf8_casefold(b.data(), static_cast<gssize>(b.size()));
  const bool same = g_strcmp0(left, right) == 0;
  g_free(left);
  g_free(right);
  return same;
}

// Top-level windows are the root's children, or one level below them when a
// window manager reparents them into frames.
Window findTitled(Display* display, Window parent, const std::string& title, int depth) {
  Window root, parentOut, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    XWindowAttributes attributes;
    if (sameTitle(windowTitle(display, children[i]), title) &&
        XGetWindowAttributes(display, children[i], &attributes) && attributes.c_class == InputOutput)
      found = children[i];
    else if (depth > 0)
      found = findTitled(display, children[i], title, depth - 1);
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

InstanceLock::InstanceLock() {
  const int file = open(instanceLockFile().c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (file < 0) return;
  if (flock(file, LOCK_EX | LOCK_NB) != 0) {
    m_anotherHolds = errno == EWOULDBLOCK;
    close(file);
    return;
  }
  m_handle = file;
}

InstanceLock::~InstanceLock() {
  if (m_handle != -1) close(static_cast<int>(m_handle));
}

bool raiseExistingInstance(const std::wstring& title) {
  // Without a display no other launcher can show its window.
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const Window window = findTitled(display, DefaultRootWindow(display), ToAnsi(title), 1);
  if (window != 0) {
    XMapRaised(display, window);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // a request from a pager-like tool: always honoured
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
  }
  XCloseDisplay(display);
  return window != 0;
}

// Linux has no debug privilege to enable.
void EnableDebugPrivilege() {}

bool prepareInstallFolder() {
  const std::string folder = installFolder();
  // A relative HOME would put the install folder below wherever the launcher started.
  if (folder.front() != '/') return false;
  makeFolderChain(folder);
  return chdir(folder.c_str()) == 0;
}

std::optional<std::filesystem::path> launcherCopyPath(const std::filesystem::path& fileName) {
  const std::string folder = installFolder();
  if (folder.size() + 1 + fileName.native().size() >= PATH_MAX) return std::nullopt;
  return folder + "/" + fileName.native();
}

void endProcess(int code) {
  fflush(nullptr);
  _exit(code);
}
