#!/usr/bin/env bash
# The cash receipts (311) and cash disbursements (312) reports as a user
# runs them: the main program of an installed tree, one command each
# (qxa15 <company> /only /cmd:311), on a key script over a company loaded
# by qxload from a fixture.  The screen, the preview and the printing in the
# transcript match the golden transcripts (QX_UPDATE_GOLDEN=1 writes them);
# "Print" in the preview hands `lp` the preview's text (a stand-in lp first
# on PATH keeps what it was given).
#
#   cash_reports_cli_test.sh <build folder> <fixture> <golden folder>
# Exit status 0 passed, 1 failed, 77 skipped (the programs are not built).
set -uo pipefail
build=$1
fixture=$2
golden=$3
[ -x "$build/shell/qxa15" ] || { echo "qxa15 is not built: skipped"; exit 77; }

work=$(mktemp -d /tmp/qxcashreportsXXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$work/install" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
program=$work/install/program
"$program/qxload" "$fixture" "$work/company" >/dev/null || fail "qxload"

# The stand-in lp: its arguments and the text it was given, one file each per job.
mkdir -p "$work/bin" "$work/jobs"
cat >"$work/bin/lp" <<LP
#!/bin/sh
n=\$(ls "$work/jobs" | grep -c "text\$")
printf '%s\n' "\$@" >"$work/jobs/\$n.args"
cat >"$work/jobs/\$n.text"
LP
chmod +x "$work/bin/lp"

run() {  # run <command id> <name> <key>...: the transcript in $work/<name>.txt
  local command=$1 name=$2
  shift 2
  printf '%s\n' "$@" >"$work/$name.keys"
  PATH="$work/bin:$PATH" QX_TODAY=2025-03-31 QX_KEYS="$work/$name.keys" QX_TRANSCRIPT="$work/$name.txt" \
    XDG_CONFIG_HOME="$work/config" timeout 60 "$program/qxa15" "$work/company" /only "/cmd:$command" ||
    fail "$name: exit status $?"
}

# The preview's text of a transcript: the lines of its one page.
preview_text() {
  sed -n '/^--- page 1 of 1 ---$/,/^--- end of report ---$/p' "$1" | sed '1d;$d'
}

check() {  # check <name> <job>: the transcript matches its golden one; job <job> printed the preview's text
  local name=$1 job=$2
  if [ "${QX_UPDATE_GOLDEN:-}" != "" ]; then
    cp "$work/$name.txt" "$golden/$name.txt"
  fi
  diff -u "$golden/$name.txt" "$work/$name.txt" || fail "$name: the transcript differs from $golden/$name.txt"
  [ -f "$work/jobs/$job.text" ] || fail "$name: nothing reached lp"
  diff -u <(preview_text "$work/$name.txt") <(sed 's/\f$//' "$work/jobs/$job.text") ||
    fail "$name: lp was not given the preview's text"
  grep -qx -- "-t" "$work/jobs/$job.args" || fail "$name: the job has no title"
}

# Disbursements first, then receipts: each with its own words.  F10 prints
# to the preview; F7 and Enter send it to the printer; Esc closes it.
run 312 cash_disbursements F10 F7 Enter Esc
check cash_disbursements 0
grep -q "Grand Total Cash Payments" "$work/jobs/0.text" || fail "the disbursements' grand total was not printed"
run 311 cash_receipts '"1000"' Enter '"2000"' Enter F10 F7 Enter Esc
check cash_receipts 1
grep -q "Grand Total Cash Receipts" "$work/jobs/1.text" || fail "the receipts' grand total was not printed"
grep -qx "cpi=20" "$work/jobs/1.args" || { cat "$work/jobs/1.args"; fail "133 columns within half-inch margins print at 20 an inch"; }
echo "passed"
