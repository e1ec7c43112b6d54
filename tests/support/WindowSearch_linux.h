// Top-level X11 windows of another program, found by their title: the tests' support and
// the window benchmark share it (the benchmark without the rest of the tests' support).
#pragma once

#include <X11/Xlib.h>

#include <string>

// The window's title (_NET_WM_NAME, UTF-8); empty when it has none.
std::string windowTitle(Display* display, Window window);

// The first shown top-level window titled `title`, or 0.
Window findShownWindow(Display* display, const std::string& title);
