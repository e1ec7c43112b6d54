#!/usr/bin/env bash
# Sets up a fresh machine, builds the native launcher and runs its main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target kvr_velmora
work=$(mktemp -d)
echo "running the launcher in $work"
(cd "$work" && "$OLDPWD/build/native/app/kvr_velmora")
echo "log files:"
find "$work/kvr/logs" -type f -print -exec cat {} \;
