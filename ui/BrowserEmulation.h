// The web view's rendering mode, which start-up sets at its fixed place before the log starts.
#pragma once

// Writes the embedded browser's rendering mode for the running executable (before the log
// starts): the value FEATURE_BROWSER_EMULATION = 11001 under HKEY_LOCAL_MACHINE, named
// after the executable's file name. Failures are silent.
void SetBrowserEmulation();
