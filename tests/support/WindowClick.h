// A real left click into another program's top-level window, found by its title.
#pragma once

#include <string>

// Clicks at (x, y) of the window's own area; false when no shown window has that title.
bool clickInWindow(const std::string& title, int x, int y);
