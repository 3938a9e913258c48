#!/usr/bin/env python3
"""Billing, purchasing, inventory and assembly posting (commands 325, 324,
328, 326) through the main program of an installed tree, on the kinds of
line where the books most easily stop agreeing with themselves: products
that carry stock (types 1 and 3) and one that does not (type 2), services,
returns and credit memos, a header whose total is not what its lines book,
a payment by a check the register does not hold, a tax code without
accounts, an adjustment dated in a closed month.

Each case is a company written by qxload from fixtures/line_kinds_company.json
(changed as the case says), one or more commands run as a user runs them
(qxa15 <company> /only /cmd:N on a key script), and the company read back
with qxdump: after every run the accountant's invariants of
tests/support/books_invariants.py hold, and the figures are the case's.

    line_kinds_cli_test.py <build folder> <fixtures folder>

Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
"""
import contextlib
import copy
import io
import json
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import books_invariants  # noqa: E402

BUILD, FIXTURES = sys.argv[1], sys.argv[2]
MARCH = 2  # the period entry of March 2025 in the tax codes' totals
BASE = json.load(open(os.path.join(FIXTURES, "line_kinds_company.json")))
TRANSACTION_FILES = ("billing_headers", "billing_lines", "purchasing_headers", "purchasing_lines",
                     "inventory_transactions")

failures = []


# --- Running the programs -------------------------------------------------------------------

def install(work):
    if not os.access(os.path.join(BUILD, "shell", "qxa15"), os.X_OK):
        print("qxa15 is not built: skipped")
        sys.exit(77)
    prefix = os.path.join(work, "install")
    done = subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], capture_output=True, text=True)
    if done.returncode != 0:
        print(done.stdout, done.stderr)
        sys.exit(1)
    return os.path.join(prefix, "program")


class Company:
    """One company folder, loaded from a fixture, and the runs on it."""

    def __init__(self, fixture, name):
        self.folder = os.path.join(WORK, name)
        path = self.folder + ".json"
        with open(path, "w") as f:
            json.dump(fixture, f)
        subprocess.run([os.path.join(PROGRAM, "qxload"), path, self.folder], check=True, capture_output=True)

    def run(self, command, keys):
        """Runs command `command` on the key script `keys` (one key a word, texts in quotes);
        its exit status and its transcript, blanks and line ends as single blanks."""
        script = self.folder + "-keys"
        with open(script, "w") as f:
            f.write("\n".join(re.findall(r'"[^"]*"|\S+', keys)) + "\n")
        transcript = self.folder + "-%s.txt" % command
        env = dict(os.environ, QX_TODAY="2025-03-15", QX_KEYS=script, QX_TRANSCRIPT=transcript,
                   XDG_CONFIG_HOME=os.path.join(WORK, "config"), XDG_STATE_HOME=os.path.join(WORK, "state"))
        done = subprocess.run([os.path.join(PROGRAM, "qxa15"), self.folder, "/only", "/cmd:%s" % command],
                              env=env, capture_output=True, timeout=60)
        text = open(transcript, encoding="utf-8", errors="replace").read() if os.path.exists(transcript) else ""
        return done.returncode, " ".join(text.split())

    def files(self):
        dumped = subprocess.run([os.path.join(PROGRAM, "qxdump"), self.folder], check=True, capture_output=True)
        files = json.loads(dumped.stdout)["files"]
        files.pop("report_mru", None)
        return files


def invariants(files):
    with contextlib.redirect_stdout(io.StringIO()):
        return books_invariants.check(files)


def lines_of(files, journal):
    """The G/L lines of journal `journal`, summed per account and side: {"1300 D": 5.0}."""
    out = {}
    for line in files.get("gl_lines", []):
        if line["journalCode"].strip() == journal:
            key = "%s %s" % (line["account"].strip(), line["side"])
            out[key] = round(out.get(key, 0.0) + line.get("amount", 0.0), 2)
    return out


