#include <windows.h>

#include "BoxCloser.h"

namespace {

std::wstring widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string narrow(const std::wstring& text) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr, nullptr);
  return result;
}

}  // namespace

void BoxCloser::watch(const std::string& caption) {
  const std::wstring wideCaption = widen(caption);
  HWND last = nullptr;
  while (!m_stop) {
    // A message box is a dialog of the system's dialog class.
    HWND box = FindWindowW(L"#32770", wideCaption.c_str());
    if (box != nullptr && box != last) {
      wchar_t text[1024] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the box's static text
      record(narrow(text));
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      last = box;
    }
    Sleep(50);
  }
}
