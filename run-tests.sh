#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing on Debian
# or Ubuntu. Set TEXTRESGEN_SKIP_HEAVY=1 to leave out the large-file tests.
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

# Main leg last, so that CTest's summary of the main build closes the output.
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci "${ctest_args[@]}"
