"""The properties every command that writes keeps, read from two dumps of
the company (qxdump's "files"): the one before the command and the one
after.  Each check returns a list of `Violation`s; none means it holds.
"""
import collections
import datetime
import math
import struct
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import books_invariants  # noqa: E402

LARGEST = 9999999999.99
DEBIT_KINDS = (1, 5, 7)


class Violation:
    def __init__(self, prop, detail):
        self.prop = prop
        self.detail = detail

    def __repr__(self):
        return "%s: %s" % (self.prop, self.detail)


def parse_date(text):
    if not text or text == "0":
        return None
    return datetime.date.fromisoformat(text)


def iface(files):
    return next((s for s in files.get("settings", []) if s["key"].strip() == "0Interface"), {})


def periods_of(files):
    rec = next((s for s in files.get("settings", []) if s["key"].strip() == "0Periods"), {})
    out = []
    for i, e in enumerate(rec.get("entries", [])):
        if e.get("startDate"):
            out.append((i, e.get("status"), parse_date(e["startDate"]), parse_date(e["endDate"])))
    return out


def closed_ranges(files):
    return [(s, e) for _, status, s, e in periods_of(files) if status == "C"]


def in_ranges(d, ranges):
    return d is not None and any(s <= d <= e for s, e in ranges)


# ---- The four invariants -------------------------------------------------------------------

def invariants(files, receivables=(), payables=()):
    """`receivables`, `payables`: the chart's control accounts of each ledger
    beside the interface's and those the customers or vendors name (a
    customer purged takes its account out of neither the chart nor the
    ledger)."""
    out = []
    # Posted G/L transactions balance; the trial balance holds (the shared
    # check, whose inventory figure we replace by the stock products' below).
    for p in books_invariants_check(files):
        out.append(Violation("balanced G/L" if p.startswith("G/L") else "trial balance", p))
    # Control accounts: the receivables accounts together (the interface's
    # and every customer's own) hold the customers' balances; payables the
    # same; inventory the stock-carrying products' (types 1 and 3) value.
    accounts = {a["code"]: a.get("currentBalance", 0.0) for a in files.get("gl_accounts", [])}
    i = iface(files)
    for name, field, ledger, balance, chart in (
            ("receivables", "receivablesAccount", "customers", "balance", receivables),
            ("payables", "payablesAccount", "vendors", "balance", payables)):
        codes = {i.get(field, "").strip()} | {r.get("glAccount", "").strip() for r in files.get(ledger, [])}
        codes |= set(chart)
        codes.discard("")
        held = round(sum(accounts.get(c, 0.0) for c in codes), 2)
        owed = round(sum(r.get(balance, 0.0) for r in files.get(ledger, [])), 2)
        if held != owed:
            out.append(Violation(name + " control", "accounts %s hold %.2f, the %s %.2f"
                                 % ("+".join(sorted(codes)), held, ledger, owed)))
    inv = i.get("inventoryAccount", "").strip()
    if inv:
        held = round(accounts.get(inv, 0.0), 2)
        value = round(sum(p.get("valueOnHand", 0.0) for p in files.get("products", [])
                          if p.get("productType") in (1, 3)), 2)
        if held != value:
            out.append(Violation("inventory control", "account %s holds %.2f, the stock products %.2f"
                                 % (inv, held, value)))
    return out


def books_invariants_check(files):
    """The shared checks of the G/L, without its control-account lines
    (counted here with several accounts and the stock products only)."""
    import contextlib
    import io
    with contextlib.redirect_stdout(io.StringIO()):
        problems = books_invariants.check(files)
    return [p for p in problems if p.startswith("G/L") or p.startswith("trial balance")]


# ---- Closed periods -------------------------------------------------------------------------

PERIOD_ARRAYS = {"gl_accounts": ("code", ("periodAmounts",)),
                 "tax_codes": ("code", ("billingTaxable", "purchasingTaxable", "billingTax", "purchasingTax"))}


def entry_value(record, field, index):
    values = record.get(field, [])
    return round(values[index], 2) if index < len(values) else 0.0


