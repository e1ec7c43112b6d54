#include "ArgumentString.h"
#include "StandardStreams_linux.h"
#include "VTQLaunch.h"

int main(int argc, char* argv[]) {
  // The console is an extra: a closed or unread standard output must not end or stall the launcher.
  makeStandardStreamsSideChannels();
  theApp.m_lpCmdLine = launcherArgumentString(argc, argv);
  return theApp.Run();
}
