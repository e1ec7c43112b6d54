# What the benchmark scripts share; they source it after `set -euo pipefail`.
# Sets source_dir and fixtures.
source_dir=$(cd "$(dirname "$0")/.." && pwd)
fixtures="$source_dir/tests/fixtures"

# bench_prepare TARGET DEFAULT_BUILD_DIR NAME [--show]: configures and builds one
# benchmark program (Release, no tests) in BUILD_DIR or the default, showing the build's
# output with --show only; sets build_dir and bench, and $work, a fresh working folder
# (/tmp/kvr-NAME.*) removed when the script ends.
bench_prepare() {
  local target=$1
  build_dir=${BUILD_DIR:-$2}
  cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVR_BUILD_TESTS=OFF >/dev/null
  if [[ ${4:-} == --show ]]; then
    cmake --build "$build_dir" --target "$target" -j2
  else
    cmake --build "$build_dir" --target "$target" -j2 >/dev/null
  fi
  bench="$build_dir/bench/$target"
  work=$(mktemp -d "/tmp/kvr-$3.XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

# bench_serve_package ARGS...: the package host (tests/fixtures/package_host.py ARGS) on a
# free loopback port until the script ends; sets port.
bench_serve_package() {
  trap 'python3 "$fixtures/background.py" stop package_host "$work/state"; rm -rf "$work"' EXIT
  python3 "$fixtures/background.py" start package_host "$work/state" \
    python3 "$fixtures/package_host.py" "$@" >&2
  port=$(<"$work/state/package_host.port")
}
