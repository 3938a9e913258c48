#!/usr/bin/env bash
# Installs the system packages of one set, asking apt only when one of them
# is missing.  run.sh asks for the program's set, test.sh for the test set
# (the program's and what the tests, the fuzzers and the benchmarks use),
# so that their two commands are all a fresh Debian 12 machine needs.
#
#   bash scripts/install-deps.sh [program|test]           install what is missing
#   bash scripts/install-deps.sh --check [program|test]   only tell what is missing
#
# The set defaults to test (everything).  As root it runs apt-get itself.
# Run by another user it installs nothing: it prints the exact apt-get line
# to run as root and stops with status 1.  Status 0: the set is installed;
# 2: the set is not one of these.
set -euo pipefail

check=0
if [ "${1:-}" = --check ]; then check=1; shift; fi
set_name=${1:-test}

# What building and running the program needs.
program_packages=(
  build-essential cmake ninja-build pkg-config
  libsqlite3-dev libncurses-dev libxlsxwriter-dev libzip-dev libxml2-dev
  libfmt-dev nlohmann-json3-dev
  # Printing and mail of the mail merge: PDF pages drawn by cairo and pango,
  # messages built by GMime.
  libcairo2-dev libpango1.0-dev libgmime-3.0-dev fonts-dejavu-core
)
# What only the tests, the fuzz targets and the benchmarks need.
test_packages=(
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  tmux python3 python3-openpyxl python3-hypothesis poppler-utils zip unzip
  # The locale sources a terminal test makes a decimal-comma locale from.
  locales
  # The printing tests: lp and the printer's job rendered by cupsfilter; the
  # HTML printed and read back by headless Chromium.
  cups cups-client cups-filters chromium
)

case $set_name in
  program) packages=("${program_packages[@]}") ;;
  test) packages=("${program_packages[@]}" "${test_packages[@]}") ;;
  *) echo "install-deps.sh: the set is program or test, not '$set_name'." >&2; exit 2 ;;
esac

# Optional at run time, never part of the program's set: the program works
# without them and says so when a user asks for what they do.
#   cups-client   `lp`, through which reports and merged documents print;
#                 without it printing says that lp is not installed (the
#                 test set installs it for the printing tests)
#   a sendmail    (msmtp-mta, postfix, exim4-daemon-light, ...): e-mail of
#                 the mail merge; without one each message is written to the
#                 outbox folder as an .eml file instead
optional_note="Optional at run time: cups-client (lp, for printing) and a sendmail such as msmtp-mta (for e-mail; without one, messages go to the outbox folder)."

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  ((check)) && echo "Every package of the $set_name set is installed."
  exit 0
fi

line="apt-get install -y --no-install-recommends ${missing[*]}"
if ((check)); then
  echo "Missing packages of the $set_name set: ${missing[*]}"
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
