#include <windows.h>

#include <chrono>
#include <thread>

#include "WindowClick.h"

bool clickInWindow(const std::string& title, int x, int y) {
  const std::wstring wide(title.begin(), title.end());  // ASCII titles only
  const HWND window = FindWindowW(nullptr, wide.c_str());
  if (window == nullptr || !IsWindowVisible(window)) return false;
  RECT rect{};
  GetWindowRect(window, &rect);
  SetCursorPos(rect.left + x, rect.top + y);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof inputs[0]);
  return true;
}
