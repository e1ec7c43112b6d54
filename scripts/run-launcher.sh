#!/usr/bin/env bash
# Sets up a fresh machine, builds the native launcher and runs its main job against
# the local channel: a package host serving the download configuration and a real
# game package (holding the stand-in game), and the HTTPS telemetry collector, on the
# default profile's loopback addresses. The launcher runs with a fresh HOME, so its
# install folder ($HOME/Games/velmora/kvr) starts empty.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh
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
# The configuration names the package's size and SHA-256, which the launcher checks.
cat > "$state/PCDownloadCfg.json" <<JSON
{"path": "./kvr/game", "gamePath": "http://127.0.0.1:18480/package/velmora/kvr.7z", "packageName": "kvr.7z",
 "packageSize": $(stat -c %s "$state/kvr.7z"), "packageSha256": "$(sha256sum "$state/kvr.7z" | cut -d ' ' -f 1)"}
JSON

python3 "$fixtures/background.py" start package_host "$state" python3 "$fixtures/package_host.py" \
  --port 18480 --config "$state/PCDownloadCfg.json" --package "$state/kvr.7z"
python3 "$fixtures/background.py" start collector "$state" python3 "$fixtures/collector.py" \
  --port 18443 --ca-dir "$build/local-ca" --record "$state/events.txt"

echo "== running the launcher (HOME=$state/home)"
status=0
HOME="$state/home" "$build/app/kvr_velmora" --winid=0 --fromc=local --tokenc=dev || status=$?
install="$state/home/Games/velmora/kvr"
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
