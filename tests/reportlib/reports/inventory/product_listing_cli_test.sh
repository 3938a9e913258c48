#!/usr/bin/env bash
# The product listing run unattended through the main program, as a user or
# a scheduled job runs it:
#   qxa15 <company> /only /cmd:350 /param:"input='default' output='products.htm'"
# on the sample company of an installed program tree.  The listing is written
# as HTML beside where the program was started, with every product and the
# total; a parameter string the report cannot use is told in the transcript
# and writes nothing.  Nothing waits for a key: the key script is empty.
#
#   product_listing_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../../support/installed_tree.sh"
installed_tree_begin "$1" qxproductcli
mkdir -p "$work/run"

run() { (cd "$work/run" && run_unattended "$1" 350 "$2"); }  # run <transcript> <parameter text>, in $work/run

# Every product, in product-number order, with the total.
run "$work/listing.txt" "input='default' output='products.htm'" || fail "qxa15 exit status $?"
html=$work/run/products.htm
[ -s "$html" ] || { cat "$work/listing.txt"; fail "no HTML written where the program was started"; }
grep -q "Product Listing" "$html" || fail "no title"
numbers=$("$program/qxdump" "$work/company" products | grep -o '"number": *"[^"]*"' | sed 's/.*"\([^"]*\)"$/\1/')
count=$(echo "$numbers" | grep -c .)
[ "$count" -gt 0 ] || fail "the sample company has no products"
previous=""
for number in $(echo "$numbers" | LC_ALL=C sort); do
  # Each product stands in number order; its number is plain text (the
  # product screen is not part of this system), its costs link to its
  # activity, which says so in its title.
  grep -q ">$number</a>" "$html" && fail "product $number links to a screen outside the system"
  line=$(grep -n -- "^$number " "$html" | head -1 | cut -d: -f1)
  [ -n "$line" ] || fail "product $number missing"
  grep -q "title=\"Activity detail of product $number\"" "$html" || fail "product $number has no activity link"
  [ -z "$previous" ] || [ "$line" -gt "$previous" ] || fail "product $number out of order"
  previous=$line
done
grep -Eq "Total Products : +$count\b" "$html" || fail "no total of $count products"
grep -q "message box" "$work/listing.txt" && { cat "$work/listing.txt"; fail "a message box was shown"; }

# A field the report does not have: told in the transcript, nothing
# written, and the command did not run (status 4).
run "$work/refused.txt" "input='default' sortfld='Shoe Size' output='refused.htm'"
status=$?
[ "$status" = 4 ] || fail "refused: qxa15 exit status $status, 4 expected"
grep -q "message number: 2001" "$work/refused.txt" || { cat "$work/refused.txt"; fail "no message 2001"; }
[ -e "$work/run/refused.htm" ] && fail "a refused parameter string wrote a file"
echo "passed"
