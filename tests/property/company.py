"""Companies drawn at random, as fixtures for qxload.

`companies()` is a Hypothesis strategy of whole companies: a chart of
accounts of every kind (summary accounts, an inactive one, several
receivables and payables accounts), the fiscal periods of two years with
some of this year's closed, customers (open item, balance forward, cash;
charged finance charges or exempt), vendors (some of them 1099 vendors),
products of every type and costing, in fractions of their purchase unit and
in two warehouses, services, tax codes of one, several or no accounts, and
the unposted work of every ledger: G/L entries (some held, some deleted),
receivables and payables transactions with their open items, billing and
purchasing transactions of every type letter (paid on the spot by a check
in the register or not, linked to open invoices, with a header total that
agrees with its lines or not), purchase orders open and received,
assemblies and disassemblies, physical counts and inventory adjustments.

The books it draws hold the accountant's invariants: every posted G/L
transaction balances, the trial balance is zero, and the receivables,
payables and inventory accounts equal the customers', vendors' and stock
products' balances.  Each case also carries `shape`, the facts about it
that the known-fault list (known_faults.py) matches on.
"""
import datetime

from hypothesis import strategies as st

EPOCH = datetime.date(1899, 12, 31)  # day numbers count from here: day 1 is 1 January 1900
YEAR = 2025


def day_number(d):
    return (d - EPOCH).days


def iso(d):
    return d.isoformat()


def money(x):
    return round(x + 0.0, 2)


def tran_number(n):
    return "%10d" % n


# ---- Periods ------------------------------------------------------------------------

def month_periods(year):
    out = []
    for m in range(1, 13):
        start = datetime.date(year, m, 1)
        end = (datetime.date(year + (m == 12), m % 12 + 1, 1) - datetime.timedelta(days=1))
        out.append((start, end))
    return out


class Periods:
    """The two fiscal years of twelve months, the first `closed` of them closed."""

    def __init__(self, closed):
        self.closed = closed
        self.this_year = month_periods(YEAR)
        self.next_year = month_periods(YEAR + 1)
        self.all = self.this_year + self.next_year
        self.first_open = self.all[closed]

    def record(self):
        entries = []
        for i, (s, e) in enumerate(self.this_year):
            entries.append({"status": "C" if i < self.closed else "O", "label": s.strftime("%b %y").upper(),
                            "startDate": iso(s), "endDate": iso(e)})
        entries.append({})
        for i, (s, e) in enumerate(self.next_year):
            entries.append({"status": "C" if 12 + i < self.closed else "O", "label": s.strftime("%b %y").upper(),
                            "startDate": iso(s), "endDate": iso(e)})
        return {"key": "0Periods", "periodsPerYear": 12, "nextOpenPeriod": self.closed + 1, "entries": entries}

    def key_of(self, d):
        for s, e in self.all:
            if s <= d <= e:
                return day_number(s)
        return 0

    def is_closed(self, d):
        return any(s <= d <= e for s, e in self.all[:self.closed])

    @property
    def today(self):
        return self.first_open[0] + datetime.timedelta(days=14)


@st.composite
def dates(draw, periods, where=None):
    """A date: in the first open period (most often), a later open one, a
    closed one, or outside both years."""
    choices = ["first"] * 5 + ["later"] * 2 + (["closed"] * 2 if periods.closed else []) + ["outside"]
    where = where or draw(st.sampled_from(choices))
    if where == "first":
        s, e = periods.first_open
    elif where == "later":
        s, e = periods.all[min(periods.closed + draw(st.integers(1, 2)), 23)]
    elif where == "closed":
        s, e = periods.all[draw(st.integers(0, periods.closed - 1))]
    else:
        s, e = draw(st.sampled_from([(datetime.date(2024, 6, 1), datetime.date(2024, 6, 30)),
                                     (datetime.date(2027, 3, 1), datetime.date(2027, 3, 31))]))
    return s + datetime.timedelta(days=draw(st.integers(0, (e - s).days)))


amounts = st.integers(1, 500000).map(lambda c: c / 100.0)
small_amounts = st.integers(1, 30000).map(lambda c: c / 100.0)
quantities = st.integers(1, 40).map(float)

# ---- The chart of accounts ----------------------------------------------------------------

# code, name, kind, type; kinds 1, 5, 7 keep debit balances.
CHART = [
    ("1000", "Cash in bank", 1, "D"), ("1010", "Second bank", 1, "D"),
    ("1100", "Receivables", 1, "D"), ("1110", "Receivables, trade", 1, "D"),
    ("1300", "Inventory", 1, "D"), ("1500", "Equipment", 1, "D"), ("1510", "Depreciation", 7, "D"),
    ("1999", "Current assets", 1, "G"),
    ("2000", "Payables", 2, "D"), ("2010", "Payables, services", 2, "D"),
    ("2300", "State tax", 2, "D"), ("2310", "County tax", 2, "D"), ("2330", "Tax paid on purchases", 1, "D"),
    ("2999", "Liabilities", 2, "G"),
    ("3000", "Owner's equity", 3, "D"), ("3900", "Retained earnings", 3, "D"),
    ("4000", "Sales", 4, "D"), ("4100", "Sales returns", 4, "D"), ("4200", "Freight charged", 4, "D"),
    ("4300", "Finance charges", 4, "D"), ("4500", "Setup fees", 4, "D"), ("4600", "Other income", 6, "D"),
    ("5000", "Cost of goods sold", 5, "D"), ("5150", "Service components", 5, "D"),
    ("5200", "Inventory adjustments", 5, "D"), ("5400", "Discounts given", 5, "D"),
    ("6000", "Purchases", 5, "D"), ("6100", "Freight in", 5, "D"), ("6200", "Wages", 5, "D"),
    ("6900", "Old expense", 5, "D"),
]
INACTIVE = "6900"
RECEIVABLES = ("1100", "1110")
PAYABLES = ("2000", "2010")


