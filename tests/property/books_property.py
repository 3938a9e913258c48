"""The books on generated companies: a property-based test of every command
that writes.

A company is drawn at random (company.py) and loaded with qxload; then a
sequence of commands is drawn and each runs through the installed main
program in command-only mode on a key script: the postings (their questions
answered Skip or Stop), finance charges, the purge, the period ends, the
year close, the statistics rolls, global change, the forecasts and price
assignment, with dates inside and outside the open periods, some of them
killed part way.  After every command the properties (properties.py) are
read from qxdump.  Hypothesis shrinks a failing sequence to the smallest it
can find.

    books_property.py --build <build folder> [--examples N] [--steps N]
                      [--fresh] [--minutes M] [--database DIR]

By default the run is derandomized: N examples of up to --steps commands
from a fixed seed, after replaying the failures kept in --database (read
only).  --fresh draws new seeds for --minutes, sequences of up to
KEPT_STEPS commands, and keeps each failure it finds in --database, where
the next derandomized run replays it.
"""
import argparse
import collections
import datetime
import os
import random
import re
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from hypothesis import HealthCheck, Phase, settings, strategies as st  # noqa: E402
from hypothesis.errors import Unsatisfiable  # noqa: E402
from hypothesis.database import DirectoryBasedExampleDatabase, ExampleDatabase, ReadOnlyDatabase  # noqa: E402
from hypothesis.stateful import RuleBasedStateMachine, initialize, precondition, rule, run_state_machine_as_test  # noqa: E402

import commands  # noqa: E402
import company  # noqa: E402
import known_faults  # noqa: E402
import properties as P  # noqa: E402
from programs import Company, Installation  # noqa: E402

INSTALLATION = None
COUNTS = {"companies": 0, "commands": 0, "kills": 0}
OUTCOMES = {}  # command number -> Counter of its outcomes (tally)


def where_of(files, d):
    """Where date `d` lies in the company's periods as they stand now: "closed",
    "open" or "outside" both years."""
    for _, status, start, end in P.periods_of(files):
        if start <= d <= end:
            return "closed" if status == "C" else "open"
    return "outside"


def tally(number, result, ctx):
    """Counts what became of each command: did its work, found nothing to do,
    refused (4), and how many of its questions were answered skip or stop."""
    t = OUTCOMES.setdefault(number, collections.Counter())
    if result.killed:
        t["killed"] += 1
    elif result.status == 0:
        t["nothing" if any(m in result.transcript for m in commands.NOTHING) else "done"] += 1
    else:
        t["refused"] += 1
    t["skipped"] += result.transcript.count("answer: [Skip]")
    t["stopped"] += ctx.get("stopped", False)


