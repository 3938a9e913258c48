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
build=$1
[ -x "$build/shell/qxa15" ] && [ -x "$build/tools/qxsample" ] || { echo "qxa15 is not built: skipped"; exit 77; }

work=$(mktemp -d /tmp/qxproductcliXXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$work/install" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
program=$work/install/program
"$program/qxsample" --date 2025-03-15 "$work/company" >/dev/null || fail "qxsample"
: >"$work/keys"
mkdir -p "$work/run"

run() {  # run <transcript> <parameter text>, started in $work/run
  (cd "$work/run" && QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$1" XDG_CONFIG_HOME="$work/config" \
    timeout 60 "$program/qxa15" "$work/company" /only /cmd:350 "/param:$2")
}

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
  # Each product's number links to its entry screen, in number order.
  line=$(grep -n ">$number</a>" "$html" | head -1 | cut -d: -f1)
  [ -n "$line" ] || fail "product $number missing"
  grep -q "cdno%3D%27$number%27" "$html" || fail "product $number has no link"
  [ -z "$previous" ] || [ "$line" -gt "$previous" ] || fail "product $number out of order"
  previous=$line
done
grep -Eq "Total Products : +$count\b" "$html" || fail "no total of $count products"
grep -q "message box" "$work/listing.txt" && { cat "$work/listing.txt"; fail "a message box was shown"; }

# A field the report does not have: told in the transcript, nothing written.
run "$work/refused.txt" "input='default' sortfld='Shoe Size' output='refused.htm'" || fail "qxa15 exit status $?"
grep -q "message number: 2001" "$work/refused.txt" || { cat "$work/refused.txt"; fail "no message 2001"; }
[ -e "$work/run/refused.htm" ] && fail "a refused parameter string wrote a file"
echo "passed"
