#include <windows.h>

#include "framework/WndNative_win.h"
#include "ui/BaseHtmlView.h"

int32_t WindowNumber(const CWnd& wnd) {
  // A window handle's significant bits are its low 32, on 64-bit Windows too.
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(GetNativeWindow(wnd)));
}
