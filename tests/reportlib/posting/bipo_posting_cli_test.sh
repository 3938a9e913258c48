#!/usr/bin/env bash
# Billing and purchasing posting run through the main program of an
# installed tree, as a user runs them on a key script:
#   qxa15 <company> /only /cmd:324      (then 325)
# First on the company of fixtures/bipo_post_company.json, loaded with
# qxload: qxdump before and after tells exactly which files the runs wrote
# and what the purchase and the invoice left in them.  Then on the sample
# company: every billing and purchasing transaction of March posts, the
# accountant's invariants hold afterwards, and a rerun posts nothing.
#
#   bipo_posting_cli_test.sh <build folder> <fixtures folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../support/installed_tree.sh"
installed_tree_begin "$1" qxbipopost
fixtures=$2

# post <company> <command> <transcript> <key>...: one command on a key script.
post() {
  local company=$1 command=$2 transcript=$3
  shift 3
  printf '%s\n' "$@" >"$work/keys"
  QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$transcript" XDG_CONFIG_HOME="$work/config" \
    timeout 60 "$program/qxa15" "$company" /only "/cmd:$command"
}

# The invariants of a dumped company, and the figures asked on the command
# line ("products.P1.quantityOnHand=18"); prints what does not hold.
check() {
  python3 - "$@" <<'EOF'
import json, sys
books = json.load(open(sys.argv[1]))["files"]
problems = []
def near(a, b): return abs(a - b) < 0.005
net = {}
for l in books.get("gl_lines", []):
    key = l["journalCode"].strip() + " " + l["transactionNumber"].strip()
    net[key] = net.get(key, 0) + (l["amount"] if l.get("side") == "D" else -l["amount"])
for key, n in net.items():
    if not near(n, 0): problems.append("G/L transaction %s is off by %.2f" % (key, n))
iface = next(s for s in books["settings"] if s["key"].strip() == "0Interface")
balance = {a["code"]: a.get("currentBalance", 0) for a in books["gl_accounts"]}
def control(name, total):
    code = iface[name]
    if not near(balance.get(code, 0), total):
        problems.append("%s account %s holds %.2f, its ledger %.2f" % (name, code, balance.get(code, 0), total))
control("receivablesAccount", sum(c.get("balance", 0) for c in books.get("customers", [])))
control("payablesAccount", sum(v.get("balance", 0) for v in books.get("vendors", [])))
control("inventoryAccount", sum(p.get("valueOnHand", 0) for p in books.get("products", []) if p.get("productType") in (1, 3)))
for spec in sys.argv[2:]:
    path, want = spec.split("=")
    file, code, field = path.split(".")
    record = next((r for r in books.get(file, []) if code in (r.get("code"), r.get("number"),
                   r.get("transactionNumber", "").strip(), str(r.get("itemNumber")))), None)
    got = None if record is None else record.get(field)
    ok = str(got) == want if not isinstance(got, float) else near(got, float(want))
    if not ok: problems.append("%s is %s, not %s" % (path, got, want))
print("\n".join(problems))
EOF
}

# --- The fixture's company ------------------------------------------------------------------
company=$work/bipo
"$program/qxload" "$fixtures/bipo_post_company.json" "$company" >/dev/null || fail "qxload"
"$program/qxdump" "$company" >"$work/before.json" || fail "qxdump"
post "$company" 324 "$work/po.txt" F10 Enter || { cat "$work/po.txt"; fail "324: exit status $?"; }
grep -qF "1 transactions posted." "$work/po.txt" || { cat "$work/po.txt"; fail "324 posted nothing"; }
post "$company" 325 "$work/bi.txt" Tab '"CLI RUN"' F10 Enter || { cat "$work/bi.txt"; fail "325: exit status $?"; }
grep -qF "1 transactions posted." "$work/bi.txt" || { cat "$work/bi.txt"; fail "325 posted nothing"; }
"$program/qxdump" "$company" >"$work/after.json" || fail "qxdump"

# Which files the two runs wrote: the open-invoice headers count a line whether
# it is posted or not, and March is not over, so the settings stay.
changed=$(python3 - "$work/before.json" "$work/after.json" <<'EOF'
import json, sys
a = json.load(open(sys.argv[1]))["files"]; b = json.load(open(sys.argv[2]))["files"]
print(" ".join(sorted(f for f in set(a) | set(b) if a.get(f) != b.get(f))))
EOF
)
expected="ap_open_invoices ar_open_invoices billing_headers billing_lines customers gl_accounts gl_headers gl_lines inventory_transactions products purchasing_headers purchasing_lines sales_history services tax_codes transaction_numbers vendors"
[ "$changed" = "$expected" ] || fail "the runs wrote: $changed"
# The paper: 10 at 3.00, 10 bought for 25.00 (average 2.75), 2 sold at 2.75.
problems=$(check "$work/after.json" products.P1.quantityOnHand=18.0 products.P1.valueOnHand=49.5 \
  products.P1.averageCost=2.75 customers.C1.balance=142.8 vendors.V1.balance=525.0 \
  billing_headers.1001.postedFlag=Y billing_headers.1001.costOfGoods=5.5 purchasing_headers.2001.postedFlag=Y \
  purchasing_headers.2002.postedFlag=N ar_open_invoices.501.status=P ap_open_invoices.601.status=P)
[ -z "$problems" ] || fail "the fixture's company: $problems"

# --- The sample company -------------------------------------------------------------------
for spec in "324:Purchasing Posting" "325:Billing Posting"; do
  IFS=: read -r command title <<<"$spec"
  transcript=$work/sample-$command.txt
  post "$work/company" "$command" "$transcript" F10 Enter || { cat "$transcript"; fail "$title: exit status $?"; }
  grep -qF "transactions posted." "$transcript" || { cat "$transcript"; fail "$title posted nothing"; }
done
"$program/qxdump" "$work/company" >"$work/sample.json" || fail "qxdump"
problems=$(check "$work/sample.json")
[ -z "$problems" ] || fail "the sample company: $problems"
unposted=$(python3 - "$work/sample.json" <<'EOF'
import json, sys
books = json.load(open(sys.argv[1]))["files"]
print(" ".join(h["transactionNumber"].strip() for f in ("billing_headers", "purchasing_headers")
               for h in books.get(f, []) if h.get("postedFlag") != "Y" and h["typeLetter"] != "O"))
EOF
)
[ -z "$unposted" ] || fail "the sample left unposted: $unposted"
post "$work/company" 325 "$work/again.txt" F10 Enter || fail "rerun: exit status $?"
grep -qF "Nothing was selected" "$work/again.txt" || { cat "$work/again.txt"; fail "the rerun posted"; }
"$program/qxdump" "$work/company" >"$work/again.json"
cmp -s "$work/sample.json" "$work/again.json" || fail "the rerun changed the sample company"
echo "passed"
