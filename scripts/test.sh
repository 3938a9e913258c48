#!/usr/bin/env bash
# Builds the project with warnings as errors and runs every test, then builds
# it again under AddressSanitizer + UndefinedBehaviorSanitizer and runs every
# test once more, and runs the fuzz targets for a bounded time.
# QX_TEST_QUICK=1 skips the sanitizer pass and the fuzzing.  What the build
# and the tests need is installed first when something is missing
# (install-deps.sh).  Its build folders (build/release, build/sanitize) are
# its own: run.sh builds in build/run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 4)
bash scripts/install-deps.sh test

run_pass() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DQX_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600
}

run_pass build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${QX_TEST_QUICK:-0}" != 1 ]; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run_pass build/sanitize -DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON -DQX_BUILD_BENCH=OFF
  bash scripts/fuzz.sh "${QX_FUZZ_SECONDS:-30}"
fi
echo "all tests passed"
