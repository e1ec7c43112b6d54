#include "UninstallRun.h"

const int kUninstallerExitCode = static_cast<int>(0xFFFFFFFF);

std::filesystem::path launcherInstallFolder(const std::filesystem::path&) { return L"C:\\Games\\velmora\\kvr"; }
