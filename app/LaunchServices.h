// Operations of the web view and window pieces that
// start-up and shutdown call at their fixed places.
#pragma once

class CVTQLaunchApp;

// Writes the embedded browser's rendering mode for the launcher (before the log starts).
void SetBrowserEmulation();

// Runs the main dialog modally; returns when it has ended.
void runMainDialog(CVTQLaunchApp& app);
