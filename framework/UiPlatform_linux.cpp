#include "UiPlatform.h"

// GTK has no OLE, no control registration and no separate picture library to
// start: the toolkit initialises itself with the main window.
void initOle() {}
void initCommonControls() {}
void installOleMessageFilter() {}

uintptr_t startGraphics() { return 0; }

void stopGraphics(uintptr_t) {}