def record(files, name, key, value):
    return next((r for r in files.get(name, []) if str(r.get(key, "")).strip() == value), {})


def product(files, number):
    p = record(files, "products", "number", number)
    return p.get("quantityOnHand", 0.0), p.get("valueOnHand", 0.0)


def posted_flag(files, name, number):
    return record(files, name, "transactionNumber", number).get("postedFlag")


def balance(files, account):
    return record(files, "gl_accounts", "code", account).get("currentBalance", 0.0)


def summary(transcript):
    """The figures of a posting summary: (count, debits, credits), or None."""
    m = re.search(r"(\d+) transactions posted\. Debits (-?[\d.]+), credits (-?[\d.]+)\.", transcript)
    return (int(m.group(1)), float(m.group(2)), float(m.group(3))) if m else None


def expect(case, ok, what, *shown):
    if not ok:
        failures.append("%s: %s %s" % (case, what, " ".join(str(s) for s in shown)))


def expect_books(case, files, after):
    problems = invariants(files)
    expect(case, not problems, "after %s the invariants fail:" % after, problems)


# --- Companies -----------------------------------------------------------------------------

def masters(**changes):
    """The fixture's masters without its transactions; `changes` patch settings records
    (by key), e.g. interface={"glMode": "I"}, prefs={"glOnLine": "Y"}."""
    fixture = copy.deepcopy(BASE)
    for name in TRANSACTION_FILES:
        fixture["files"][name] = []
    keys = {"interface": "0Interface", "prefs": "0SysPrefs"}
    for which, patch in changes.items():
        for s in fixture["files"]["settings"]:
            if s["key"] == keys[which]:
                s.update(patch)
    return fixture


def transaction(fixture, billing, number, type_letter, items, tax_code="EX", taxable=0.0, tax=0.0, freight=0.0,
                total=None, **header):
    """Adds a billing (or purchasing) transaction of `items` ((kind, item, quantity, amount)); its total
    is what its lines, tax and freight come to unless given."""
    files = fixture["files"]
    prefix = "billing" if billing else "purchasing"
    gross = round(sum(i[3] for i in items), 2)
    for sequence, (kind, item, quantity, amount) in enumerate(items, 1):
        line = {"typeLetter": type_letter, "transactionNumber": number, "sequence": sequence, "lineKind": kind,
                "item": item, "description": item, "department": "01", "salesFraction": 1, "periodKey": 45716,
                "quantity": quantity, "amount": amount, "postedFlag": "N"}
        if not billing:
            line.update(purchaseUnitCost=round(amount / quantity, 4), secondQuantity=quantity)
        files[prefix + "_lines"].append(line)
    h = {"typeLetter": type_letter, "transactionNumber": number, "custVendCode": "C1" if billing else "V1",
         "closedFlag": "N", "entryFlag": "Y", "journalPrinted": "Y", "postedFlag": "N", "periodKey": 45716,
         "date": "2025-03-12", "name": "Party", "taxCode": tax_code, "taxableAmount": taxable, "tax": tax,
         "grossAmount": gross, "freight": freight, "onAccountFlag": "Y",
         "total": round(gross + tax + freight, 2) if total is None else total}
    h["netToPay"] = h["total"]
    h.update(header)
    files[prefix + "_headers"].append(h)
    return fixture


def bill(fixture, number, type_letter, items, **header):
    return transaction(fixture, True, number, type_letter, items, **header)


def buy(fixture, number, type_letter, items, **header):
    return transaction(fixture, False, number, type_letter, items, **header)


def adjust(fixture, number, item, kind, quantity, amount=None, date="2025-03-14", account="5200"):
    t = {"productCode": item, "transactionNumber": number.rjust(10), "date": date, "kind": kind, "source": "T",
         "reference": "Entered", "glAccount": account, "postedFlag": "N", "unitDivisor": 1, "salesUnitFactor": 1,
         "quantity": quantity}
    if amount is not None:
        t["extendedAmount"] = amount
    fixture["files"]["inventory_transactions"].append(t)
    return fixture


