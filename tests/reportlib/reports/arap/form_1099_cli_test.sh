#!/usr/bin/env bash
# The 1099 forms (348) and the 1096 summary (375) as a user runs them: the
# main program of an installed tree, one command each, on key scripts over
# a company loaded by qxload from a fixture.  The screens, the previews and
# the printing in the transcripts match the golden transcripts
# (QX_UPDATE_GOLDEN=1 writes them).  Each alignment test sends two blank
# forms to the printer (a stand-in lp first on PATH keeps what it was given)
# and changes nothing in the company; "Print" sends the 1096 in four copies
# with the stock's margins; the values of the 1099 screen are remembered.
#
#   form_1099_cli_test.sh <build folder> <fixture> <golden folder>
# Exit status 0 passed, 1 failed, 77 skipped (the programs are not built).
set -uo pipefail
golden=$3
. "$(dirname "$0")/cli_support.sh"
cli_begin "$1" "$2" qxform1099

# The company's files but those a run writes by design: the batches and the
# remembered screen values.
dump() { "$program/qxdump" "$work/company" | python3 -c '
import json, sys
d = json.load(sys.stdin)
for f in ("form_1099_batches", "report_mru"): d.get("files", {}).pop(f, None)
print(json.dumps(d, sort_keys=True, indent=1))'; }
line() { sed -n "$(( $2 + 1 ))p" "$1"; }  # line <file> <n>: line n (from 0) of a job's text
cell() { line "$1" "$2" | cut -c"$(( $3 + 1 ))-$(( $3 + $4 ))"; }  # cell <file> <line> <x> <width>

dump >"$work/before.json" || fail "qxdump"

# 1099 of 2023 at 600.00 as batch B2023; in the preview F7 offers the
# alignment test ("A"), then the question again (Esc), and Esc closes.
cli_run "$golden" 348 form_1099 Enter Enter '"2023"' Enter '"600"' Enter '"N"' Enter '"B2023"' F10 F7 '"A"' Esc Esc
job=$work/jobs/0.text
[ -f "$job" ] || fail "the 1099 alignment test sent nothing to lp"
grep -qx "cpi=10" "$work/jobs/0.args" && grep -qx "lpi=6" "$work/jobs/0.args" && grep -qx "page-left=0" "$work/jobs/0.args" ||
  { cat "$work/jobs/0.args"; fail "the 1099 stock prints at 10 an inch, 6 lines an inch, without margins"; }
[ "$(cell "$job" 32 22 1)" = "X" ] || fail "the alignment forms have no void mark at line 32, column 22"
[ "$(grep -o '0\.00' "$job" | wc -l)" -eq 20 ] || { cat -A "$job" | head -70; fail "the two alignment forms have 10 zero boxes each"; }
[ "$(cell "$job" 15 38 11)" = "       0.00" ] || fail "the alignment form has no zero amount in box 1"
grep -q "Alder" "$job" && fail "the alignment forms carry a vendor"
"$program/qxdump" "$work/company" form_1099_batches | grep -q '"B2023"' || fail "no batch B2023"
dump | diff -u "$work/before.json" - || fail "the 1099 run changed the company beyond its batch"

# The values of the screen come back, remembered for the user under Vend1099.
# They are the user's: in the state folder, not in the company's books.
"$program/qxdump" "$work"/state/quarlex/remembered/company-* report_mru | grep -q "Vend1099" ||
  fail "nothing remembered under Vend1099"
# Left with Esc: nothing printed, the command not done.
cli_run_ending 4 "$golden" 348 form_1099_again Esc
grep -q "B2023" "$work/form_1099_again.txt" || fail "the batch name was not remembered"

# The 1096 of B2023: the contact person, the alignment test, then "Print".
cli_run "$golden" 375 form_1096 '"B2023"' Enter '"Pat Quinlan"' Enter '"2175550199"' Enter '"Accounts payable"' F10 F7 '"A"' Esc \
  F7 Enter Esc
[ -f "$work/jobs/1.text" ] || fail "the 1096 alignment test sent nothing to lp"
[ "$(grep -c '^ *X$' "$work/jobs/1.text")" -eq 2 ] || fail "the 1096 alignment test is not two blank forms"
grep -q "Harbor" "$work/jobs/1.text" && fail "the 1096 alignment forms carry the payer"
[ -f "$work/jobs/2.text" ] || fail "the 1096 was not printed"
grep -q "Pat Quinlan" "$work/jobs/2.text" || fail "the printed 1096 has no contact person"
for want in "-n" "4" "page-left=18" "page-top=23" "page-right=18" "page-bottom=18"; do
  grep -qx -- "$want" "$work/jobs/2.args" || { cat "$work/jobs/2.args"; fail "the 1096 job lacks $want"; }
done
"$program/qxdump" "$work/company" form_1099_batches | grep -q "Pat Quinlan" || fail "the contact person was not kept"
dump | diff -u "$work/before.json" - || fail "the 1096 changed the company beyond its batch"
echo "passed"
