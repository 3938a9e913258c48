#!/usr/bin/env bash
# The product activity report (354), its detail (359), the warehouse status
# reports (398) and a global change (393) run through the main program of an
# installed tree on the sample company, as a user or a scheduled job runs
# them:
#   qxa15 <company> /only /cmd:359 /param:"input='default' output='detail.htm'"
# Each report's saved run, taken from its HTML file and run again in
# command-only mode, gives the same pages (in the preview of the
# transcript); a parameter string the report cannot use, and a transaction
# file that fails part way, write no file.
#
#   product_activity_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../../support/installed_tree.sh"
installed_tree_begin "$1" qxactivitycli
pages="python3 $(dirname "$0")/report_pages.py"
mkdir -p "$work/run"

run() { (cd "$work/run" && run_unattended "$@"); }  # run <transcript> <command> <parameter text>

# same_again <html> <transcript of the rerun> <preview title>: the pages of
# the saved run's report are those of the file.
same_again() {
  $pages html "$1" >"$work/first.txt" || fail "cannot read $1"
  $pages preview "$2" "$3" >"$work/again.txt" || { cat "$2"; fail "no preview in $2"; }
  diff "$work/first.txt" "$work/again.txt" >"$work/diff.txt" || { cat "$work/diff.txt"; fail "$3: not the same report"; }
}

# The detail over every date.
run "$work/detail.txt" 359 "input='default' rankfrom='' rankto='' output='detail.htm'" || fail "qxa15 exit status $?"
[ -s "$work/run/detail.htm" ] || { cat "$work/detail.txt"; fail "no detail written"; }
grep -q "Product Activity Detail Report" "$work/run/detail.htm" || fail "no title"
grep -q "Merch_Rec" "$work/run/detail.htm" || fail "no receipt listed"
saved=$($pages saved "$work/run/detail.htm") || fail "the detail has no saved run"
run "$work/detail-again.txt" 359 "$saved" || fail "qxa15 exit status $? (detail again)"
same_again "$work/run/detail.htm" "$work/detail-again.txt" "Product Transaction Activity"

# The activity report from its screen, sorted by bin, "No" in the type-2
# field (six Downs from the sort field), into a file.
printf '%s\n' Space Space Space Down Down Down Down Down Down Space F10 >"$work/keys"
(cd "$work/run" && QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$work/activity.txt" \
  XDG_CONFIG_HOME="$work/config" timeout 60 "$program/qxa15" "$work/company" /only /cmd:354 \
  "/param:input='screen' output='activity.htm'") || fail "qxa15 exit status $? (354)"
: >"$work/keys"
[ -s "$work/run/activity.htm" ] || { cat "$work/activity.txt"; fail "no activity report written"; }
grep -q "GIFTWRAP" "$work/run/activity.htm" || fail "the product of type 2 is not listed"
grep -q "Subtotal A-01" "$work/run/activity.htm" || fail "no subtotal per bin"
saved=$($pages saved "$work/run/activity.htm") || fail "the activity report has no saved run"
case "$saved" in *"incnoinv='1'"*) ;; *) fail "the saved run does not keep the products of type 2: $saved" ;; esac
run "$work/activity-again.txt" 354 "$saved" || fail "qxa15 exit status $? (354 again)"
same_again "$work/run/activity.htm" "$work/activity-again.txt" "Product Activity"

# Refused: a sort field that neither report has; the command did not run
# (status 4).
for command in 354 359; do
  run "$work/refused-$command.txt" $command "input='default' sortfld='Shoe Size' output='refused-$command.htm'"
  status=$?
  [ "$status" = 4 ] || fail "qxa15 exit status $status (refused $command), 4 expected"
  grep -q "message number: 2001" "$work/refused-$command.txt" || { cat "$work/refused-$command.txt"; fail "no 2001 for $command"; }
  [ -e "$work/run/refused-$command.htm" ] && fail "a refused parameter string wrote a file ($command)"
done

# A transaction file that fails part way: the error box, no file, and the
# command did not do its work (status 4).
(cd "$work/run" && QX_BTRV_TEST="fail=6:inventory_transactions:3:2" run_unattended "$work/failed.txt" 359 \
  "input='default' rankfrom='' output='failed.htm'")
status=$?
[ "$status" = 4 ] || fail "qxa15 exit status $status (failed), 4 expected"
grep -q "message box" "$work/failed.txt" || { cat "$work/failed.txt"; fail "no error box"; }
[ -e "$work/run/failed.htm" ] && fail "an incomplete report was written"
# The warehouse status summary from its screen: the A4 paper of both stores
# on one line, the master item without sub-items left out.
printf '%s\n' Space F10 >"$work/keys"
(cd "$work/run" && QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$work/warehouse.txt" \
  XDG_CONFIG_HOME="$work/config" timeout 60 "$program/qxa15" "$work/company" /only /cmd:398) \
  || fail "qxa15 exit status $? (398)"
: >"$work/keys"
grep -q "preview: Warehouse Status Summary" "$work/warehouse.txt" || { cat "$work/warehouse.txt"; fail "no summary"; }
grep -Eq '^ PAPER-A4 +Copy paper A4.* 1201\.35$' "$work/warehouse.txt" || { cat "$work/warehouse.txt"; fail "no A4 paper line"; }
grep -q "LAMP-DESK" "$work/warehouse.txt" && fail "a master item without sub-items is listed"
# Global change (393) from its screen: the area code of the customers of zip
# code 98370, typed as its three digits, written into their phones as the
# phones hold it; the dump of the others is as it was.
phones() { "$program/qxdump" "$work/company" customers | python3 -c '
import json, sys
for c in json.load(sys.stdin)["files"]["customers"]:
    print(c["code"], c.get("zipCode", ""), c.get("phone1", ""))'; }
phones >"$work/before.txt" || fail "qxdump"
printf '%s\n' Enter Right Right Right Enter '"646"' Enter Enter '"98370"' Enter '"98370"' F10 Enter >"$work/keys"
(cd "$work/run" && QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$work/change.txt" \
  XDG_CONFIG_HOME="$work/config" timeout 60 "$program/qxa15" "$work/company" /only /cmd:393) \
  || fail "qxa15 exit status $? (393)"
: >"$work/keys"
grep -q "message number: 1551" "$work/change.txt" || { cat "$work/change.txt"; fail "no change made"; }
phones >"$work/after.txt" || fail "qxdump"
python3 - "$work/before.txt" "$work/after.txt" <<'CHECK' || fail "the area codes"
import sys
before = [l.split(" ", 2) for l in open(sys.argv[1]).read().splitlines()]
after = [l.split(" ", 2) for l in open(sys.argv[2]).read().splitlines()]
assert len(before) == len(after)
changed = 0
for (code, zip_, phone), (_, _, now) in zip(before, after):
    if zip_ == "98370" and phone:
        assert now == "(646)" + phone[5:], (code, phone, now)
        changed += 1
    else:
        assert now == phone, (code, phone, now)
assert changed > 0
CHECK
echo "passed"