POST = "F10 Enter"               # post; the summary (or "nothing to post") answered
SKIP_ONE = "F10 Right Enter Enter"  # post; the one question answered Skip, then the summary
STOP = "F10 Enter"               # post; the question answered Stop


# --- The mixed company: 324, 325 and 328 ----------------------------------------------------

def test_the_mixed_company():
    """Purchases, a purchase return, an invoice, a return and a credit memo over products of types 1,
    2 and 3 and a service, then the inventory adjustments: the books agree after every command."""
    case = "the mixed company"
    c = Company(BASE, "mixed")
    status, t = c.run(324, POST)
    expect(case, status == 0, "324 exit status", status)
    expect(case, summary(t) == (2, 93.00, 93.00), "324 summary", summary(t), t[-300:])
    files = c.files()
    expect_books(case, files, "324")
    expect(case, lines_of(files, "PO") == {"1300 D": 65.0, "5000 D": 17.0, "2000 C": 82.0, "2000 D": 11.0,
                                           "5000 C": 1.0, "1300 C": 10.0}, "PO lines", lines_of(files, "PO"))
    status, t = c.run(325, POST)
    expect(case, summary(t) == (3, 131.93, 131.93), "325 summary", summary(t), t[-300:])
    files = c.files()
    expect_books(case, files, "325")
    tax = record(files, "tax_codes", "code", "ST")
    expect(case, (tax["billingTaxable"][MARCH], tax["billingTax"][MARCH]) == (51.0, 4.08),
           "ST's March totals (the credit memo takes off)", tax["billingTaxable"][MARCH], tax["billingTax"][MARCH])
    for number, stock in (("P1", (19.0, 52.25)), ("P3", (0.0, 0.0)), ("P4", (8.0, 80.0))):
        expect(case, product(files, number) == stock, number, product(files, number))
    expect(case, record(files, "customers", "code", "C1")["balance"] == 138.08, "C1's balance",
           record(files, "customers", "code", "C1")["balance"])
    status, t = c.run(328, SKIP_ONE)
    expect(case, "Product P3 of inventory transaction T3 (IA-IncQty.) carries no stock" in t, "328 question", t[-600:])
    expect(case, summary(t) == (2, 16.00, 16.00), "328 summary", summary(t))
    files = c.files()
    expect_books(case, files, "328")
    expect(case, posted_flag(files, "inventory_transactions", "T3") == "N", "T3 is left unposted")
    expect(case, balance(files, "1300") == 128.25, "inventory account", balance(files, "1300"))
    status, t = c.run(325, POST)
    expect(case, "Nothing was selected" in t, "a rerun posts nothing", t[-300:])


# --- A product that carries no stock ---------------------------------------------------------

