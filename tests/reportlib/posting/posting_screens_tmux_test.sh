#!/usr/bin/env bash
# The posting screens in a terminal of 80 by 24, as a user meets them on the
# sample company of an installed program tree: each screen's texts stay
# inside its frame, F9 tells how to back the company up (it is one folder
# to copy) and comes back to the screen, and F10 posts with a status box
# that shows only what it knows (a purchase of one part shows no part
# number).
#
#   posting_screens_tmux_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (no tmux, or not built).
set -u
build=$1
. "$(dirname "$0")/../../support/tmux.sh"
tmux_begin qxpostscreens

tmux_sample_company "$build" 2025-03-15

start() { tmux_start_program 80 24 /only "/cmd:$1"; }  # start <command id>

# Each row of the window between its top and bottom frame ends in the frame
# at the frame's column, with a blank before it: no text runs into it.
inside_frame() {  # inside_frame <title>
  tmux capture-pane -p -t "$session" | python3 -c '
import sys
title = sys.argv[1]
rows = sys.stdin.read().split("\n")
top = next(i for i, r in enumerate(rows) if title in r)
left, right = rows[top].index("\u250c"), rows[top].rindex("\u2510")
for r in rows[top + 1:]:
    if r[left:left + 1] == "\u2514":
        sys.exit(0)
    if r[left:left + 1] != "\u2502" or r[right:right + 1] != "\u2502" or r[right - 1] != " ":
        sys.exit("a row runs into the frame: " + r)
sys.exit("the frame has no bottom")' "$1" || fail "$1: a text runs into its frame"
}

for spec in "320:General Ledger Posting" "321:Receivables Posting" "324:Purchasing Posting" \
            "325:Billing Posting" "326:Assembly Posting" "328:Inventory Posting"; do
  IFS=: read -r command title <<<"$spec"
  start "$command"
  wait_for "$title"
  wait_for "F10 Post"
  inside_frame "$title"
  tmux send-keys -t "$session" Escape
  wait_for "shell is back"
done

# F9: the company is one folder; the screen comes back with its date.
start 322
wait_for "Payables Posting"
tmux send-keys -t "$session" F9
wait_for "copy that folder"
screen=$(tmux capture-pane -p -J -t "$session")
echo "$screen" | grep -qF "$work/company" || fail "F9 does not name the company's folder"
tmux send-keys -t "$session" Enter
wait_for "Payables Posting"
wait_for "03/15/25"
tmux send-keys -t "$session" Escape
wait_for "shell is back"

# F10 on purchasing: the status box stays behind the summary; its purchases
# are of one part, so its part line shows no number.
start 324
wait_for "Purchasing Posting"
tmux send-keys -t "$session" F10
wait_for "transactions posted."
tmux capture-pane -p -t "$session" | grep -E "Part +0( |$)" && fail "the status box shows part 0"
tmux capture-pane -p -t "$session" | grep -qE "Transaction +[0-9]+" || fail "the status box shows no transaction"
tmux send-keys -t "$session" Enter
wait_for "shell is back, status 0"
echo "PASS"
exit 0
