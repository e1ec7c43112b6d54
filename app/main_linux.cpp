#include "Launcher.h"

int main() {
  return runLauncher();
}