class Books(RuleBasedStateMachine):
    def __init__(self):
        super().__init__()
        self.co = None
        self.done = False

    # ---- The company --------------------------------------------------------------------

    @initialize(case=company.companies())
    def load(self, case):
        self.case = case
        self.periods = case["periods"]
        self.co = Company(INSTALLATION, case["today"])
        self.co.load(case["fixture"])
        self.files = self.co.dump()
        COUNTS["companies"] += 1
        problems = P.invariants(self.files, company.RECEIVABLES, company.PAYABLES) + P.unsound_numbers(self.files)
        assert not problems, "the generated company does not hold the invariants: %r" % problems

    # ---- Running a command and judging it ------------------------------------------------------

    def run(self, number, keys, ctx, allowed=lambda f, r: False, changing=(), only=None, rerun=False, check=None):
        ctx = dict(ctx, command=number, shape=self.case["shape"])
        before = self.files
        result = self.co.command(number, keys)
        COUNTS["commands"] += 1
        after = self.co.dump()
        ctx["transcript"] = result.transcript
        # The dump shows every byte of every record (the unnamed ones as
        # "raw"): equal dumps are the company as it was.
        ctx["unchanged"] = before == after
        ctx["stopped"] = commands.STOPPED in result.transcript
        tally(number, result, ctx)
        found = self.judge(number, before, after, result, ctx, allowed, changing, only)
        if check is not None:
            found += check(before, after, result)
        self.settle(found, ctx, result)
        self.files = after
        if rerun and result.status == 0 and not self.done:
            again = self.co.command(number, keys)
            COUNTS["commands"] += 1
            later = self.co.dump()
            found = []
            if later != after:
                changed = sorted(f for f in set(after) | set(later) if after.get(f) != later.get(f))
                found.append(P.Violation("rerun", "a rerun of %d changed %s" % (number, ", ".join(changed))))
            self.settle(found, dict(ctx, transcript=again.transcript), again)
            self.files = later

    def judge(self, number, before, after, result, ctx, allowed, changing, only):
        found = []
        if result.status not in (0, 4):
            found.append(P.Violation("exit status", "command %d ended with status %d: %s"
                                     % (number, result.status, result.errors[-400:])))
        # Exit 4 leaves the company as it was; but a posting stopped at one
        # of its questions keeps the transactions it posted before the stop
        # (each whole: the invariants below hold them).
        if result.status == 4 and not ctx["unchanged"] and not (
                ctx["stopped"] and number in commands.POSTINGS and number not in commands.STOP_POSTS_NOTHING):
            changed = sorted(f for f in set(before) | set(after) if before.get(f) != after.get(f))
            found.append(P.Violation("exit 4 leaves the company", "exit 4, yet %s changed" % ", ".join(changed)))
        # Exit 0 only with the command's own word that it did its work or
        # found nothing to do, and never after a stop; that word without a
        # stop is exit 0.
        told = re.findall(r"--- message box: [^\n]*\n([^\n]*)", result.transcript)
        # A posting whose walk came to its end having skipped every
        # transaction it found is done too, though it has no summary to show.
        word = commands.said_done(result.transcript) or (
            number in commands.POSTINGS and "answer: [Skip]" in result.transcript and ctx["unchanged"])
        if result.status == 0 and (ctx["stopped"] or not word):
            found.append(P.Violation("exit status", "exit 0, yet the command %s %r"
                                     % ("was stopped at" if ctx["stopped"] else "said", told[:2])))
        if result.status == 4 and not ctx["stopped"] and commands.said_done(result.transcript):
            found.append(P.Violation("exit status", "exit 4, yet the command said %r" % told[-2:]))
        for m in re.finditer(r"Debits (-?[\d.]+), credits (-?[\d.]+)\.", result.transcript):
            if m.group(1) != m.group(2):
                found.append(P.Violation("posting summary", m.group(0)))
        if number in commands.POSTINGS:
            found += P.summary_ties(before, after, result.transcript)
        found += P.invariants(after, company.RECEIVABLES, company.PAYABLES)
        if number != 362:
            found += P.closed_periods_unchanged(before, after)
        found += P.nothing_lost(before, after, allowed)
        found += P.unsound_numbers(after)
        found += P.texts_kept(before, after, changing)
        if only is not None:
            found += P.only_field_changed(before, after, *only)
        return found

    def settle(self, found, ctx, result):
        unknown = []
        for v in found:
            k = known_faults.match(v, ctx)
            if k is None:
                unknown.append(v)
            else:
                known_faults.MET[k.ident] += 1
                if k.ends:
                    print("known fault %s on command %d: %s" % (k.ident, ctx["command"], v), file=sys.stderr)
                    self.done = True
        if unknown:
            raise AssertionError("command %d (%s) broke: %s\n--- transcript ---\n%s"
                                 % (ctx["command"], ", ".join("%s=%s" % (k, v) for k, v in ctx.items()
                                                             if k not in ("transcript", "shape", "command")),
                                    "\n".join(map(repr, unknown)), result.transcript[-3000:]))

    def date(self, data):
        d = data.draw(company.dates(self.periods), label="date")
        return d, where_of(self.files, d)

    @precondition(lambda self: self.done)
    @rule()
    def rest(self):
        """A sequence that met a known fault ends here."""

    # ---- The rules --------------------------------------------------------------------------------

    # The postings, the heart of the books, in three rules (so drawn three
    # times as often as any other command): the ledgers, billing and
    # purchasing, the stock.
    ANSWERS = st.sampled_from(["skip", "skip", "stop"])

    @precondition(lambda self: not self.done)
    @rule(number=st.sampled_from([320, 321, 322]), answer=ANSWERS, data=st.data())
    def post_ledger(self, number, answer, data):
        self.post(number, answer, data)

    @precondition(lambda self: not self.done)
    @rule(number=st.sampled_from([324, 325]), answer=ANSWERS, data=st.data())
    def post_billing_purchasing(self, number, answer, data):
        self.post(number, answer, data)

    @precondition(lambda self: not self.done)
    @rule(number=st.sampled_from([326, 327, 328]), answer=ANSWERS, data=st.data())
    def post_stock(self, number, answer, data):
        self.post(number, answer, data)

    def posting_date(self, number, data):
        """Half the time a date of the posting's own unposted work, so that
        most runs find some; else any date."""
        waiting = sorted({r["date"] for r in self.files.get(commands.POSTED_FILES.get(number), [])
                          if r.get("postedFlag") != "Y" and r.get("date")})
        if waiting and data.draw(st.booleans(), label="a date of unposted work"):
            d = datetime.date.fromisoformat(data.draw(st.sampled_from(waiting), label="date"))
            return d, where_of(self.files, d)
        return self.date(data)

    def post(self, number, answer, data):
        d, where = self.posting_date(number, data)
        check = (lambda before, after, result: P.adjustments_valued(before, after)) if number == 328 else None
        self.run(number, commands.posting_keys(d, answer), {"date": d, "where": where, "answer": answer},
                 rerun=True, allowed=lambda f, r: number == 327 and f == "physical_counts", check=check)

    @precondition(lambda self: not self.done)
    @rule(data=st.data())
    def finance_charges(self, data):
        d, where = self.date(data)
        self.run(364, commands.dated_keys(d), {"date": d, "where": where})

    @precondition(lambda self: not self.done)
    @rule(number=st.sampled_from(sorted(commands.PERIOD_ENDS)), data=st.data())
    def period_end(self, number, data):
        d, where = self.date(data)
        files = {365: ("ar_open_invoices", "ar_open_invoice_headers"),
                 370: ("ap_open_invoices", "ap_open_invoice_headers")}.get(number, ())
        self.run(number, commands.dated_keys(d), {"date": d, "where": where},
                 allowed=lambda f, r: f in files)

    @precondition(lambda self: not self.done)
    @rule()
    def year_close(self):
        self.run(362, commands.year_close_keys(), {})

    @precondition(lambda self: not self.done)
    @rule(number=st.sampled_from(sorted(commands.ROLLS)))
    def statistics_roll(self, number):
        self.run(number, commands.roll_keys(), {})

    @precondition(lambda self: not self.done)
    @rule(number=st.sampled_from(sorted(commands.FORECASTS)), method=st.integers(0, 3))
    def forecast(self, number, method):
        self.run(number, commands.forecast_keys(method), {"method": method})

    @precondition(lambda self: not self.done)
    @rule(letter=st.sampled_from(sorted(commands.PURGE_KINDS)), by=st.sampled_from("SP"), data=st.data())
    def purge(self, letter, by, data):
        first, _ = self.date(data)
        last, _ = self.date(data)
        first, last = min(first, last), max(first, last)
        self.run(390, commands.purge_keys(letter, first, last, by),
                 {"letter": letter, "from": first, "to": last, "by": by},
                 allowed=commands.purge_removes(letter, first, last, self.files, by))

    @precondition(lambda self: not self.done)
    @rule(entity=st.integers(0, 3), data=st.data())
    def global_change(self, entity, data):
        file, fields = commands.GLOBAL_FIELDS[entity]
        field = data.draw(st.integers(0, len(fields) - 1), label="field")
        name, record_fields, kind, conditions = fields[field]
        if kind.startswith("choice:"):
            value = ["Right"] * data.draw(st.integers(0, int(kind[7:]) - 1), label="choice")
        elif kind == "number":
            value = ['"%s"' % data.draw(st.sampled_from(["1.75", "0", "250", "12345678901", "-5"]), label="number")]
        elif kind == "area":
            value = ['"%s"' % data.draw(st.sampled_from(["646", "(415)", "9"]), label="area")]
        else:
            value = ['"%s"' % data.draw(st.sampled_from(kind[5:].split(",") + ["st", "ZZZ"]), label="code")]
        condition = data.draw(st.integers(0, conditions - 1), label="condition")
        bounds = data.draw(st.sampled_from([("", ""), ("C1", "C2"), ("V1", "V1"), ("P1", "P3"), ("S1", "S2"),
                                            ("98000", "99999"), ("(212)", "(212)"), ("1", "2")]), label="bounds")
        changing = {(file, f) for f in record_fields}
        if "phone1" in record_fields:
            changing |= {("customer_addresses", "phones"), ("vendor_addresses", "phones")}
        self.run(393, commands.global_keys(entity, field, value, condition, *bounds),
                 {"entity": file, "field": name, "value": value, "condition": condition, "bounds": bounds},
                 changing=changing, only=(file, set(record_fields)))

    @precondition(lambda self: not self.done)
    @rule(data=st.data())
    def price_assignment(self, data):
        """Price assignment (380): a drawn selection, a rule, a typed price or
        nothing on each listed line, then F10 (or Esc, leaving unsaved)."""
        products = self.files.get("products", [])

        def bound(letter, table):
            field, kind = table[letter]
            if kind == "text":
                values = sorted({str(p.get(field, "")).strip() for p in products} | {""})
                pick = data.draw(st.sampled_from(values), label="%s bound" % letter)
                return pick.lower() if pick and data.draw(st.booleans(), label="lower case") else pick
            if kind == "date":
                return data.draw(st.sampled_from(["", datetime.date(2024, 12, 31), datetime.date(2025, 6, 30),
                                                  self.case["today"]]), label="date bound")
            return data.draw(st.sampled_from(["", "0", "15", "100", "1000"]), label="figure bound")

        def criterion(table):
            letter = data.draw(st.sampled_from(sorted(table)), label="criterion")
            low, high = bound(letter, table), bound(letter, table)
            # Mostly a range that may hold something; now and then one whose
            # From lies past its To.
            kind = table[letter][1]
            order = {"text": str.casefold, "date": lambda v: v}.get(kind, float)
            if low != "" and high != "" and data.draw(st.integers(0, 4), label="order"):
                low, high = sorted((low, high), key=order)
            return letter, low, high

        first, second = criterion(commands.PRICE_FIRST), criterion(commands.PRICE_SECOND)
        rows, ordered = commands.price_listed(products, first, second)
        line_ = st.one_of(st.none(),
                          st.tuples(st.sampled_from("$%"), st.sampled_from(["2.5", "0.99", "-1", "20", "35.5",
                                                                             "100", "1000", "9999999999"])),
                          st.tuples(st.just("typed"), st.sampled_from(["12.5", "0.0425", "1500", "999999.999"])))
        if ordered:
            drawn = [data.draw(line_, label="line") for _ in rows]
        else:
            drawn = [data.draw(line_, label="every line")] * len(rows)
        leave = bool(rows) and data.draw(st.integers(0, 7), label="leave") == 0
        lines, expected = [], {}
        for p, line in zip(rows, drawn):
            was = ("as it was", p.get("sellingPrice", 0.0))
            if line is None:
                lines.append(None)
                expected[p["number"]] = was
            elif line[0] == "typed":
                lines.append(line)
                expected[p["number"]] = ("typed", commands.num_round(float(line[1]), 3))
            else:
                price = commands.price_by_rule(p, line[0], float(line[1]))
                lines.append((line[0], line[1], price is None))
                expected[p["number"]] = was if price is None else ("rule", price)
        self.run(380, commands.price_keys(first, second, lines, leave),
                 {"first": first, "second": second, "lines": lines, "leave": leave},
                 changing={("products", "sellingPrice")}, only=("products", {"sellingPrice"}),
                 check=lambda before, after, result: P.prices_assigned(before, after, {} if leave else expected)
                 + P.selection_shown(bool(rows), result.transcript))

    @precondition(lambda self: not self.done)
    @rule(kind=st.sampled_from(["post", "purge", "global"]), number=st.sampled_from(sorted(commands.POSTINGS)),
          delay=st.integers(0, 60), data=st.data())
    def killed(self, kind, number, delay, data):
        """A run killed part way: the properties hold on what it left, and the
        rerun completes the work exactly once."""
        if kind == "post":
            d, where = self.posting_date(number, data)
            keys, ctx = commands.posting_keys(d), {"date": d, "where": where}
        elif kind == "purge":
            letter = data.draw(st.sampled_from("GRYABU"), label="letter")
            number, keys = 390, commands.purge_keys(letter, datetime.date(2024, 1, 1), datetime.date(2027, 12, 31))
            ctx = {"letter": letter}
        else:
            number, keys = 393, commands.global_keys(0, 9, ['"4321"'], 0, "", "")
            ctx = {"entity": "customers"}
        ctx = dict(ctx, command=number, shape=self.case["shape"], killed_after_ms=delay)
        twin = self.co.copy()
        whole = twin.command(number, keys)
        whole_files = twin.dump()
        before = self.files
        result = self.co.command(number, keys, kill_after=delay / 1000.0)
        COUNTS["commands"] += 2
        COUNTS["kills"] += result.killed
        tally(number, result, ctx)
        after = self.co.dump()
        found = P.invariants(after, company.RECEIVABLES, company.PAYABLES) + P.unsound_numbers(after) + P.nothing_lost(
            before, after, lambda f, r: kind == "purge" or (number == 327 and f == "physical_counts"))
        ctx["transcript"] = result.transcript
        self.settle(found, ctx, result)
        if self.done or not result.killed:
            self.files = after
            return
        rerun = self.co.command(number, keys)
        COUNTS["commands"] += 1
        final = self.co.dump()
        found = []
        if whole.status == 0 and kind != "purge":
            for diff in P.differences(P.figures(whole_files), P.figures(final)):
                found.append(P.Violation("exactly once", "killed after %d ms and rerun, unlike one whole run: %s"
                                         % (delay, diff)))
        found += P.invariants(final, company.RECEIVABLES, company.PAYABLES)
        self.settle(found, dict(ctx, transcript=rerun.transcript), rerun)
        self.files = final


