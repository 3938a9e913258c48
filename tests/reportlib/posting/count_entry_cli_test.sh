#!/usr/bin/env bash
# Physical-inventory count entry (command 391) through the main program of an
# installed tree, driven by a key script as a user types:
#   - on the company of fixtures/count_entry_company.json (qxload): counts
#     added to those on file and a new one in dozens, read back with qxdump;
#   - on the sample company, whose billing, purchasing and assembly work is
#     still unposted: the grid stays closed and says why, and the command
#     did not do its work (exit status 4).
#
#   count_entry_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
here=$(dirname "$0")
. "$here/../../support/installed_tree.sh"
installed_tree_begin "$1" qxcountentry

fixture=$work/fixture
"$program/qxload" "$here/fixtures/count_entry_company.json" "$fixture" >/dev/null || fail "qxload"
printf '%s\n' '"BOLT-10"' Enter '"3"' Enter '"NUT-12"' Enter '"2 6/12"' Enter F10 >"$work/keys"
transcript=$work/fixture-391.txt
QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$transcript" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
  timeout 60 "$program/qxa15" "$fixture" /only /cmd:391 || { cat "$transcript"; fail "391: exit status $?"; }
grep -qF "NUT-12        Hex nut, dozen                2 6/12" "$transcript" || { cat "$transcript"; fail "391: no dozens"; }
"$program/qxdump" "$fixture" physical_counts | python3 -c '
import json, sys
counts = {c["productCode"]: (c["countedQuantity"], c["printedFlag"]) for c in json.load(sys.stdin)["files"]["physical_counts"]}
assert counts == {"BOLT-10": (8.0, "N"), "NUT-12": (30.0, "N"), "PIPE-2": (12345.6789, "N")}, counts
' || fail "391: the count file does not hold the counts entered"

transcript=$work/sample-391.txt
status=0
run_keys 391 "$transcript" Enter Enter || status=$?
[ $status -eq 4 ] || { cat "$transcript"; fail "391 on the sample: exit status $status, not 4 (the grid was refused)"; }
grep -qF "message number: 193" "$transcript" || { cat "$transcript"; fail "391 on the sample: not refused"; }
grep -qF "form start: Physical Inventory Count Entry" "$transcript" && fail "391 on the sample: the grid opened"
echo passed
