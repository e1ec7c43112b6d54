#!/usr/bin/env bash
# The whole road on an X display, as the channel client starts it on a fresh machine:
#   login_road.sh LAUNCHER GAME_STANDIN FIXTURE_STATE
# fresh HOME → install → login page → a real click on its log-in button → the stand-in game
# started in the install folder with the five fields → the lifecycle events at the local
# channel's collector → exit code 0.
set -euo pipefail
launcher=$1
standin=$2
state=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/local-channel.sh"

work=$(mktemp -d /tmp/kvr-login-road.XXXXXX)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -d "$work/home/Games/velmora/kvr/kvr/logs" ] && cat "$work"/home/Games/velmora/kvr/kvr/logs/*.log >&2
  exit 1
}

# The local channel (the test run's servers) serves a package holding the stand-in game.
mkdir -p "$work/home"
channel_make_package "$standin" "$work/kvr.7z"
cat "$work/kvr.7z" > "$state/channel-kvr.7z"
channel_write_config "$state/channel-PCDownloadCfg.json" ./kvr/game
events=$state/channel-collector.bodies
since=$(cat "$events" 2>/dev/null | wc -l)

HOME="$work/home" "$launcher" --winid=4321 --fromc=road --tokenc=dGVzdA== &
pid=$!
"$here/click_login.sh" "$events" "$since" "$work/home/Games/velmora/kvr/kvr/logs" "$work/screen.png" || fail "the page was not ready to click"

for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the launcher still runs 30 s after the click"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit code $status"

install=$work/home/Games/velmora/kvr
started=$install/kvr_started.txt
for _ in $(seq 100); do [ -s "$started" ] && grep -qx end "$started" && break; sleep 0.1; done
[ -f "$started" ] || fail "the game was not started"
line=$(sed -n 1p "$started")
folder=$(sed -n 2p "$started")
echo "game command line: $line"
[[ "$line" =~ ^\./kvr/game/kvr\.exe\ cGxheWVyMQ==\ 4321\ (-?[0-9]+)\ end$ ]] || fail "command line: $line"
[ "${BASH_REMATCH[1]}" != 0 ] || fail "no launcher window in field 4: $line"
[ "$folder" = "$install" ] || fail "the game runs in $folder, not in the install folder"
[ "$(sed -n '3,$p' "$started" | tr '\n' ' ')" = "./kvr/game/kvr.exe cGxheWVyMQ== 4321 ${BASH_REMATCH[1]} end " ] \
  || fail "arguments: $(sed -n '3,$p' "$started" | tr '\n' ' ')"

mapfile -t types < <(tail -n "+$((since + 1))" "$events" | sed -n 's/^.*type=\([^&]*\)&.*$/\1/p')
echo "events: ${types[*]}"
[ "${types[0]}" = launch_start ] || fail "first event ${types[0]}"
[ "${types[-1]}" = "close launch" ] || fail "last event ${types[-1]}"
[ "${types[-2]}" = game_start ] || fail "game_start is not right before close launch"
count() { local n=0 t; for t in "${types[@]}"; do [ "$t" = "$1" ] && n=$((n + 1)); done; echo "$n"; }
for type in download_start download_end decode_start decode_end game_start; do
  [ "$(count "$type")" -eq 1 ] || fail "$type $(count "$type") times"
done
# The page and its frame each report a load.
[ "$(count web_load)" -ge 2 ] || fail "web_load $(count web_load) times"
echo "PASS"
