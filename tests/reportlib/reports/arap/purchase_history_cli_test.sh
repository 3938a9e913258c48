#!/usr/bin/env bash
# The customer purchase history run unattended through the main program, as
# a drill-down link or a scheduled job runs it:
#   qxa15 <company> /only /cmd:329 /param:"cdno='C100' datebeg='03/01/25' ... output='history.htm'"
# on an installed program tree over a company loaded from a fixture.  The
# report is written as HTML beside where the program was started; a customer
# with nothing in the range, and a parameter string the report cannot use,
# are told in the transcript and write nothing.  The key script is empty.
#
#   purchase_history_cli_test.sh <build folder> <fixture>
# Exit status 0 passed, 1 failed, 77 skipped (the programs are not built).
set -uo pipefail
build=$1
fixture=$2
[ -x "$build/shell/qxa15" ] || { echo "qxa15 is not built: skipped"; exit 77; }

work=$(mktemp -d /tmp/qxpurchasehistXXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$work/install" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
program=$work/install/program
"$program/qxload" "$fixture" "$work/company" >/dev/null || fail "qxload"
: >"$work/keys"
mkdir -p "$work/run"

run() {  # run <transcript> <parameter text>, started in $work/run
  (cd "$work/run" && QX_TODAY=2025-03-31 QX_KEYS="$work/keys" QX_TRANSCRIPT="$1" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
    timeout 60 "$program/qxa15" "$work/company" /only /cmd:329 "/param:$2")
}

# March of C100: the invoice's two lines and the return, negative; the total foots.
run "$work/march.txt" "cdno='C100' datebeg='03/01/25' dateend='03/31/25' output='history.htm'" ||
  fail "qxa15 exit status $?"
html=$work/run/history.htm
[ -s "$html" ] || { cat "$work/march.txt"; fail "no HTML written where the program was started"; }
grep -q "CUSTOMER PURCHASE HISTORY" "$html" || fail "no title"
grep -q "Customer: C100 Alder Hardware" "$html" || fail "no customer line"
grep -q "Delivery &amp; set-up" "$html" || fail "the service line is missing or not escaped"
# The invoices, the return and the items are there, as plain text: their
# entry and item screens are not part of this system.
for text in I-1001 R-1002 SVC-1; do
  grep -q -- "$text" "$html" || fail "$text is missing"
  grep -q "href=\"qxa:[0-9]*?kind=1" "$html" && fail "a link to a screen outside the system"
done
grep -q "I-1003" "$html" && fail "April was listed"
grep -q "I-2001" "$html" && fail "another customer's invoice was listed"
grep -Eq -- "-40\.00" "$html" || fail "the return is not negative"
grep -Eq "Total +190\.00" "$html" || { grep -n "Total" "$html"; fail "no total of 190.00"; }
grep -q "message box" "$work/march.txt" && { cat "$work/march.txt"; fail "a message box was shown"; }

# Nothing in the range: message 197, no file.
run "$work/none.txt" "cdno='C200' datebeg='04/01/25' dateend='' output='none.htm'" || fail "none: exit status $?"
grep -q "message number: 197" "$work/none.txt" || { cat "$work/none.txt"; fail "no message 197"; }
[ -e "$work/run/none.htm" ] && fail "an empty run wrote a file"

# A parameter the report does not have: message 2001, no file, and the
# command did not run (status 4).
run "$work/refused.txt" "cdno='C100' datebeg='03/01/25' sortby='2' output='refused.htm'"
status=$?
[ "$status" = 4 ] || fail "refused: exit status $status, 4 expected"
grep -q "message number: 2001" "$work/refused.txt" || { cat "$work/refused.txt"; fail "no message 2001"; }
[ -e "$work/run/refused.htm" ] && fail "a refused parameter string wrote a file"
echo "passed"