def gl_account(code, name, kind, type_, balance=0.0):
    rec = {"code": code, "name": name, "level": "1", "kind": kind, "type": type_, "currentBalance": money(balance),
           "beginningBalance": money(balance)}
    if code == INACTIVE:
        rec["activeFlag"] = "N"
    return rec


# ---- The company --------------------------------------------------------------------------

class Builder:
    """Collects the records of one company and the facts the known faults match."""

    def __init__(self, draw, periods):
        self.draw = draw
        self.periods = periods
        self.files = {}
        self.shape = set()
        self.item = 100
        self.numbers = {}
        self.balances = {code: 0.0 for code, *_ in CHART}

    def add(self, file, record):
        self.files.setdefault(file, []).append(record)
        return record

    def next_item(self):
        self.item += 1
        return self.item

    def next_tran(self, journal):
        n = self.numbers.get(journal, 1000) + 1
        self.numbers[journal] = n
        return n

    def date(self, where=None):
        return self.draw(dates(self.periods, where))

    def posts(self, account, side, amount):
        """What a posted amount did to an account's balance, in its natural sign."""
        kind = next(k for c, _, k, _ in CHART if c == account)
        debit_kind = kind in (1, 5, 7)
        self.balances[account] += amount if (side == "D") == debit_kind else -amount


PHONES = ["(360) 5550117", "(212) 5550188", "(646) 5550190", "(360) 5550231", ""]


