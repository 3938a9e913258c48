#!/usr/bin/env bash
# A closed period stays closed: every command that writes entries dated on a
# date of its screen, or moves a period's amounts by it, refuses a date in a
# closed period.  Each command runs through the main program of an installed
# tree on a key script (qxa15 <company> /only /cmd:N), on a fresh copy of the
# company of fixtures/closed_periods_company.json (qxload): January and
# February 2025 closed, work of every ledger dated in them, today 03/15/25.
# For each row of the table: the messages the transcript must show, in
# order; the exit status (4: the command did not do its work); and the
# company dumped (qxdump) byte-identical before and after.
#
# A row types the date, presses F10, answers the message, then types a second
# date and presses F10 again: the second refusal names the second date only
# when the cursor stayed on the date field (had it moved on, the typing would
# have gone to another field, and F10 would have checked the first date, or
# run).
#
#   entry_date_cli_test.sh <build folder> <fixtures folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../support/installed_tree.sh"
installed_tree_begin "$1" qxentrydate
fixture=$2/closed_periods_company.json

feb28="The date 02/28/2025 falls in period 2 (02/01/2025 to 02/28/2025),"
feb01="The date 02/01/2025 falls in period 2 (02/01/2025 to 02/28/2025),"
jan31="The date 01/31/2025 falls in period 1 (01/01/2025 to 01/31/2025),"
refused_twice="\"022825\" F10 Enter \"020125\" F10 Enter"

# command | keys (blank-separated) | exit status | texts the transcript shows, in order (;-separated)
table=$(cat <<ROWS
320 | $refused_twice | 4 | $feb28;$feb01
321 | $refused_twice | 4 | $feb28;$feb01
322 | $refused_twice | 4 | $feb28;$feb01
324 | $refused_twice | 4 | $feb28;$feb01
324 | "013125" F10 Enter | 4 | $jan31
325 | $refused_twice | 4 | $feb28;$feb01
326 | $refused_twice | 4 | $feb28;$feb01
327 | $refused_twice | 4 | $feb28;$feb01
328 | $refused_twice | 4 | $feb28;$feb01
364 | $refused_twice | 4 | $feb28;$feb01
365 | $refused_twice | 4 | $feb28;$feb01
370 | $refused_twice | 4 | $feb28;$feb01
360 | "022825" F10 Enter Enter | 4 | Transactions dated up to the end of this period are still unposted.
362 | Enter Enter | 4 | Every period of this fiscal year must be closed before the year can be
320 | "022825" F10 Enter "031525" F10 Enter | 0 | $feb28;Nothing was selected or printed.
ROWS
)

failed=0
row=0
while IFS='|' read -r command keys status texts; do
  row=$((row + 1))
  command=${command// /}
  status=${status// /}
  name="row $row (command $command)"
  company=$work/company-$row
  rm -rf "$company"
  "$program/qxload" "$fixture" "$company" >/dev/null || fail "$name: qxload"
  "$program/qxdump" "$company" >"$work/before-$row.json" || fail "$name: qxdump"
  transcript=$work/transcript-$row.txt
  # shellcheck disable=SC2086  # the keys are blank-separated on purpose
  printf '%s\n' $keys >"$work/keys"
  QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$transcript" XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" timeout 60 "$program/qxa15" "$company" /only "/cmd:$command" >/dev/null 2>&1
  got=$?
  "$program/qxdump" "$company" >"$work/after-$row.json" || fail "$name: qxdump after"
  problems=()
  [ "$got" = "$status" ] || problems+=("exit status $got, not $status")
  cmp -s "$work/before-$row.json" "$work/after-$row.json" || problems+=("the company changed")
  # Each text after the one before it.
  python3 - "$transcript" "$texts" <<'PY' || problems+=("the transcript does not show what it should")
import sys
transcript = open(sys.argv[1], encoding="utf-8").read()
at = 0
for text in sys.argv[2].strip().split(";"):
    found = transcript.find(text.strip(), at)
    if found < 0:
        print("  missing, or out of order: " + text.strip())
        sys.exit(1)
    at = found + 1
PY
  if [ ${#problems[@]} -ne 0 ]; then
    failed=1
    echo "FAILED: $name, keys $keys: ${problems[*]}"
    diff <(python3 -m json.tool "$work/before-$row.json") <(python3 -m json.tool "$work/after-$row.json") | head -20
  fi
done <<<"$table"
[ "$failed" = 0 ] || fail "some commands wrote into a closed period or did not say so"
echo passed
