#!/usr/bin/env bash
# Builds the system, installs it under out/, creates the sample company when
# it is missing and starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 4)
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$jobs"
cmake --install build/release --prefix out/install >/dev/null
if [ ! -x out/install/program/qxl15 ]; then
  echo "The main program is not built yet: nothing to start." >&2
  exit 1
fi
exec out/install/program/qxl15 "$@"
