#include <windows.h>

#include "framework/MessageBox.h"

void AfxWarningBox(const std::wstring& text, const std::wstring& caption) {
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONWARNING);
}

bool AfxQuestionBox(const std::wstring& text, const std::wstring& caption) {
  return MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}
