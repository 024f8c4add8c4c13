#!/usr/bin/env bash
# Builds everything and runs every test. Installs what is missing on Debian
# or Ubuntu. Set TEXTRESGEN_SKIP_HEAVY=1 to leave out the large-file tests,
# TEXTRESGEN_SKIP_WINDOWS=1 to leave out the Windows build under Wine,
# TEXTRESGEN_FUZZ_SECONDS=0 to leave out the bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh

# The time each part of the run took, so that a log shows where it goes:
# called when a part ends, it prints "== leg NAME: N s" and the run's total.
leg_started=$SECONDS
leg_done() {  # NAME
  echo "== leg $1: $((SECONDS - leg_started)) s (run so far: $SECONDS s)"
  leg_started=$SECONDS
}

# What each part needs, and why, is listed in scripts/dependencies.txt.
ensure_dependencies generator tools tests

jobs=$(nproc 2>/dev/null || echo 2)
ctest_args=(--output-on-failure -j "$jobs")
if [[ ${TEXTRESGEN_SKIP_HEAVY:-0} == 1 ]]; then ctest_args+=(-LE heavy); fi

# The GitHub workflow (.github/workflows), checked against the schema of
# GitHub Actions by @action-validator/cli, installed from the npm registry at
# the versions of its lock file. Those jobs themselves run only on GitHub.
validator=build/action-validator
mkdir -p "$validator"
if ! cmp -s scripts/action-validator/package-lock.json "$validator/package-lock.json" ||
   [[ ! -x $validator/node_modules/.bin/action-validator ]]; then
  cp scripts/action-validator/package.json scripts/action-validator/package-lock.json "$validator/"
  (cd "$validator" && npm ci --no-audit --no-fund --loglevel=error)
fi
for workflow in .github/workflows/*.yml; do
  "$validator/node_modules/.bin/action-validator" "$workflow"
  echo "Workflow schema: $workflow is valid"
done
leg_done "dependencies and workflow schema"

# The install steps of those jobs and the README against the one list of
# dependencies; then the first command of the README as on a fresh machine,
# with everything but the generator's dependencies hidden.
scripts/check-workflow-dependencies.sh
leg_done "dependency check"
scripts/example-without-tools-deps.sh
leg_done "example without the tools' dependencies"

# The main build (optimised, warnings are errors); its tests run last.
cmake --preset ci
cmake --build --preset ci -j "$jobs"
leg_done "ci build"

# The benchmark's 10 thousand case: proves the bench runs and that the
# Release program's outputs match the reference path. No time is judged.
# The ci build's textresgen is that Release program (its own build would
# compile the generator once more).
python3 bench/run_bench.py --quick --build-dir build/ci
leg_done "bench --quick"

# Windows leg: cross-compiled with MinGW-w64, every test run under Wine (see
# cmake/toolchains/wine-run.sh). TEXTRESGEN_SKIP_WINDOWS=1 leaves it out.
# The leg also builds the generated strings in the MSVC ABI with clang-cl and
# lld-link (Debian names clang-cl after the version of clang; llvm brings
# llvm-lib and llvm-rc, which CMake wants for a Windows target), and leaves
# the Windows zip in build/mingw/packages.
if [[ ${TEXTRESGEN_SKIP_WINDOWS:-0} != 1 ]]; then
    ensure_dependencies windows
    # No pugixml for Windows in Debian: built from Debian's source package.
    scripts/fetch-pugixml-source.sh build/third_party/pugixml
    cmake --preset mingw
    cmake --build --preset mingw -j "$jobs"
    leg_done "mingw build"
    # Wine now and then fails to start a program: three times in some thirty
    # runs of this leg a test ended within 20 ms with no output at all, and
    # passed when run again. So a failed test (a whole GoogleTest program
    # here) is run once more; every test also runs natively, without a second
    # chance, in the legs below.
    ctest --preset mingw "${ctest_args[@]}" --repeat until-pass:2
    cpack --preset mingw
    leg_done "mingw tests and cpack"
fi

# The suite under AddressSanitizer and UndefinedBehaviorSanitizer; the
# first error ends the test that hit it.
cmake --preset asan
cmake --build --preset asan -j "$jobs"
leg_done "asan build"
# The asan test preset leaves out the compiler-bound tests (they run in the
# ci leg below).
ctest --preset asan "${ctest_args[@]}"
leg_done "asan tests"

# The generator's unit tests under ThreadSanitizer: reading, sorting and
# writing share their work among threads, and a data race there would not
# show in the outputs every time. The run-time library's tests too.
cmake --preset tsan
cmake --build --preset tsan -j "$jobs"
leg_done "tsan build"
# The tests labelled "threads"; TSAN_OPTIONS (in the preset) makes a report
# fail the test.
ctest --preset tsan "${ctest_args[@]}"
leg_done "tsan tests"

# The fuzz targets for a bounded time in all, shared among them, each from a
# scratch copy of its corpus so the inputs it adds stay out of the tree. A
# finding fails the run; its input is kept in build/fuzz/findings.
fuzz_seconds=${TEXTRESGEN_FUZZ_SECONDS:-100}
fuzz_target() {  # NAME CORPUS SECONDS [LIBFUZZER OPTIONS...]
  local name=$1 corpus=$2 seconds=$3
  shift 3
  [[ $seconds -lt 1 ]] && seconds=1
  local findings=build/fuzz/findings scratch=build/fuzz/scratch-$name
  rm -rf "$scratch"
  mkdir -p "$scratch" "$findings"
  cp "$corpus"/* "$scratch/"
  echo "Fuzzing $name for ${seconds} s..."
  if ! "build/fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=10 "$@" \
      -print_final_stats=1 -artifact_prefix="$findings/$name-" "$scratch" >"build/fuzz/$name.log" 2>&1; then
    tail -n 60 "build/fuzz/$name.log"
    for input in "$findings"/*; do
      echo "Finding: $input"
      od -A x -t x1z "$input" | head -n 40
    done
    echo "FAILED: the fuzz target $name found a fault (see above)" >&2
    exit 1
  fi
  grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)" "build/fuzz/$name.log" || true
}
if [[ $fuzz_seconds != 0 ]]; then
  ensure_dependencies fuzz
  cmake --preset fuzz
  cmake --build --preset fuzz -j "$jobs"
  leg_done "fuzz build"
  rm -rf build/fuzz/findings
  # Each target of fuzz/targets.txt for its share of the time.
  while read -r name _ _ corpus dict max_len share <&3; do
    [[ $name == [a-z]* ]] || continue
    options=(-max_len="$max_len")
    if [[ $dict != - ]]; then options+=(-dict="fuzz/$dict"); fi
    fuzz_target "$name" "fuzz/$corpus" $((fuzz_seconds * share / 100)) "${options[@]}"
  done 3< fuzz/targets.txt
  leg_done "fuzzing"
fi

# The main build's tests last, so that CTest's summary closes the output
# (with the time of the tests: "Total Test time").
# Its .tar.gz and .deb go to build/ci/packages first.
cpack --preset ci
leg_done "ci cpack"
ctest --preset ci "${ctest_args[@]}"
