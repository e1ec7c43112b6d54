// Operations of the web view piece that start-up calls at its fixed place.
#pragma once

// Writes the embedded browser's rendering mode for the launcher (before the log starts).
void SetBrowserEmulation();
