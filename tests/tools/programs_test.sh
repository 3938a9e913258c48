#!/usr/bin/env bash
# qxsample, qxdump and qxload as a user runs them.
#   programs_test.sh <qxsample> <qxload> <qxdump>
set -euo pipefail
sample=$1 load=$2 dump=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The sample company, dumped, loaded into a second folder and dumped again,
# gives the same text; its fixture loads to the same company.
"$sample" --date 2025-04-17 --fixture "$work/sample.json" "$work/first"
"$dump" "$work/first" > "$work/first.json"
"$load" "$work/first.json" "$work/second"
"$dump" "$work/second" > "$work/second.json"
cmp -s "$work/first.json" "$work/second.json" || fail "the reloaded company dumps differently"
"$load" "$work/sample.json" "$work/third"
"$dump" "$work/third" | cmp -s - "$work/first.json" || fail "the sample's fixture loads differently"

# Named files only.
"$dump" "$work/first" customers 29 > "$work/some.json"
grep -q '"customers"' "$work/some.json" || fail "customers missing from the named dump"
grep -q '"settings"' "$work/some.json" || fail "settings missing from the named dump"
! grep -q '"products"' "$work/some.json" || fail "products in a dump that did not name them"

# A bad fixture: refused with file, record and field, and no folder made.
echo '{"files": {"customers": [{"code": "A"}, {"code": "B", "balanse": 1}]}}' > "$work/bad.json"
set +e
"$load" "$work/bad.json" "$work/bad" 2> "$work/bad.err"
status=$?
set -e
[ "$status" -eq 1 ] || fail "a bad fixture gave status $status"
grep -q 'customers (22), record 2, field balanse' "$work/bad.err" || fail "message: $(cat "$work/bad.err")"
[ ! -e "$work/bad" ] || fail "a refused fixture made its folder"

# Loading over a company needs --replace.
set +e
"$load" "$work/first.json" "$work/second" 2> /dev/null
status=$?
set -e
[ "$status" -eq 1 ] || fail "loading over a company without --replace gave status $status"
"$load" --replace "$work/bad.json" "$work/second" 2> /dev/null && fail "a bad fixture replaced a company"
"$dump" "$work/second" | cmp -s - "$work/first.json" || fail "a refused replace changed the company"

# Usage errors.
set +e
"$load" > /dev/null 2>&1; [ $? -eq 2 ] || fail "qxload without arguments"
"$dump" "$work/first" widgets > /dev/null 2>&1; [ $? -eq 1 ] || fail "qxdump of an unknown file"
"$sample" --customers many "$work/x" > /dev/null 2>&1; [ $? -eq 2 ] || fail "qxsample with a bad size"
set -e
echo "programs behave"
