// The application object: the launcher's start-up and shutdown sequences and the
// values that later steps read (command line and download configuration).
#pragma once

#include <cstdint>
#include <string>

#include "CWinApp.h"
#include "CfgCheck.h"
#include "LaunchOptions.h"

// The command-line values and the download configuration are read by later steps
// through the application object, as fields of its bases.
class CVTQLaunchApp : public CWinApp, public LaunchOptions, public DownloadConfig {
 public:
  CVTQLaunchApp();

  // The whole start-up sequence; returns false once the main dialog has ended.
  bool InitInstance() override;
  // Shutdown: logs and reports the close, stops the log; returns the exit code.
  int ExitInstance() override;

  uintptr_t m_gdiplusToken = 0;

 private:
  void ParseCmdLine();
};

extern CVTQLaunchApp theApp;
