#!/usr/bin/env bash
# The loader and the dumper on a company the postings have written: the
# sample company posted through the main program of an installed tree, one
# posting command after another on key scripts as a user runs them, then
# dumped (qxdump), loaded into a second folder (qxload) and dumped again.
#   - every journal code a posting wrote reads as its text (a code written
#     with NULs has no text form and dumps as hex);
#   - after each posting every posted G/L transaction balances and the
#     receivables, payables and inventory accounts equal their subledgers;
#   - the reloaded company dumps exactly as the posted one.
#
#   posted_round_trip_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
here=$(dirname "$0")
. "$here/../support/installed_tree.sh"
installed_tree_begin "$1" qxposted

# Purchasing, billing, receivables, payables, assemblies, physical counts, inventory
# adjustments, then the general ledger: every posting that writes a journal.
for command in 324 325 321 322 326 327 328 320; do
  transcript=$work/post-$command.txt
  run_keys "$command" "$transcript" F10 Enter || { cat "$transcript"; fail "$command: exit status $?"; }
  grep -qE "[0-9]+ transactions? posted\." "$transcript" || { cat "$transcript"; fail "$command posted nothing"; }
  # After every posting the books hold together.
  "$program/qxdump" "$work/company" >"$work/after-$command.json" || fail "qxdump after $command"
  python3 "$here/../support/books_invariants.py" "$work/after-$command.json" >"$work/invariants-$command.txt" \
    || { cat "$work/invariants-$command.txt"; fail "$command broke the books"; }
done

"$program/qxdump" "$work/company" >"$work/posted.json" || fail "qxdump of the posted company"
python3 - "$work/posted.json" <<'PY' || fail "a journal code of the posted company is not a text"
import json, sys
files = json.load(open(sys.argv[1]))["files"]
bad, codes = [], set()
def walk(value, where):
    if isinstance(value, dict):
        for key, v in value.items():
            if key == "journalCode":
                if isinstance(v, str):
                    codes.add(v)
                else:
                    bad.append((where, v))
            else:
                walk(v, where)
    elif isinstance(value, list):
        for v in value:
            walk(v, where)
for name, records in files.items():
    walk(records, name)
assert not bad, bad[:5]
# The postings' own journals are among them.
assert {"AR", "AP", "AS", "IN", "IA"} <= codes, sorted(codes)
PY

"$program/qxload" "$work/posted.json" "$work/reloaded" >/dev/null || fail "qxload of the posted company's dump"
"$program/qxdump" "$work/reloaded" >"$work/reloaded.json" || fail "qxdump of the reloaded company"
cmp -s "$work/posted.json" "$work/reloaded.json" || fail "the reloaded posted company dumps differently"
echo passed
