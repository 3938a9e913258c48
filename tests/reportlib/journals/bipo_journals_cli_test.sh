#!/usr/bin/env bash
# The billing and purchasing journals run through the main program of an
# installed tree, as a user runs them, on the sample company:
#   qxa15 <company> /only /cmd:305      (then 304)
# driven by a key script: F10 prints in "Journal" mode, the report goes to
# the transcript and the preview closes when the script runs out.  Each run
# ends with status 0, prints its item section and marks exactly the
# period's unposted documents; a listing changes nothing.  Then the billing
# journal in a terminal under tmux: the window, F10, the preview, Esc.
#
#   bipo_journals_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../support/installed_tree.sh"
installed_tree_begin "$1" qxbipojournals

# The documents of a file: "<unposted in March, open orders aside> <marked printed>".
documents() {
  "$program/qxdump" "$work/company" "$1" | python3 -c '
import json, sys
records = json.load(sys.stdin)["files"].get(sys.argv[1], [])
march = [r for r in records if r.get("postedFlag") != "Y" and r.get("typeLetter") != "O"
         and r.get("date", "").startswith("2025-03")]
print(len(march), sum(1 for r in records if r.get("journalPrinted") == "Y"))' "$1"
}

for spec in "305:billing_headers:Billing Journal:Sales Price" \
            "304:purchasing_headers:Purchasing Journal:Last P.Price"; do
  IFS=: read -r command file title items <<<"$spec"
  read -r unposted marked < <(documents "$file")
  [ "$unposted" -gt 0 ] && [ "$marked" = 0 ] || fail "$file: $unposted unposted, $marked marked before the run"
  transcript=$work/journal-$command.txt
  run_keys "$command" "$transcript" F10 || { cat "$transcript"; fail "$title: qxa15 exit status $?"; }
  grep -qF "preview: Billing/Purchasing Journal" "$transcript" || { cat "$transcript"; fail "$title: no report"; }
  grep -qF "$title" "$transcript" || fail "$title: no title"
  grep -qF "$items" "$transcript" || fail "$title: no item section"
  grep -qF "message box" "$transcript" && { cat "$transcript"; fail "$title: a message box was shown"; }
  read -r unposted marked < <(documents "$file")
  [ "$marked" = "$unposted" ] || fail "$title: $marked documents marked, $unposted expected"
done

# A listing of every billing document writes nothing.
"$program/qxdump" "$work/company" >"$work/before.json"
run_keys 305 "$work/listing.txt" Space F10 || fail "listing: exit status $?"
grep -qF "Billing Listing" "$work/listing.txt" || { cat "$work/listing.txt"; fail "no listing"; }
"$program/qxdump" "$work/company" >"$work/after.json"
cmp -s "$work/before.json" "$work/after.json" || fail "a listing changed the company"

# The billing journal in a terminal.
if ! command -v tmux >/dev/null 2>&1; then
  echo "passed (tmux is not installed: the terminal run was skipped)"
  exit 0
fi
. "$(dirname "$0")/../../support/tmux.sh"
tmux_use_work qxbp
tmux new-session -d -s "$session" -x 140 -y 40 \
  "env TERM=xterm-256color LANG=C.UTF-8 QX_TODAY=2025-03-15 XDG_CONFIG_HOME='$work/config' XDG_STATE_HOME='$work/state' \
   '$program/qxa15' '$work/company' /only /cmd:305; echo \"shell is back, status \$?\"; sleep 30"
wait_for "Include"
wait_for "F10 Print"
tmux send-keys -t "$session" Space   # Listing: the marks of the run above stay as they are
tmux send-keys -t "$session" F10
wait_for "Billing Listing"
wait_for "Net to Pay"
tmux send-keys -t "$session" Escape
wait_for "shell is back, status 0"
echo "passed"
