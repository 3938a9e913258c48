#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (coverage instrumentation, address
# and undefined-behaviour sanitizers) and runs each for a bounded time.
#
#   scripts/fuzz.sh [seconds per target]        (default 60)
#
# QX_FUZZ_BUILD_DIR chooses the build folder (default build/fuzz).  The seed
# corpora in the source tree are only read; what a run discovers goes to
# <build folder>/corpus/<target>.  A crash stops the script with the fuzzer's
# status and leaves the crashing input in <build folder>/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${QX_FUZZ_BUILD_DIR:-build/fuzz}
jobs=$(nproc 2>/dev/null || echo 4)

# target name, source folder holding corpus/ and <name>.dict
targets=(
  "paramstring_fuzz reportlib/common/fuzz"
)

instrument="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX_FUZZ=ON -DQX_WERROR=ON \
  -DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$instrument" -DCMAKE_CXX_FLAGS="$instrument" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null

names=()
for t in "${targets[@]}"; do names+=("${t%% *}"); done
cmake --build "$build" -j "$jobs" --target "${names[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in "${targets[@]}"; do
  name=${t%% *}
  src=${t#* }
  binary=$(find "$build" -type f -name "$name" -perm -u+x | head -n 1)
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  dict=()
  name_stem=${name%_fuzz}
  [ -f "$src/$name_stem.dict" ] && dict=(-dict="$src/$name_stem.dict")
  echo "fuzzing $name for ${seconds}s"
  "$binary" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts" -print_final_stats=1 "$corpus" "$src/corpus"
done
echo "fuzzing finished without a crash"
