#!/usr/bin/env bash
# Decides how the Windows tests run on this machine:
#   i686    the product's own architecture, under 32-bit Wine;
#   x86_64  the same code built for x86_64, under 64-bit Wine, on a machine whose
#           kernel cannot run 32-bit programs at all (Wine's 32-bit loader fails there
#           with "Exec format error").
# KVR_WINDOWS_TESTS=i686|x86_64 forces a mode.
#   windows-tests-mode.sh arch       prints i686 or x86_64
#   windows-tests-mode.sh describe   prints the one line the test command shows
set -eu

# A 96-byte static 32-bit ELF program that exits with 42: the kernel either runs it
# or refuses it, whatever is installed.
can_run_32bit() {
  local probe status=0
  probe=$(mktemp /tmp/kvr-probe32.XXXXXX)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

case "${KVR_WINDOWS_TESTS:-}" in
  i686) arch=i686 why="forced by KVR_WINDOWS_TESTS" ;;
  x86_64) arch=x86_64 why="forced by KVR_WINDOWS_TESTS" ;;
  "")
    if can_run_32bit; then arch=i686 why=""
    else arch=x86_64 why="this machine cannot run 32-bit programs"; fi ;;
  *) echo "KVR_WINDOWS_TESTS must be i686 or x86_64, not '$KVR_WINDOWS_TESTS'" >&2; exit 2 ;;
esac

case "${1:-arch}" in
  arch) echo "$arch" ;;
  describe)
    if [ "$arch" = i686 ]; then line="Windows tests: i686 under 32-bit Wine"
    else line="Windows tests: x86_64 under 64-bit Wine"; fi
    [ -z "$why" ] || line="$line: $why"
    echo "$line" ;;
  *) echo "usage: $0 arch|describe" >&2; exit 2 ;;
esac
