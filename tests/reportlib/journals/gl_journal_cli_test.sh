#!/usr/bin/env bash
# The general-ledger journal run unattended through the main program, as a
# user or a scheduled job runs it:
#   qxa15 <company> /only /cmd:301 /param:"output='journal.htm'"
# on the sample company of an installed program tree.  The journal is
# written as HTML and stamped; a reversed range is told in the transcript
# and writes nothing.  Nothing waits for a key: the key script is empty.
#
#   gl_journal_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../support/installed_tree.sh"
installed_tree_begin "$1" qxjournalcli

run() { run_unattended "$1" 301 "$2"; }  # run <transcript> <parameter text>

# The period's unposted transactions, as HTML, stamped.
run "$work/journal.txt" "output='$work/journal.htm'" || fail "qxa15 exit status $?"
[ -s "$work/journal.htm" ] || { cat "$work/journal.txt"; fail "no HTML written"; }
grep -q "General Ledger Journal" "$work/journal.htm" || fail "no title"
for tran in 1001 1002 1003 1004 1005 1006; do
  grep -Eq "^GJ +$tran " "$work/journal.htm" || fail "transaction $tran missing"
done
# The G/L transactions the month's cash posting wrote are posted: not printed.
grep -Eq "^C[RD] +[0-9]+ " "$work/journal.htm" && fail "a posted transaction printed"
grep -q "message box" "$work/journal.txt" && { cat "$work/journal.txt"; fail "a message box was shown"; }
stamped=$("$program/qxdump" "$work/company" gl_headers | grep '"journalCode":"GJ"' | grep -c '"journalPrinted":"2025-03-15"')
[ "$stamped" = 6 ] || fail "$stamped headers stamped, 6 expected"

# A reversed journal-code range: told in the transcript, nothing written,
# and the command did not run (status 4).
run "$work/reversed.txt" "type='1' jrnlbeg='GJ' jrnlend='AP' output='$work/reversed.htm'"
status=$?
[ "$status" = 4 ] || fail "reversed: qxa15 exit status $status, 4 expected"
grep -q "journal: message 205" "$work/reversed.txt" || { cat "$work/reversed.txt"; fail "no note of message 205"; }
[ -e "$work/reversed.htm" ] && fail "a reversed range wrote a file"
echo "passed"