def closed_periods_unchanged(before, after):
    """A closed period's amounts stay; nothing new is dated into one."""
    out = []
    closed_before = [(i, s) for i, status, s, _ in periods_of(before) if status == "C"]
    after_index = {s: i for i, _, s, _ in periods_of(after)}
    for file, (key, fields) in PERIOD_ARRAYS.items():
        later = {r[key]: r for r in after.get(file, [])}
        for r in before.get(file, []):
            other = later.get(r[key])
            if other is None:
                continue
            for i, start in closed_before:
                j = after_index.get(start)
                if j is None:
                    continue
                for f in fields:
                    if entry_value(r, f, i) != entry_value(other, f, j):
                        out.append(Violation("closed period", "%s %s %s of the closed period from %s: %.2f became %.2f"
                                             % (file, r[key], f, start, entry_value(r, f, i),
                                                entry_value(other, f, j))))
    # A record written dated into a closed period: one that was not there
    # before, field for field, but its amount.  A line left standing whose
    # amount alone moved is one paid down (a balance-forward close pays the
    # oldest forwarded lines off with the period's credits), which moves no
    # closed period's figures.
    ranges = closed_ranges(before)
    for file, date_field, ident in (("gl_lines", "date", ("journalCode", "transactionNumber")),
                                    ("gl_headers", "date", ("journalCode", "transactionNumber")),
                                    ("inventory_transactions", "date", ("productCode", "transactionNumber")),
                                    ("ar_open_invoices", "invoiceDate", ("code", "invoiceNumber")),
                                    ("ap_open_invoices", "invoiceDate", ("code", "invoiceNumber")),
                                    ("check_register", "date", ("bankAccount", "checkNumber"))):
        old = {canonical(r, but=("amount",)) for r in before.get(file, [])}
        for r in after.get(file, []):
            if canonical(r, but=("amount",)) in old:
                continue
            d = parse_date(r.get(date_field))
            if in_ranges(d, ranges):
                out.append(Violation("dated into a closed period", "%s %s written dated %s"
                                     % (file, " ".join(str(r.get(k, "")).strip() for k in ident), d)))
    # A transaction posted by the command whose date lies in a closed period.
    for file in POSTED_HEADERS:
        old = {ident_of(file, r): r for r in before.get(file, [])}
        for r in after.get(file, []):
            o = old.get(ident_of(file, r))
            if o is None or o.get("postedFlag") == r.get("postedFlag") or r.get("postedFlag") != "Y":
                continue
            d = parse_date(r.get("date"))
            if in_ranges(d, ranges):
                out.append(Violation("dated into a closed period", "%s %s of %s, in a closed period, was posted"
                                     % (file, ident_of(file, r), d)))
    return out


def canonical(record, but=()):
    return repr(sorted((k, v) for k, v in record.items() if k not in but))


# ---- Nothing lost -----------------------------------------------------------------------------

# How a record is known, file by file: the fields that name it.
IDENTS = {
    "gl_headers": ("journalCode", "transactionNumber"),
    "gl_lines": ("journalCode", "transactionNumber", "lineNumber"),
    "ar_headers": ("transactionNumber",), "ap_headers": ("transactionNumber",),
    "cash_headers": ("journalCode", "transactionNumber"),
    "billing_headers": ("typeLetter", "transactionNumber", "keyPart"),
    "purchasing_headers": ("typeLetter", "transactionNumber", "keyPart"),
    "order_headers": ("typeLetter", "transactionNumber", "keyPart"),
    "billing_lines": ("typeLetter", "transactionNumber", "keyPart", "sequence"),
    "purchasing_lines": ("typeLetter", "transactionNumber", "keyPart", "sequence"),
    "order_lines": ("typeLetter", "transactionNumber", "keyPart", "sequence"),
    "assembly_headers": ("transactionNumber",),
    "assembly_components": ("transactionNumber", "componentCode"),
    "customers": ("code",), "vendors": ("code",), "products": ("number",), "services": ("code",),
    "gl_accounts": ("code",), "tax_codes": ("code",), "salespersons": ("code",),
    "ar_open_invoices": ("code", "invoiceNumber", "itemNumber"),
    "ap_open_invoices": ("code", "invoiceNumber", "itemNumber"),
    "physical_counts": ("productCode",),
    "sales_history": ("typeLetter", "transactionNumber", "sequence", "customerCode", "date"),
    "inventory_transactions": ("productCode", "transactionNumber", "date", "kind", "source"),
    "check_register": ("bankAccount", "checkNumber", "transactionNumber"),
    "bills_of_materials": ("assemblyNumber", "componentNumber"),
    "settings": ("key",), "transaction_numbers": ("journalCode",),
    "ar_details": ("transactionNumber", "account", "side"), "ap_details": ("transactionNumber", "account", "side"),
    "cash_lines": ("journalCode", "transactionNumber", "invoiceNumber", "glAccount"),
    "ar_open_invoice_headers": ("code", "invoiceNumber"), "ap_open_invoice_headers": ("code", "invoiceNumber"),
    "vendor_1099_amounts": ("vendorCode", "taxYear"), "customer_addresses": ("code",),
    "message_codes": ("code",), "terms": ("code",), "billing_codes": ("code",), "purchasing_codes": ("code",),
}
POSTED_HEADERS = ("gl_headers", "ar_headers", "ap_headers", "billing_headers", "purchasing_headers",
                  "assembly_headers")

