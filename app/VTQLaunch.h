// The application object: the launcher's start-up and shutdown sequences and the
// values that later steps read (command line and download configuration).
#pragma once

#include <cstdint>
#include <string>

#include "CWinApp.h"
#include "CommandLine.h"

class CVTQLaunchApp : public CWinApp, public LaunchOptions {
 public:
  CVTQLaunchApp();

  // The whole start-up sequence; returns false once the main dialog has ended.
  bool InitInstance() override;
  // Shutdown: logs and reports the close, stops the log; returns the exit code.
  int ExitInstance() override;

  uintptr_t m_gdiplusToken = 0;
  std::string m_strPath;         // download configuration "path": the game's folder
  std::string m_strGamePath;     // "gamePath": where the package is downloaded from
  std::string m_strPackageName;  // "./kvr/" + "packageName": the downloaded archive

 private:
  void ParseCmdLine();
};

extern CVTQLaunchApp theApp;
