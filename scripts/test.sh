#!/usr/bin/env bash
# Sets up a fresh machine and runs every test of both targets, the fuzz targets briefly
# and the sanitizer runs. The i686 product is always built; its Windows tests run under
# 32-bit Wine, or, on a machine that cannot run 32-bit programs, as an x86_64 build of
# the same code under 64-bit Wine
# (scripts/windows-tests-mode.sh; KVR_WINDOWS_TESTS=i686|x86_64 forces a mode).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --workflow --preset native
# The parsers fuzzed briefly (fuzz/README.md), the native suite under AddressSanitizer +
# UndefinedBehaviorSanitizer, and the threaded code (logger, delivery) under
# ThreadSanitizer.
bash fuzz/run.sh 20
cmake --workflow --preset asan
cmake --workflow --preset tsan
cmake --preset win32
cmake --build --preset win32
bash scripts/windows-tests-mode.sh describe
if [ "$(bash scripts/windows-tests-mode.sh arch)" = i686 ]; then
  ctest --preset win32
else
  cmake --workflow --preset win64
fi
