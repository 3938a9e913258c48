"""Faults of the system this test finds, that are being mended elsewhere.

Each entry names the property it breaks, the commands it is seen on, the
shape of the case (a test over the step's context: the company's shape, the
command's parameters, its transcript) and why, in one line.  A violation
that an entry matches is reported as "known" and ends that sequence (the
books it leaves are no start for more commands); any other violation fails
the test.  Remove an entry once its fault is mended: the test then holds the
mend.
"""
import collections

# Counts of the known faults met in this run, by entry id.
MET = collections.Counter()


class Known:
    def __init__(self, ident, props, commands, shape, why, ends=True):
        self.ends = ends  # False: the fault leaves the books as they were; the sequence goes on
        self.ident = ident
        self.props = props
        self.commands = commands
        self.shape = shape
        self.why = why

    def matches(self, violation, ctx):
        return (violation.prop in self.props and (not self.commands or ctx["command"] in self.commands)
                and self.shape(ctx))


def has(*facts):
    return lambda ctx: any(f in ctx["shape"] for f in facts)


def date_closed(ctx):
    return ctx.get("where") == "closed"


def refused(ctx):
    return True


KNOWN = [
    Known("nonstock-inventory", ("inventory control",), (324, 325, 328, 327),
          has("billing non-stock line", "purchasing non-stock line", "adjustment of a non-stock product"),
          "a line of a non-stock product (type 2) moves the inventory account"),
    Known("total-disagrees", ("receivables control", "payables control"), (324, 325),
          has("billing total disagrees", "purchasing total disagrees"),
          "a header whose total disagrees with its lines posts silently: the party takes the total, the G/L the lines"),
    Known("summary-unbalanced", ("posting summary",), (328,), lambda ctx: True,
          "the inventory posting's summary of debits and credits does not tie to the ledger"),
    Known("closed-period-date", ("closed period", "dated into a closed period"), (324, 325, 364),
          date_closed, "billing/purchasing posting and finance charges accept a date in a closed period"),
    Known("purge-open-orders", ("open purchase order", "header without its lines", "line without its header",
                                "nothing lost"), (390,), lambda ctx: ctx.get("letter") == "H",
          "the purge of purchase orders deletes open orders and orphans their lines"),
    Known("global-change-bound", ("money bound",), (393,), lambda ctx: ctx.get("value") == ['"12345678901"'],
          "global change stores a value beyond the money bound"),
    Known("global-change-area", ("text damaged", "only the named field"), (393,),
          lambda ctx: ctx.get("field") == "Area Code", "global change of the area code overwrites the phones"),
    Known("global-change-type", ("inventory control",), (393,), lambda ctx: ctx.get("field") == "Inventory Type",
          "global change of a product's type to non-stock takes its stock out of the inventory"),
    Known("global-change-account-type", ("receivables control", "payables control"), (393,),
          lambda ctx: ctx.get("field") in ("Account Type", "A/R Account", "A/P Account"),
          "global change of an account type or account moves a balance out of its control account"),
    Known("refused-exit-0", ("exit status",), (), lambda ctx: ctx.get("unchanged"),
          "a command-only run that refused (a date, unposted work, an open period) still exits 0", ends=False),
]


def match(violation, ctx):
    for k in KNOWN:
        if k.matches(violation, ctx):
            return k
    return None


def report():
    if not MET:
        return "known faults met: none"
    return "known faults met: " + ", ".join("%s x%d" % (k, n) for k, n in sorted(MET.items()))
