// Operations of the web view and window pieces that
// start-up and shutdown call at their fixed places.
#pragma once

class CVTQLaunchApp;

// Writes the embedded browser's rendering mode for the running executable (before the log
// starts): the value FEATURE_BROWSER_EMULATION = 11001 under HKEY_LOCAL_MACHINE, named
// after the executable's file name. Failures are silent.
void SetBrowserEmulation();

// Runs the main dialog modally; returns when it has ended.
void runMainDialog(CVTQLaunchApp& app);
