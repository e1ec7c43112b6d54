// Starting the window toolkit, for the program's entry before anything else happens.
#pragma once

// GTK on its X11 back end, started once on the UI thread; false without a display.
bool ensureToolkit();
