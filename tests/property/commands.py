"""The commands that write, as a user runs them in command-only mode: each
command's number, its key script, what its run says when it did its work
or found nothing to do, and which records its rule may remove.
"""
import datetime

POSTINGS = {320: "G/L", 321: "receivables", 322: "payables", 323: "cash", 324: "purchasing", 325: "billing",
            326: "assembly", 327: "physical inventory", 328: "inventory"}
PERIOD_ENDS = {360: "G/L end of period", 365: "receivables end of period", 370: "payables end of period"}
ROLLS = {369: "customers", 374: "vendors", 384: "products and services"}
FORECASTS = {367: "customers", 372: "vendors", 382: "products"}

DONE = ["transactions posted.", "The periods up to this date are closed.", "end of period is complete.",
        "The year-end processing is complete.", "The purge is complete.", "The change has been made.",
        "report: Finance Charges", "Forecast Calculation (accepted)"]
NOTHING = ["Nothing was selected"]


def typed(d):
    return '"%s"' % d.strftime("%m/%d/%y")


def posting_keys(d):
    return [typed(d), "F10", "Enter"]


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
}


def purge_keys(letter, first, last):
    entry, _ = PURGE_KINDS[letter]
    keys = ['"%s"' % letter, "Enter"]
    if entry == "window":
        keys += [typed(first), "Enter", typed(last)]
    else:
        keys += [typed(last)]
    return keys + ["F10", "Enter", "Esc"]


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
