// The launcher's main job, shared by both targets' entry points.
#pragma once

// Runs the launcher and returns the process exit code.
int runLauncher();
