// Process-wide set-up of the UI libraries, in the order start-up calls them.
#pragma once

#include <cstdint>

// OLE for the UI thread (the embedded browser needs it); the result is ignored.
void initOle();

// Registers the standard control classes (the progress bar among them).
void initCommonControls();

// The UI thread's OLE call behaviour: no busy dialog, "retry later" as the busy
// reply, and a not-responding dialog that never comes up.
void installOleMessageFilter();

// Starts the picture library; the token goes back to stopGraphics.
uintptr_t startGraphics();
void stopGraphics(uintptr_t token);