# Lines and the header each belongs to: (line file, header file, fields of
# the line naming the header, the header's fields they match).
PAIRS = [
    ("gl_lines", "gl_headers", ("journalCode", "transactionNumber"), ("journalCode", "transactionNumber")),
    ("ar_details", "ar_headers", ("transactionNumber",), ("transactionNumber",)),
    ("ap_details", "ap_headers", ("transactionNumber",), ("transactionNumber",)),
    ("cash_lines", "cash_headers", ("journalCode", "transactionNumber"), ("journalCode", "transactionNumber")),
    ("billing_lines", "billing_headers", ("transactionNumber", "keyPart"), ("transactionNumber", "keyPart")),
    ("purchasing_lines", "purchasing_headers", ("transactionNumber", "keyPart"), ("transactionNumber", "keyPart")),
    ("order_lines", "order_headers", ("transactionNumber", "keyPart"), ("transactionNumber", "keyPart")),
    ("assembly_components", "assembly_headers", ("transactionNumber",), ("transactionNumber",)),
]


def ident_of(file, record):
    fields = IDENTS.get(file)
    if fields is None:
        return canonical(record)
    return tuple(str(record.get(f, "")).strip() for f in fields)


def removed(before, after, file):
    if file not in IDENTS:
        # A file whose records nothing names: a record is gone when no record
        # like it, field for field, is left (one for one).
        left = collections.Counter(canonical(r) for r in after.get(file, []))
        gone = []
        for r in before.get(file, []):
            if left[canonical(r)]:
                left[canonical(r)] -= 1
            else:
                gone.append(r)
        return gone
    now = {ident_of(file, r) for r in after.get(file, [])}
    return [r for r in before.get(file, []) if ident_of(file, r) not in now]


def awaits_receipts(line):
    return line.get("receiptLink", 0) != 0 and line.get("secondQuantity", 0) > 0 and \
        line.get("quantity", 0) < line.get("secondQuantity", 0)


def open_orders(files):
    """The purchase orders that still wait for goods: not closed, with a
    line linked to its receipts that received less than it ordered."""
    waiting = {(l["transactionNumber"].strip(), l.get("keyPart", 0)) for l in files.get("order_lines", [])
               if awaits_receipts(l)}
    return [h for h in files.get("order_headers", [])
            if h.get("closedFlag") not in ("Y",) and (h["transactionNumber"].strip(), h.get("keyPart", 0)) in waiting]


def nothing_lost(before, after, allowed):
    """`allowed(file, record)`: whether the command's rule removes it."""
    out = []
    for file in sorted(set(before) | set(after)):
        if file in ("audit_log", "autocomplete"):
            continue
        for r in removed(before, after, file):
            if not allowed(file, r):
                out.append(Violation("nothing lost", "%s %s is gone" % (file, ident_of(file, r))))
    for h in open_orders(before):
        key = ident_of("order_headers", h)
        if key not in {ident_of("order_headers", x) for x in after.get("order_headers", [])}:
            out.append(Violation("open purchase order", "open purchase order %s is gone" % (key,)))
    for line_file, header_file, lf, hf in PAIRS:
        headers_after = {tuple(str(h.get(f, "")).strip() for f in hf) for h in after.get(header_file, [])}
        headers_before = {tuple(str(h.get(f, "")).strip() for f in hf) for h in before.get(header_file, [])}
        lines_before = {tuple(str(l.get(f, "")).strip() for f in lf) for l in before.get(line_file, [])}
        lines_after = {tuple(str(l.get(f, "")).strip() for f in lf) for l in after.get(line_file, [])}
        for key in sorted(lines_after - headers_after):
            if key in headers_before or key not in lines_before:
                out.append(Violation("line without its header", "%s %s has no header in %s"
                                     % (line_file, key, header_file)))
        for key in sorted((headers_after & lines_before) - lines_after):
            out.append(Violation("header without its lines", "%s %s lost its lines in %s"
                                 % (header_file, key, line_file)))
    return out


