#include "UninstallRun.h"

const int kUninstallerExitCode = 255;
