#!/usr/bin/env bash
# Sets up a fresh machine and runs every test of both targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --workflow --preset native
cmake --workflow --preset win32