# ---- Sound fields ------------------------------------------------------------------------------

def unsound_numbers(files):
    out = []

    def walk(value, where):
        if isinstance(value, bool):
            return
        if isinstance(value, (int, float)):
            if not math.isfinite(value) or abs(value) > LARGEST:
                out.append(Violation("money bound", "%s holds %r" % (where, value)))
        elif isinstance(value, dict):
            if "hex" in value and len(value) == 1:
                # The dumper writes as hex what its field's natural form cannot
                # hold: a number that is not finite or beyond the bound, or a
                # text without its terminator (which is no fault).
                raw = bytes.fromhex(value["hex"])
                if len(raw) in (4, 8):
                    number = struct.unpack("<d" if len(raw) == 8 else "<f", raw)[0]
                    if not math.isfinite(number) or abs(number) > LARGEST:
                        out.append(Violation("money bound", "%s holds %r" % (where, number)))
                return
            for k, v in value.items():
                walk(v, where + "." + k)
        elif isinstance(value, list):
            for i, v in enumerate(value):
                walk(v, "%s[%d]" % (where, i))

    for file, records in files.items():
        for n, r in enumerate(records):
            walk(r, "%s #%d" % (file, n + 1))
    return out


TEXT_FIELDS = {"customers": ("code", "name", "phone1", "phone2", "fax", "zipCode", "contact", "addressLines"),
               "vendors": ("code", "name", "phone1", "phone2", "fax", "zipCode", "idNumber"),
               "products": ("number", "description", "vendor", "warehouse", "bin"),
               "customer_addresses": ("code", "phones", "addressLines"),
               "services": ("code", "description"), "gl_accounts": ("code", "name")}


def texts_kept(before, after, changing=()):
    """No phone, code or text field changes, but those in `changing`
    ((file, field) pairs) -- the named field of a global change."""
    out = []
    for file, fields in TEXT_FIELDS.items():
        later = {ident_of(file, r): r for r in after.get(file, [])}
        for r in before.get(file, []):
            o = later.get(ident_of(file, r))
            if o is None:
                continue
            for f in fields:
                if (file, f) in changing:
                    continue
                if r.get(f, "") != o.get(f, ""):
                    out.append(Violation("text damaged", "%s %s %s: %r became %r"
                                         % (file, ident_of(file, r), f, r.get(f, ""), o.get(f, ""))))
    return out


def only_field_changed(before, after, file, fields):
    """Every record of every file as it was, but `fields` of `file`."""
    out = []
    for f in sorted(set(before) | set(after)):
        if f in ("audit_log", "autocomplete"):
            continue
        if f != file and f not in ("customer_addresses", "vendor_addresses"):
            if before.get(f, []) != after.get(f, []):
                out.append(Violation("only the named field", "file %s changed" % f))
            continue
        if f != file:
            continue
        for a, b in zip(before.get(f, []), after.get(f, [])):
            for k in set(a) | set(b):
                if k not in fields and a.get(k) != b.get(k):
                    out.append(Violation("only the named field", "%s %s %s: %r became %r"
                                         % (f, ident_of(f, a), k, a.get(k), b.get(k))))
    return out


# ---- Exactly once --------------------------------------------------------------------------------

def figures(files):
    """What a posting moves, for comparing a killed-and-rerun run with one
    that ran through."""
    out = {}
    for a in files.get("gl_accounts", []):
        out["gl " + a["code"]] = round(a.get("currentBalance", 0.0), 2)
    for f in ("customers", "vendors"):
        for r in files.get(f, []):
            out["%s %s" % (f, r["code"])] = round(r.get("balance", 0.0), 2)
    for p in files.get("products", []):
        out["product %s" % p["number"]] = (round(p.get("quantityOnHand", 0.0), 4), round(p.get("valueOnHand", 0.0), 2))
    for f in POSTED_HEADERS:
        for h in files.get(f, []):
            out["%s %s" % (f, ident_of(f, h))] = h.get("postedFlag")
    for f in ("physical_counts", "ar_open_invoices", "ap_open_invoices", "order_headers", "billing_headers"):
        out["count " + f] = len(files.get(f, []))
    return out


def differences(a, b):
    keys = sorted(set(a) | set(b))
    return ["%s: %r / %r" % (k, a.get(k), b.get(k)) for k in keys if a.get(k) != b.get(k)]


# ---- Price assignment ------------------------------------------------------------------------

