#include "ArgumentString.h"
#include "VTQLaunch.h"

int main(int argc, char* argv[]) {
  theApp.m_lpCmdLine = launcherArgumentString(argc, argv);
  return theApp.Run();
}