@st.composite
def companies(draw):
    periods = Periods(draw(st.sampled_from([0, 1, 2, 3, 6, 11, 12])))
    b = Builder(draw, periods)
    costing = draw(st.sampled_from("ALS"))
    on_line = draw(st.booleans())
    b.shape.add("costing:" + costing)
    if on_line:
        b.shape.add("gl on line")
    settings = [
        periods.record(),
        {"key": "0Interface", "glMode": " ", "cashAccount": "1000", "receivablesAccount": "1100",
         "payablesAccount": "2000", "inventoryAccount": "1300", "costOfGoodsAccount": "5000",
         "salesAccount": "4000", "salesReturnsAccount": "4100", "financeChargeAccount": "4300",
         "receivablesDiscountAccount": "5400", "payablesDiscountAccount": "4600",
         "closingAccount": draw(st.sampled_from(["3900", ""])), "serviceComponentAccount": "5150",
         "freightAccount": "4200"},
        {"key": "0SysPrefs", "costingMethod": costing, "keepBackOrders": draw(st.sampled_from("YN")),
         "keepSalesHistory": draw(st.sampled_from("YN")), "glOnLine": "Y" if on_line else "N"},
        {"key": "0Company", "name": "Generated Books Co.", "phone": "(360) 5550100"},
    ]
    b.files["settings"] = settings
    b.files["terms"] = [{"code": "N30", "type": "D", "dueDays": 30},
                        {"code": "2N10", "type": "D", "termsText": "2%", "discountDays": 10, "dueDays": 30}]
    b.files["message_codes"] = [{"code": "THANK", "text": "Thank you"}, {"code": "PAST", "text": "Past due"}]
    b.files["salespersons"] = [{"code": "S1", "name": "Sam One", "rate": 5.0, "amount": 25.0,
                                "sales": [1000.0, 1200.0], "commissions": [50.0, 60.0]},
                               {"code": "S2", "name": "Sue Two", "rate": 4.5}]
    tax_codes = [
        {"code": "ST", "billingRate": 8.0, "purchasingRate": 5.0,
         "billingAccounts": [{"account": "2300", "rate": 5.0}, {"account": "2310", "rate": 3.0}],
         "purchasingAccount": {"account": "2330", "rate": 5.0}},
        {"code": "CT", "billingRate": 6.5, "billingAccounts": [{"account": "2300", "rate": 6.5}]},
        {"code": "EX"},
        # A rate and no account to book its tax to.
        {"code": "NA", "billingRate": 4.0, "purchasingRate": 3.0},
    ]
    # Amounts in the tax codes' past periods, closed ones among them.
    for t in tax_codes:
        t["billingTaxable"] = [money(draw(small_amounts)) for _ in range(3)]
        t["billingTax"] = [money(x * 0.08) for x in t["billingTaxable"]]
    b.files["tax_codes"] = tax_codes
    b.files["billing_codes"] = [{"code": "SETUP", "description": "Setup fee", "glAccount": "4500", "price": 45.0},
                                {"code": "FRT", "description": "Freight", "glAccount": "4200", "price": 12.5}]
    b.files["purchasing_codes"] = [{"code": "FRTIN", "description": "Freight in", "glAccount": "6100"}]

    customers = draw_customers(b)
    vendors = draw_vendors(b)
    products = draw_products(b)
    services = [{"code": "INSTALL", "description": "Installation", "unitOfMeasure": "HOUR", "unitFactor": 1,
                 "price": 65.0, "lastSaleDate": iso(b.date("closed" if periods.closed else "first")),
                 "salesDollars": [0, 100.0, 200.0]},
                {"code": "DELIVER", "description": "Delivery", "unitOfMeasure": "TRIP", "unitFactor": 1,
                 "price": 25.0}]
    b.files["services"] = services
    b.files["check_register"] = [
        {"bankAccount": "1000", "checkNumber": "3121", "transactionNumber": tran_number(1), "code": "V1",
         "name": "Check", "reference": "Payment", "status": "O", "entrySide": "C",
         "date": iso(periods.first_open[0]), "amount": 100.0, "kind": "O", "state": "N"},
        {"bankAccount": "1000", "checkNumber": "3122", "transactionNumber": tran_number(2), "code": "V1",
         "name": "Check", "reference": "Payment", "status": "O", "entrySide": "C",
         "date": iso(datetime.date(2024, 11, 3)), "amount": 50.0, "kind": "O", "state": "Y"},
    ]

    draw_gl_transactions(b)
    draw_arap_transactions(b, customers, "ar", "AR")
    draw_arap_transactions(b, vendors, "ap", "AP")
    draw_billing(b, customers, products, services)
    draw_purchasing(b, vendors, products)
    draw_orders(b, vendors, products)
    draw_assemblies(b, products)
    draw_counts_and_adjustments(b, products)
    draw_cash(b, customers, vendors)

    # The subledgers' balances stand in their control accounts, and the
    # trial balance is closed by the owner's equity.
    ar = sum(c["balance"] for c in customers)
    ap = sum(v["balance"] for v in vendors)
    inv = sum(p["valueOnHand"] for p in products if p["productType"] in (1, 3))
    split = money(draw(st.floats(0, 1)) * ar) if any(c["glAccount"] == "1110" for c in customers) else 0.0
    b.balances["1100"] += money(ar - split)
    b.balances["1110"] += split
    b.balances["2000"] += money(ap)
    b.balances["1300"] += money(inv)
    for code in ("1000", "1010", "1500", "2300", "4000", "5000", "6000", "6200"):
        b.balances[code] += draw(amounts)
    debit = sum(v for c, v in b.balances.items() if next(k for cc, _, k, _ in CHART if cc == c) in (1, 5, 7))
    credit = sum(v for c, v in b.balances.items() if next(k for cc, _, k, _ in CHART if cc == c) not in (1, 5, 7))
    b.balances["3000"] += debit - credit
    accounts = []
    for code, name, kind, type_ in CHART:
        balance = money(b.balances[code]) if type_ == "D" else 0.0
        rec = gl_account(code, name, kind, type_, balance)
        # A balance is the year's beginning and the amounts of its periods,
        # closed ones among them; an income or expense account begins the
        # year at zero.
        if type_ == "D":
            spread = max(1, periods.closed) if periods.closed < 12 else 12
            amounts_ = [money(draw(small_amounts)) for _ in range(spread)]
            if kind in (4, 5):
                amounts_[-1] = money(balance - sum(amounts_[:-1]))
            rec["periodAmounts"] = amounts_
            rec["beginningBalance"] = money(balance - sum(amounts_))
        accounts.append(rec)
    b.files["gl_accounts"] = accounts
    b.files["transaction_numbers"] = [{"journalCode": j, "lastNumber": 1000 + draw(st.integers(0, 50))}
                                      for j in ("AP", "AR", "AS", "BI", "CD", "CR", "GJ", "IA", "PO", "IN")]
    return {"fixture": {"comment": "a generated company", "files": b.files},
            "today": periods.today, "periods": periods, "shape": frozenset(b.shape)}


def open_item(code, number, item, date, amount, line_type="I", status="P", precedence="1", reference="Invoice"):
    return {"code": code, "invoiceNumber": number, "precedence": precedence, "reference": reference,
            "lineType": line_type, "status": status, "precedenceCode": precedence, "itemNumber": item,
            "dueDate": iso(date + datetime.timedelta(days=30)), "secondDate": iso(date), "invoiceDate": iso(date),
            "amount": money(amount), "precedenceByte": precedence}


def draw_party_open_items(b, code, kind, account_type, file):
    """A customer's or vendor's posted open items; their sum is its balance."""
    if account_type == "C":
        return 0.0
    total = 0.0
    forwarded = set()
    for i in range(b.draw(st.integers(0, 3))):
        amount = b.draw(amounts)
        d = b.date(b.draw(st.sampled_from(["closed", "first"] if b.periods.closed else ["first"])))
        if account_type == "B":
            # A forwarded line is numbered by its date's day number, as the
            # end of period writes it: one a day, in date order.
            if d in forwarded:
                continue
            forwarded.add(d)
            b.add(file, dict(open_item(code, "%d" % day_number(d), b.next_item(), d, amount, status="F",
                                       reference="BALFORWARD"), origin="B"))
        else:
            b.add(file, open_item(code, "%s-%d" % (kind, 500 + i), b.next_item(), d, amount))
        total += amount
    return money(total)


