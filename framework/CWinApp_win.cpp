#include <windows.h>

#include "CWinApp.h"

bool CWinApp::InitInstance() {
  if ((m_dwRestartManagerSupportFlags & AFX_RESTART_MANAGER_SUPPORT_RESTART) == 0) return true;
  // An empty restart command line restarts the process without arguments.
  return SUCCEEDED(RegisterApplicationRestart(L"", 0));
}
