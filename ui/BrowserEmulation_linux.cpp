#include "BrowserEmulation.h"

// WebKitGTK reads no rendering-mode setting: there is nothing to write.
void SetBrowserEmulation() {}