NON_STOCK_CASES = [
    # name, company, command, keys, journal, its lines
    ("a purchase", buy(masters(), "2201", "I", [(1, "P3", 5, 5.00)]), 324, POST, "PO",
     {"5000 D": 5.0, "2000 C": 5.0}),
    ("a purchase return", buy(masters(), "2202", "R", [(1, "P3", 1, 1.00)]), 324, POST, "PO",
     {"2000 D": 1.0, "5000 C": 1.0}),
    ("a purchase, the general ledger on line", buy(masters(prefs={"glOnLine": "Y"}), "2201", "I",
                                                   [(1, "P3", 5, 5.00)]), 324, POST, "PO",
     {"5000 D": 5.0, "2000 C": 5.0}),
    ("a sale", bill(masters(), "1201", "I", [(1, "P3", 2, 8.00)]), 325, POST, "BI", {"1100 D": 8.0, "4000 C": 8.0}),
    ("a return", bill(masters(), "1202", "R", [(1, "P3", 1, 4.00)]), 325, POST, "BI",
     {"4100 D": 4.0, "1100 C": 4.0}),
    ("a credit memo", bill(masters(), "1203", "C", [(1, "P3", 1, 4.00)]), 325, POST, "BI",
     {"4100 D": 4.0, "1100 C": 4.0}),
    # Its item's cost-of-goods account (500001) is not in the chart: it has no cost to book there.
    ("a sale, booked per item", bill(masters(interface={"glMode": "I"}), "1201", "I", [(1, "P3", 2, 8.00)]), 325,
     POST, "BI", {"1100 D": 8.0, "400001 C": 8.0}),
    ("a sale, the general ledger on line", bill(masters(prefs={"glOnLine": "Y"}), "1201", "I",
                                                [(1, "P3", 2, 8.00)]), 325, POST, "BI",
     {"1100 D": 8.0, "4000 C": 8.0}),
    # Refused and skipped: nothing is posted ("nothing to post" answered).
    ("an inventory adjustment", adjust(masters(), "T3", "P3", "1", 20, 20.00), 328, SKIP_ONE, "IA", {}),
]


def test_a_product_that_carries_no_stock():
    for i, (name, fixture, command, keys, journal, lines) in enumerate(NON_STOCK_CASES):
        case = "no stock: " + name
        c = Company(fixture, "nonstock-%d" % i)
        status, t = c.run(command, keys)
        files = c.files()
        expect_books(case, files, command)
        expect(case, lines_of(files, journal) == lines, "lines", lines_of(files, journal), t[-400:])
        expect(case, product(files, "P3") == (0.0, 0.0), "P3 stays without stock", product(files, "P3"))
        if command == 328:
            expect(case, "carries no stock" in t and posted_flag(files, "inventory_transactions", "T3") == "N",
                   "the adjustment is refused and left unposted", t[-400:])


# --- A header whose total disagrees with its lines --------------------------------------------

TOTAL_CASES = [
    # name, company, command, keys, what is said, the marks afterwards (None: nothing is written)
    ("an invoice, stopped", bill(masters(), "1201", "I", [(1, "P1", 2, 20.00)], total=25.00), 325, STOP,
     "The total of Invoice 1201 is 25.00, but its lines, tax and freight come to 20.00.", None),
    ("an invoice, skipped; the next one posts",
     bill(bill(masters(), "1201", "I", [(1, "P1", 2, 20.00)], total=25.00), "1202", "I", [(1, "P4", 1, 18.00)]),
     325, SKIP_ONE, "The total of Invoice 1201 is 25.00", {"1201": "N", "1202": "Y"}),
    ("a credit memo leaving out its tax, skipped",
     bill(masters(), "1203", "C", [(1, "P1", 1, 10.00)], tax_code="ST", taxable=10.0, tax=0.80, total=10.00), 325,
     "F10 Right Enter", "The total of Billing return 1203 is 10.00, but its lines, tax and freight come to 10.80.",
     {"1203": "N"}),
    ("a purchase, stopped", buy(masters(), "2201", "I", [(1, "P1", 10, 25.00), (6, "S1", 1, 12.00)], total=25.00),
     324, STOP, "The total of Purchase 2201 is 25.00, but its lines, tax and freight come to 37.00.", None),
    ("a purchase return, skipped", buy(masters(), "2202", "R", [(1, "P4", 1, 10.00)], total=12.00), 324,
     "F10 Right Enter", "The total of Purchase return 2202 is 12.00", {"2202": "N"}),
    ("an invoice whose total is its lines, tax and freight",
     bill(masters(), "1201", "I", [(1, "P1", 2, 20.00)], tax_code="ST", taxable=20.0, tax=1.60, freight=5.00),
     325, POST, "1 transactions posted. Debits 32.60, credits 32.60.", {"1201": "Y"}),
]

# The file of the transactions each command posts.
POSTED_FILE = {324: "purchasing_headers", 325: "billing_headers", 326: "assembly_headers",
               328: "inventory_transactions"}


