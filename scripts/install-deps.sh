#!/usr/bin/env bash
# Installs every system package the build, the tests and the benchmarks need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libsqlite3-dev libncurses-dev libxlsxwriter-dev libzip-dev libxml2-dev
  libfmt-dev nlohmann-json3-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  tmux python3 python3-openpyxl poppler-utils zip unzip
  # The placement check of form pages: the printer's job rendered by
  # cupsfilter, the HTML printed by headless Chromium, in DejaVu Sans Mono.
  cups cups-client cups-filters chromium fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
