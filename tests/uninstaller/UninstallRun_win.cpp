#include "UninstallRun.h"

const int kUninstallerExitCode = static_cast<int>(0xFFFFFFFF);
