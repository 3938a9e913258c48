#!/usr/bin/env bash
# Installs every system package the build, the tests and the benchmarks need,
# asking apt only when one of them is missing.  run.sh and test.sh call it
# first, so that their two commands are all a fresh Debian 12 machine needs.
#
#   bash scripts/install-deps.sh            install what is missing
#   bash scripts/install-deps.sh --check    only tell what is missing
#
# As root it runs apt-get itself.  Run by another user it installs nothing:
# it prints the exact apt-get line to run as root and stops with status 1.
# Status 0: everything is installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libsqlite3-dev libncurses-dev libxlsxwriter-dev libzip-dev libxml2-dev
  libfmt-dev nlohmann-json3-dev
  # Printing and mail of the mail merge: PDF pages drawn by cairo and pango,
  # messages built by GMime.
  libcairo2-dev libpango1.0-dev libgmime-3.0-dev fonts-dejavu-core
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  tmux python3 python3-openpyxl python3-hypothesis poppler-utils zip unzip
  # The placement check of form pages: the printer's job rendered by
  # cupsfilter, the HTML printed and read back by headless Chromium.
  cups cups-client cups-filters chromium
)

# Optional at run time, never installed here: the program works without
# them and says so when a user asks for what they do.
#   cups-client   `lp`, through which reports and merged documents print;
#                 without it printing says that lp is not installed
#   a sendmail    (msmtp-mta, postfix, exim4-daemon-light, ...): e-mail of
#                 the mail merge; without one each message is written to the
#                 outbox folder as an .eml file instead
optional_note="Optional at run time: cups-client (lp, for printing) and a sendmail such as msmtp-mta (for e-mail; without one, messages go to the outbox folder)."

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  [ "${1:-}" = --check ] && echo "Every package the build and the tests need is installed."
  exit 0
fi

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "${1:-}" = --check ]; then
  echo "Missing packages: ${missing[*]}"
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  {
    echo "These packages are missing: ${missing[*]}"
    echo "Install them as root, then run this command again:"
    echo
    echo "    $line"
    echo
    echo "$optional_note"
  } >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "$optional_note"