def draw_customers(b):
    customers = []
    for i in range(b.draw(st.integers(1, 4))):
        code = "C%d" % (i + 1)
        account_type = b.draw(st.sampled_from("OOBC"))
        b.shape.add("customer:" + account_type)
        exempt = b.draw(st.booleans())
        balance = draw_party_open_items(b, code, "INV", account_type, "ar_open_invoices")
        last = b.date(b.draw(st.sampled_from(["outside", "first"])))
        customers.append({
            "code": code, "termsCode": b.draw(st.sampled_from(["N30", "2N10", ""])), "taxCode": "ST",
            "messageCode": "THANK", "salesperson": "S1", "accountType": account_type,
            "financeChargeRate": 0.0 if exempt else 1.5, "minimumFinanceCharge": 0.0 if exempt else 2.0,
            "creditLimit": 5000.0, "periodStartBalance": balance, "balance": balance,
            "lastInvoiceDate": iso(last), "glAccount": b.draw(st.sampled_from(["", "1100", "1110"])),
            "name": "Customer %d" % (i + 1), "addressLines": ["%d Main Street" % (i + 1), "Port Alden, WA"],
            "zipCode": b.draw(st.sampled_from(["98370", "10001"])),
            "phone1": b.draw(st.sampled_from(PHONES)), "phone2": b.draw(st.sampled_from(PHONES)),
            "fax": b.draw(st.sampled_from(PHONES)), "contact": "Pat",
            "grossAmounts": [100.0, 200.0, 300.0], "invoiceCounts": [1, 2, 3],
        })
    # A customer whose account type is cash never carries a balance.
    b.files["customers"] = customers
    if b.draw(st.booleans()):
        b.files["customer_addresses"] = [{"code": customers[0]["code"], "addressLines": ["Ship to", "Dock 4"],
                                          "phones": [customers[0]["phone1"], "(212) 5550111", ""]}]
    return customers


def draw_vendors(b):
    vendors = []
    amounts_1099 = []
    for i in range(b.draw(st.integers(1, 3))):
        code = "V%d" % (i + 1)
        account_type = b.draw(st.sampled_from("OOB"))
        balance = draw_party_open_items(b, code, "BILL", account_type, "ap_open_invoices")
        is_1099 = b.draw(st.booleans())
        if is_1099:
            amounts_1099.append({"vendorCode": code, "taxYear": YEAR, "amount": b.draw(amounts)})
        vendors.append({
            "code": code, "termsCode": "N30", "taxCode": b.draw(st.sampled_from(["ST", "EX", "ST", "EX", "NA"])),
            "vendorType": "GOODS", "idNumber": "91-234567%d" % i, "accountType": account_type,
            "form1099": "Y" if is_1099 else "N", "periodStartBalance": balance, "balance": balance,
            "glAccount": b.draw(st.sampled_from(["", "2000"])), "name": "Vendor %d" % (i + 1),
            "zipCode": "98201", "phone1": b.draw(st.sampled_from(PHONES)), "fax": b.draw(st.sampled_from(PHONES)),
            "lastInvoiceDate": iso(b.date(b.draw(st.sampled_from(["outside", "first"])))),
        })
    b.files["vendors"] = vendors
    if amounts_1099:
        b.files["vendor_1099_amounts"] = amounts_1099
    return vendors


