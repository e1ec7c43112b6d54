#!/usr/bin/env bash
# The launcher's own CPU while the game downloads over a slow link: the window's main loop
# with the bar and the figures under it. Each launcher given runs a fresh install of a
# 4 MB package served at 200 KB/s; its CPU time (user + system, this process only, not
# the web engine's processes) is read from 4 s to 16 s after its start, well inside the
# download, then it is ended.
#   bench/run-download-cpu-bench.sh LAUNCHER [LAUNCHER...]      ROUNDS=5 by default
# Launchers take turns in each round, their order rotating. Needs build/native (the channel
# keys, the local authority). Runs in a private network namespace when it can (the local
# channel's ports are fixed) and on its own virtual display.
set -euo pipefail
rounds=${ROUNDS:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${KVR_BENCH_NETNS:-}" ] && [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
  exec env KVR_BENCH_NETNS=1 unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
[ $# -ge 1 ] || { sed -n '2,10p' "$0"; exit 2; }
native=$root/build/native
source "$root/scripts/local-channel.sh"

state=$(mktemp -d /tmp/kvr-download-cpu-bench.XXXXXX)
cleanup() {
  channel_stop "$state" >/dev/null 2>&1
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT

# A game of 4 MB that does not compress, served slowly.
mkdir -p "$state/game"
head -c 4000000 /dev/urandom > "$state/game/data.bin"
echo "game" > "$state/game/kvr.exe"
(cd "$state/game" && 7z a -t7z -bd -bso0 -bsp0 "$state/kvr.7z" . >/dev/null)
channel_write_config "$state/PCDownloadCfg.json" ./kvr/game
sed -i 's|kvr.7z"|kvr.7z?rate=200000"|' "$state/PCDownloadCfg.json"
channel_start "$state" "$state/PCDownloadCfg.json" "$native/local-ca" "$native/channel-key" "$state/events.txt" \
  "$state/kvr.7z" 2>/dev/null

display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1600x1000x24 -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {  # LAUNCHER -> CPU milliseconds from 4 s to 16 s
  rm -rf "$state/home"
  mkdir -p "$state/home"
  HOME=$state/home "$1" --winid=0 >/dev/null 2>&1 &
  local pid=$! from to
  sleep 4
  from=$(ticks "$pid")
  sleep 12
  to=$(ticks "$pid")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo $(((to - from) * 1000 / $(getconf CLK_TCK)))
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

launchers=("$@")
for round in $(seq 1 "$rounds"); do
  for i in "${!launchers[@]}"; do
    j=$(((i + round) % ${#launchers[@]}))
    measure "${launchers[$j]}" >> "$state/cpu-$j.txt"
  done
done
echo "$rounds rounds, CPU of the launcher's process over 12 s of a 200 KB/s download (median, all rounds):"
first=
for i in "${!launchers[@]}"; do
  ms=$(median < "$state/cpu-$i.txt")
  first=${first:-$ms}
  printf '  %s: %s ms  (%s)  ratio to the first %s\n' "${launchers[$i]}" "$ms" "$(tr '\n' ' ' < "$state/cpu-$i.txt")" \
    "$(awk -v a="$ms" -v b="$first" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}')"
done
