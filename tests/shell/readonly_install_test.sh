#!/usr/bin/env bash
# The system installed as root installs it, then made read-only, and run by
# an ordinary user: the sample company's reports (to HTML files and on a
# screen whose values are remembered) and postings run from the tree, and
# nothing is written into it; a report runs on a company the user may only
# read.  What the user changes goes to the user's
# folders ($XDG_CONFIG_HOME: registry values and toolbar; $XDG_STATE_HOME:
# remembered screen values), the run's temporary files to $TMPDIR, and
# nothing is left there after the program ends.
#
# Run as root (CI), the user is nobody (setpriv); run by another user, the
# tree is only made read-only and the test runs as that user.
#
#   readonly_install_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
build=$1
[ -x "$build/shell/qxa15" ] && [ -x "$build/tools/qxsample" ] || { echo "qxa15 is not built: skipped"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
work=$(mktemp -d /tmp/qxreadonlyXXXXXX)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
cmake --install "$build" --prefix "$work/install" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
program=$work/install/program
[ -s "$program/QXA4BASE/qxrecords.sqlite" ] || fail "the installation carries no base record files"
[ -s "$program/QXACDICT/qxrecords.sqlite" ] || fail "the installation carries no data dictionary"
chmod -R a-w "$work/install"
find "$work/install" -printf '%P %s %m %T@\n' | sort >"$work/tree-before"

home=$work/home
mkdir -p "$home/run" "$home/tmp"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || fail "setpriv (util-linux) is missing"
  chown -R 65534:65534 "$home"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
# user <transcript> <keys> <program and arguments...>: runs as the user, in
# the user's folder, today 03/15/25.
user() {
  local transcript=$1 keys=$2
  shift 2
  printf '%s\n' $keys >"$home/keys"
  (cd "$home/run" && "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" TMPDIR="$home/tmp" \
     XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.local/state" QX_TODAY=2025-03-15 \
     QX_KEYS="$home/keys" QX_TRANSCRIPT="$transcript" timeout 60 "$@")
}

user "$home/sample.txt" "" "$program/qxsample" --date 2025-03-15 "$home/company" >/dev/null || fail "qxsample as the user"

# The command line as users expect it: --help and --version on standard
# output, status 0, nothing on standard error; the manual page installed.
for option in --help -h --version; do
  user "$home/none.txt" "" "$program/qxa15" "$option" >"$home/out.txt" 2>"$home/err.txt" || fail "qxa15 $option: status $?"
  [ -s "$home/err.txt" ] && fail "qxa15 $option wrote to standard error: $(cat "$home/err.txt")"
done
grep -q "^qxa15 (Quarlex Accounting) [0-9]" "$home/out.txt" || fail "--version printed: $(cat "$home/out.txt")"
user "$home/none.txt" "" "$program/qxa15" --help | grep -q "^Usage: qxa15 " || fail "--help printed no usage"
user "$home/none.txt" "" "$program/qxa15" /cmd:x >"$home/out.txt" 2>"$home/err.txt"
[ $? -eq 2 ] && [ ! -s "$home/out.txt" ] && grep -q "/cmd" "$home/err.txt" || fail "a refused command line is not told on standard error"
manual=$work/install/share/man/man1/qxa15.1
[ -s "$manual" ] || fail "no manual page installed"
if command -v groff >/dev/null; then
  warnings=$(groff -man -ww -z "$manual" 2>&1)
  [ -z "$warnings" ] || fail "the manual page has faults: $warnings"
  groff -man -Tutf8 -P-cbou "$manual" 2>/dev/null | grep -q "EXIT STATUS" || fail "the manual page does not render"
fi

# Reports to files, as a scheduled job runs them.
user "$home/aging.txt" "" "$program/qxa15" "$home/company" /only /cmd:337 "/param:input='default' output='aging.htm'" \
  >"$home/aging.out" || { cat "$home/aging.txt"; fail "337: exit status $?"; }
grep -q "Aging" "$home/run/aging.htm" || fail "no aging report written"
# The job is told what it got: the file's path, one line on standard output.
[ "$(cat "$home/aging.out")" = "$home/run/aging.htm" ] || fail "337 printed \"$(cat "$home/aging.out")\", not the file's path"
user "$home/products.txt" "" "$program/qxa15" "$home/company" /only /cmd:350 "/param:input='default' output='products.htm'" \
  >/dev/null || { cat "$home/products.txt"; fail "350: exit status $?"; }
grep -q "Product Listing" "$home/run/products.htm" || fail "no product listing written"

# A selection screen accepted: its values are remembered for the user.
user "$home/screen.txt" "F10 Esc" "$program/qxa15" "$home/company" /only /cmd:350 ||
  { cat "$home/screen.txt"; fail "350 on its screen: exit status $?"; }
ls "$home"/.local/state/quarlex/remembered/company-*/qxrecords.sqlite >/dev/null 2>&1 ||
  fail "the screen's values were not remembered in the user's state folder"

# A company the user may only read (an archive): a report that only reads
# the books runs on it, and nothing is written to it.  The aging run from
# the screen with a period renamed cannot store its schedule: it says so
# once and goes on.  (The transcripts are .log: they tell of what may only
# be read.)
user "$home/ro-sample.log" "" "$program/qxsample" --date 2025-03-15 "$home/archive" >/dev/null || fail "qxsample of the archive"
chmod -R a-w "$home/archive"
archive_before=$(cd "$home/archive" && find . -type f -exec sha256sum {} + | sort)
status=0
user "$home/ro-aging.log" "" "$program/qxa15" "$home/archive" /only /cmd:337 "/param:input='default' output='archive-aging.htm'" \
  >/dev/null 2>"$home/ro-aging.err" || status=$?
[ $status -eq 0 ] || { cat "$home/ro-aging.log" "$home/ro-aging.err"; fail "337 on a read-only company: exit status $status"; }
grep -q "Aging" "$home/run/archive-aging.htm" || fail "no aging report of the read-only company"
[ -s "$home/ro-aging.err" ] && fail "337 on a read-only company said: $(cat "$home/ro-aging.err")"
grep -qE "Error|not saved" "$home/ro-aging.log" && { cat "$home/ro-aging.log"; fail "337 on a read-only company showed a failure"; }
renamed="$(printf 'Down %.0s' $(seq 30)) \"Older\" F10 Esc"
status=0
user "$home/ro-screen.log" "$renamed" "$program/qxa15" "$home/archive" /only /cmd:337 2>/dev/null || status=$?
[ $status -eq 0 ] || { cat "$home/ro-screen.log"; fail "337 on its screen on a read-only company: exit status $status"; }
[ "$(grep -c "The aging periods were not saved" "$home/ro-screen.log")" -eq 1 ] ||
  { cat "$home/ro-screen.log"; fail "the schedule not saved was not said once"; }
grep -q "Error 46" "$home/ro-screen.log" && fail "the read-only company's schedule was reported as an error"
grep -q "Older" "$home/ro-screen.log" || fail "the report did not run with the periods shown"
[ "$(cd "$home/archive" && find . -type f -exec sha256sum {} + | sort)" = "$archive_before" ] || fail "the read-only company was written"
chmod -R u+w "$home/archive"

# Postings.
user "$home/post-328.txt" "F10 Enter" "$program/qxa15" "$home/company" /only /cmd:328 ||
  { cat "$home/post-328.txt"; fail "328: exit status $?"; }
grep -qF "5 transactions posted." "$home/post-328.txt" || { cat "$home/post-328.txt"; fail "328 posted nothing"; }
user "$home/post-320.txt" "F10 Enter" "$program/qxa15" "$home/company" /only /cmd:320 ||
  { cat "$home/post-320.txt"; fail "320: exit status $?"; }
grep -qF "transactions posted." "$home/post-320.txt" || { cat "$home/post-320.txt"; fail "320 posted nothing"; }

for t in "$home"/*.txt; do
  grep -qiE "cannot|could not|may only be read|status 94|status 46" "$t" && { cat "$t"; fail "$(basename "$t"): a failure was shown"; }
done
find "$work/install" -printf '%P %s %m %T@\n' | sort | diff "$work/tree-before" - || fail "the installation was changed"
[ -s "$home/.config/quarlex/qxastb.ini" ] || fail "the toolbar was not saved in the user's configuration folder"
[ -s "$home/.config/quarlex/qxa15.ini" ] || fail "the registry values are not in the user's configuration folder"
left=$(ls -A "$home/tmp")
[ -z "$left" ] || fail "temporary files were left behind: $left"
echo "passed"
