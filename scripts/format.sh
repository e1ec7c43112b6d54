#!/usr/bin/env bash
# Lays out the tree's C++ sources as .clang-format says. With --check it changes
# nothing and fails, naming the places, where a file is laid out otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  exec clang-format --dry-run --Werror "${files[@]}"
fi
exec clang-format -i "${files[@]}"
