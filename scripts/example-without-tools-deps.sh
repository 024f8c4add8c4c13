#!/usr/bin/env bash
# Runs ./run-example.sh as on a machine that has none of the companion tools'
# dependencies: in a private mount namespace where the Unicode data, Python,
# pugixml and GoogleTest are covered by empty mounts (CLDR's data under
# /usr/share/unicode/cldr stays: the run-time library is made from it), into
# a fresh build folder. Needs root (unshare -m); prints why and exits 0 when it cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ $(id -u) != 0 ]] || ! command -v unshare >/dev/null 2>&1; then
    echo "Example without the tools' dependencies: skipped (needs root and unshare)"
    exit 0
fi
rm -rf build/example-bare
unshare -m bash -euo pipefail -c '
    mount --make-rprivate /
    hide_folder() { [[ -d $1 ]] && mount -t tmpfs -o ro,size=4k textresgen-hidden "$1"; return 0; }
    hide_file() { [[ -e $1 ]] && mount --bind /dev/null "$1"; return 0; }
    # The Unicode Character Database goes; CLDR (the run-time library'"'"'s
    # plural rules, which the generator part needs) stays.
    for entry in /usr/share/unicode/*; do
        if [[ -d $entry && $entry != /usr/share/unicode/cldr ]]; then hide_folder "$entry"
        elif [[ -f $entry ]]; then hide_file "$entry"; fi
    done
    hide_folder /usr/include/gtest
    hide_folder /usr/lib/x86_64-linux-gnu/cmake/pugixml
    hide_folder /usr/lib/x86_64-linux-gnu/cmake/GTest
    for file in /usr/include/pugixml.hpp /usr/include/pugiconfig.hpp /usr/bin/python3 \
                "$(command -v python3 || true)"; do
        [[ -n $file ]] && hide_file "$file"
    done
    if [[ -s /usr/include/pugixml.hpp || -s /usr/share/unicode/UnicodeData.txt ]]; then
        echo "the dependencies are still visible" >&2
        exit 1
    fi
    TEXTRESGEN_EXAMPLE_BUILD=build/example-bare ./run-example.sh'
echo "Example without the tools' dependencies: built and ran"
