#!/usr/bin/env bash
# The program in a terminal on the sample company: started through the
# launcher, the company opened, the menu bar shown, menus and a sub-menu
# opened, help shown, a command outside the system answered, and Exit
# confirmed, the terminal then given back.  Exit 77 = skipped (no tmux).
set -u
make_tree="$1"
qxsample="$2"
. "$(dirname "$0")/../support/tmux.sh"
tmux_begin qxa

"$make_tree" "$work/inst" || fail "the program tree could not be laid out"
"$qxsample" "$work/company" >/dev/null || fail "the sample company could not be made"

tmux new-session -d -s "$session" -x 100 -y 30 \
  "env TERM=xterm-256color LANG=C.UTF-8 XDG_CONFIG_HOME='$work/config' XDG_STATE_HOME='$work/state' '$work/inst/program/qxl15' '$work/company'; echo \"shell is back, status \$?\"; sleep 30"
wait_for "Open Company"
wait_for "$work/company"
tmux send-keys -t "$session" Enter
wait_for "Company: Bramblewood Trading Co."
screen=$(tmux capture-pane -p -t "$session")
echo "$screen" | head -1 | grep -qF "File Edit Transactions Journals Posting Reports Qurl Access PerioDic  Help" \
  || fail "the menu bar is not shown"
echo "$screen" | grep -qF "Quarlex Accounting (Single-User)" || fail "no title"

tmux send-keys -t "$session" M-r
wait_for "Business Analysis"
tmux send-keys -t "$session" Down Enter   # Receivables opens its sub-menu
wait_for "Statements"
wait_for "Mail Merge"
tmux send-keys -t "$session" Escape Escape
sleep 0.3
tmux capture-pane -p -t "$session" | grep -qF "Mail Merge" && fail "the menus did not close"

tmux send-keys -t "$session" M-e Down Enter  # Edit, Customers
wait_for "is not part of this system"
tmux send-keys -t "$session" Enter

tmux send-keys -t "$session" F1
wait_for "HELP CONTENTS"
tmux capture-pane -p -t "$session" | grep -qF "Leaving the program" && fail "the help text does not fit: no scrolling to test"
tmux send-keys -t "$session" PageDown
wait_for "Leaving the program"
tmux send-keys -t "$session" Escape

tmux send-keys -t "$session" M-f
wait_for "EXit"
tmux send-keys -t "$session" x
wait_for "Do you want to leave Quarlex Accounting (Single-User)?"
tmux send-keys -t "$session" Enter
wait_for "shell is back, status 0"
tmux capture-pane -p -t "$session" | grep -qF "Qurl Access" && fail "the terminal was not restored"
echo "PASS"
exit 0
