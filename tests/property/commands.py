"""The commands that write, as a user runs them in command-only mode: each
command's number, its key script, what its run says when it did its work
or found nothing to do, and which records its rule may remove.
"""
import datetime
import math

# Cash posting (323) is not part of this system: it says so and ends.
POSTINGS = {320: "G/L", 321: "receivables", 322: "payables", 324: "purchasing", 325: "billing",
            326: "assembly", 327: "physical inventory", 328: "inventory"}
# The unposted work of each posting: the file whose records it posts.
POSTED_FILES = {320: "gl_headers", 321: "ar_headers", 322: "ap_headers", 324: "purchasing_headers",
                325: "billing_headers", 326: "assembly_headers", 328: "inventory_transactions"}
PERIOD_ENDS = {360: "G/L end of period", 365: "receivables end of period", 370: "payables end of period"}
ROLLS = {369: "customers", 374: "vendors", 384: "products and services"}
FORECASTS = {367: "customers", 372: "vendors", 382: "products"}

DONE = ["transactions posted.", "The periods up to this date are closed.", "end of period is complete.",
        "The year-end processing is complete.", "The purge is complete.", "The change has been made.",
        "Records changed: ", "report: Finance Charges", "Forecast Calculation (accepted)",
        "Price Assignment (accepted)"]
NOTHING = ["Nothing was selected", "Nothing was posted: every unposted transaction of the period is held."]

# A question of a posting answered Stop, as the transcript writes it.
STOPPED = "answer: [Stop]"
# The postings that ask about every transaction before they post any, so
# that a stop leaves the company as it was; the others keep what they
# posted before the stop.
STOP_POSTS_NOTHING = (327, 328)


def typed(d):
    return '"%s"' % d.strftime("%m/%d/%y")


# A posting asks Stop or Skip about a transaction it cannot post (a total
# that disagrees with its lines, a product that carries no stock, a date in
# a closed period...).  "skip" answers each question Skip ("S", the first
# button beginning with it; a box without such a button lets the key pass)
# and posts the others; "stop" answers the first one with Enter, on Stop.
# The last Enter closes the summary.
QUESTIONS = 12  # more than the questions one run of a generated company asks


def posting_keys(d, answer="skip"):
    return [typed(d), "F10"] + (['"S"'] * QUESTIONS if answer == "skip" else []) + ["Enter"]


def dated_keys(d):
    return [typed(d), "F10", "Enter"]


def year_close_keys():
    return ["Enter", "F10", "Enter"]


def roll_keys():
    return ["Enter", "Enter"]


def forecast_keys(method):
    return ["Space"] * method + ["F10", "Enter"]


# The purge's kinds: the letter that chooses it, its entry (window, cut-off
# or none), and the files its rule removes from.
PURGE_KINDS = {
    "G": ("window", ("gl_headers", "gl_lines")),
    "R": ("window", ("ar_headers", "ar_details")),
    "Y": ("window", ("ap_headers", "ap_details")),
    "C": ("window", ("cash_headers", "cash_lines")),
    "H": ("window", ("order_headers", "order_lines")),
    "U": ("window", ("purchasing_headers", "purchasing_lines")),
    "B": ("window", ("billing_headers", "billing_lines")),
    "L": ("window", ("sales_history",)),
    "A": ("window", ("assembly_headers", "assembly_components")),
    "T": ("window", ("customer_history", "customer_history_details")),
    "V": ("window", ("vendor_history", "vendor_history_details")),
    "O": ("cutoff", ("inventory_transactions",)),
    "M": ("cutoff", ("customers", "customer_user_data")),
    "D": ("cutoff", ("vendors", "vendor_user_data")),
    "S": ("cutoff", ("services", "service_user_data")),
    # By the last sales (or purchase) date, and Through.
    "P": ("products", ("products", "product_user_data")),
    # A bank account, and Through.
    "K": ("register", ("check_register",)),
}
BANK = "1000"  # the bank account of the check register's purge


