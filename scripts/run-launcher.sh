#!/usr/bin/env bash
# Sets up a fresh machine, builds the native launcher and runs its main job against
# the local channel: a package host serving the download configuration, a real game
# package (holding the stand-in game) and the login page, and the HTTPS telemetry
# collector, on the default profile's loopback addresses. The launcher runs with a fresh
# HOME, so its install folder ($HOME/Games/velmora/kvr) starts empty.
#
# On a display the player sees the download and the login page and logs in. Without one
# the launcher runs on a virtual display (Xvfb): the script waits for the page and the
# installed game, saves a screenshot of the window and clicks the log-in button itself.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/native

if [ "${1:-}" != --run ]; then
  echo "== setting up: the native launcher's packages (Windows tools are only for the tests)"
  bash scripts/install-deps.sh --native
  echo "== building the native launcher"
  cmake --preset native >/dev/null
  cmake --build --preset native --target kvr_velmora kvr_standin
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash "$0" --run
  fi
fi

source "$root/scripts/local-channel.sh"
state=$(mktemp -d /tmp/kvr-local-channel.XXXXXX)
launcher_pid=
stop_channel() {
  if [ -n "$launcher_pid" ] && kill -0 "$launcher_pid" 2>/dev/null; then kill "$launcher_pid"; fi
  channel_stop "$state"
}
trap 'stop_channel; rm -rf "$state"' EXIT

# The game package holds the stand-in game; the configuration names its size and SHA-256
# and the package host signs it with the channel's key, which the default profile trusts.
mkdir -p "$state/home"
channel_make_package "$build/tests/standins/kvr.exe" "$state/kvr.7z"
channel_write_config "$state/PCDownloadCfg.json" ./kvr/game "$state/kvr.7z"
channel_start "$state" "$state/PCDownloadCfg.json" "$build/local-ca" "$build/channel-key" "$state/events.txt" \
  "$state/kvr.7z"

echo "== running the launcher (HOME=$state/home, DISPLAY=$DISPLAY)"
status=0
if [ "${1:-}" = --run ]; then
  HOME="$state/home" "$build/app/kvr_velmora" --winid=0 --fromc=local --tokenc=dev &
  launcher_pid=$!
  screenshot=$build/login-window.png
  bash "$root/tests/launcher/click_login.sh" "$state/events.txt" 0 "$state/home/Games/velmora/kvr/kvr/logs" \
    "$screenshot"
  echo "== screenshot of the window before the click: $screenshot"
  wait "$launcher_pid" || status=$?
  launcher_pid=
else
  echo "== log in on the page once the download has finished"
  HOME="$state/home" "$build/app/kvr_velmora" --winid=0 --fromc=local --tokenc=dev || status=$?
fi
install="$state/home/Games/velmora/kvr"
echo "== exit code: $status"
echo "== install folder: $install"
(cd "$install" && find . -path ./kvr/logs -prune -o -type f -print | sort)
echo "== log"
cat "$install"/kvr/logs/*.log
echo "== events received by the collector"
cut -d'&' -f1 "$state/events.txt"
if [ ! -f "$install/kvr/game/kvr.exe" ]; then
  echo "== the game was not installed" >&2
  exit 1
fi
echo "== the game is installed at $install/kvr/game/kvr.exe"
for _ in $(seq 50); do [ -s "$install/kvr_started.txt" ] && break; sleep 0.1; done
if [ ! -f "$install/kvr_started.txt" ]; then
  echo "== the game was not started" >&2
  exit 1
fi
echo "== the game was started in $(sed -n 2p "$install/kvr_started.txt") with the command line:"
sed -n 1p "$install/kvr_started.txt"