class Failures(ExampleDatabase):
    """The example database in tests/property/examples, under one name.

    Hypothesis names a test's examples by a digest of the test's source, so
    that every change of this file would orphan the failures kept so far; here
    every test key is the one name "books".  Only the failures themselves are
    kept (Hypothesis's primary corpus, shrunk): not the secondary corpus of
    larger failing cases nor the pareto front of a run, which would fill the
    folder with sequences the replay runs for nothing."""

    DIGEST = 48  # bytes of the test's digest, before ".secondary" or ".pareto"

    def __init__(self, path):
        super().__init__()
        self.db = DirectoryBasedExampleDatabase(path)

    @classmethod
    def primary(cls, key):
        return len(key) == cls.DIGEST

    def fetch(self, key):
        return self.db.fetch(b"books") if self.primary(key) else iter(())

    def save(self, key, value):
        if self.primary(key):
            self.db.save(b"books", value)

    def delete(self, key, value):
        if self.primary(key):
            self.db.delete(b"books", value)


# The longest sequence of a fresh run, which its kept failures are replayed
# with: Hypothesis reads a kept example by the step count it was drawn with.
KEPT_STEPS = 20


def run(database, derandomize, max_examples, steps, phases):
    settings_ = settings(max_examples=max_examples, stateful_step_count=steps, deadline=None,
                         derandomize=derandomize, database=database, phases=phases,
                         suppress_health_check=list(HealthCheck), print_blob=True)
    run_state_machine_as_test(Books, settings=settings_)