def expect_refusals(group, cases):
    """Runs each case of a table of refusals: what is said, the invariants, and either nothing written
    (marks None) or each transaction's posted flag as given."""
    for i, (name, fixture, command, keys, message, marks) in enumerate(cases):
        case = "%s: %s" % (group, name)
        c = Company(fixture, "%s-%d" % (group.replace(" ", "-"), i))
        before = c.files()
        status, t = c.run(command, keys)
        files = c.files()
        expect(case, message in t, "message", t[-600:])
        expect_books(case, files, command)
        # A stopped run did not do its work; one that skipped what it could
        # not post went through the rest.
        expect(case, status == (4 if marks is None else 0), "exit status", status)
        if marks is None:
            expect(case, files == before, "nothing is written")
            continue
        for number, mark in marks.items():
            got = posted_flag(files, POSTED_FILE[command], number)
            expect(case, got == mark, number, got)


def test_a_header_total_that_disagrees():
    expect_refusals("total", TOTAL_CASES)


# --- The tax codes' totals follow the G/L --------------------------------------------------------

TAX_CASES = [
    # name, company, command, totals (taxable, tax) of March: billing or purchasing
    ("an invoice adds", bill(masters(), "1201", "I", [(1, "P1", 2, 20.00)], tax_code="ST", taxable=20.0,
                             tax=1.60), 325, "billing", (20.0, 1.60)),
    ("a return takes off", bill(masters(), "1202", "R", [(1, "P1", 1, 10.00)], tax_code="ST", taxable=10.0,
                                tax=0.80), 325, "billing", (-10.0, -0.80)),
    ("a credit memo takes off", bill(masters(), "1203", "C", [(1, "P1", 1, 10.00)], tax_code="ST", taxable=10.0,
                                     tax=0.80), 325, "billing", (-10.0, -0.80)),
    ("a purchase adds", buy(masters(), "2201", "I", [(1, "P1", 10, 20.00)], tax_code="ST", taxable=20.0,
                            tax=1.00), 324, "purchasing", (20.0, 1.00)),
    ("a purchase return takes off", buy(masters(), "2202", "R", [(1, "P1", 1, 2.00)], tax_code="ST", taxable=2.0,
                                        tax=0.10), 324, "purchasing", (-2.0, -0.10)),
]


def test_the_tax_totals_follow_the_ledger():
    for i, (name, fixture, command, ledger, totals) in enumerate(TAX_CASES):
        case = "tax totals: " + name
        c = Company(fixture, "tax-%d" % i)
        c.run(command, POST)
        files = c.files()
        expect_books(case, files, command)
        tax = record(files, "tax_codes", "code", "ST")
        got = (tax.get(ledger + "Taxable", [0.0] * 26)[MARCH], tax.get(ledger + "Tax", [0.0] * 26)[MARCH])
        expect(case, got == totals, "March totals", got)
        # The same sign as the tax accounts took: tax owed (billing) or paid (purchasing) up or down.
        moved = balance(files, "2300") + balance(files, "2310") if ledger == "billing" else balance(files, "2330")
        expect(case, round(moved, 2) == totals[1], "the tax accounts moved by", moved)


# --- A payment by check -----------------------------------------------------------------------

