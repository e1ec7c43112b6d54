#include <cstdio>

#include "ArgumentString.h"
#include "StandardStreams_linux.h"
#include "VTQLaunch.h"
#include "framework/Toolkit_linux.h"

int main(int argc, char* argv[]) {
  // The console is an extra: a closed or unread standard output must not end or stall the launcher.
  makeStandardStreamsSideChannels();
  // Without a window the player would see nothing: say so and end before anything is
  // locked, written or reported.
  if (!ensureToolkit()) {
    std::fputs("kvr_velmora: cannot open the X display (is DISPLAY set?); the launcher needs one to show its window\n",
               stderr);
    return 1;
  }
  theApp.m_lpCmdLine = launcherArgumentString(argc, argv);
  return theApp.Run();
}
