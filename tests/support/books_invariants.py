"""The accountant's invariants over a company dumped by qxdump.

    books_invariants.py <dump.json>

Checks that every posted G/L transaction's debits equal its credits; that the
trial balance holds (the detail accounts' balances, kept in their natural
sign, sum to the same on the debit-balance kinds 1, 5 and 7 as on the
others); and that the receivables, payables and inventory accounts of
"0Interface" equal the sums of the customers' and vendors' balances and of
the value on hand of the products that carry stock (types 1 and 3: a
non-inventory product, type 2, is never in the inventory account).  A
control account the interface leaves blank has no subledger to answer to and
is passed over.  `check(files)` takes the dump's "files" and returns the
problems found (empty when every invariant holds), printing the figures.
As a program: exit status 0 when every invariant holds, 1 otherwise.
"""
import collections
import json
import sys

DEBIT_KINDS = (1, 5, 7)
STOCK_TYPES = (1, 3)  # the product types that carry stock


def carries_stock(product):
    return product.get("productType", 0) in STOCK_TYPES


def check(files):
    iface = next((s for s in files.get("settings", []) if s["key"] == "0Interface"), {})
    accounts = {a["code"]: a for a in files.get("gl_accounts", [])}
    problems = []
    sides = collections.defaultdict(lambda: [0.0, 0.0])
    for line in files.get("gl_lines", []):
        key = (line["journalCode"], line["transactionNumber"])
        sides[key][0 if line["side"] == "D" else 1] += line.get("amount", 0.0)
    for header in files.get("gl_headers", []):
        if header.get("postedFlag") != "Y":
            continue
        key = (header["journalCode"], header["transactionNumber"])
        debits, credits = sides.get(key, (0.0, 0.0))
        if round(debits - credits, 2) != 0:
            problems.append("G/L %s %s: debits %.2f, credits %.2f" % (key[0], key[1].strip(), debits, credits))
    debit_side = credit_side = 0.0
    for a in accounts.values():
        if a.get("type") != "D":
            continue
        if a.get("kind", 0) in DEBIT_KINDS:
            debit_side += a.get("currentBalance", 0.0)
        else:
            credit_side += a.get("currentBalance", 0.0)
    print("trial balance       debit kinds %14.2f   others    %14.2f" % (debit_side, credit_side))
    if round(debit_side - credit_side, 2) != 0:
        problems.append("trial balance: debit-balance accounts %.2f, the others %.2f" % (debit_side, credit_side))
    subledgers = {
        "customers": files.get("customers", []),
        "vendors": files.get("vendors", []),
        "products": [p for p in files.get("products", []) if carries_stock(p)],
    }
    for name, field_of_iface, subledger, field in (
            ("receivables", "receivablesAccount", "customers", "balance"),
            ("payables", "payablesAccount", "vendors", "balance"),
            ("inventory", "inventoryAccount", "products", "valueOnHand")):
        account = iface.get(field_of_iface, "").strip()
        if not account:
            print("%-11s account (none named)" % name)
            continue
        if account not in accounts:
            problems.append("%s: account %s is not in the chart of accounts" % (name, account))
            continue
        balance = round(accounts[account].get("currentBalance", 0.0), 2)
        total = round(sum(r.get(field, 0.0) for r in subledgers[subledger]), 2)
        print("%-11s account %-6s %14.2f   %-9s %14.2f" % (name, account, balance, subledger, total))
        if balance != total:
            problems.append("%s: account %s holds %.2f, the %s %.2f" % (name, account, balance, subledger, total))
    return problems


if __name__ == "__main__":
    found = check(json.load(open(sys.argv[1]))["files"])
    print("\n".join(found) if found else "invariants hold")
    sys.exit(1 if found else 0)
