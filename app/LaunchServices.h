// Operations of the provisioning, web view and window pieces that
// start-up and shutdown call at their fixed places.
#pragma once

#include <string>

class CVTQLaunchApp;

// Writes the embedded browser's rendering mode for the launcher (before the log starts).
void SetBrowserEmulation();

// Writes the embedded files into the install folder when they are missing.
void WriteEmbeddedFiles(const std::string& from);

// Runs the main dialog modally; returns when it has ended.
void runMainDialog(CVTQLaunchApp& app);
