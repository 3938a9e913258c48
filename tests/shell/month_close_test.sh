#!/usr/bin/env bash
# The sample company's month, closed through the menus as a new user closes
# it: the program started on the company (the Open Company screen accepted),
# each journal printed, each ledger posted, then PerioDic > General Ledger >
# Period End.  Each step is one run of the main program on a key script, of
# an installed program tree, today 03/15/25; after each the accountant's
# invariants hold over the company (tests/support/books_invariants.py), and
# at the end March is closed and nothing of it is left unposted.
#
#   month_close_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
here=$(dirname "$0")
. "$here/../support/installed_tree.sh"
installed_tree_begin "$1" qxmonthclose
invariants=$here/../support/books_invariants.py

# step <name> <text the run shows> [/cmd:N] <key>...: one run through the
# menus; its transcript is $work/<name>.txt.  A first argument /cmd:N starts
# that command before the menus (a command the menus do not list).
step() {
  local name=$1 shows=$2
  shift 2
  local start=()
  if [[ ${1:-} == /cmd:* ]]; then start=("$1"); shift; fi
  printf '%s\n' Enter "$@" >"$work/keys"
  local transcript=$work/$name.txt
  QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$transcript" XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" timeout 60 "$program/qxa15" "$work/company" "${start[@]}" >"$work/out.txt" 2>&1 ||
    { cat "$transcript"; fail "$name: exit status $?"; }
  grep -qF -- "$shows" "$transcript" || { cat "$transcript"; fail "$name: \"$shows\" not shown"; }
  grep -qF "Error " "$transcript" && { cat "$transcript"; fail "$name: a record-manager error"; }
  "$program/qxdump" "$work/company" >"$work/books.json" || fail "$name: qxdump"
  python3 "$invariants" "$work/books.json" >"$work/invariants.txt" ||
    { cat "$work/invariants.txt"; fail "after $name the invariants do not hold"; }
  echo "$name: invariants hold"
}

# The journals, in Journal mode: each prints the month's unposted work.  The
# month's cash came posted: its journal has nothing left to print.
step gl-journal "preview: General Ledger Journal" Alt+J '"g"' F10 Esc
step ar-journal "preview: Receivables Journal" Alt+J '"r"' F10 Esc
step ap-journal "preview: Payables Journal" Alt+J '"p"' F10 Esc
step cash-journal "Nothing was selected or printed." Alt+J '"c"' '"j"' F10 Enter
step purchasing-journal "Purchasing Journal" Alt+J '"h"' F10 Esc
step billing-journal "Billing Journal" Alt+J '"b"' F10 Esc
step assembly-journal "preview: Assembly Journal" Alt+J '"a"' F10 Esc
step count-journal "Physical inventory adjustment" Alt+J '"i"' F10 Esc

# The postings: the subledgers first, purchasing before billing (billing
# waits for the period's purchases), then the inventory adjustments (not on
# the Posting menu: started by their command) and the general ledger.
step ar-posting "transactions posted." Alt+P '"r"' F10 Enter
step ap-posting "transactions posted." Alt+P '"p"' F10 Enter
step purchasing-posting "transactions posted." Alt+P '"h"' F10 Enter
step billing-posting "transactions posted." Alt+P '"b"' F10 Enter
step assembly-posting "transactions posted." Alt+P '"a"' F10 Enter
step count-posting "transactions posted." Alt+P '"i"' F10 Enter
step adjustment-posting "transactions posted." /cmd:328 F10 Enter
step gl-posting "transactions posted." Alt+P '"g"' F10 Enter

# Period end: March is closed.
step period-end "Continue" Alt+D '"g"' '"p"' F10 Enter
python3 - "$work/books.json" <<'EOF' || fail "March is not closed"
import json, sys
files = json.load(open(sys.argv[1]))["files"]
periods = next(s for s in files["settings"] if s["key"] == "0Periods")
march = periods["entries"][2]
assert march["status"] == "C", march
assert periods["nextOpenPeriod"] == 4, periods["nextOpenPeriod"]
EOF
grep -qF "Unposted transactions" "$work/period-end.txt" && fail "the period end found unposted transactions"
echo "passed"
