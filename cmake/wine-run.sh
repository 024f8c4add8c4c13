#!/bin/sh
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine with
# the Wine prefix PREFIX, without a display and without questions. Used as
# the emulator of cross builds.
#
# The first use creates the prefix, once, under a lock: test discovery and
# parallel tests may start several programs at the same moment. The Mono and
# Gecko installers are skipped (they would ask to download), and Wine's own
# diagnostics are silenced so that a program's output is its own.
set -eu
if [ $# -lt 2 ]; then
    echo "usage: $0 WINEPREFIX PROGRAM [ARGS...]" >&2
    exit 2
fi
WINEPREFIX=$1
shift
case $WINEPREFIX in
    /*) ;;
    *) WINEPREFIX=$(pwd)/$WINEPREFIX ;;
esac
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$WINEPREFIX/.textresgen-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        if command -v flock >/dev/null 2>&1; then flock 9; fi
        if [ ! -f "$WINEPREFIX/.textresgen-ready" ]; then
            wineboot --init >/dev/null 2>&1 || true
            if command -v wineserver >/dev/null 2>&1; then wineserver --wait || true; fi
            touch "$WINEPREFIX/.textresgen-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
