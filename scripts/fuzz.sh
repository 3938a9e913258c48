#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (coverage instrumentation, address
# and undefined-behaviour sanitizers) and runs each for a bounded time.
#
#   scripts/fuzz.sh [seconds per target]        (default 60)
#
# QX_FUZZ_BUILD_DIR chooses the build folder (default build/fuzz); QX_FUZZ_JOBS
# the build's parallel jobs (default: every core).  The seed corpora in the
# source tree are only read; what a run discovers goes to
# <build folder>/corpus/<target>.  A crash stops the script with the fuzzer's
# status and leaves the crashing input in <build folder>/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${QX_FUZZ_BUILD_DIR:-build/fuzz}
jobs=${QX_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 4)}

# target name, its seed corpus, its dictionary (- for none)
targets=(
  "paramstring_fuzz reportlib/common/fuzz/corpus reportlib/common/fuzz/paramstring.dict"
  "fixture_fuzz tools/fixture/fuzz/corpus tools/fixture/fuzz/fixture.dict"
  "keyscript_fuzz platform/ravadodo/fuzz/corpus platform/ravadodo/fuzz/keyscript.dict"
  "ini_fuzz platform/qxwreg/fuzz/corpus -"
  "datasource_fuzz office/fuzz/corpus/datasource -"
  "docx_fuzz office/fuzz/corpus/docx office/fuzz/docx.dict"
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
  read -r name seeds dictionary <<<"$t"
  binary=$(find "$build" -type f -name "$name" -perm -u+x | head -n 1)
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  dict=()
  [ "$dictionary" != - ] && dict=(-dict="$dictionary")
  echo "fuzzing $name for ${seconds}s"
  "$binary" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts" -print_final_stats=1 "$corpus" "$seeds"
done
echo "fuzzing finished without a crash"
