#!/bin/sh
# The test bench: a private Wine prefix and an X server inside the build tree.
#   wine-bench.sh setup <dir> [<loader> [win32]]
#                                 make a fresh prefix (64-bit, or 32-bit with win32), start
#                                 Xvfb and a persistent wineserver; wine-run.sh then starts
#                                 programs with <loader> (default: the 64-bit one)
#   wine-bench.sh teardown <dir>  stop that wineserver and that Xvfb (never anything else)
# Wine's programs are started by the loader's path, never through Debian's
# wrappers (wine, wineboot, wineserver): where wine32 is installed those pick
# the 32-bit loader, which a kernel without 32-bit support cannot start.
set -u
action=$1
dir=$2
loader=${3:-/usr/lib/wine/wine64}
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The 64-bit server serves 32-bit, WoW64 and 64-bit prefixes alike; the
# loader starts the one WINESERVER names.
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver32
export WINESERVER="$wineserver"

case "$action" in
setup)
    "$0" teardown "$dir" 2>/dev/null
    rm -rf "$dir"
    mkdir -p "$dir"
    [ "${4:-}" = win32 ] && export WINEARCH=win32
    echo "$loader" >"$dir/loader"
    # Xvfb picks a free display and writes its number to fd 3.
    (exec setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$dir/display.num" >"$dir/xvfb.log" 2>&1 </dev/null & echo $! >"$dir/xvfb.pid")
    n=0
    while [ ! -s "$dir/display.num" ] && [ $n -lt 100 ]; do sleep 0.1; n=$((n + 1)); done
    [ -s "$dir/display.num" ] || { echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
    echo ":$(head -n 1 "$dir/display.num")" >"$dir/display"
    export DISPLAY="$(cat "$dir/display")"
    # A persistent server keeps each program start from paying for a new one.
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$loader" wineboot.exe -i </dev/null >"$dir/wineboot.log" 2>&1 || { cat "$dir/wineboot.log" >&2; exit 1; }
    echo "Wine prefix $WINEPREFIX ready on display $DISPLAY"
    ;;
teardown)
    [ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null
    if [ -f "$dir/xvfb.pid" ]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
        rm -f "$dir/xvfb.pid"
    fi
    # No display left behind for wine-run.sh: it may belong to someone else by now.
    rm -f "$dir/display" "$dir/display.num"
    exit 0
    ;;
*)
    echo "usage: $0 setup|teardown <dir>" >&2
    exit 2
    ;;
esac
