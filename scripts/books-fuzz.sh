#!/usr/bin/env bash
# Runs the property-based test of the books (tests/property) longer than the
# test command does, with fresh seeds each round, for a number of minutes
# (default 10).  A failure it finds is shrunk and kept in
# tests/property/examples, the test's example database: commit it, and every
# run of the test command replays it until the fault is mended.
#
#   scripts/books-fuzz.sh [minutes]
#
# QX_BOOKS_BUILD chooses the build folder (default build/release, built here
# when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
build=${QX_BOOKS_BUILD:-build/release}
bash scripts/install-deps.sh test
if [ ! -x "$build/shell/qxa15" ]; then
  cmake -S . -B "$build" -G Ninja -DQX_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j "$(nproc 2>/dev/null || echo 4)"
fi
exec /usr/bin/python3 tests/property/books_property.py --build "$build" --fresh --minutes "$minutes" \
  --examples 100 --database tests/property/examples
