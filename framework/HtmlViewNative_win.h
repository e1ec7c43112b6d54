// For Windows code that talks to a view's browser as COM does (the tests drive its events
// and its script object this way, since Wine's control loads no page).
#pragma once

#include <exdisp.h>
#include <windows.h>

#include "framework/CHtmlView.h"

// The WebBrowser control of the view; null before Create. Not AddRef'd.
IWebBrowser2* GetNativeBrowser(const CHtmlView& view);

// The DWebBrowserEvents2 sink the view advised on its control. Not AddRef'd.
IDispatch* GetBrowserEventSink(const CHtmlView& view);
