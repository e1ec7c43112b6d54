#include <windows.h>

#include "ArgumentString.h"
#include "VTQLaunch.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  theApp.m_lpCmdLine = launcherArgumentString(0, nullptr);
  return theApp.Run();
}
