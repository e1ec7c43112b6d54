#!/usr/bin/env bash
# The launcher on a slow link. latency_proxy.py stands on the local channel's fixed
# ports in front of its package host and collector and adds a round-trip time; at 0 ms
# and at RTT_MS (100) in the same run it measures:
#  1. start to first painted window (the game already installed), median of ROUNDS, and
#     the longest the window's main loop took to answer a ping in the STALL_MS after
#     it, while the login page loads (window_watch --stalls);
#  2. AppLogin to the game running and to its return (kvr_applogin_bench, the report
#     connection already open as it is by the time a player clicks);
#  3. the reports of a first start one by one (kvr_reports_bench);
#  4. at 0 ms, with the collector live and dead (it reads and never answers): the window,
#     its stalls, and the time from closing it, STALL_MS after it is up, until the
#     launcher has ended ("close launch" waited for).
#   bench/run-latency-bench.sh            ROUNDS=5 RTT_MS=100 STALL_MS=3000
# Needs kvr_velmora, window_watch, kvr_applogin_bench and kvr_reports_bench built in
# build/native; LAUNCHER_BUILD=FOLDER measures the launcher and the AppLogin bench of
# another build (an older tree: its reports are left out when it has no reports bench).
# Runs in a private network namespace (root, unshare) on its own display.
set -euo pipefail
rounds=${ROUNDS:-5}
rtt_ms=${RTT_MS:-100}
stall_ms=${STALL_MS:-3000}
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${KVR_BENCH_NETNS:-}" ]; then
  exec env KVR_BENCH_NETNS=1 unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
build=${LAUNCHER_BUILD:-$root/build/native}
tools=$root/build/native
source "$root/scripts/local-channel.sh"
export CHANNEL_PACKAGE_PORT=28480 CHANNEL_COLLECTOR_PORT=28443