CHECK_CASES = [
    # name, company, command, the check register afterwards: (check number, side, amount, state) per entry
    ("a purchase paid by a check the register does not hold",
     buy(masters(), "2601", "I", [(1, "P1", 2, 5.00)], amountPaid=3.00, checkNumber=555, paymentAccount="1000"),
     324, [("555", "C", 3.0, "Y"), ("777", "C", 3.0, "N")]),
    ("a purchase paid by a check the register holds",
     buy(masters(), "2601", "I", [(1, "P1", 2, 5.00)], amountPaid=3.00, checkNumber=777, paymentAccount="1000"),
     324, [("777", "C", 3.0, "Y")]),
    ("a purchase paid without a check number",
     buy(masters(), "2601", "I", [(1, "P1", 2, 5.00)], amountPaid=3.00, checkNumberText="", paymentAccount="1000"),
     324, [("", "C", 3.0, "Y"), ("777", "C", 3.0, "N")]),
    ("an invoice paid by the customer's check",
     bill(masters(), "1601", "I", [(1, "P1", 1, 10.00)], amountPaid=10.00, checkNumber=4411),
     325, [("4411", "D", 10.0, "Y"), ("777", "C", 3.0, "N")]),
]


def test_a_payment_reaches_the_check_register():
    for i, (name, fixture, command, entries) in enumerate(CHECK_CASES):
        case = "check register: " + name
        c = Company(fixture, "check-%d" % i)
        status, t = c.run(command, POST)
        files = c.files()
        expect_books(case, files, command)
        got = sorted((e.get("checkNumber", "").strip(), e.get("entrySide"), e.get("amount"), e.get("state"))
                     for e in files.get("check_register", []))
        expect(case, got == sorted(entries), "entries", got, t[-300:])


# --- Summaries tie to the ledger ----------------------------------------------------------------

def assembly_company():
    return json.load(open(os.path.join(FIXTURES, "assembly_post_company.json")))


def inventory_company():
    return json.load(open(os.path.join(FIXTURES, "inventory_post_company.json")))


SUMMARY_CASES = [
    # name, company, command, keys, journal, (posted, debits, credits)
    ("purchasing", BASE, 324, POST, "PO", (2, 93.00, 93.00)),
    ("assembly: two assemblies and a disassembly", assembly_company(), 326, "F10 Enter", "AS", (3, 240.00, 240.00)),
    ("inventory: stock-ins and stock-outs over two periods", inventory_company(), 328, '"043025" F10 Enter', "IA",
     (4, 110.00, 110.00)),
]


def test_the_summaries_tie_to_the_ledger():
    for i, (name, fixture, command, keys, journal, figures) in enumerate(SUMMARY_CASES):
        case = "summary: " + name
        c = Company(fixture, "summary-%d" % i)
        status, t = c.run(command, keys)
        files = c.files()
        lines = lines_of(files, journal)
        written = (round(sum(v for k, v in lines.items() if k.endswith(" D")), 2),
                   round(sum(v for k, v in lines.items() if k.endswith(" C")), 2))
        expect(case, summary(t) == figures, "summary", summary(t), t[-300:])
        expect(case, summary(t) is not None and summary(t)[1:] == written, "the lines written", written)


# --- No stock in an assembly or a count --------------------------------------------------------

def balanced(fixture):
    """`fixture` whose books agree to start with: the inventory account holds the value of the products
    that carry stock, and an equity account makes the trial balance hold."""
    fixture = copy.deepcopy(fixture)
    files = fixture["files"]
    inventory = next(s for s in files["settings"] if s["key"] == "0Interface")["inventoryAccount"]
    stock = sum(p.get("valueOnHand", 0.0) for p in files["products"] if books_invariants.carries_stock(p))
    debit_kinds = 0.0
    for a in files["gl_accounts"]:
        if a["code"] == inventory:
            a["currentBalance"] = stock
        debit_kinds += a.get("currentBalance", 0.0) * (1 if a["kind"] in books_invariants.DEBIT_KINDS else -1)
    files["gl_accounts"].append({"code": "3000", "name": "Owner's equity", "level": "1", "kind": 3, "type": "D",
                                 "currentBalance": round(debit_kinds, 2)})
    return fixture


def without_stock(fixture, number):
    for p in fixture["files"]["products"]:
        if p["number"] == number:
            p.update(productType=2, quantityOnHand=0, secondQuantityOnHand=0, valueOnHand=0.0)
    return fixture


