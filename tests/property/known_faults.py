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


# None is open: every fault this test found so far is mended, and the test
# holds each mend.
KNOWN = []


def match(violation, ctx):
    for k in KNOWN:
        if k.matches(violation, ctx):
            return k
    return None


def report():
    if not MET:
        return "known faults met: none"
    return "known faults met: " + ", ".join("%s x%d" % (k, n) for k, n in sorted(MET.items()))
