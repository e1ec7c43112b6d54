// For the GTK twins of framework classes only (a web view host, say): the widget behind
// a CWnd. Portable code never includes this.
#pragma once

#include <gtk/gtk.h>

#include "framework/CWnd.h"

// The widget behind a window: a GtkWindow for a dialog, the control's widget for a child.
GtkWidget* GetNativeWidget(const CWnd& wnd);

// The container in which a dialog's children sit at pixel positions.
GtkFixed* GetChildContainer(const CWnd& dialog);

// Attaches a widget made elsewhere as child `nID` of `parent`, placed at `rect` (pixels of
// the parent's client area): the CWnd's operations apply to it. `wnd` must be free.
void AttachNativeWidget(CWnd& wnd, GtkWidget* widget, CWnd& parent, int nID, const CRect& rect);
