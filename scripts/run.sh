#!/usr/bin/env bash
# Installs what the program needs when something is missing (install-deps.sh
# program), builds the program alone (no tests, no benchmarks) in build/run,
# installs it under out/install, makes the sample company in out/company
# when it is missing, and starts the program on it through the launcher.
# Arguments are passed on to the program; relative paths among them are
# taken from the folder this script was started in, e.g.
#   bash scripts/run.sh /only /cmd:337 /param:"input='default' output='aging.htm'"
# writes aging.htm in the current folder.  QX_COMPANY names another company
# folder (a relative one from the current folder too).  What the set-up and
# the build print goes to standard error, the build's own lines to
# build/run/build.log: standard output holds only what the program prints.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 4)
bash "$root/scripts/install-deps.sh" program >&2

# Its own build folder: test.sh's builds carry other options, and neither
# command ever reconfigures the other's.
build=$root/build/run
mkdir -p "$build"
echo "Building the program in $build (a few minutes the first time; its lines: $build/build.log)" >&2
if ! { cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF &&
       cmake --build "$build" -j "$jobs" &&
       cmake --install "$build" --prefix "$root/out/install"; } >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log" >&2
  echo "The build failed; its lines are in $build/build.log." >&2
  exit 1
fi

program="$root/out/install/program"
company="${QX_COMPANY:-$root/out/company}"
if [ ! -e "$company/qxrecords.sqlite" ]; then
  echo "Making the sample company in $company" >&2
  "$program/qxsample" "$company" >&2
fi
exec "$program/qxl15" "$company" "$@"
