#!/usr/bin/env bash
# Builds the download benchmark (Release, in its own build folder), makes one package
# of random bytes and serves it from the package host on loopback, then times our
# package transfer against curl on the same address into the same file, in alternating
# rounds, each run a process of its own:
#   curl -s -o DIR/kvr.7z -w TIMES URL     against  kvr_download_bench URL DIR/kvr.7z
# Every result must have the package's size and SHA-256; it is deleted before the next
# run. Our resident set may grow by at most MAX_GROWTH_MB during the transfer (the
# package streams to disk). Prints the median times, the ratio ours/curl and the peak
# resident sets; exits non-zero when a run fails a check.
#
# Environment: ROUNDS (5), SIZE_MB (200), MAX_GROWTH_MB (16), BUILD_DIR
# (/tmp/build-download-bench).
set -euo pipefail

rounds=${ROUNDS:-5}
size_mb=${SIZE_MB:-200}
max_growth_mb=${MAX_GROWTH_MB:-16}
source "$(dirname "$0")/prologue.sh"
bench_prepare kvr_download_bench /tmp/build-download-bench download-bench

head -c "$((size_mb << 20))" /dev/urandom >"$work/package.7z"
expected_size=$(stat -c %s "$work/package.7z")
expected_sum=$(sha256sum "$work/package.7z" | cut -d ' ' -f 1)
sync
bench_serve_package --package "$work/package.7z"
url="http://127.0.0.1:$port/package/velmora/kvr.7z"
mkdir "$work/dl"
file="$work/dl/kvr.7z"
results="$work/results.txt"
: >"$results"

# run PEER LABEL: one transfer into $file, checked and deleted. Appends
# "LABEL PEER start_s end_s maxrss_kb result-fields..." to the results unless LABEL is "-";
# the peak resident set of the whole process comes from GNU time.
failures=0
run() {
  local peer=$1 label=$2 start end
  local -a command=("$bench" "$url" "$file")
  if [[ $peer == curl ]]; then
    command=(curl -s -o "$file" -w 'result start %{time_starttransfer} total %{time_total}\n' "$url")
  fi
  start=$EPOCHREALTIME
  if ! /usr/bin/time -f %M -o "$work/maxrss" "${command[@]}" >"$work/out"; then
    echo "FAILED: $peer: the transfer failed" >&2
    failures=$((failures + 1))
    rm -f "$file"
    return
  fi
  end=$EPOCHREALTIME
  local size sum
  size=$(stat -c %s "$file" 2>/dev/null || echo none)
  sum=$(sha256sum "$file" 2>/dev/null | cut -d ' ' -f 1 || true)
  rm -f "$file"
  sync
  if [[ $size != "$expected_size" || $sum != "$expected_sum" ]]; then
    echo "FAILED: $peer: got $size bytes with SHA-256 $sum, expected $expected_size bytes with $expected_sum" >&2
    failures=$((failures + 1))
    return
  fi
  local -a fields
  read -r -a fields <"$work/out"
  if [[ $peer == ours ]]; then
    local before=${fields[8]} peak=${fields[10]}
    if ((peak - before > max_growth_mb * 1024)); then
      echo "FAILED: ours: the resident set grew from $before kB to $peak kB during the transfer" >&2
      failures=$((failures + 1))
      return
    fi
  fi
  [[ $label == - ]] || echo "$label $peer $start $end $(<"$work/maxrss") ${fields[*]}" >>"$results"
}

# One untimed run each: the server's first request and the programs' first start.
run curl -
run ours -
for ((round = 0; round < rounds; ++round)); do
  echo "round $((round + 1)) of $rounds" >&2
  if ((round % 2 == 0)); then order=(curl ours); else order=(ours curl); fi
  for peer in "${order[@]}"; do run "$peer" "$round"; done
done

report=0
python3 - "$results" "$size_mb" "$max_growth_mb" <<'PY' || report=1
import statistics, sys
results, size_mb, max_growth_mb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
runs = {"curl": [], "ours": []}
for line in open(results):
    _, peer, start, end, maxrss, _result, *pairs = line.split()
    fields = dict(zip(pairs[::2], map(float, pairs[1::2])))
    fields.update(wall=float(end) - float(start), maxrss=float(maxrss))
    fields["transfer"] = fields["seconds"] if peer == "ours" else fields["total"]
    fields["body"] = fields["total"] - fields["start"]
    runs[peer].append(fields)
if not runs["curl"] or not runs["ours"]:
    sys.exit("no complete pair of runs to compare")
def stat(peer, key):
    values = [r[key] for r in runs[peer]]
    return statistics.median(values), min(values), max(values)
def row(title, key, unit="s", digits=3):
    c, o = stat("curl", key), stat("ours", key)
    spread = lambda m: f"{m[0]:.{digits}f} {unit} ({m[1]:.{digits}f}-{m[2]:.{digits}f})"
    print(f"{title:22s} curl {spread(c):28s} ours {spread(o):28s} ours/curl {o[0] / c[0]:.3f}")
print(f"{size_mb} MB package, medians over {len(runs['curl'])} curl and {len(runs['ours'])} of our runs (min-max)")
row("transfer", "transfer")
row("  after the first byte", "body")
row("whole process (wall)", "wall")
row("peak RSS of process", "maxrss", "kB", 0)
ratio = stat("ours", "transfer")[0] / stat("curl", "transfer")[0]
print(f"throughput: curl {size_mb / stat('curl', 'transfer')[0]:.0f} MB/s, ours {size_mb / stat('ours', 'transfer')[0]:.0f} MB/s;"
      f" transfer ours/curl {ratio:.3f}, goal at most 1.05: {'met' if ratio <= 1.05 else 'MISSED'}")
before = max(r["rss_before_kb"] for r in runs["ours"])
peak = max(r["rss_peak_kb"] for r in runs["ours"])
growth = max(r["rss_peak_kb"] - r["rss_before_kb"] for r in runs["ours"])
exact = all(r["peak_reset"] == 1 for r in runs["ours"])
print(f"ours during the transfer: resident set {before:.0f} kB before, {peak:.0f} kB at its peak, growth at most"
      f" {growth:.0f} kB (limit {max_growth_mb * 1024} kB){'' if exact else ' (peak not reset: an upper bound)'}")
PY
if ((failures > 0)); then
  echo "$failures run(s) failed their check" >&2
fi
((failures == 0 && report == 0))
