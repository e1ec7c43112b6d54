#include "UninstallRun.h"

#include "Process.h"

const int kUninstallerExitCode = 255;

std::filesystem::path launcherInstallFolder(const std::filesystem::path& base) {
  const std::filesystem::path home = base / "home";
  setEnvironment("HOME", home.string());
  return home / "Games" / "velmora" / "kvr";
}