def prices_assigned(before, after, expected):
    """`expected`: product number -> (how, price) for every listed product:
    "as it was" keeps its price exactly, "rule" and "typed" take the price
    given (to the double nearest it); a product not listed keeps its price."""
    out = []
    was = {p["number"]: p.get("sellingPrice", 0.0) for p in before.get("products", [])}
    for p in after.get("products", []):
        number, price = p["number"], p.get("sellingPrice", 0.0)
        how, want = expected.get(number, ("not listed", was.get(number, 0.0)))
        if how in ("as it was", "not listed"):
            good = price == want
        else:
            good = abs(price - want) <= 1e-9 * max(1.0, abs(want))
        if not good:
            out.append(Violation("price assignment", "product %s (%s): price %r, not %r" % (number, how, price, want)))
    return out


# The adjustment kinds that bring stock or value in; '5' is priced from the
# product, every other kind takes value out.
STOCK_IN_KINDS = ("1", "6", "7")


def adjustments_valued(before, after):
    """After inventory posting: each product's value moved by the amounts of
    the entered adjustments the run posted, in for a kind that brings value
    in and out for the others, whatever sign the amount was entered with.
    A product with a stock-out ('5', priced from the product) is left out."""
    posted = {}
    was = {(t["productCode"], t.get("transactionNumber")): t for t in before.get("inventory_transactions", [])
           if t.get("source") == "T" and t.get("postedFlag") == "N" and t.get("secondSource") != "D"}
    for t in after.get("inventory_transactions", []):
        key = (t["productCode"], t.get("transactionNumber"))
        if key in was and t.get("postedFlag") == "Y":
            posted.setdefault(t["productCode"], []).append(was[key])
    out = []
    value_before = {p["number"]: p.get("valueOnHand", 0.0) for p in before.get("products", [])}
    for p in after.get("products", []):
        moved = posted.get(p["number"])
        if not moved or any(t.get("kind") == "5" for t in moved):
            continue
        want = 0.0
        for t in moved:
            amount = abs(round(t.get("extendedAmount", 0.0), 2))
            want += amount if t.get("kind") in STOCK_IN_KINDS else -amount
        got = p.get("valueOnHand", 0.0) - value_before.get(p["number"], 0.0)
        if abs(got - want) > 0.006 * len(moved):
            out.append(Violation("adjustments valued", "product %s moved by %.2f, its adjustments %s by %.2f"
                                 % (p["number"], got, [(t.get("kind"), t.get("extendedAmount")) for t in moved],
                                    want)))
    return out


def selection_shown(listed, transcript):
    """A selection that lists products shows them; one that lists none says so."""
    said = "Nothing was selected" in transcript
    if listed == said:
        return [Violation("price assignment", "the selection lists %s, yet the screen %s"
                          % (("products", "says nothing was selected") if listed else ("none", "lists some")))]
    return []


# ---- Posting summaries --------------------------------------------------------------------------

def summary_ties(before, after, transcript):
    """The summary a posting shows ("Debits d, credits c.") is what it wrote
    to the ledger: the debits and credits of the G/L lines it wrote, and of
    the transactions it marked posted (but those deleted in entry, which are
    marked and post nothing)."""
    import re
    out = []
    shown = re.findall(r"Debits (-?[\d.]+), credits (-?[\d.]+)\.", transcript)
    if len(shown) != 1:
        return out
    old_lines = {ident_of("gl_lines", l) for l in before.get("gl_lines", [])}
    was_posted = {ident_of("gl_headers", h) for h in before.get("gl_headers", []) if h.get("postedFlag") == "Y"}
    now_posted = {ident_of("gl_headers", h)[:2] for h in after.get("gl_headers", [])
                  if h.get("postedFlag") == "Y" and ident_of("gl_headers", h) not in was_posted
                  and h.get("reference", "").strip() != "DELETED"}
    sides = {"D": 0.0, "C": 0.0}
    for l in after.get("gl_lines", []):
        key = ident_of("gl_lines", l)
        if key not in old_lines or key[:2] in now_posted:
            sides[l.get("side", "D")] = sides.get(l.get("side", "D"), 0.0) + l.get("amount", 0.0)
    debits, credits = (float(x) for x in shown[0])
    if round(debits - sides["D"], 2) != 0 or round(credits - sides["C"], 2) != 0:
        out.append(Violation("posting summary", "the summary shows debits %.2f, credits %.2f; the lines written "
                             "debit %.2f, credit %.2f" % (debits, credits, sides["D"], sides["C"])))
    return out
