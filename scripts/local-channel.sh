# The local channel as the main job (scripts/run-launcher.sh), the road test
# (tests/launcher/login_road.sh) and the web-load benchmark make and start it: a game
# package holding a stand-in game, the download configuration naming it, and the package
# host and the telemetry collector on the default profile's fixed loopback ports. Sourced
# after `set -euo pipefail`.
channel_fixtures=$(cd "$(dirname "${BASH_SOURCE[0]}")/../tests/fixtures" && pwd)
channel_package_url=http://127.0.0.1:18480/package/velmora/kvr.7z

# channel_make_package GAME PACKAGE: PACKAGE, a 7z archive holding the program GAME as
# kvr.exe at its top level.
channel_make_package() {
  local package folder
  package=$(realpath -m "$2")
  folder=$(mktemp -d /tmp/kvr-channel-game.XXXXXX)
  cp "$1" "$folder/kvr.exe"
  rm -f "$package"
  (cd "$folder" && 7z a -t7z -bd -bso0 -bsp0 "$package" . >/dev/null)
  rm -rf "$folder"
}

# channel_write_config FILE GAME_FOLDER [PACKAGE]: the download configuration in FILE: the
# game folder GAME_FOLDER and the channel's package stored as "kvr.7z"; with PACKAGE also
# its size and SHA-256, which the launcher checks.
channel_write_config() {
  local checks=
  if [ $# -ge 3 ]; then
    checks=", \"packageSize\": $(stat -c %s "$3"), \"packageSha256\": \"$(sha256sum "$3" | cut -d ' ' -f 1)\""
  fi
  printf '{"path": "%s", "gamePath": "%s", "packageName": "kvr.7z"%s}\n' "$2" "$channel_package_url" "$checks" >"$1"
}

# channel_start STATE CONFIG CA_DIR KEY_DIR EVENTS [PACKAGE]: the package host serving CONFIG
# (and PACKAGE when given) on port 18480, signed with the channel's key pair in KEY_DIR (the
# build folder's channel-key, whose public key the default profile trusts) and pinning
# the package as the channel's operator does, and the collector on 18443 (certificates in
# CA_DIR, every body recorded in EVENTS), in the background; their state in the folder STATE.
# CHANNEL_PACKAGE_PORT and CHANNEL_COLLECTOR_PORT move them elsewhere, behind something
# of the caller's own on the fixed ports (the latency benchmark's proxy).
channel_start() {
  local state=$1 config=$2 ca_dir=$3 key_dir=$4 events=$5
  local -a package=()
  [ $# -ge 6 ] && package=(--package "$6")
  python3 "$channel_fixtures/background.py" start package_host "$state" python3 "$channel_fixtures/package_host.py" \
    --port "${CHANNEL_PACKAGE_PORT:-18480}" --config "$config" "${package[@]}" --sign-key "$key_dir/channel.key" \
    --pin-package >&2
  python3 "$channel_fixtures/background.py" start collector "$state" python3 "$channel_fixtures/collector.py" \
    --port "${CHANNEL_COLLECTOR_PORT:-18443}" --ca-dir "$ca_dir" --record "$events" >&2
}

# channel_stop STATE: stops both servers; nothing to stop is fine.
channel_stop() {
  python3 "$channel_fixtures/background.py" stop package_host "$1" || true
  python3 "$channel_fixtures/background.py" stop collector "$1" || true
}