def draw_products(b):
    products = []
    count = b.draw(st.integers(2, 5))
    for i in range(count):
        ptype = b.draw(st.sampled_from([1, 1, 2, 3]))
        b.shape.add("product type %d" % ptype)
        divisor = b.draw(st.sampled_from([1, 1, 5, 12]))
        if divisor != 1:
            b.shape.add("fractions")
        # Most costs are a few dollars; some products are machines costing
        # thousands.
        cost = b.draw(st.one_of(st.integers(100, 9000), st.integers(100, 9000), st.integers(150000, 2500000))) / 100.0
        qty = float(b.draw(st.integers(0, 60))) if ptype != 2 else 0.0
        value = money(qty / divisor * cost) if ptype != 2 else 0.0
        committed = float(b.draw(st.integers(0, int(qty)))) if qty else 0.0
        products.append({
            "number": "P%d" % (i + 1), "description": "Product %d" % (i + 1), "bin": "A-0%d" % i,
            "unitOfMeasure": "EACH", "sellingMeasure": "EACH", "vendor": "V1", "taxCode": "T",
            "commissionable": "Y", "serialized": "N", "recallBy": "Y", "productType": ptype,
            # An assembly (master) is a stock product after the first.
            "assemblyFlag": "Y" if ptype != 2 and i > 0 and b.draw(st.integers(0, 2)) == 0 else "N",
            "purchaseUnitFactor": divisor, "salesUnitFactor": 1, "minimumQuantity": 5, "reorderQuantity": 10,
            "lastSaleDate": iso(b.date(b.draw(st.sampled_from(["outside", "first"])))),
            "lastPurchaseDate": iso(b.date(b.draw(st.sampled_from(["outside", "first"])))),
            # A price of 4 decimals (a price assignment's margin leaves one).
            "sellingPrice": round(cost / divisor * 1.6 + 1, b.draw(st.sampled_from([2, 2, 4]))), "lastCost": cost,
            "standardCost": money(cost * 1.05), "averageCost": cost,
            "valueOnHand": value, "quantityOnHand": qty, "secondQuantityOnHand": committed,
            "quantityAvailable": qty - committed, "warehouse": b.draw(st.sampled_from(["MAI", "WST"])),
            # Last year's and this year's statistics (slots 1 and 2).
            "salesDollars": [10.0, 20.0, float(b.draw(st.integers(0, 2000)))],
            "salesUnits": [0.0, 4.0, float(b.draw(st.integers(0, 200)))],
            "purchaseUnits": [0.0, 6.0, float(b.draw(st.integers(0, 200)))],
            "purchaseDollars": [0.0, 60.0, float(b.draw(st.integers(0, 2000)))],
        })
    b.files["products"] = products
    # Bills of materials of the assemblies: stock components that are no
    # assemblies themselves.
    bills = []
    parts = [p for p in products if p["productType"] == 1 and p["assemblyFlag"] != "Y"]
    for p in products:
        if p["assemblyFlag"] == "Y" and parts:
            for c in parts[:2]:
                bills.append({"assemblyNumber": p["number"], "componentNumber": c["number"],
                              "unitsRequired": float(b.draw(st.integers(1, 3)))})
    if bills:
        b.files["bills_of_materials"] = bills
    return products


def gl_pair(b, file, journal, number, date, debit, credit, amount, line_key="lineNumber"):
    for n, (account, side) in enumerate(((debit, "D"), (credit, "C")), 1):
        b.add(file, {("journalCode" if file == "gl_lines" else "ledgerCode"): journal,
                     "transactionNumber": tran_number(number), **({line_key: n} if line_key else {}),
                     "account": account, "description": "Generated line", "side": side,
                     "amount": money(amount), "date": iso(date)})


def draw_gl_transactions(b):
    for _ in range(b.draw(st.integers(0, 3))):
        n = b.next_tran("GJ")
        d = b.date()
        hold = b.draw(st.sampled_from(["", "", "", "REVIEW"]))
        deleted = b.draw(st.integers(0, 9)) == 0
        if hold:
            b.shape.add("held G/L entry")
        b.add("gl_headers", {"journalCode": "GJ", "transactionNumber": tran_number(n), "date": iso(d),
                             "reference": "DELETED" if deleted else "Entry", "postedFlag": "N", "sourceFlag": "N",
                             "checkFlag": "N", "holdText": hold})
        debit, credit = b.draw(st.sampled_from([("6200", "1000"), ("1500", "2300"), ("6000", "1010")]))
        gl_pair(b, "gl_lines", "GJ", n, d, debit, credit, b.draw(amounts))
    # A posted transaction of a closed period, whose amounts are in the accounts.
    if b.periods.closed:
        n = b.next_tran("GJ")
        d = b.date("closed")
        amount = b.draw(amounts)
        b.add("gl_headers", {"journalCode": "GJ", "transactionNumber": tran_number(n), "date": iso(d),
                             "reference": "Posted", "postedFlag": "Y", "sourceFlag": "N", "checkFlag": "N"})
        gl_pair(b, "gl_lines", "GJ", n, d, "6200", "1010", amount)
        b.posts("6200", "D", amount)
        b.posts("1010", "C", amount)


def draw_arap_transactions(b, parties, ledger, code):
    customer = ledger == "ar"
    for _ in range(b.draw(st.integers(0, 3))):
        party = b.draw(st.sampled_from(parties))
        if party["accountType"] == "C":
            continue
        letter = b.draw(st.sampled_from("IICDP"))
        n = b.next_tran(code)
        d = b.date()
        amount = b.draw(amounts)
        control = party["glAccount"] or ("1100" if customer else "2000")
        if customer:
            debit, credit = {"I": (control, "4000"), "D": (control, "4000"), "C": ("4100", control),
                             "P": ("1000", control)}[letter]
        else:
            debit, credit = {"I": ("6000", control), "C": ("6000", control), "D": (control, "6000"),
                             "P": (control, "1000")}[letter]
        item = b.next_item()
        precedence = {"I": "1", "D": "2", "C": "3", "P": "4"}[letter]
        number = "%s-%d" % (code, n)
        b.add("%s_headers" % ledger, {
            "transactionNumber": tran_number(n), "custVendCode": party["code"], "invoiceNumber": number,
            "reference": {"I": "Invoice", "C": "Credit", "D": "Debit", "P": "Payment"}[letter],
            "typeLetter": letter, "postedFlag": "N", "date": iso(d), "invoiceDate": iso(d),
            "dueDate": iso(d + datetime.timedelta(days=30)), "periodKey": b.periods.key_of(d),
            "openItemNumber": item})
        gl_pair(b, "%s_details" % ledger, code, n, d, debit, credit, amount, line_key=None)
        b.add("%s_open_invoices" % ledger, open_item(party["code"], number, item, d, amount, letter, "N",
                                                     precedence, "Entered"))


