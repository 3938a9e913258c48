#!/usr/bin/env bash
# Help in a terminal, as a user asks for it from the installed program on the
# sample company: F1 shows the Contents and Shift+F1 the Keys on the main
# menu, and still does after a report screen (the aging's, from its toolbar
# button) was opened and left; no box says a help text cannot be found.
#
#   help_tmux_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (no tmux, or not built).
set -u
build=$1
. "$(dirname "$0")/../support/tmux.sh"
tmux_begin qxhelp

tmux_sample_company "$build" 2025-03-31

tmux_start_program 120 36
wait_for "Open Company"
tmux send-keys -t "$session" Enter
wait_for "Company: Bramblewood Trading Co."

# shows <key> <title> <round>: the key shows the help text of that title,
# which Esc closes again.
shows() {
  tmux send-keys -t "$session" "$1"
  sleep 0.5
  tmux capture-pane -p -t "$session" | grep -qF "cannot be found" && fail "$3: $2 cannot be found"
  wait_for "$2"
  tmux send-keys -t "$session" Escape
  sleep 0.3
}
asks_help() {
  shows F1 "Help: Contents" "$1"
  shows S-F1 "Help: Keys" "$1"
}

asks_help "on the main menu"
for round in first second; do
  tmux send-keys -t "$session" M-4
  wait_for "Receivables Aging Report"
  tmux send-keys -t "$session" Escape
  sleep 0.3
  tmux capture-pane -p -t "$session" | grep -qF "Receivables Aging Report" && fail "the aging screen did not close"
  asks_help "after the $round report screen"
done

tmux send-keys -t "$session" M-f
wait_for "EXit"
tmux send-keys -t "$session" x
wait_for "Do you want to leave"
tmux send-keys -t "$session" Enter
wait_for "shell is back, status 0"
echo "PASS"
exit 0
