// The peer of the window benchmark under Wine: a plain Win32 dialog, 1280 × 725, with a
// PNG background drawn by GDI+.   minimal_window.exe PICTURE.png
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace {

Gdiplus::Bitmap* g_picture = nullptr;

INT_PTR CALLBACK dialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextW(hWnd, L"Minimal");
      SetWindowPos(hWnd, nullptr, 0, 0, 1280, 725, SWP_NOZORDER);
      return TRUE;
    case WM_ERASEBKGND: {
      Gdiplus::Graphics graphics(reinterpret_cast<HDC>(wParam));
      graphics.DrawImage(g_picture, 0, 0, 1280, 725);
      SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CLOSE: EndDialog(hWnd, 0); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  g_picture = Gdiplus::Bitmap::FromFile(commandLine);
  // An in-memory template: a pop-up dialog with no controls.
  struct {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } dialogTemplate{};
  dialogTemplate.dialog.style = WS_POPUP | WS_VISIBLE | DS_SETFOREGROUND;
  dialogTemplate.dialog.cx = 400;
  dialogTemplate.dialog.cy = 200;
  DialogBoxIndirectParamW(instance, &dialogTemplate.dialog, nullptr, dialogProc, 0);
  delete g_picture;
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
