#!/usr/bin/env bash
# Drives the report preview on a real terminal in tmux: the report as the
# user sees it (UTF-8, both pages), following a link, saving it as an HTML
# file, stopping a report that runs with Esc, and the terminal given back.
# Exit 77 = skipped.
set -u
demo="$1"
. "$(dirname "$0")/../../../support/tmux.sh"
tmux_begin qxreport

start() {
  tmux kill-session -t "$session" 2>/dev/null
  tmux new-session -d -s "$session" -x "${width:-100}" -y 30 \
    "env TERM=xterm-256color LANG=C.UTF-8 QX_TODAY=2025-03-15 '$demo' '$work/result.txt' $1; echo 'shell is back'; sleep 30"
}

# --- A page wider than the window ---------------------------------------------
# The key line names the sideways keys, and the lines that go on to the
# right say so at the window's edge; stepping right marks the left edge.
width=60 start ""
wait_for "Customer Balances - Page 1 of 2"
wait_for "Left/Right Sideways"
tmux capture-pane -p -t "$session" | grep -q "→" || fail "no line shows that it goes on to the right"
tmux send-keys -t "$session" Right
for _ in $(seq 50); do tmux capture-pane -p -t "$session" | grep -q "←" && break; sleep 0.1; done
tmux capture-pane -p -t "$session" | grep -q "←" || fail "stepping right did not mark the left edge"
tmux send-keys -t "$session" Escape
wait_for "shell is back"

# A page that fits names no sideways keys.
start ""
wait_for "Customer Balances - Page 1 of 2"
tmux capture-pane -p -t "$session" | grep -q "Sideways" && fail "the key line names sideways keys for a page that fits"
tmux send-keys -t "$session" Escape
wait_for "shell is back"

# --- Reading and following a link ---------------------------------------------
start ""
wait_for "Customer Balances - Page 1 of 2"
wait_for "O'Brien & Sons <Wholesale>"
wait_for "Café Zürich"
wait_for "Selection: sortfld 'Customer Code'"
wait_for "F7 Print"
# Ctrl+End and Ctrl+Home reach the preview through tmux: the last page and
# back to the first.
tmux send-keys -t "$session" C-End
wait_for "Customer Balances - Page 2 of 2"
tmux send-keys -t "$session" C-Home
wait_for "Customer Balances - Page 1 of 2"
tmux send-keys -t "$session" PageDown
wait_for "Customer Balances - Page 2 of 2"
wait_for "Total of all customers"
tmux send-keys -t "$session" Tab
wait_for "Opens screen 121: cdno='QUILL'"
tmux send-keys -t "$session" Enter
for _ in $(seq 50); do [ -s "$work/result.txt" ] && break; sleep 0.1; done
[ "$(cat "$work/result.txt" 2>/dev/null)" = "121 cdno='QUILL'" ] || fail "the link ran \"$(cat "$work/result.txt" 2>/dev/null)\""
wait_for "Customer Balances - Page 2 of 2"   # back in the preview
tmux send-keys -t "$session" Escape
wait_for "report closed"
wait_for "shell is back"

# --- Saving as HTML ------------------------------------------------------------------
# F8 offers a name made of the title; the name typed replaces it, ".htm" is
# added, and the status line says where the file went.
start ""
wait_for "F8 Save"
tmux send-keys -t "$session" F8
wait_for "File: customer-balances.htm"
tmux send-keys -t "$session" "$work/saved" Enter
wait_for "Saved as $work/saved.htm"
grep -q "Total of all customers" "$work/saved.htm" || fail "the saved file holds no report"
tmux send-keys -t "$session" Escape
wait_for "shell is back"

# --- Esc while the report runs ----------------------------------------------------
rm -f "$work/result.txt"
start slow
wait_for "Press Esc to stop it."
sleep 1
tmux send-keys -t "$session" Escape
wait_for "*** Report stopped by the user ***"
screen=$(tmux capture-pane -p -t "$session")
echo "$screen" | grep -qF "ZENITH" && fail "the report ran on after Esc"
tmux send-keys -t "$session" Escape
wait_for "report closed"
wait_for "shell is back"
echo "ok"