def tax_of(b, code, taxable, purchasing):
    rate = {"ST": 5.0 if purchasing else 8.0, "CT": 0.0 if purchasing else 6.5, "EX": 0.0,
            "NA": 3.0 if purchasing else 4.0}[code]
    return money(taxable * rate / 100.0)


def draw_billing(b, customers, products, services):
    for _ in range(b.draw(st.integers(0, 4))):
        customer = b.draw(st.sampled_from(customers))
        letter = b.draw(st.sampled_from("IIIRC"))
        b.shape.add("billing " + letter)
        n = b.next_tran("BI")
        d = b.date()
        lines = []
        for seq in range(1, b.draw(st.integers(1, 4)) + 1):
            kind = b.draw(st.sampled_from(["product", "product", "service", "code", "comment"]))
            if kind == "product":
                p = b.draw(st.sampled_from(products))
                q = b.draw(quantities)
                if letter == "I" and p["productType"] != 2 and q > p["quantityOnHand"] and b.draw(st.booleans()):
                    back = q - p["quantityOnHand"]
                    b.shape.add("back order")
                else:
                    back = 0.0
                if p["productType"] == 2:
                    b.shape.add("billing non-stock line")
                lines.append({"lineKind": 1, "item": p["number"], "quantity": q, "backOrderedQuantity": back,
                              "amount": money(q * p["sellingPrice"]), "taxable": True})
            elif kind == "service":
                s = b.draw(st.sampled_from(services))
                q = b.draw(quantities)
                lines.append({"lineKind": 6, "item": s["code"], "quantity": q, "amount": money(q * s["price"])})
            elif kind == "code":
                lines.append({"lineKind": 4, "item": "  SETUP", "quantity": 1.0, "amount": 45.0})
            else:
                lines.append({"lineKind": 5, "item": "", "quantity": 0.0, "amount": 0.0})
        gross = money(sum(l["amount"] for l in lines))
        taxable = money(sum(l["amount"] for l in lines if l.get("taxable")))
        tax_code = b.draw(st.sampled_from(["ST", "CT", "EX", "ST", "CT", "EX", "NA"]))
        if tax_code == "NA":
            b.shape.add("tax code without accounts")
        tax = tax_of(b, tax_code, taxable, False)
        if tax and letter == "C":
            b.shape.add("credit memo with tax")
        freight = b.draw(st.sampled_from([0.0, 0.0, 15.0]))
        total = money(gross + tax + freight)
        if b.draw(st.integers(0, 7)) == 0:
            total = money(total + b.draw(st.sampled_from([-10.0, 0.01, 25.0])))
            b.shape.add("billing total disagrees")
        header = {"typeLetter": letter, "transactionNumber": tran_number(n), "custVendCode": customer["code"],
                  "documentCode": "AR", "closedFlag": "N", "entryFlag": "Y", "journalPrinted": "N",
                  "postedFlag": "N", "periodKey": b.periods.key_of(d), "date": iso(d), "taxCode": tax_code,
                  "taxableAmount": taxable, "tax": tax, "grossAmount": gross, "total": total, "netToPay": total,
                  "name": customer["name"], "freight": freight}
        paid_on_spot = customer["accountType"] == "C" or b.draw(st.integers(0, 4)) == 0
        if paid_on_spot and letter == "I":
            header.update(amountPaid=total, netToPay=0.0, checkNumberText="1043", paymentReference="Check")
            b.shape.add("billing paid on the spot")
        elif letter == "I" or b.draw(st.booleans()):
            item = b.next_item()
            header["firstLinkedInvoice"] = item
            b.add("ar_open_invoices", open_item(customer["code"], "%d" % n, item, d, total,
                                                "I" if letter == "I" else "C", "N",
                                                "1" if letter == "I" else "3", "Entered"))
            b.shape.add("billing linked open invoice")
        b.add("billing_headers", header)
        for seq, l in enumerate(lines, 1):
            b.add("billing_lines", {"typeLetter": letter, "transactionNumber": tran_number(n), "sequence": seq,
                                    "lineKind": l["lineKind"], "item": l["item"], "description": "Line %d" % seq,
                                    "salesFraction": 1, "periodKey": b.periods.key_of(d), "amount": l["amount"],
                                    "quantity": l["quantity"], "backOrderedQuantity": l.get("backOrderedQuantity", 0.0),
                                    "postedFlag": "N"})


