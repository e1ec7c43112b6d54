#include <windows.h>

#include "framework/MessageBox.h"

void AfxWarningBox(const std::wstring& text, const std::wstring& caption) {
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONWARNING);
}
