#!/usr/bin/env bash
# The physical-inventory, assembly and inventory transaction journals run
# through the main program of an installed tree, as a user runs them, on the
# sample company:
#   qxa15 <company> /only /cmd:307      (then 306 and 399)
# driven by key scripts; the reports go to the transcript and the previews
# close when a script runs out.  Each run ends with status 0; the
# physical-inventory journal marks every count printed, the assembly journal
# stamps exactly the period's unposted transactions, and the inventory
# transaction journal changes nothing but the user's remembered parameters.
#
#   inventory_journals_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../support/installed_tree.sh"
installed_tree_begin "$1" qxinvjournals

# A summary of a file's records by a small Python expression over `records`.
summary() {  # summary <file> <expression>
  "$program/qxdump" "$work/company" "$1" | python3 -c '
import json, sys
records = json.load(sys.stdin)["files"].get(sys.argv[1], [])
print(eval(sys.argv[2]))' "$1" "$2"
}

# Physical inventory: every count printed and marked; the entry balances.
counts=$(summary physical_counts 'len(records)')
[ "$counts" -gt 0 ] || fail "the sample company has no counts"
transcript=$work/journal-307.txt
run_keys 307 "$transcript" || { cat "$transcript"; fail "307: exit status $?"; }
grep -qF "preview: Journal" "$transcript" || { cat "$transcript"; fail "307: no report"; }
grep -qF "General Ledger Summary" "$transcript" || fail "307: no G/L entry"
python3 - "$transcript" <<'PY' || fail "307: the G/L entry does not balance"
import sys
text = open(sys.argv[1], encoding="utf-8").read()
entry = text[text.index("General Ledger Summary"):]
debit = credit = 0.0
for line in entry.splitlines():
    d, c = line[73:85].strip(), line[86:98].strip()
    try:
        debit += float(d) if d else 0
        credit += float(c) if c else 0
    except ValueError:
        pass
sys.exit(0 if abs(debit - credit) < 0.005 and debit > 0 else 1)
PY
[ "$(summary physical_counts 'sum(1 for r in records if r.get("printedFlag") == "Y")')" = "$counts" ] \
  || fail "307: not every count was marked printed"

# Assembly: the period's unposted transactions printed and stamped.
march='[r for r in records if r.get("postedFlag") != "Y" and r.get("date", "").startswith("2025-03")]'
unposted=$(summary assembly_headers "len($march)")
[ "$unposted" -gt 0 ] || fail "the sample company has no unposted assembly"
transcript=$work/journal-306.txt
run_keys 306 "$transcript" F10 || { cat "$transcript"; fail "306: exit status $?"; }
grep -qF "Transactions printed: $unposted " "$transcript" || { cat "$transcript"; fail "306: not $unposted printed"; }
[ "$(summary assembly_headers 'sum(1 for r in records if r.get("journalPrinted") == "2025-03-15")')" = "$unposted" ] \
  || fail "306: not exactly the unposted transactions were stamped"

# Inventory transactions: listed, nothing written but remembered parameters.
"$program/qxdump" "$work/company" | python3 -c 'import json,sys; d=json.load(sys.stdin); d["files"].pop("report_mru", None); print(json.dumps(d, sort_keys=True))' >"$work/before.json"
transcript=$work/journal-399.txt
run_keys 399 "$transcript" F10 Esc || { cat "$transcript"; fail "399: exit status $?"; }
grep -qF "INVENTORY ADJUSTMENTS LISTING" "$transcript" || { cat "$transcript"; fail "399: no listing"; }
"$program/qxdump" "$work/company" | python3 -c 'import json,sys; d=json.load(sys.stdin); d["files"].pop("report_mru", None); print(json.dumps(d, sort_keys=True))' >"$work/after.json"
cmp -s "$work/before.json" "$work/after.json" || fail "399: the listing changed the company"
echo passed
