#!/usr/bin/env bash
# The resumed package transfer against `curl -C -` on the same loopback server. Builds
# kvr_download_bench (Release, its own build folder), makes a 7z package of SIZE_MB of
# random data holding a stand-in game, and serves it from the package host. Each round,
# on an address of its own:
#   1. our transfer is cut at half by the server (cut=N), leaving the partial file and
#      its record, as a launcher ended half-way would;
#   2. the partial file is copied for curl; then, in alternating order, our transfer
#      resumes it and `curl -C - -o COPY URL` resumes the copy (the same range).
# Checks: both results have the package's SHA-256; the bytes the server sent for our two
# requests add up to at most 1.01 times the package; after the last round the resumed
# package is extracted with 7z and compared with the game it was made from. Prints the
# medians of the second half's time and the ratio ours/curl (goal: at most 1.05).
#
# Environment: ROUNDS (5), SIZE_MB (200), BUILD_DIR (/tmp/build-download-bench).
set -euo pipefail

rounds=${ROUNDS:-5}
size_mb=${SIZE_MB:-200}
source "$(dirname "$0")/prologue.sh"
bench_prepare kvr_download_bench /tmp/build-download-bench resume-bench

mkdir -p "$work/game/data"
printf 'game executable\n' >"$work/game/kvr.exe"
head -c "$((size_mb << 20))" /dev/urandom >"$work/game/data/blob.bin"
(cd "$work/game" && 7z a -t7z -mx0 "$work/package.7z" . -bd -bso0 -bsp0 >/dev/null)
size=$(stat -c %s "$work/package.7z")
half=$((size / 2))
sum=$(sha256sum "$work/package.7z" | cut -d ' ' -f 1)
sync
bench_serve_package --package "$work/package.7z" --requests "$work/requests.log"
mkdir "$work/dl"
ours="$work/dl/kvr.7z"
copy="$work/dl/curl.7z"
results="$work/results.txt"
: >"$results"
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}


for ((round = 0; round < rounds; ++round)); do
  echo "round $((round + 1)) of $rounds" >&2
  rm -f "$ours" "$ours.resume" "$copy"
  path="/package/velmora/r$round-$$.7z"
  url="http://127.0.0.1:$port$path?cut=$half"
  "$bench" "$url" "$ours" >/dev/null 2>&1 || true
  if [[ $(stat -c %s "$ours") != "$half" ]]; then
    fail "round $round: the cut left $(stat -c %s "$ours") bytes, not $half"
    continue
  fi
  cp "$ours" "$copy"
  sync
  if ((round % 2 == 0)); then order=(ours curl); else order=(curl ours); fi
  ours_seconds="" curl_seconds=""
  for peer in "${order[@]}"; do
    if [[ $peer == ours ]]; then
      line=$("$bench" "$url" "$ours") || { fail "round $round: our resumed transfer failed"; continue; }
      read -r -a fields <<<"$line"
      ours_seconds=${fields[2]}
    else
      curl_seconds=$(curl -s -C - -o "$copy" -w '%{time_total}' "$url") || { fail "round $round: curl failed"; continue; }
    fi
  done
  for file in "$ours" "$copy"; do
    [[ $(sha256sum "$file" | cut -d ' ' -f 1) == "$sum" ]] || fail "round $round: $file differs from the package"
  done
  # The server's log holds our cut request, our resumed one and curl's.
  mapfile -t sent < <(awk -v p="$path" '$1 == p { print $2, $3, $4 }' "$work/requests.log")
  [[ -n $ours_seconds && -n $curl_seconds ]] && echo "$round $ours_seconds $curl_seconds ${sent[*]}" >>"$results"
done

extracted="$work/extracted"
7z x -o"$extracted" "$ours" -bd -bso0 -bsp0 >/dev/null
diff -r "$work/game" "$extracted" >/dev/null || fail "the extracted game differs from the one packed"

report=0
python3 - "$results" "$size" "$half" <<'PY' || report=1
import statistics, sys
results, size, half = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
ours, curl, worst = [], [], 0.0
for line in open(results):
    f = line.split()
    ours.append(float(f[1]))
    curl.append(float(f[2]))
    # Responses in order: our cut (200 from 0), then ours and curl's 206 from the half in
    # the round's order; each 206 carries the rest.
    responses = [tuple(map(int, f[i:i + 3])) for i in range(3, len(f), 3)]
    cut = responses[0]
    rests = [r for r in responses[1:] if r[0] == 206 and r[1] == half]
    if cut[0] != 200 or len(rests) != 2:
        sys.exit(f"unexpected responses: {responses}")
    worst = max(worst, (cut[2] + rests[0][2]) / size)
if not ours:
    sys.exit("no complete round")
o, c = statistics.median(ours), statistics.median(curl)
print(f"{size / 2**20:.0f} MiB package cut at {half} bytes; medians over {len(ours)} rounds")
print(f"second half: curl -C - {c:.3f} s ({min(curl):.3f}-{max(curl):.3f}), ours {o:.3f} s ({min(ours):.3f}-{max(ours):.3f})")
print(f"second half ours/curl {o / c:.3f}, goal at most 1.05: {'met' if o / c <= 1.05 else 'MISSED'}")
print(f"bytes sent for our cut and resumed transfers: at most {worst:.4f} x the package, goal at most 1.01: "
      f"{'met' if worst <= 1.01 else 'MISSED'}")
if worst > 1.01:
    sys.exit(1)
PY
if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
fi
((failures == 0 && report == 0))
