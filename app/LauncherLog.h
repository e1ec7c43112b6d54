// The launcher's own logger set-up: one "Main" logger writing under ./kvr/logs/.
#pragma once

inline constexpr char kLauncherLogConfig[] = "[Main] \npath = ./kvr/logs/ \nname=log \nfileline = 0 \n";

// Applies the launcher's configuration, remembers the "Main" id and starts the writer.
bool startLauncherLog();
