#!/usr/bin/env bash
# Inventory posting (command 328) through the main program of an installed
# tree, driven by key scripts, as a user runs it:
#   - on the company of fixtures/inventory_post_company.json (qxload): the
#     company dumped (qxdump) before and after, and exactly the adjustments,
#     products, general ledger and sequence changed as the accountant expects;
#   - on the sample company: afterwards every G/L transaction balances, the
#     inventory account equals the products' value, every entered adjustment
#     up to today is marked, and a rerun posts nothing.
#
#   inventory_posting_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
here=$(dirname "$0")
. "$here/../../support/installed_tree.sh"
installed_tree_begin "$1" qxinvpost

# dump <company> <file>: the company as qxdump prints it, remembered
# parameters left out.
dump() {
  "$program/qxdump" "$1" | python3 -c 'import json,sys; d=json.load(sys.stdin); d["files"].pop("report_mru", None); print(json.dumps(d, sort_keys=True))' >"$2"
}

# --- The fixture company -----------------------------------------------------------------
fixture=$work/fixture
"$program/qxload" "$here/fixtures/inventory_post_company.json" "$fixture" >/dev/null || fail "qxload"
dump "$fixture" "$work/before.json"
printf '%s\n' '"043025"' F10 Enter >"$work/keys"
QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$work/fixture-328.txt" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
  timeout 60 "$program/qxa15" "$fixture" /only /cmd:328 || { cat "$work/fixture-328.txt"; fail "328: exit status $?"; }
grep -qF "4 transactions posted." "$work/fixture-328.txt" || { cat "$work/fixture-328.txt"; fail "328: no summary"; }
dump "$fixture" "$work/after.json"
python3 - "$work/before.json" "$work/after.json" <<'PY' || fail "328 on the fixture changed what it should not"
import json, sys
before = json.load(open(sys.argv[1]))["files"]
after = json.load(open(sys.argv[2]))["files"]
touched = {"inventory_transactions", "products", "gl_headers", "gl_lines", "gl_accounts", "transaction_numbers"}
for name in set(before) | set(after):
    if name not in touched:
        assert before.get(name) == after.get(name), name
def by(records, key):
    return {r[key].strip(): r for r in records}
b, a = by(before["inventory_transactions"], "transactionNumber"), by(after["inventory_transactions"], "transactionNumber")
for n in ("T1", "T2", "T3", "T4", "T5"):
    assert a[n]["postedFlag"] == "Y", n
    changed = {k for k in set(a[n]) | set(b[n]) if a[n].get(k) != b[n].get(k)}
    allowed = {"postedFlag", "unitCost", "extendedAmount"} if b[n]["kind"] == "5" else {"postedFlag"}
    assert changed <= allowed, (n, changed)
assert a["T6"] == b["T6"] and a["900"] == b["900"]
p = by(after["products"], "number")
assert (p["P1"]["quantityOnHand"], p["P1"]["valueOnHand"]) == (16.0, 160.0), p["P1"]
assert (p["P2"]["quantityOnHand"], p["P2"]["valueOnHand"]) == (17.0, 170.0), p["P2"]
headers = after.get("gl_headers", [])
assert sorted((h["journalCode"], h["date"], h["postedFlag"], h.get("amount")) for h in headers) == \
    [("IA", "2025-03-31", "Y", 50.0), ("IA", "2025-04-30", "Y", 20.0)], headers
assert by(after["gl_accounts"], "code")["1300"]["currentBalance"] == 330.0
PY

# --- The sample company ------------------------------------------------------------------
books() {  # books <dump>: the accountant's invariants
  python3 - "$1" <<'PY'
import json, sys
from collections import defaultdict
files = json.load(open(sys.argv[1]))["files"]
net = defaultdict(float)
for l in files.get("gl_lines", []):
    net[(l["journalCode"], l["transactionNumber"])] += l["amount"] if l["side"] == "D" else -l["amount"]
bad = [t for t, d in net.items() if abs(d) > 0.005]
assert not bad, bad
iface = next(s for s in files["settings"] if s["key"].strip() == "0Interface")
account = next(a for a in files["gl_accounts"] if a["code"] == iface["inventoryAccount"])
value = sum(p.get("valueOnHand", 0) for p in files["products"])
assert abs(account.get("currentBalance", 0) - value) < 0.005, (account.get("currentBalance"), value)
left = [t["transactionNumber"] for t in files["inventory_transactions"]
        if t.get("source") == "T" and t.get("postedFlag") != "Y" and t["date"] <= "2025-03-15"]
assert not left, left
ia = [h for h in files.get("gl_headers", []) if h["journalCode"] == "IA"]
assert len(ia) == 1 and ia[0]["postedFlag"] == "Y", ia
PY
}
transcript=$work/sample-328.txt
run_keys 328 "$transcript" F10 Enter || { cat "$transcript"; fail "328: exit status $?"; }
grep -qF "5 transactions posted." "$transcript" || { cat "$transcript"; fail "328: not the sample's five"; }
dump "$work/company" "$work/sample-after.json"
books "$work/sample-after.json" || fail "328: the sample company's books disagree"
transcript=$work/sample-328-again.txt
run_keys 328 "$transcript" F10 Enter || { cat "$transcript"; fail "328 again: exit status $?"; }
grep -qF "Nothing was selected" "$transcript" || { cat "$transcript"; fail "328 again: something was posted"; }
dump "$work/company" "$work/sample-again.json"
cmp -s "$work/sample-after.json" "$work/sample-again.json" || fail "328 again changed the company"
echo passed
