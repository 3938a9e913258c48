#!/usr/bin/env bash
# The receivables, payables and cash journals run through the main program
# of an installed tree, as a user runs them, on the sample company:
#   qxa15 <company> /only /cmd:302      (then 303 and 310)
# driven by a key script: F10 prints in "Journal" mode, the report goes to
# the transcript and the preview closes when the script runs out.  Each run
# ends with status 0, prints its G/L summary and stamps exactly the period's
# unposted transactions; a listing changes nothing.  The sample's cash comes
# posted: its journal finds nothing to print.  Then the cash journal in a
# terminal under tmux, listing the posted cash: the window, F10, the
# preview, Esc.
#
#   ledger_journals_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../support/installed_tree.sh"
installed_tree_begin "$1" qxledgerjournals

# The headers of a file: "<unposted in March> <stamped with 03/15/25>".
headers() {
  "$program/qxdump" "$work/company" "$1" | python3 -c '
import json, sys
records = json.load(sys.stdin)["files"].get(sys.argv[1], [])
march = [r for r in records if r.get("postedFlag") != "Y" and r.get("date", "").startswith("2025-03")]
print(len(march), sum(1 for r in records if r.get("journalPrinted") == "2025-03-15"))' "$1"
}

for spec in "302:ar_headers:Receivables Journal:General Ledger Summary" \
            "303:ap_headers:Payables Journal:General Ledger Summary"; do
  IFS=: read -r command file title summary <<<"$spec"
  read -r unposted stamped < <(headers "$file")
  [ "$unposted" -gt 0 ] && [ "$stamped" = 0 ] || fail "$file: $unposted unposted, $stamped stamped before the run"
  transcript=$work/journal-$command.txt
  run_keys "$command" "$transcript" F10 || { cat "$transcript"; fail "$title: qxa15 exit status $?"; }
  grep -qF "preview: $title" "$transcript" || { cat "$transcript"; fail "$title: no report"; }
  grep -qF "$summary" "$transcript" || fail "$title: no summary"
  grep -qF "message box" "$transcript" && { cat "$transcript"; fail "$title: a message box was shown"; }
  read -r unposted stamped < <(headers "$file")
  [ "$stamped" = "$unposted" ] || fail "$title: $stamped headers stamped, $unposted expected"
done

# The month's cash is posted: nothing to print, nothing stamped.
read -r unposted stamped < <(headers cash_headers)
[ "$unposted" = 0 ] && [ "$stamped" = 0 ] || fail "cash_headers: $unposted unposted, $stamped stamped"
run_keys 310 "$work/journal-310.txt" F10 || { cat "$work/journal-310.txt"; fail "Cash Journal: qxa15 exit status $?"; }
grep -qF "Nothing was selected or printed." "$work/journal-310.txt" || { cat "$work/journal-310.txt"; fail "the cash journal printed"; }
read -r unposted stamped < <(headers cash_headers)
[ "$stamped" = 0 ] || fail "Cash Journal: $stamped headers stamped"

# A listing of two receivables transactions writes nothing.
"$program/qxdump" "$work/company" >"$work/before.json"
run_keys 302 "$work/listing.txt" Space Enter Enter Enter Enter '"1001"' Enter '"1002"' F10 || fail "listing: exit status $?"
grep -qF "Receivables Listing" "$work/listing.txt" || { cat "$work/listing.txt"; fail "no listing"; }
"$program/qxdump" "$work/company" >"$work/after.json"
cmp -s "$work/before.json" "$work/after.json" || fail "a listing changed the company"

# The cash journal in a terminal.
if ! command -v tmux >/dev/null 2>&1; then
  echo "passed (tmux is not installed: the terminal run was skipped)"
  exit 0
fi
. "$(dirname "$0")/../../support/tmux.sh"
tmux_use_work qxlj
tmux new-session -d -s "$session" -x 140 -y 40 \
  "env TERM=xterm-256color LANG=C.UTF-8 QX_TODAY=2025-03-15 XDG_CONFIG_HOME='$work/config' XDG_STATE_HOME='$work/state' \
   '$program/qxa15' '$work/company' /only /cmd:310; echo \"shell is back, status \$?\"; sleep 30"
wait_for "Print comments"
wait_for "F10 Print"
tmux send-keys -t "$session" Space   # Listing: the posted cash
tmux send-keys -t "$session" F10
wait_for "Cash Listing"
wait_for "Dep/Chk#"
tmux send-keys -t "$session" Escape
wait_for "shell is back, status 0"
echo "passed"
