#!/usr/bin/env bash
# Creates (setup) or removes (cleanup) the throw-away Wine prefix of a test run.
#   wine-prefix.sh setup|cleanup PREFIX
set -eu
action=$1
export WINEPREFIX=$2 WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
case "$action" in
  setup)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    # Without a window manager every hide or destroy of a managed window costs ~2 s.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    ;;
  cleanup)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
esac
