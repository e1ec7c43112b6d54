#!/usr/bin/env bash
# The Windows tests' Wine: one throw-away prefix and one Xvfb display per test run.
#   wine.sh ARCH setup PREFIX             make the prefix, start the run's Xvfb
#   wine.sh ARCH run PREFIX PROGRAM ARGS  run a Windows program in it, on that display
#   wine.sh ARCH cleanup PREFIX           stop Wine and Xvfb, remove the prefix
# ARCH is i686 (32-bit Wine) or x86_64 (64-bit Wine). Debian's wine and wineboot
# wrappers pick the 32-bit loader whenever it is installed, so the loader and server
# are called by their own names. No Mono/Gecko installer and no menu builder run.
set -eu
arch=$1 action=$2
export WINEPREFIX=$3
shift 3
case "$arch" in
  i686) export WINEARCH=win32; loader=/usr/lib/wine/wine; server=/usr/lib/wine/wineserver32 ;;
  x86_64) export WINEARCH=win64; loader=/usr/lib/wine/wine64; server=/usr/lib/wine/wineserver64 ;;
  *) echo "wine.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
export WINELOADER=$loader WINESERVER=$server
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine's desktop process keeps the display of whichever program started it first, so
# every program of the run shares one display, started with the prefix.
display_file=$WINEPREFIX.display
xvfb_pid_file=$WINEPREFIX.xvfb-pid

stop_xvfb() {
  if [ -f "$xvfb_pid_file" ]; then
    kill "$(cat "$xvfb_pid_file")" 2>/dev/null || true
    rm -f "$xvfb_pid_file"
  fi
  rm -f "$display_file"
}

case "$action" in
  setup)
    "$server" -k 2>/dev/null || true
    stop_xvfb
    rm -rf "$WINEPREFIX"
    # -displayfd picks a free display and names it once the server is ready.
    setsid Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset \
      3>"$display_file.tmp" </dev/null >/dev/null 2>&1 &
    echo $! >"$xvfb_pid_file"
    for _ in $(seq 100); do
      [ -s "$display_file.tmp" ] && break
      sleep 0.1
    done
    [ -s "$display_file.tmp" ] || { echo "wine.sh: Xvfb did not start" >&2; stop_xvfb; exit 1; }
    echo ":$(tr -d '\n' <"$display_file.tmp")" >"$display_file"
    rm -f "$display_file.tmp"
    export DISPLAY=$(cat "$display_file")
    "$loader" wineboot.exe -i >/dev/null 2>&1
    # Without a window manager every hide or destroy of a managed window costs ~2 s.
    "$loader" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Wine's dialog fonts have no Chinese glyphs, and other metrics than a player's: linked
    # to Debian's WenQuanYi Micro Hei, the launcher's texts show as they do on a Chinese system.
    for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
      "$loader" reg.exe add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1
    done
    "$server" -w
    # One server for the whole run: a server that ends between two tests races with the
    # next program's start ("recvmsg: Connection reset by peer").
    "$server" -p </dev/null >/dev/null 2>&1
    ;;
  run)
    [ ! -f "$display_file" ] || export DISPLAY=$(cat "$display_file")
    # Wine's helper processes (services, the desktop) outlive the program and inherit
    # its output; written to a file, they never hold the test runner's pipe open.
    out=$(mktemp /tmp/kvr-wine-output.XXXXXX)
    status=0
    "$loader" "$@" >"$out" 2>&1 || status=$?
    cat "$out"
    rm -f "$out"
    exit "$status"
    ;;
  cleanup)
    "$server" -k 2>/dev/null || true
    stop_xvfb
    rm -rf "$WINEPREFIX"
    ;;
  *) echo "wine.sh: unknown action $action" >&2; exit 2 ;;
esac
