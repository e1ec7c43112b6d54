#!/usr/bin/env bash
# Builds the launcher and the two web-load benchmark programs (Release, in their own build
# folder), starts the local channel on the default profile's fixed loopback ports (run it
# where those are free, e.g. `unshare -n` with `ip link set lo up`), and on an X display
# (Xvfb when there is none):
#  1. start to the login page's load, warm, in alternating rounds, each a process of its own:
#     the launcher with the game already installed, until the collector has the page's
#     second "web_load" (its frame reports first, the page itself last), against
#     kvr_webload_peer, a minimal GTK + WebKitGTK program showing the same page, until
#     its load has finished. Each launcher is ended once measured.
#  2. kvr_applogin_bench: from AppLogin to the game running, and to AppLogin's return
#     (the synchronous "game_start" report to the collector included).
# Prints the medians and the ratio launcher/peer (goal: at most 1.3).
#
# Environment: ROUNDS (7), BUILD_DIR (/tmp/build-webload-bench).
set -euo pipefail

rounds=${ROUNDS:-7}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-/tmp/build-webload-bench}
source "$source_dir/scripts/local-channel.sh"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$@"
fi

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target kvr_velmora kvr_webload_peer kvr_applogin_bench -j2 >/dev/null

work=$(mktemp -d /tmp/kvr-webload-bench.XXXXXX)
cleanup() {
  channel_stop "$work/state"
  rm -rf "$work"
}
trap cleanup EXIT

# The game is installed: the launcher downloads nothing and only shows its page. Its
# stand-in writes a file as its first act.
mkdir -p "$work/game" "$work/home" "$work/state"
printf '#!/bin/sh\n: > kvr_started.txt\n' > "$work/game/kvr.exe"
chmod +x "$work/game/kvr.exe"
channel_write_config "$work/PCDownloadCfg.json" "$work/game"
channel_start "$work/state" "$work/PCDownloadCfg.json" "$build_dir/local-ca" "$build_dir/channel-key" "$work/events.txt"

python3 - "$rounds" "$build_dir/app/kvr_velmora" "$build_dir/bench/kvr_webload_peer" "$work" <<'PY'
import os, statistics, subprocess, sys, time

rounds, launcher, peer, work = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
events = os.path.join(work, "events.txt")
url = "http://127.0.0.1:18480/kvr/login/index.php"
env = dict(os.environ, HOME=os.path.join(work, "home"))

def loads():
    try:
        with open(events) as f:
            return sum("type=web_load&" in line for line in f)
    except FileNotFoundError:
        return 0

def run_launcher():
    before = loads()
    start = time.monotonic()
    process = subprocess.Popen([launcher], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while loads() < before + 2:
        if process.poll() is not None or time.monotonic() - start > 60:
            raise SystemExit("the launcher did not show its page")
        time.sleep(0.002)
    elapsed = time.monotonic() - start
    process.kill()
    process.wait()
    return elapsed

def run_peer():
    start = time.monotonic()
    process = subprocess.Popen([peer, url], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    if process.stdout.readline().strip() != "loaded":
        raise SystemExit("the peer did not load the page")
    elapsed = time.monotonic() - start
    process.wait()
    return elapsed

times = {"launcher": [], "peer": []}
run_launcher(); run_peer()  # warm
for round in range(rounds):
    order = [("launcher", run_launcher), ("peer", run_peer)]
    if round % 2:
        order.reverse()
    for name, run in order:
        times[name].append(run())
    print(f"round {round + 1}: launcher {times['launcher'][-1] * 1000:.0f} ms, peer {times['peer'][-1] * 1000:.0f} ms")
ours, theirs = statistics.median(times["launcher"]), statistics.median(times["peer"])
print(f"start to page loaded, median of {rounds}: launcher {ours * 1000:.0f} ms "
      f"(spread {min(times['launcher']) * 1000:.0f}-{max(times['launcher']) * 1000:.0f}), "
      f"peer {theirs * 1000:.0f} ms (spread {min(times['peer']) * 1000:.0f}-{max(times['peer']) * 1000:.0f}), "
      f"ratio {ours / theirs:.2f} (goal <= 1.3)")
PY

cd "$work/home"
"$build_dir/bench/kvr_applogin_bench" "$work/game" "$rounds"