state=$(mktemp -d /tmp/kvr-latency-bench.XXXXXX)
cleanup() {
  python3 "$channel_fixtures/background.py" stop proxy "$state" >/dev/null 2>&1 || true
  channel_stop "$state" >/dev/null 2>&1
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT

# The game is installed; its stand-in writes a file as its first act.
mkdir -p "$state/home" "$state/game" "$state/run"
printf '#!/bin/sh\n: > kvr_started.txt\n' > "$state/game/kvr.exe"
chmod +x "$state/game/kvr.exe"
channel_write_config "$state/PCDownloadCfg.json" "$state/game"
channel_start "$state" "$state/PCDownloadCfg.json" "$build/local-ca" "$build/channel-key" "$state/events.txt" 2>/dev/null

display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1600x1000x24 -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1

proxy() {  # RTT_MS [COLLECTOR_TARGET]
  python3 "$channel_fixtures/background.py" stop proxy "$state" >/dev/null 2>&1 || true
  python3 "$channel_fixtures/background.py" start proxy "$state" python3 "$root/bench/latency_proxy.py" \
    --rtt-ms "$1" 18480:28480 "18443:${2:-28443}" >/dev/null
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
field() { awk -v f="$1" '{print $f}' | median; }

declare -A result
for rtt in 0 "$rtt_ms"; do
  proxy "$rtt"
  watch=("$tools/bench/window/window_watch" --stalls "$stall_ms" Kavran 300 440 30000 "$build/app/kvr_velmora")
  HOME=$state/home "${watch[@]}" >/dev/null  # warm-up: install folder, caches
  : > "$state/window-$rtt.txt"
  for _ in $(seq 1 "$rounds"); do HOME=$state/home "${watch[@]}" >> "$state/window-$rtt.txt"; done
  result[window-$rtt]=$(field 1 < "$state/window-$rtt.txt")
  result[stall-$rtt]=$(field 3 < "$state/window-$rtt.txt")
  result[stallmax-$rtt]=$(awk '{print $3}' "$state/window-$rtt.txt" | sort -n | tail -n 1)
  login=$(cd "$state/run" && "$build/bench/kvr_applogin_bench" "$state/game" "$rounds" | tail -n 1)
  result[running-$rtt]=$(sed -n 's/.*game running \([0-9.]*\) ms.*/\1/p' <<<"$login")
  result[returned-$rtt]=$(sed -n 's/.*AppLogin returned \([0-9.]*\) ms.*/\1/p' <<<"$login")
  : > "$state/reports-$rtt.txt"
  if [ -x "$build/bench/kvr_reports_bench" ]; then
    (cd "$state/run" && "$build/bench/kvr_reports_bench") > "$state/reports-$rtt.txt"
  fi
  result[config-$rtt]=$(awk '$1 == "configuration" {print $2}' "$state/reports-$rtt.txt")
  result[first-$rtt]=$(awk '$1 == "report" && $2 == "launch_start" {print $3}' "$state/reports-$rtt.txt")
  result[later-$rtt]=$(awk '$1 == "report" && $2 != "launch_start" {print $NF}' "$state/reports-$rtt.txt" | median)
  result[largest-$rtt]=$(awk '$1 == "report" && $2 != "launch_start" {print $NF}' "$state/reports-$rtt.txt" | sort -n | tail -n 1)
  result[total-$rtt]=$(sed -n 's/^reports total \([0-9.]*\),.*/\1/p' "$state/reports-$rtt.txt")
  result[connections-$rtt]=$(sed -n 's/.*connections \([0-9]*\)$/\1/p' "$state/reports-$rtt.txt")
done

# The launcher closed once the page has loaded, with a live collector and a dead one.
closing=("$tools/bench/window/window_watch" --stalls "$stall_ms" --close Kavran 300 440 30000 "$build/app/kvr_velmora")
for collector in 28443 dead; do
  proxy 0 "$collector"
  : > "$state/close-$collector.txt"
  for _ in $(seq 1 "$rounds"); do HOME=$state/home "${closing[@]}" >> "$state/close-$collector.txt"; done
done

r=$rtt_ms
row() {  # LABEL KEY GOAL
  [ -n "${result[$2-0]}" ] || return 0
  awk -v l="$1" -v a="${result[$2-0]}" -v b="${result[$2-$r]}" -v r="$r" -v g="$3" \
    'BEGIN {printf "  %-44s %8.1f %8.1f   +%6.1f ms = %4.2f RTT   %s\n", l, a, b, b - a, (b - a) / r, g}'
}
echo "latency bench, $rounds rounds, round trip 0 and $r ms (medians; ms at 0, ms at $r, difference):"
row "start to first painted window" window "(goal: at most 3 RTT more)"
row "longest main-loop answer while the page loads" stall "(goal: at most 20 ms more)"
row "AppLogin to the game running" running "(goal: at most 1 RTT + 20 ms)"
row "AppLogin to its return (game_start sent)" returned ""
row "configuration fetch (report connection opening)" config ""
row "first report (launch_start, opened ahead)" first ""
row "a later report (median of the eight)" later "(goal: at most 1 RTT + 5 ms)"
row "the largest later report" largest ""
row "all nine reports of a first start" total ""
echo "  longest main-loop answer of any round: ${result[stallmax-0]} / ${result[stallmax-$r]} ms;" \
  "report connections opened: ${result[connections-0]} / ${result[connections-$r]}"
for collector in 28443 dead; do
  f=$state/close-$collector.txt
  awk -v c="$collector" -v window="$(field 1 < "$f")" -v stall="$(field 3 < "$f")" -v closing="$(field 4 < "$f")" \
    'BEGIN {printf "  at 0 ms, collector %-5s: window %7.1f ms, longest main-loop answer %6.1f ms, closed to ended %7.1f ms, start to end %7.1f ms\n",
            (c == "dead" ? "dead" : "live"), window, stall, closing, window + '"$stall_ms"' + closing}'
done
