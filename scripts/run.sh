#!/usr/bin/env bash
# Installs what the build needs when something is missing (install-deps.sh),
# builds the program alone (no tests, no benchmarks) in build/run, installs
# it under out/install, makes the sample company in out/company when it is
# missing, and starts the program on it through the launcher.  Arguments are
# passed on to the program, e.g.
#   bash scripts/run.sh /only /cmd:337 /param:"input='default' output='aging.htm'"
# QX_COMPANY names another company folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 4)
bash scripts/install-deps.sh
# Its own build folder: test.sh's builds carry other options, and neither
# command ever reconfigures the other's.
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF >/dev/null
cmake --build build/run -j "$jobs"
cmake --install build/run --prefix "$root/out/install" >/dev/null

program="$root/out/install/program"
company="${QX_COMPANY:-$root/out/company}"
if [ ! -e "$company/qxrecords.sqlite" ]; then
  echo "Making the sample company in $company"
  "$program/qxsample" "$company"
fi
exec "$program/qxl15" "$company" "$@"
