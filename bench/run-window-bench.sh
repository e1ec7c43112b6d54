#!/usr/bin/env bash
# Start to first painted window: the launcher (game already installed, local channel on
# loopback) against the least program of the same toolkit showing the same picture.
#   bench/run-window-bench.sh [native|win32]      ROUNDS=9 by default
# Needs the targets kvr_velmora, minimal_window and (native) window_watch built in
# build/native and, for win32, build/win32. Runs in a private network namespace when it
# can (the local channel's ports are fixed) and on its own virtual display.
set -euo pipefail
target=${1:-native}
rounds=${ROUNDS:-9}
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${KVR_BENCH_NETNS:-}" ] && [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
  exec env KVR_BENCH_NETNS=1 unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
native=$root/build/native
build=$root/build/$target
fixtures=$root/tests/fixtures
watch=$native/bench/window/window_watch
picture=$root/resources/art/background155.png

state=$(mktemp -d /tmp/kvr-window-bench.XXXXXX)
cleanup() {
  python3 "$fixtures/background.py" stop package_host "$state" >/dev/null 2>&1 || true
  python3 "$fixtures/background.py" stop collector "$state" >/dev/null 2>&1 || true
  [ "$target" = win32 ] && "$root/cmake/wine.sh" i686 cleanup "$state/wineprefix" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT

mkdir -p "$state/home" "$state/game"
echo "installed game" > "$state/game/kvr.exe"
game=$state/game
[ "$target" = win32 ] && game="Z:$state/game"
# Signed as the channel signs it; the package it pins is never fetched (the game is there).
printf '{"path": "%s", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z", "packageName": "kvr.7z", "packageSize": 0, "packageSha256": "%s"}\n' \
  "$game" "$(sha256sum </dev/null | cut -d ' ' -f 1)" > "$state/PCDownloadCfg.json"
python3 "$fixtures/background.py" start package_host "$state" python3 "$fixtures/package_host.py" \
  --port 18480 --config "$state/PCDownloadCfg.json" --sign-key "$native/channel-key/channel.key" >/dev/null
python3 "$fixtures/background.py" start collector "$state" python3 "$fixtures/collector.py" \
  --port 18443 --ca-dir "$native/local-ca" --record "$state/events.txt" >/dev/null

display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 1600x1000x24 -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1

if [ "$target" = win32 ]; then
  # The prefix brings its own display and a server that stays between runs (warm).
  "$root/cmake/wine.sh" i686 setup "$state/wineprefix"
  DISPLAY=$(cat "$state/wineprefix.display")
  launcher=("$root/cmake/wine.sh" i686 run "$state/wineprefix" "$build/app/kvr_velmora.exe")
  minimal=("$root/cmake/wine.sh" i686 run "$state/wineprefix" "$build/bench/window/minimal_window.exe" "Z:$picture")
else
  launcher=("$build/app/kvr_velmora")
  minimal=("$build/bench/window/minimal_window" "$picture")
fi

measure() {  # TITLE COMMAND... -> "ms rss_kib"
  local title=$1
  shift
  HOME=$state/home "$watch" "$title" 300 440 30000 "$@"
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

measure Kavran "${launcher[@]}" >/dev/null  # warm-up: install folder, caches
measure Minimal "${minimal[@]}" >/dev/null
: > "$state/launcher.txt"
: > "$state/minimal.txt"
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 0 ]; then
    measure Minimal "${minimal[@]}" >> "$state/minimal.txt"
    measure Kavran "${launcher[@]}" >> "$state/launcher.txt"
  else
    measure Kavran "${launcher[@]}" >> "$state/launcher.txt"
    measure Minimal "${minimal[@]}" >> "$state/minimal.txt"
  fi
done
ours=$(cut -d' ' -f1 "$state/launcher.txt" | median)
peer=$(cut -d' ' -f1 "$state/minimal.txt" | median)
rss=$(cut -d' ' -f2 "$state/launcher.txt" | median)
peer_rss=$(cut -d' ' -f2 "$state/minimal.txt" | median)
echo "target $target, $rounds rounds, start to first painted window (median):"
echo "  launcher ${ours} ms (resident ${rss} KiB with the window up)"
echo "  minimal  ${peer} ms (resident ${peer_rss} KiB)"
awk -v a="$ours" -v b="$peer" 'BEGIN {printf "  ratio launcher/minimal %.2f\n", a / b}'