def purge_keys(letter, first, last, by="S"):
    entry, _ = PURGE_KINDS[letter]
    keys = ['"%s"' % letter, "Enter"]
    if entry == "window":
        keys += [typed(first), "Enter", typed(last)]
    elif entry == "products":
        keys += ['"%s"' % by, "Enter", typed(last)]
    elif entry == "register":
        keys += ['"%s"' % BANK, "Enter", typed(last)]
    else:
        keys += [typed(last)]
    return keys + ["F10", "Enter", "Esc"]


def pending_codes(before):
    """The codes, upper case, that work still to post surely names in the
    company `before`: a master purge keeps them.  (The purge keeps more: the
    lines of an order or of an 'O' billing header are not followed here.)"""
    def unposted(r):
        return r.get("postedFlag") != "Y" and r.get("reference", "").strip() != "DELETED"
    codes = set()
    for f in ("ar_headers", "ap_headers"):
        codes |= {r.get("custVendCode", "").strip() for r in before.get(f, []) if unposted(r)}
    for headers, lines in (("billing_headers", "billing_lines"), ("purchasing_headers", "purchasing_lines")):
        waiting = set()
        for h in before.get(headers, []):
            if h.get("postedFlag") != "Y" and h.get("closedFlag") != "Y":
                codes.add(h.get("custVendCode", "").strip())
                waiting.add((h.get("typeLetter"), h.get("transactionNumber", "").strip(), h.get("keyPart", 0)))
        codes |= {l.get("item", "").strip() for l in before.get(lines, [])
                  if l.get("lineKind") in (1, 2, 3, 6)
                  and (l.get("typeLetter"), l.get("transactionNumber", "").strip(), l.get("keyPart", 0)) in waiting}
    assemblies = set()
    for a in before.get("assembly_headers", []):
        if a.get("postedFlag") != "Y" and a.get("reference", "").strip() != "DELETED":
            codes.add(a.get("productCode", "").strip())
            assemblies.add(a.get("transactionNumber", "").strip())
    codes |= {c.get("componentCode", "").strip() for c in before.get("assembly_components", [])
              if c.get("transactionNumber", "").strip() in assemblies}
    codes |= {t.get("productCode", "").strip() for t in before.get("inventory_transactions", [])
              if t.get("postedFlag", "N") in ("N", "n", "")}
    return {c.upper() for c in codes if c}


def purge_removes(letter, first, last, before, by="S"):
    """Whether the purge of kind `letter` (window `first`-`last`, or cut-off
    `last`) may remove record `r` of file `f` of the company `before`: the
    purge's rule for each kind."""
    import properties as P
    entry, files = PURGE_KINDS[letter]
    headers = files[0]

    def on_or_before(value):
        d = P.parse_date(value)
        return d is not None and d <= last

    def nothing(r, *fields):
        return all(round(r.get(f, 0.0), 2) == 0 for f in fields)

    open_items = {r["code"].strip() for f in ("ar_open_invoices", "ap_open_invoices") for r in before.get(f, [])}
    pending = pending_codes(before)
    in_bills = {r.get(k, "").strip() for r in before.get("bills_of_materials", [])
                for k in ("assemblyNumber", "componentNumber")}

    def allowed(f, r):
        if f not in files:
            return False
        if f != headers:
            return True  # the lines and user data of what goes
        if entry == "window":
            d = P.parse_date(r.get("date"))
            if d is not None and not first <= d <= last:
                return False
            if letter in "GRYCA":
                return r.get("postedFlag") == "Y" or r.get("reference", "").strip() == "DELETED"
            if letter in "UB":
                return r.get("postedFlag") == "Y" or r.get("closedFlag") == "Y"
            return True
        if letter in "MD":
            return (on_or_before(r.get("lastInvoiceDate")) and r["code"].strip() not in open_items
                    and r["code"].strip().upper() not in pending
                    and nothing(r, "periodStartBalance", "periodDebits", "periodCredits", "balance"))
        if letter == "S":
            return (on_or_before(r.get("lastSaleDate")) and r["code"].strip() not in in_bills
                    and r["code"].strip().upper() not in pending)
        if letter == "O":
            return r.get("postedFlag") == "Y" and on_or_before(r.get("date"))
        if letter == "P":
            return (on_or_before(r.get("lastSaleDate" if by == "S" else "lastPurchaseDate"))
                    and nothing(r, "valueOnHand", "quantityOnHand", "secondQuantityOnHand", "purgeHold")
                    and r.get("assemblyFlag") != "Y" and r["number"].strip() not in in_bills
                    and r["number"].strip().upper() not in pending)
        if letter == "K":
            return r.get("bankAccount", "").strip() == BANK and r.get("state") == "Y" and on_or_before(r.get("date"))
        return False
    return allowed


