#!/usr/bin/env bash
# Runs every fuzz target of the `fuzz` preset for SECONDS each (default 20), one after
# the other, from the seeds in fuzz/corpus/ plus what earlier runs found (kept in the
# build folder, never in the tree). A crash or broken invariant fails the run and leaves
# the input beside the build folder's corpus.
#   fuzz/run.sh [SECONDS] [TARGET...]      e.g. fuzz/run.sh 600 config
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
build=build/fuzz
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(ls fuzz/corpus))
for name in "${targets[@]}"; do
  found="$build/fuzz-corpus/$name"
  mkdir -p "$found" "$build/fuzz-crashes"
  log="$build/fuzz-crashes/$name.log"
  if ! "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/fuzz-crashes/$name-" "$found" "fuzz/corpus/$name" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $name failed; the input is in $build/fuzz-crashes/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "fuzz: $name: $runs runs in ${seconds} s, $coverage"
done
