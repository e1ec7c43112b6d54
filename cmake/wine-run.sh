#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the given prefix:  wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is made by wine-prefix.sh; no Mono/Gecko installer and no menu builder runs.
set -eu
export WINEPREFIX=$1
shift
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec wine "$@"