def counted_gift_wrap():
    fixture = json.load(open(os.path.join(FIXTURES, "pi_post_company.json")))
    fixture["files"]["products"].append({"number": "GIFT", "description": "Gift wrap", "department": "HW",
                                         "purchaseUnitFactor": 1, "salesUnitFactor": 1, "productType": 2,
                                         "averageCost": 1.0})
    fixture["files"]["physical_counts"].append({"productCode": "GIFT", "printedFlag": "Y", "countedQuantity": 5})
    return balanced(fixture)


STOCKLESS_CASES = [
    # name, company, command, keys, what is said, the marks afterwards (None: nothing is written)
    ("an assembly consuming a component without stock, and a disassembly returning it, skipped",
     balanced(without_stock(assembly_company(), "TOP")), 326, "F10 Right Enter Right Enter Enter",
     "Product TOP of assembly 301 carries no stock: an assembly cannot take it from stock or put it into stock.",
     {"301": "N", "302": "N", "303": "Y"}),
    ("a count of a product without stock", counted_gift_wrap(), 327, "Enter F10 Enter",
     "Product GIFT carries no stock: its count cannot be posted.", None),
]


def test_no_stock_in_an_assembly_or_a_count():
    expect_refusals("no stock", STOCKLESS_CASES)


# --- Messages that say what to do ---------------------------------------------------------------

def closed_month_company():
    fixture = adjust(adjust(masters(), "T1", "P1", "1", 2, 6.00, date="2025-02-20"), "T2", "P4", "5", -1,
                     account="5100")
    return fixture


MESSAGE_CASES = [
    # name, company, command, keys, what is said, the marks afterwards (None: nothing is written)
    ("a tax code without accounts, skipped",
     bill(bill(masters(), "1201", "I", [(1, "P1", 2, 20.00)], tax_code="NOACC", taxable=20.0, tax=1.60), "1202",
          "I", [(1, "P4", 1, 18.00)]), 325, SKIP_ONE,
     "Tax code NOACC of Invoice 1201 names no billing tax account, so its tax cannot be booked.",
     {"1201": "N", "1202": "Y"}),
    ("a tax code without accounts, stopped",
     bill(masters(), "1201", "I", [(1, "P1", 2, 20.00)], tax_code="NOACC", taxable=20.0, tax=1.60), 325, STOP,
     "Tax code NOACC of Invoice 1201 names no billing tax account", None),
    ("a purchase's tax code without accounts, skipped",
     buy(masters(), "2201", "I", [(1, "P1", 10, 20.00)], tax_code="NOACC", taxable=20.0, tax=1.00), 324,
     "F10 Right Enter", "Tax code NOACC of Purchase 2201 names no purchasing tax account", {"2201": "N"}),
    ("an adjustment dated in a closed month, skipped", closed_month_company(), 328, SKIP_ONE,
     "Inventory transaction T1 (IA-IncQty., product P1) is dated 02/20/25, in period 2, which is closed.",
     {"T1": "N", "T2": "Y"}),
    ("an adjustment dated in a closed month, stopped", closed_month_company(), 328, STOP,
     "Inventory transaction T1 (IA-IncQty., product P1) is dated 02/20/25", None),
]


def test_messages_say_what_to_do():
    expect_refusals("message", MESSAGE_CASES)


if __name__ == "__main__":
    with tempfile.TemporaryDirectory(prefix="qxlinekinds") as WORK:
        PROGRAM = install(WORK)
        for test in (test_the_mixed_company, test_a_product_that_carries_no_stock, test_a_header_total_that_disagrees,
                     test_the_tax_totals_follow_the_ledger, test_a_payment_reaches_the_check_register,
                     test_the_summaries_tie_to_the_ledger, test_no_stock_in_an_assembly_or_a_count,
                     test_messages_say_what_to_do):
            test()
    print("\n".join("FAILED: " + f for f in failures) if failures else "passed")
    sys.exit(1 if failures else 0)
