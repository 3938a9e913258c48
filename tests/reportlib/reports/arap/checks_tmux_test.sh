#!/usr/bin/env bash
# The check register (314) and the checks-to-print listing (313) in a
# terminal, as a user runs them from an installed program tree on the
# sample company: the register's screen with its F5 account list, a date
# range typed over the defaults, F10 to the preview with the section totals,
# Esc back; then the listing of the checks waiting to be printed, straight
# to the preview.  The terminal is given back with status 0 each time.
#
#   checks_tmux_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (no tmux, or not built).
set -u
build=$1
. "$(dirname "$0")/../../../support/tmux.sh"
tmux_begin qxchecks

tmux_sample_company "$build" 2025-03-31

start() { tmux_start_program 140 40 /only "/cmd:$1"; }  # start <command id>

start 314
wait_for "Bank account"
wait_for "03/01/25"
tmux send-keys -t "$session" F5
wait_for "Accounts"
tmux send-keys -t "$session" Escape
sleep 0.3
# The sample's register entries lie in January and February, and the
# month's cash, posted, in March: four checks and a petty-cash check, then
# a deposit and the month's two deposits (the payroll bank's are another
# account's).
tmux send-keys -t "$session" Enter "01/01/25" Enter "03/31/25" F10
wait_for "Total number of register entries: 5"
screen=$(tmux capture-pane -p -t "$session")
echo "$screen" | grep -qF "Checks" || fail "no checks section"
echo "$screen" | grep -qF "* Not Posted" || fail "no legend of the posted mark"
tmux send-keys -t "$session" PageDown
wait_for "Total number of register entries: 3"
tmux send-keys -t "$session" Escape
wait_for "shell is back, status 0"

start 313
wait_for "Checks to Print"
wait_for "Amt. to Pay"
wait_for "Total(s) for Check"
wait_for "Grand Total(s)"
tmux send-keys -t "$session" Escape
wait_for "shell is back, status 0"
echo "PASS"
exit 0
