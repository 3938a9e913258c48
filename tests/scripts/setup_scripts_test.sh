#!/usr/bin/env bash
# The set-up a newcomer types: `bash scripts/run.sh` and `bash scripts/test.sh`
# on a machine where packages are missing.  The machine is faked: the scripts
# are copied into a folder of the test's own and run with a PATH whose
# dpkg-query knows only the packages "installed" so far, whose apt-get
# installs by noting them, whose id answers the user the test plays, and
# whose cmake, ctest and installed programs only log how they were called.
#
#   setup_scripts_test.sh <source folder>
set -uo pipefail
source_dir=$1
work=$(mktemp -d /tmp/qxsetupXXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done; exit 1; }

repo=$work/repo
mkdir -p "$repo/scripts" "$work/bin"
cp "$source_dir"/scripts/*.sh "$repo/scripts/"
log=$work/calls.log
installed=$work/installed

# dpkg-query -W -f=... <package>: installed when apt-get noted it.
cat >"$work/bin/dpkg-query" <<'FAKE'
#!/bin/bash
p=${!#}
grep -qx -- "$p" "$QX_FAKE_INSTALLED" 2>/dev/null && { printf 'install ok installed'; exit 0; }
echo "dpkg-query: no packages found matching $p" >&2; exit 1
FAKE
cat >"$work/bin/apt-get" <<'FAKE'
#!/bin/bash
echo "apt-get $*" >>"$QX_FAKE_LOG"
[ "$1" = install ] && for a in "$@"; do case $a in -*|install) ;; *) echo "$a" >>"$QX_FAKE_INSTALLED";; esac; done
exit 0
FAKE
cat >"$work/bin/id" <<'FAKE'
#!/bin/bash
echo "$QX_FAKE_UID"
FAKE
# cmake logs its arguments; an install lays out programs that log theirs.
cat >"$work/bin/cmake" <<'FAKE'
#!/bin/bash
echo "cmake $*" >>"$QX_FAKE_LOG"
echo "a build line"
if [ "$1" = --install ]; then
  prefix=${@: -1}
  mkdir -p "$prefix/program"
  printf '#!/bin/bash\necho "qxl15 $* (in $PWD)" >>"$QX_FAKE_LOG"\necho "the program speaks"\n' >"$prefix/program/qxl15"
  printf '#!/bin/bash\nmkdir -p "$1" && : >"$1/qxrecords.sqlite"; echo "qxsample $*" >>"$QX_FAKE_LOG"\n' >"$prefix/program/qxsample"
  chmod +x "$prefix/program/qxl15" "$prefix/program/qxsample"
fi
exit 0
FAKE
cat >"$work/bin/ctest" <<'FAKE'
#!/bin/bash
echo "ctest $*" >>"$QX_FAKE_LOG"
FAKE
chmod +x "$work/bin"/*
for tool in bash grep cat mkdir chmod dirname nproc printf rm tail; do ln -s "$(command -v $tool)" "$work/bin/$tool"; done

# Runs a script of the copy with the fake machine, from the folder $from
# (the copy's root unless set); its status.  Standard output goes to
# out.log, standard error to err.log, and both to all.log.
run_script() {
  (cd "${from:-$repo}" && env -i PATH="$work/bin" HOME="$work" QX_FAKE_LOG="$log" QX_FAKE_INSTALLED="$installed" \
     QX_FAKE_UID="$1" QX_TEST_QUICK=1 bash "$repo/scripts/$2" "${@:3}" >"$work/out.log" 2>"$work/err.log")
  local status=$?
  cat "$work/out.log" "$work/err.log" >"$work/all.log"
  return $status
}
: >"$log"
: >"$installed"

# Without root: the exact line to type, nothing installed, nothing built.
run_script 1000 run.sh && fail "run.sh went on without its packages"
line=$(grep -m1 '^    apt-get install ' "$work/all.log") || fail "no apt-get line printed"
[[ "$line" == "    apt-get install -y --no-install-recommends build-essential cmake "* ]] || fail "unexpected line: $line"
for p in libcairo2-dev libpango1.0-dev libgmime-3.0-dev fonts-dejavu-core; do
  [[ " $line " == *" $p "* ]] || fail "$p is not in the line"
done
# The program's set only: what the tests use is the test command's.
for p in chromium googletest libgtest-dev libbenchmark-dev tmux clang cups cups-client poppler-utils; do
  [[ " $line " == *" $p "* ]] && fail "run.sh asks for the test package $p"
done
grep -q 'cups-client' "$work/all.log" && grep -qi 'sendmail' "$work/all.log" || fail "the optional run-time parts are not named"
[ -s "$log" ] && fail "something ran without root: $(cat "$log")"

# As root: apt-get installs what is missing, then the program alone is built
# in build/run, installed, the sample company made and the launcher started.
# Started from a folder of the user's: relative arguments stay the user's,
# and standard output holds only what the program printed.
mkdir -p "$work/user"
from=$work/user run_script 0 run.sh /only /cmd:337 "/param:output='aging.htm'" || fail "run.sh as root: status $?"
grep -q '^apt-get update' "$log" || fail "apt-get update did not run"
grep -q '^apt-get install .*libgmime-3.0-dev' "$log" || fail "apt-get install did not run"
grep -q '^apt-get install .*chromium' "$log" && fail "run.sh installed the test packages"
grep -q "^cmake -S $repo -B $repo/build/run .*-DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF" "$log" || fail "run.sh did not configure build/run without tests"
grep -q "^cmake --build $repo/build/run" "$log" || fail "run.sh did not build build/run"
grep -q "^qxsample $repo/out/company" "$log" || fail "no sample company"
grep -qF "qxl15 $repo/out/company /only /cmd:337 /param:output='aging.htm' (in $work/user)" "$log" ||
  fail "the launcher was not started with the arguments in the user's folder"
[ "$(cat "$work/out.log")" = "the program speaks" ] || fail "standard output holds more than the program's: $(cat "$work/out.log")"
grep -q 'a build line' "$repo/build/run/build.log" || fail "the build's lines are not in build/run/build.log"
grep -q 'build/release\|build/sanitize' "$log" && fail "run.sh touched test.sh's build folders"

# Everything there now: a second start asks apt nothing.
: >"$log"
run_script 1000 run.sh || fail "run.sh with everything installed: status $?"
grep -q '^apt-get' "$log" && fail "apt-get ran although nothing was missing"

# test.sh installs what is missing too, and builds in its own folders.
: >"$log"
sed -i '/^chromium$/d' "$installed"
run_script 0 test.sh || fail "test.sh as root: status $?"
grep -q '^apt-get install .*chromium' "$log" || fail "test.sh did not install what was missing"
grep -q '^apt-get install .*libgmime-3.0-dev' "$log" && fail "test.sh asked for a package that was there"
grep -q '^cmake -S . -B build/release ' "$log" || fail "test.sh did not configure build/release"
grep -q '^ctest --test-dir build/release' "$log" || fail "test.sh ran no tests"
grep -q 'build/run' "$log" && fail "test.sh touched run.sh's build folder"
echo "passed"
