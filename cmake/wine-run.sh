#!/bin/sh
# Runs a Windows program in the test bench's prefix, on its X server.
#   wine-run.sh <bench dir> <program.exe> [arguments...]
dir=$1
shift
export WINEPREFIX="$dir/prefix" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -f "$dir/display" ] && DISPLAY="$(cat "$dir/display")" && export DISPLAY
exec /usr/lib/wine/wine64 "$@"
