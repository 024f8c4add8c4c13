#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing on Debian
# or Ubuntu. Set TEXTRESGEN_SKIP_HEAVY=1 to leave out the large-file tests,
# TEXTRESGEN_SKIP_WINDOWS=1 to leave out the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh

# Clang too: the package tests build a consumer with each compiler. Python,
# iconv and time run the benchmark's quick case.
ensure_packages cmake:cmake g++:g++ /usr/include/gtest/gtest.h:libgtest-dev clang++:clang \
    python3:python3 iconv:libc-bin /usr/bin/time:time

jobs=$(nproc 2>/dev/null || echo 2)
ctest_args=(--output-on-failure -j "$jobs")
if [[ ${TEXTRESGEN_SKIP_HEAVY:-0} == 1 ]]; then ctest_args+=(-LE heavy); fi

# The benchmark's 10 thousand case: proves the bench runs and that the
# Release program's outputs match the reference path. No time is judged.
python3 bench/run_bench.py --quick

# Windows leg: cross-compiled with MinGW-w64, every test run under Wine (see
# cmake/wine-run.sh). TEXTRESGEN_SKIP_WINDOWS=1 leaves it out.
if [[ ${TEXTRESGEN_SKIP_WINDOWS:-0} != 1 ]]; then
    ensure_packages x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64 wine:wine /usr/lib/wine/wine64:wine64 \
        /usr/src/googletest/CMakeLists.txt:googletest
    cmake --preset mingw
    cmake --build --preset mingw -j "$jobs"
    ctest --preset mingw "${ctest_args[@]}"
fi

# Main leg last, so that CTest's summary of the main build closes the output.
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci "${ctest_args[@]}"
