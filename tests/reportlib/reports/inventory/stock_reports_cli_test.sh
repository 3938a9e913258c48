#!/usr/bin/env bash
# The price listing (352), price breaks (353), product alert (355) and count
# sheets (356) run through the main program of an installed tree on the
# sample company, as a user runs them from a key script:
#   QX_KEYS=<keys> qxa15 <company> /only /cmd:355
# The key script accepts the selection screen (F10) and runs out; the
# preview's text is in the transcript.  Nothing waits for a key that will
# not come, and the program ends with status 0.
#
#   stock_reports_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../../support/installed_tree.sh"
installed_tree_begin "$1" qxstockcli

# run <transcript> <command id> <keys>: the command on the key script.
run() {
  printf '%s\n' "$3" >"$work/keys"
  run_unattended "$1" "$2" ""
}

products=$("$program/qxdump" "$work/company" products | grep -c '"number"')
[ "$products" -gt 0 ] || fail "the sample company has no products"

# The price listing with a cost code (field 26, six Downs from the first):
# every product once, the total the number of products on file.
run "$work/price.txt" 352 'Down Down Down Down Down Down "MONEYBACKS" F10' || fail "qxa15 exit status $? (352)"
grep -q "preview: Price Listing" "$work/price.txt" || { cat "$work/price.txt"; fail "no price listing"; }
grep -q "Table D" "$work/price.txt" || fail "no price-table columns with a cost code"
total=$(grep -Eo 'Total Products : +[0-9]+' "$work/price.txt" | grep -Eo '[0-9]+$')
[ "$total" = "$products" ] || fail "price listing total $total, $products products on file"

# The price-break tables: every table on file once.
run "$work/breaks.txt" 353 "F10" || fail "qxa15 exit status $? (353)"
grep -q "preview: Price Breaks" "$work/breaks.txt" || { cat "$work/breaks.txt"; fail "no price breaks report"; }
tables=$("$program/qxdump" "$work/company" price_breaks | grep -c '"tableCode"')
printed=$(grep -Ec '^ ?[A-Z0-9]{1,5} +[A-Z][a-z].* (Quantity|Dollar|Percent|Flat) ' "$work/breaks.txt")
[ "$printed" -eq "$tables" ] || fail "$printed tables printed, $tables on file"

# The alert report by G/L department: the subtotals foot to the total, and
# the total purchase amount is what the lines add up to.
run "$work/alert.txt" 355 "Space Space F10" || fail "qxa15 exit status $? (355)"
grep -q "Sorted by: G/L Department" "$work/alert.txt" || { cat "$work/alert.txt"; fail "no alert report"; }
for p in TNR-LJ-85A DRL-18V SCR-ASST-200 GLV-NIT-100; do
  grep -Eq "^ ?$p " "$work/alert.txt" || fail "$p is not on the alert report"
done
count=$(grep -Eo 'Total Products : +[0-9]+' "$work/alert.txt" | grep -Eo '[0-9]+$')
[ "$count" = 4 ] || fail "alert total $count"
sum=$(grep -Eo 'Subtotal [A-Z]+: +[0-9]+' "$work/alert.txt" | grep -Eo '[0-9]+$' | awk '{ s += $1 } END { print s + 0 }')
[ "$sum" = "$count" ] || fail "alert subtotals $sum do not foot to the total $count"
grep -Eq 'Total Products : .* 1122\.50' "$work/alert.txt" || { cat "$work/alert.txt"; fail "alert total amount"; }

# The count sheets: a line to count for every product.
run "$work/count.txt" 356 "F10" || fail "qxa15 exit status $? (356)"
grep -q "preview: Product Count Sheets" "$work/count.txt" || { cat "$work/count.txt"; fail "no count sheets"; }
lines=$(grep -c '__________ \.__________' "$work/count.txt")
[ "$lines" -eq "$products" ] || fail "$lines count lines for $products products"

# A range that selects nothing: the message, no report, status 0.
run "$work/nothing.txt" 355 'Down "ZZZ" F10 Enter' || fail "qxa15 exit status $? (nothing)"
grep -q "message number: 197" "$work/nothing.txt" || { cat "$work/nothing.txt"; fail "no message 197"; }
grep -q "preview:" "$work/nothing.txt" && fail "a report was shown for an empty range"
for f in price breaks alert count nothing; do
  grep -q "message box" "$work/$f.txt" && [ "$f" != nothing ] && { cat "$work/$f.txt"; fail "a message box was shown ($f)"; }
done
echo "passed"