# Global change: entity (Right presses from Customer), its fields by
# (name, record field(s), kind of value, number of conditions).
GLOBAL_FIELDS = {
    0: ("customers", [("Account Type", ("accountType",), "choice:3", 1),
                      ("Finance Charge", ("financeChargeRate",), "number", 2),
                      ("Minimum Finance Charge", ("minimumFinanceCharge",), "number", 3),
                      ("Area Code", ("phone1", "phone2", "fax"), "area", 2),
                      ("Tax Code", ("taxCode",), "code:ST,CT,EX", 3),
                      ("Salesperson", ("salesperson",), "code:S1,S2", 4),
                      ("Term Code", ("termsCode",), "code:N30,2N10", 2),
                      ("A/R Account", ("glAccount",), "code:1100,1110", 2),
                      ("Message Code", ("messageCode",), "code:THANK,PAST", 2),
                      ("Credit Limit", ("creditLimit",), "number", 2)]),
    1: ("vendors", [("Account Type", ("accountType",), "choice:3", 1),
                    ("Area Code", ("phone1", "phone2", "fax"), "area", 3),
                    ("A/P Account", ("glAccount",), "code:2000,2010", 2),
                    ("Message Code", ("messageCode",), "code:THANK,PAST", 2)]),
    # A product made non-stock has its costs cleared with its type.
    2: ("products", [("Inventory Type", ("productType", "lastCost", "standardCost", "averageCost"), "choice:3", 1),
                     ("Recall By", ("recallBy",), "choice:3", 1),
                     ("Commissionable", ("commissionable",), "choice:2", 1),
                     ("Serialized", ("serialized",), "choice:2", 1)]),
    3: ("salespersons", [("Rate", ("rate",), "number", 2), ("Amount", ("amount",), "number", 2)]),
}


def global_keys(entity, field, value_keys, condition, first, last):
    def text(t):
        return ['"%s"' % t] if t else []
    return (["Right"] * entity + ["Enter"] + ["Right"] * field + ["Enter"] + value_keys + ["Enter"] +
            ["Right"] * condition + ["Enter"] + text(first) + ["Enter"] + text(last) + ["F10", "Enter", "Esc"])


def said_done(transcript):
    return any(m in transcript for m in DONE + NOTHING)


# ---- Price assignment (380) ----------------------------------------------------------
#
# The screen selects products by two criteria with From/To ranges (a letter
# chooses each), lists them one line each (sign, amount, new price), and F10
# writes the listed products' new prices.  The model below says which
# products a selection lists and what price a line's rule gives, as a user
# reads it off the screen.

# The criteria this test chooses: letter -> (the product's field, kind).
PRICE_FIRST = {"N": ("number", "text"), "D": ("description", "text"), "B": ("bin", "text"),
               "V": ("vendor", "text")}
PRICE_SECOND = {"N": ("number", "text"), "T": ("salesUnits", "units"), "S": ("salesDollars", "dollars"),
                "P": ("purchaseUnits", "units"), "H": ("purchaseDollars", "dollars"),
                "L": ("lastSaleDate", "date"), "U": ("lastPurchaseDate", "date")}
THIS_YEAR = 2  # the slot of this year in a product's statistics


