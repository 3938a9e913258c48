#!/usr/bin/env bash
# Builds the system, installs it under out/install, makes the sample company
# in out/company when it is missing, and starts the program on it through the
# launcher.  Arguments are passed on to the program, e.g.
#   bash scripts/run.sh /only /cmd:337 /param:"input='default' output='aging.htm'"
# QX_COMPANY names another company folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 4)
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$jobs"
cmake --install build/release --prefix "$root/out/install" >/dev/null

program="$root/out/install/program"
company="${QX_COMPANY:-$root/out/company}"
if [ ! -e "$company/qxrecords.sqlite" ]; then
  echo "Making the sample company in $company"
  "$program/qxsample" "$company"
fi
exec "$program/qxl15" "$company" "$@"
