// The launcher's own logger set-up: one "Main" logger writing under ./kvr/logs/.
#pragma once

#include "InstallLayout.h"

inline constexpr char kLauncherLogConfig[] =
    "[Main] \npath = ./" KVR_DATA_FOLDER "/" KVR_LOG_FOLDER "/ \nname=log \nfileline = 0 \n";

// Applies the launcher's configuration, remembers the "Main" id and starts the writer.
bool startLauncherLog();