def draw_purchasing(b, vendors, products):
    for _ in range(b.draw(st.integers(0, 3))):
        vendor = b.draw(st.sampled_from(vendors))
        letter = b.draw(st.sampled_from("IIR"))
        b.shape.add("purchasing " + letter)
        n = b.next_tran("PO")
        d = b.date()
        lines = []
        for seq in range(1, b.draw(st.integers(1, 3)) + 1):
            if b.draw(st.integers(0, 3)) == 0:
                lines.append({"lineKind": 4, "item": "  FRTIN", "quantity": 1.0, "secondQuantity": 1.0,
                              "amount": money(b.draw(small_amounts))})
                continue
            p = b.draw(st.sampled_from(products))
            if p["productType"] == 2:
                b.shape.add("purchasing non-stock line")
            q = float(b.draw(st.integers(1, 4)) * p["purchaseUnitFactor"])
            if letter == "R":
                q = min(q, p["quantityOnHand"]) or float(p["purchaseUnitFactor"])
            unit_cost = money(p["lastCost"] * b.draw(st.sampled_from([1.0, 0.9, 1.2])))
            lines.append({"lineKind": 1, "item": p["number"], "quantity": q, "secondQuantity": q,
                          "purchaseUnitCost": unit_cost,
                          "amount": money(q / p["purchaseUnitFactor"] * unit_cost)})
        gross = money(sum(l["amount"] for l in lines))
        tax_code = vendor["taxCode"]
        tax = tax_of(b, tax_code, gross, True)
        total = money(gross + tax)
        if b.draw(st.integers(0, 7)) == 0:
            total = money(total + 10.0)
            b.shape.add("purchasing total disagrees")
        header = {"typeLetter": letter, "transactionNumber": tran_number(n), "custVendCode": vendor["code"],
                  "documentCode": "MR", "closedFlag": "N", "entryFlag": "Y", "journalPrinted": "N",
                  "postedFlag": "N", "periodKey": b.periods.key_of(d), "date": iso(d), "taxCode": tax_code,
                  "taxableAmount": gross if tax else 0.0, "tax": tax, "grossAmount": gross, "total": total,
                  "netToPay": total, "name": vendor["name"], "onAccountFlag": "Y"}
        if b.draw(st.integers(0, 6)) == 0:
            header.update(onAccountFlag="N", offsetAccount="6000")
            b.shape.add("purchasing off account")
        elif letter == "I" and b.draw(st.integers(0, 3)) == 0:
            in_register = b.draw(st.booleans())
            header.update(amountPaid=total, netToPay=0.0, paymentReference="Check",
                          checkNumberText="3121" if in_register else "7777",
                          checkNumber=3121 if in_register else 7777)
            b.shape.add("purchasing paid by a check " + ("in the register" if in_register else "not in the register"))
        else:
            item = b.next_item()
            header["firstLinkedInvoice"] = item
            b.add("ap_open_invoices", open_item(vendor["code"], "P%d" % n, item, d, total,
                                                "I" if letter == "I" else "D", "N",
                                                "1" if letter == "I" else "2", "Entered"))
        b.add("purchasing_headers", header)
        for seq, l in enumerate(lines, 1):
            b.add("purchasing_lines", {"typeLetter": letter, "transactionNumber": tran_number(n), "sequence": seq,
                                       "lineKind": l["lineKind"], "item": l["item"], "description": "Line %d" % seq,
                                       "salesFraction": 1, "periodKey": b.periods.key_of(d),
                                       "amount": l["amount"], "quantity": l["quantity"],
                                       "secondQuantity": l["secondQuantity"],
                                       "purchaseUnitCost": l.get("purchaseUnitCost", 0.0), "postedFlag": "N"})


def draw_orders(b, vendors, products):
    link = 7000
    stock = [p for p in products if p["productType"] != 2] or products
    for _ in range(b.draw(st.integers(0, 3))):
        vendor = b.draw(st.sampled_from(vendors))
        n = b.next_tran("PO")
        d = b.date(b.draw(st.sampled_from(["first", "closed"] if b.periods.closed else ["first"])))
        state = b.draw(st.sampled_from(["open", "received", "closed"]))
        b.shape.add("purchase order " + state)
        header = {"typeLetter": "O", "transactionNumber": tran_number(n), "custVendCode": vendor["code"],
                  "closedFlag": "Y" if state == "closed" else "N", "postedFlag": "N",
                  "periodKey": b.periods.key_of(d), "date": iso(d), "taxCode": "EX", "name": vendor["name"]}
        gross = 0.0
        lines = []
        for seq in range(1, b.draw(st.integers(1, 2)) + 1):
            p = b.draw(st.sampled_from(stock))
            link += 1
            ordered = float(b.draw(st.integers(2, 10)))
            received = ordered if state != "open" else float(b.draw(st.integers(0, int(ordered) - 1)))
            amount = money(ordered / p["purchaseUnitFactor"] * p["lastCost"])
            gross += amount
            lines.append({"typeLetter": "O", "transactionNumber": tran_number(n), "sequence": seq, "lineKind": 1,
                          "item": p["number"], "description": "Ordered", "salesFraction": 1,
                          "periodKey": b.periods.key_of(d), "receiptLink": link, "amount": amount,
                          "secondQuantity": ordered, "quantity": received, "purchaseUnitCost": p["lastCost"],
                          "postedFlag": "N"})
        header.update(grossAmount=money(gross), total=money(gross), netToPay=money(gross))
        b.add("order_headers", header)
        for l in lines:
            b.add("order_lines", l)


