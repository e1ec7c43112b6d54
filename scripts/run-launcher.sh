#!/usr/bin/env bash
# Sets up a fresh machine, builds the native launcher and runs its main job against
# the local channel: a package host serving the download configuration and a real
# game package (holding the stand-in game), and the HTTPS telemetry collector, on the
# default profile's loopback addresses. The launcher runs with a fresh HOME, so its
# install folder ($HOME/Games/velmora/kvr) starts empty.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
echo "== setting up: the native launcher's packages (Windows tools are only for the tests)"
bash scripts/install-deps.sh --native
echo "== building the native launcher"
cmake --preset native >/dev/null
cmake --build --preset native --target kvr_velmora kvr_standin
build=$root/build/native

state=$(mktemp -d /tmp/kvr-local-channel.XXXXXX)
fixtures=$root/tests/fixtures
stop_channel() {
  python3 "$fixtures/background.py" stop package_host "$state" || true
  python3 "$fixtures/background.py" stop collector "$state" || true
}
trap 'stop_channel; rm -rf "$state"' EXIT

# The game package: the stand-in game at the archive's top level.
mkdir -p "$state/game" "$state/home"
cp "$build/tests/standins/kvr.exe" "$state/game/kvr.exe"
(cd "$state/game" && 7z a -t7z -bd -bso0 -bsp0 "$state/kvr.7z" . >/dev/null)
cat > "$state/PCDownloadCfg.json" <<'JSON'
{"path": "./kvr/game", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z", "packageName": "kvr.7z"}
JSON

python3 "$fixtures/background.py" start package_host "$state" python3 "$fixtures/package_host.py" \
  --port 18480 --config "$state/PCDownloadCfg.json" --package "$state/kvr.7z"
python3 "$fixtures/background.py" start collector "$state" python3 "$fixtures/collector.py" \
  --port 18443 --ca-dir "$build/local-ca" --record "$state/events.txt"

install="$state/home/Games/velmora/kvr"
# The launcher shows its window. On a display the player watches the install and closes
# the window; without one it runs on a virtual display, where this script waits for the
# install, saves a picture of the screen and presses the window's close button.
if [ -n "${DISPLAY:-}" ]; then
  echo "== running the launcher (HOME=$state/home): close its window when the install is done"
  status=0
  HOME="$state/home" "$build/app/kvr_velmora" --winid=0 --fromc=local --tokenc=dev || status=$?
else
  echo "== running the launcher on a virtual display (HOME=$state/home)"
  cat > "$state/player.sh" <<'PLAYER'
#!/usr/bin/env bash
# Runs the launcher, waits for the worker's last log line, saves the screen, closes the window.
state=$1; shift
HOME="$state/home" "$@" &
launcher=$!
for _ in $(seq 1 600); do
  grep -qs "7z decode end2" "$state"/home/Games/velmora/kvr/kvr/logs/*/*.log "$state"/home/Games/velmora/kvr/kvr/logs/*.log && break
  kill -0 "$launcher" 2>/dev/null || break
  sleep 0.1
done
sleep 0.5
xwd -root -silent | convert xwd:- "$state/window.png"
window=$(xdotool search --name '^Kavran$' | head -n1)
[ -n "$window" ] && xdotool mousemove --window "$window" 1092 114 click 1
wait "$launcher"
PLAYER
  status=0
  xvfb-run -a -s "-screen 0 1600x1000x24" bash "$state/player.sh" "$state" "$build/app/kvr_velmora" \
    --winid=0 --fromc=local --tokenc=dev || status=$?
  [ -f "$state/window.png" ] && cp "$state/window.png" "$root/build/native/launcher-window.png" &&
    echo "== the window as it was: $root/build/native/launcher-window.png"
fi
echo "== exit code: $status"
echo "== install folder: $install"
(cd "$install" && find . -path ./kvr/logs -prune -o -type f -print | sort)
echo "== log"
cat "$install"/kvr/logs/*.log
echo "== events received by the collector"
cut -d'&' -f1 "$state/events.txt"
if [ -f "$install/kvr/game/kvr.exe" ]; then
  echo "== the game is installed at $install/kvr/game/kvr.exe"
else
  echo "== the game was not installed" >&2
  exit 1
fi