def price_criterion_value(product, letter, table):
    field, kind = table[letter]
    if kind == "text":
        return str(product.get(field, "")).strip().casefold()
    if kind == "date":
        return product.get(field) or ""
    values = product.get(field, [])
    value = values[THIS_YEAR] if len(values) > THIS_YEAR else 0.0
    if kind == "units":
        factor = product.get("purchaseUnitFactor" if field == "purchaseUnits" else "salesUnitFactor", 1) or 1
        value = value / factor
    return value


def price_in_range(product, letter, table, low, high):
    """The range test: an empty end is open; texts compare without regard to
    case, dates as dates (an empty date is before every date)."""
    value = price_criterion_value(product, letter, table)
    kind = table[letter][1]
    if kind == "text":
        low, high = low.casefold(), high.casefold()
    elif kind == "date":
        low = low and low.isoformat()
        high = high and high.isoformat()
    else:
        low = float(low) if low != "" else ""
        high = float(high) if high != "" else ""
    if low not in ("", None) and low > value:
        return False
    if high not in ("", None) and high < value:
        return False
    return True


def price_listed(products, first, second):
    """The products a selection lists, in the order of the list (the first
    criterion's), or None when that order is not certain (two listed
    products alike in the first criterion)."""
    (l1, low1, high1), (l2, low2, high2) = first, second
    rows = [p for p in products if price_in_range(p, l1, PRICE_FIRST, low1, high1)
            and price_in_range(p, l2, PRICE_SECOND, low2, high2)]
    keys = [price_criterion_value(p, l1, PRICE_FIRST) for p in rows]
    if len(set(keys)) != len(keys):
        return rows, False
    return [p for _, p in sorted(zip(keys, rows), key=lambda kr: kr[0])], True


def num_round(value, decimals):
    """The system's rounding: of the decimal number a double stands for (its
    15 significant digits), halves away from zero."""
    import decimal
    if value == 0 or not math.isfinite(value):
        return value
    d = decimal.Decimal("%.15g" % value).quantize(decimal.Decimal(1).scaleb(-decimals), decimal.ROUND_HALF_UP)
    return float(d)


def price_fits(price):
    """Whether a price fits the line's new-price field (10 characters, 3 decimals)."""
    return len("%.3f" % num_round(price, 3)) <= 10


def price_by_rule(product, sign, amount):
    """The new price of a line: from the last cost as the line shows it
    (3 decimals), per sales unit; '%' a margin on the price, '$' an amount on
    the cost.  None when the rule gives no price the line can take (a margin
    of 100% or more, a price too wide for the line)."""
    cost = float("%.3f" % product.get("lastCost", 0.0))
    base = cost / (product.get("purchaseUnitFactor", 1) or 1) * (product.get("salesUnitFactor", 1) or 1)
    if sign == "%":
        if amount >= 100.0:
            return None
        divisor = 1.0 - amount / 100.0
        price = num_round(base / divisor if divisor != 0 else 0.0, 4)
    else:
        price = num_round(base + amount, 4)
    return price if price_fits(price) else None


def price_keys(first, second, lines, leave=False):
    """The selection (each criterion's letter, From and To), then the lines:
    each None (passed with Enter), ("typed", price) typed over the new price,
    or (sign, amount, refused): a rule, which when refused is answered and
    put back to a zero amount; then F10 (or Esc and Yes to leave unsaved)."""
    def text(t):
        if isinstance(t, datetime.date):
            t = t.strftime("%m%d%y")
        return ['"%s"' % t] if t else []
    keys = []
    for letter, low, high in (first, second):
        keys += ['"%s"' % letter, "Enter"] + text(low) + ["Enter"] + text(high) + ["Enter"]
    for line in lines:
        if line is None:
            keys += ["Enter", "Enter", "Enter"]
        elif line[0] == "typed":
            keys += ["Enter", "Enter"] + text(line[1]) + ["Enter"]
        else:
            sign, amount, refused = line
            keys += ['"%s"' % sign, "Enter"] + text(amount) + ["Enter"]
            if refused:
                keys += ["Enter", '"0"', "Enter"]
            keys += ["Enter"]
    return keys + (["Esc", '"Y"'] if leave else ["F10"])
