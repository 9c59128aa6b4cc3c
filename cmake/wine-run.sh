#!/bin/sh
# Runs a Windows program in the test bench's prefix, on its X server.
#   wine-run.sh <bench dir> <program.exe> [arguments...]
# The loader is the bench's (set up with it), or WINE_LOADER when given.
dir=$1
shift
export WINEPREFIX="$dir/prefix" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The bench's server (wine-bench.sh), should the loader have to start one.
[ -x /usr/lib/wine/wineserver64 ] && export WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver64}"
[ -f "$dir/display" ] && DISPLAY="$(cat "$dir/display")" && export DISPLAY
loader=${WINE_LOADER:-$(cat "$dir/loader" 2>/dev/null)}
exec "${loader:-/usr/lib/wine/wine64}" "$@"
