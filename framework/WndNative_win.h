// For the Windows twins of framework classes only (a web view host, say): the window
// behind a CWnd. Portable code never includes this.
#pragma once

#include <windows.h>

#include "framework/CWnd.h"

HWND GetNativeWindow(const CWnd& wnd);

// Attaches a window made elsewhere (a child of a dialog, with its control id): the CWnd's
// operations apply to it and its messages reach the CWnd's handlers. `wnd` must be free.
void AttachNativeWindow(CWnd& wnd, HWND hWnd);
