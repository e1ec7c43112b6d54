// The web view piece is not built yet; until it replaces this, start-up runs on past it.
#include "LaunchServices.h"

void SetBrowserEmulation() {
  // Runs before the log starts; the web view piece writes the registry value here.
}
