#include <windows.h>

#include "Launcher.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return runLauncher();
}
