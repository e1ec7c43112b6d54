#!/usr/bin/env bash
# Builds the extraction benchmark (Release, in its own build folder), generates one
# archive of thousands of files (LZMA2) and times our extraction against 7z, which
# loads the same codec library, in alternating rounds, each run a process of its own:
#   decode only:      7z t ARCHIVE             against  kvr_extract_bench test ARCHIVE
#   full extraction:  7z x -oDST ARCHIVE       against  kvr_extract_bench extract ARCHIVE DST
# Prints the median wall and CPU (user + system) times and their ratios, and checks
# that both extracted trees are identical (names, contents, sizes, modes, times).
# Then what keeps the game whole and current, against our own full extraction: the
# repair of one file (the archive's last, so a solid block is decoded to its end) and a
# staged update applied over the extracted tree; and the quick check of CHECK_FILES
# recorded files (median of 9).
#
# Environment: ROUNDS (7), FILES (4000), CHECK_FILES (10000), BUILD_DIR (/tmp/build-extract-bench).
set -euo pipefail

rounds=${ROUNDS:-7}
files=${FILES:-4000}
source "$(dirname "$0")/prologue.sh"
bench_prepare kvr_extract_bench /tmp/build-extract-bench extract-bench

# Game-like content: text of varying compressibility, some binary noise, nested
# folders, the executable at the top.
python3 - "$work/tree" "$files" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(5)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 9))) for _ in range(3000)]
for i in range(count):
    folder = os.path.join(root, 'data', 'pack%02d' % (i % 40), 'set%d' % (i % 7))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, 'item%05d.%s' % (i, rng.choice(['txt', 'json', 'lua', 'bin'])))
    size = int(rng.lognormvariate(9.5, 1.0))
    with open(path, 'wb') as f:
        if path.endswith('.bin') and i % 3 == 0:
            f.write(os.urandom(size))
        else:
            text = ' '.join(rng.choice(words) for _ in range(size // 5 + 1))
            f.write(text.encode()[:size])
with open(os.path.join(root, 'kvr.exe'), 'wb') as f:
    f.write(os.urandom(3 << 20))
PY
(cd "$work/tree" && 7z a -t7z -m0=lzma2 -mx5 -bd -bso0 -bsp0 "$work/package.7z" .)
echo "archive: $(find "$work/tree" -type f | wc -l) files, $(du -sm "$work/tree" | cut -f1) MB unpacked," \
  "$(( $(stat -c %s "$work/package.7z") / 1048576 )) MB packed" >&2

# timed LABEL COMMAND...: runs the command with its output discarded and appends
# "LABEL wall user system" (seconds, from the child's own resource usage) to the results.
cat >"$work/timed.py" <<'PY'
import os, sys, time
label, command = sys.argv[1], sys.argv[2:]
null = os.open(os.devnull, os.O_WRONLY)
actions = [(os.POSIX_SPAWN_DUP2, null, 1)]
start = time.perf_counter()
pid = os.posix_spawnp(command[0], command, os.environ, file_actions=actions)
_, status, usage = os.wait4(pid, 0)
wall = time.perf_counter() - start
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit(f"FAILED: {' '.join(command)}")
with open(sys.argv[0].replace('timed.py', 'times.raw'), 'a') as out:
    out.write(f"{label} {wall:.4f} {usage.ru_utime:.4f} {usage.ru_stime:.4f}\n")
PY
timed() { python3 "$work/timed.py" "$@"; }

for ((round = 0; round < rounds; ++round)); do
  echo "round $((round + 1)) of $rounds" >&2
  sync
  if ((round % 2 == 0)); then order=(7z ours); else order=(ours 7z); fi
  for peer in "${order[@]}"; do
    if [[ $peer == 7z ]]; then timed "test-7z" 7z t "$work/package.7z"; else timed "test-ours" "$bench" test "$work/package.7z"; fi
  done
  for peer in "${order[@]}"; do
    rm -rf "$work/dst-$peer"
    sync
    if [[ $peer == 7z ]]; then
      timed "extract-7z" 7z x -bd "-o$work/dst-7z" "$work/package.7z"
    else
      timed "extract-ours" "$bench" extract "$work/package.7z" "$work/dst-ours"
    fi
  done
done

listing() { (cd "$1" && find . -mindepth 1 -printf '%P %y %s %m %TY-%Tm-%Td %TT\n' | sort); }
if ! diff <(listing "$work/dst-7z") <(listing "$work/dst-ours") >/dev/null || ! diff -r "$work/dst-7z" "$work/dst-ours" >/dev/null; then
  echo "FAILED: the extracted trees differ" >&2
  diff <(listing "$work/dst-7z") <(listing "$work/dst-ours") | head -20 >&2 || true
  exit 1
fi
echo "trees identical: $(find "$work/dst-ours" -type f | wc -l) files" >&2

# Repair and update rounds in our extracted tree once it has been compared (moves change
# its folders' times), with the journal in $work/kvr.
last=$(7z l -ba -slt "$work/package.7z" | awk '/^Path = /{path = substr($0, 8)} /^Attributes = [^D]/{file = path} END {print file}')
mkdir -p "$work/kvr"
for ((round = 0; round < rounds; ++round)); do
  rm -f "$work/dst-ours/$last"
  sync
  (cd "$work" && timed "repair" "$bench" repair package.7z dst-ours "$last")
  sync
  (cd "$work" && timed "update" "$bench" update package.7z dst-ours)
done


python3 - "$work/times.raw" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    label, wall, user, system = line.split()
    runs.setdefault(label, []).append((float(wall), float(user) + float(system)))
def median(label, k):
    return statistics.median(r[k] for r in runs[label])
extract = median('extract-ours', 0)
for label in ('repair', 'update'):
    print(f"{label:8s} ours wall {median(label, 0):6.3f} s | against our full extraction {median(label, 0) / extract:5.3f}")
for test in ('test', 'extract'):
    w7, wo = median(test + '-7z', 0), median(test + '-ours', 0)
    c7, co = median(test + '-7z', 1), median(test + '-ours', 1)
    print(f"{test:8s} 7z wall {w7:6.3f} s cpu {c7:6.3f} s | ours wall {wo:6.3f} s cpu {co:6.3f} s"
          f" | throughput ours/7z {w7 / wo:5.3f}  cpu ours/7z {co / c7:5.3f}")
PY

# The quick check at start over many small recorded files.
python3 - "$work/many" "${CHECK_FILES:-10000}" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    folder = os.path.join(root, 'data', 'pack%02d' % (i % 50))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, 'item%05d.dat' % i), 'wb') as f:
        f.write(b'x' * (i % 100))
PY
"$bench" check "$work/many" 9