def draw_assemblies(b, products):
    bills = b.files.get("bills_of_materials", [])
    by_number = {p["number"]: p for p in products}
    for assembly in [p for p in products if p["assemblyFlag"] == "Y"]:
        if not b.draw(st.booleans()):
            continue
        parts = [x for x in bills if x["assemblyNumber"] == assembly["number"]]
        if not parts:
            continue
        letter = b.draw(st.sampled_from("AD"))
        b.shape.add("assembly " + letter)
        n = b.next_tran("AS")
        d = b.date()
        q = float(b.draw(st.integers(1, 3)))
        value = 0.0
        comps = []
        for part in parts:
            c = by_number[part["componentNumber"]]
            needed = q * part["unitsRequired"]
            cost = money(needed / c["purchaseUnitFactor"] * c["averageCost"])
            value += cost
            comps.append({"transactionNumber": tran_number(n), "componentCode": c["number"], "overrideFlag": "N",
                          "consumeLetter": letter, "quantityAvailable": c["quantityOnHand"],
                          "quantityNeeded": needed,
                          "newQuantityOnHand": c["quantityOnHand"] + (needed if letter == "D" else -needed),
                          "cost": cost})
        # Now and then a header whose value is not what its components cost:
        # the posting must refuse it rather than part the inventory account
        # from the products.
        if b.draw(st.integers(0, 7)) == 0:
            value += 1.0
            b.shape.add("assembly value unlike its components")
        b.add("assembly_headers", {"transactionNumber": tran_number(n), "productCode": assembly["number"],
                                   "reference": "Build" if letter == "A" else "Take apart", "date": iso(d),
                                   "periodKey": b.periods.key_of(d), "postedFlag": "N", "quantity": q,
                                   "value": money(value), "quantityDivisor": 1, "assemblyLetter": letter})
        for c in comps:
            b.add("assembly_components", c)


def draw_counts_and_adjustments(b, products):
    for p in products:
        if p["productType"] != 2 and b.draw(st.integers(0, 2)) == 0:
            b.add("physical_counts", {"productCode": p["number"], "printedFlag": "N",
                                      "countedQuantity": float(b.draw(st.integers(0, 70)))})
            b.shape.add("physical count")
    for _ in range(b.draw(st.integers(0, 3))):
        p = b.draw(st.sampled_from(products))
        n = b.next_tran("IA")
        d = b.date()
        # Quantity in and out, transfers in and out, the value raised or
        # lowered; the amount of a value change entered with either sign.
        kind = b.draw(st.sampled_from("15156278"))
        stock_in = kind in "167"
        q = 0.0 if kind in "78" else float(b.draw(st.integers(1, 10)))
        if p["productType"] == 2:
            b.shape.add("adjustment of a non-stock product")
        if kind not in "15":
            b.shape.add("adjustment of kind " + kind)
        signed = q if stock_in else -q
        rec = {"productCode": p["number"], "transactionNumber": tran_number(n), "periodKey": b.periods.key_of(d),
               "date": iso(d), "kind": kind, "source": "T",
               "reference": "Found" if stock_in else "Damaged", "quantity": signed,
               "salesUnitFactor": 1, "unitDivisor": p["purchaseUnitFactor"],
               "formattedQuantity": signed, "warehouse": p["warehouse"], "glAccount": "5200",
               "postedFlag": "N"}
        if kind in "78":
            amount = money(float(b.draw(st.integers(1, 2000))) / 100)
            rec.update(extendedAmount=amount if b.draw(st.booleans()) else -amount)
        elif kind != "5":
            rec.update(unitCost=p["lastCost"], extendedAmount=money(q / p["purchaseUnitFactor"] * p["lastCost"]))
        b.add("inventory_transactions", rec)


def draw_cash(b, customers, vendors):
    """Cash receipts and disbursements, posted (their amounts among the
    accounts' balances), unposted or deleted: the purge's own work."""
    for _ in range(b.draw(st.integers(0, 3))):
        receipt = b.draw(st.booleans())
        journal = "CR" if receipt else "CD"
        party = b.draw(st.sampled_from(customers if receipt else vendors))
        n = b.next_tran(journal)
        d = b.date()
        state = b.draw(st.sampled_from(["posted", "posted", "unposted", "deleted"]))
        b.shape.add("cash " + state)
        amount = b.draw(small_amounts)
        b.add("cash_headers", {"journalCode": journal, "transactionNumber": tran_number(n), "bankAccount": "1000",
                               "depositNumber": "%d" % (500 + n % 100),
                               "reference": "DELETED" if state == "deleted" else "Cash",
                               "paidToCode": party["code"], "side": "R" if receipt else "P", "typeLetter": "C",
                               "paidToType": "C" if receipt else "V", "distribution": "G",
                               "postedFlag": "Y" if state == "posted" else "N", "date": iso(d),
                               "periodKey": b.periods.key_of(d), "amount": amount, "payeeName": party["name"]})
        b.add("cash_lines", {"journalCode": journal, "transactionNumber": tran_number(n), "text": "Cash line",
                             "glAccount": "4600" if receipt else "6200", "side": "R" if receipt else "P",
                             "amount": amount})
