#!/usr/bin/env bash
# Builds the logger benchmark (Release, in its own build folder) and runs our logger,
# spdlog's asynchronous logger and the fwrite floor side by side: every round runs each
# test once per peer, the peers' order rotating from round to round, then the medians
# and ratios are printed. Exits non-zero when a run fails its line check.
#
# Environment: ROUNDS (5), LINES (2000000 per throughput run), TESTS (the tests to run,
# "tput burst sustained memory"), BUILD_DIR
# (/tmp/build-logger-bench), RESULTS (keep the raw result lines in this file).
set -euo pipefail

rounds=${ROUNDS:-5}
lines=${LINES:-2000000}
source "$(dirname "$0")/prologue.sh"
bench_prepare kvr_logger_bench /tmp/build-logger-bench logger-bench --show
results=${RESULTS:-$work/results.txt}
: >"$results"

peers=(ours spdlog fwrite)
# The memory test runs on one thread only.
read -r -a tests <<<"${TESTS:-tput burst sustained memory}"
cells=()
for test in "${tests[@]}"; do
  if [[ $test == memory ]]; then cells+=("memory 1"); else cells+=("$test 1" "$test 2"); fi
done
failures=0
for ((round = 0; round < rounds; ++round)); do
  echo "round $((round + 1)) of $rounds" >&2
  for cell in "${cells[@]}"; do
    read -r test threads <<<"$cell"
    for ((k = 0; k < ${#peers[@]}; ++k)); do
      peer=${peers[$(((round + k) % ${#peers[@]}))]}
      # Our logger prints its own "logger stopping" on standard output: keep the result only.
      if output=$("$bench" run --peer "$peer" --test "$test" --threads "$threads" --lines "$lines" \
        --dir "$work/files"); then
        grep '^result ' <<<"$output" >>"$results"
      else
        echo "FAILED: $peer $test $threads threads" >&2
        failures=$((failures + 1))
        rm -rf "$work/files"
      fi
    done
  done
done

"$bench" report "$results"
if ((failures > 0)); then
  echo "$failures run(s) failed their check" >&2
  exit 1
fi
