#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing on Debian
# or Ubuntu. Set TEXTRESGEN_SKIP_HEAVY=1 to leave out the large-file tests,
# TEXTRESGEN_SKIP_WINDOWS=1 to leave out the Windows build under Wine,
# TEXTRESGEN_FUZZ_SECONDS=0 to leave out the bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh

# Clang too: the package tests build a consumer with each compiler, and the
# differential test compiles with both. Python, iconv and time run the
# benchmark's quick case; Python also generates textrescheck's character
# tables from the Unicode data files (unicode-data) and runs the differential
# test. Ninja: the package tests rebuild with Makefiles and with Ninja.
ensure_packages cmake:cmake make:make g++:g++ /usr/include/gtest/gtest.h:libgtest-dev clang++:clang \
    python3:python3 iconv:libc-bin /usr/bin/time:time ninja:ninja-build \
    /usr/share/unicode/DerivedCoreProperties.txt:unicode-data

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

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer; the
# first error ends the test that hit it.
cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan "${ctest_args[@]}"

# The fuzz targets for a bounded time, from a scratch copy of the corpus so
# the inputs they add stay out of the tree: the generator's pipeline for 60 %
# of the time, textrescheck's report for the rest. A finding fails the run;
# its input is kept in build/fuzz/findings.
fuzz_seconds=${TEXTRESGEN_FUZZ_SECONDS:-75}
fuzz() {  # fuzz TARGET DICTIONARY SECONDS
  local target=$1 dictionary=$2 seconds=$3 findings=build/fuzz/findings scratch=build/fuzz/scratch-corpus-$1
  rm -rf "$scratch"
  mkdir -p "$scratch" "$findings"
  cp fuzz/corpus/* "$scratch/"
  echo "Fuzzing $target for ${seconds} s..."
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=8192 -timeout=10 -dict="$dictionary" \
      -print_final_stats=1 -artifact_prefix="$findings/" "$scratch" >"build/fuzz/$target.log" 2>&1; then
    tail -n 60 "build/fuzz/$target.log"
    for input in "$findings"/*; do
      echo "Finding: $input"
      od -A x -t x1z "$input" | head -n 40
    done
    echo "FAILED: the fuzz target $target found a fault (see above)" >&2
    exit 1
  fi
  grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)" "build/fuzz/$target.log" || true
}
if [[ $fuzz_seconds != 0 ]]; then
  ensure_packages clang++:clang
  fuzzer_runtime="$(clang++ -print-runtime-dir)/libclang_rt.fuzzer-$(uname -m).a"
  ensure_packages "$fuzzer_runtime:libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev"
  cmake --preset fuzz
  cmake --build --preset fuzz -j "$jobs"
  rm -rf build/fuzz/findings
  check_seconds=$((fuzz_seconds * 2 / 5))
  [[ $check_seconds -lt 1 ]] && check_seconds=1
  fuzz textresgen_fuzz fuzz/definition.dict $((fuzz_seconds - check_seconds > 0 ? fuzz_seconds - check_seconds : 1))
  fuzz textrescheck_fuzz fuzz/check.dict "$check_seconds"
fi

# Main leg last, so that CTest's summary of the main build closes the output.
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci "${ctest_args[@]}"
