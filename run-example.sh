#!/usr/bin/env bash
# Builds the notes example under examples/ against this source tree: the
# generator turns English, German, Japanese and an outdated French
# definition file into language libraries, and the application picks the
# language its user prefers (here LANGUAGE=de_AT:ja, so German), then
# switches at run time to Japanese, then to French, whose library it refuses
# (built from an older layout) and falls back to English.
# Needs only a C++17 compiler and CMake (the generator alone is built);
# installs what is missing on Debian or Ubuntu.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_dependencies generator

build=${TEXTRESGEN_EXAMPLE_BUILD:-build/example}
cmake -S examples -B "$build" -DTEXTRESGEN_SOURCE_DIR="$PWD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 >/dev/null
mapfile -t command < "$build/run-Release.txt"
echo "\$ LANGUAGE=de_AT:ja LANG=en_US.UTF-8 notes_host ja fr"
env -u LC_ALL -u LC_MESSAGES LANGUAGE=de_AT:ja LANG=en_US.UTF-8 "${command[@]}" ja fr
