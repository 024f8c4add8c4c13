#!/usr/bin/env bash
# Builds the notes example under examples/ against this source tree: the
# generator turns the English and Japanese definition files into two shared
# libraries, and the host loads one, then the other, printing a few texts.
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
"${command[@]}"
