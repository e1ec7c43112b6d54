#include <windows.h>

#include "StartupMessage.h"

void showStartupError(const std::wstring& text) {
  MessageBoxW(nullptr, text.c_str(), kBoxCaption, MB_OK | MB_ICONWARNING);
}
