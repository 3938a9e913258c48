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
golden=$3
. "$(dirname "$0")/cli_support.sh"
cli_begin "$1" "$2" qxcashreports

# The preview's text of a transcript: the lines of its one page.
preview_text() {
  sed -n '/^--- page 1 of 1 ---$/,/^--- end of report ---$/p' "$1" | sed '1d;$d'
}

check() {  # check <name> <job>: job <job> printed the preview's text
  local name=$1 job=$2
  [ -f "$work/jobs/$job.text" ] || fail "$name: nothing reached lp"
  diff -u <(preview_text "$work/$name.txt") <(sed 's/\f$//' "$work/jobs/$job.text") ||
    fail "$name: lp was not given the preview's text"
  grep -qx -- "-t" "$work/jobs/$job.args" || fail "$name: the job has no title"
}

# Disbursements first, then receipts: each with its own words.  F10 prints
# to the preview; F7 and Enter send it to the printer; Esc closes it.
cli_run "$golden" 312 cash_disbursements F10 F7 Enter Esc
check cash_disbursements 0
grep -q "Grand Total Cash Payments" "$work/jobs/0.text" || fail "the disbursements' grand total was not printed"
cli_run "$golden" 311 cash_receipts '"1000"' Enter '"2000"' Enter F10 F7 Enter Esc
check cash_receipts 1
grep -q "Grand Total Cash Receipts" "$work/jobs/1.text" || fail "the receipts' grand total was not printed"
grep -qx "cpi=20" "$work/jobs/1.args" || { cat "$work/jobs/1.args"; fail "133 columns within half-inch margins print at 20 an inch"; }
echo "passed"
