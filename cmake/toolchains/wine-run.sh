#!/bin/sh
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under Wine with
# the Wine prefix PREFIX, without a display and without questions. Used as
# the emulator of cross builds.
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
# No Mono or Gecko installers (they would ask to download), no desktop menu
# entries, and none of Wine's own diagnostics in the program's output.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

# Wine's server and the services it starts outlive the program. Started by
# the program, they would inherit its standard output and error, and whoever
# reads those (CTest, test discovery) would wait for them to exit. So they
# are started here, detached from our output, and kept for 10 s after the
# last program so that tests run one after another share them; they end by
# themselves. All of this happens under a lock: parallel tests start
# programs at the same moment, and the first start creates the prefix.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    if command -v flock >/dev/null 2>&1; then flock 9; fi
    if [ ! -f "$WINEPREFIX/.textresgen-ready" ]; then
        wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
        wineserver --wait </dev/null >/dev/null 2>&1 9>&- || true
        touch "$WINEPREFIX/.textresgen-ready"
    fi
    # Fails, at once, when the server is already running.
    if wineserver -p10 </dev/null >/dev/null 2>&1 9>&-; then
        wineboot </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
