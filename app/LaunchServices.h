// Operations of the delivery, provisioning, telemetry, web view and window pieces that
// start-up and shutdown call at their fixed places.
#pragma once

#include <string>

class CVTQLaunchApp;

// Writes the embedded browser's rendering mode for the launcher (before the log starts).
void SetBrowserEmulation();

// Fetches the download configuration into the application object; false when the
// fetch failed and the process must end with code 1.
bool CfgCheck(CVTQLaunchApp& app);

// Writes the embedded files into the install folder when they are missing.
void WriteEmbeddedFiles(const std::string& from);

// Sends one telemetry event.
void reportEvent(const char* type);

// Runs the main dialog modally; returns when it has ended.
void runMainDialog(CVTQLaunchApp& app);
