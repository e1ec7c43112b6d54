#include "CWinApp.h"

// Linux has no restart manager: a restarted session starts its programs itself.
bool CWinApp::InitInstance() { return true; }