def replay(database):
    """Runs every failure kept in `database` again (read only).  One that no
    longer fails is a fault mended: said, and passed."""
    kept = Failures(database)
    count = len(list(kept.fetch(bytes(Failures.DIGEST))))
    print("books property test: replaying %d kept failures" % count, flush=True)
    if not count:
        return
    try:
        run(ReadOnlyDatabase(kept), False, 1000, KEPT_STEPS, [Phase.reuse])
    except Unsatisfiable:
        # Each kept case ran to its end without failing (and past it, where
        # its recorded draws ran out).
        print("books property test: the kept failures no longer fail: remove them from %s" % database)


def main():
    global INSTALLATION
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--examples", type=int, default=20)
    parser.add_argument("--steps", type=int, default=8, help="the longest sequence of a derandomized run")
    parser.add_argument("--fresh", action="store_true")
    parser.add_argument("--minutes", type=float, default=0)
    parser.add_argument("--database", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "examples"))
    args = parser.parse_args()
    INSTALLATION = Installation(args.build)
    # A run stopped with SIGTERM (a timeout, the fuzz script's caller) still
    # reports and removes its installation.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    started = time.time()
    status = 0
    try:
        if args.fresh:
            db = Failures(args.database)
            while True:
                run(db, False, args.examples, KEPT_STEPS, [Phase.reuse, Phase.generate, Phase.shrink])
                if time.time() - started > args.minutes * 60:
                    break
        else:
            replay(args.database)
            run(None, True, args.examples, args.steps, [Phase.explicit, Phase.generate, Phase.shrink])
    except Exception:
        status = 1
        raise
    finally:
        print("books property test: %d companies, %d commands (%d killed) in %.0f s; %s"
              % (COUNTS["companies"], COUNTS["commands"], COUNTS["kills"], time.time() - started,
                 known_faults.report()))
        for number in sorted(OUTCOMES):
            print("  %d: %s" % (number, ", ".join("%s %d" % (k, n) for k, n in sorted(OUTCOMES[number].items()) if n)))
        for k in known_faults.KNOWN:
            if k.ident in known_faults.MET:
                print("  known %-20s %s" % (k.ident, k.why))
        INSTALLATION.remove()
    return status


if __name__ == "__main__":
    sys.exit(main())
