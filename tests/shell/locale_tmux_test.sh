#!/usr/bin/env bash
# The program in a terminal whose user runs a locale that writes numbers with
# a decimal comma (de_DE.UTF-8, made for the test with localedef): the
# receivables aging on the sample company still shows its amounts with a
# point, as it does under every other locale and as its files hold them.
#
#   locale_tmux_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (no tmux, no locale sources, or
# not built).
set -u
build=$1
. "$(dirname "$0")/../support/tmux.sh"
tmux_begin qxlocale

mkdir -p "$work/locale"
localedef -i de_DE -f UTF-8 "$work/locale/de_DE.UTF-8" >/dev/null 2>&1 ||
  { echo "the de_DE locale cannot be made here (no locale sources): skipped"; exit 77; }
env LOCPATH="$work/locale" LC_ALL=de_DE.UTF-8 /usr/bin/printf '%.2f' 1.5 2>/dev/null | grep -qF "1,50" ||
  { echo "the made locale is not used: skipped"; exit 77; }

tmux_sample_company "$build" 2025-03-15
tmux new-session -d -s "$session" -x 120 -y 36 \
  "env TERM=xterm-256color LOCPATH='$work/locale' LANG=de_DE.UTF-8 QX_TODAY=$today XDG_CONFIG_HOME='$work/config' XDG_STATE_HOME='$work/state' '$program/qxa15' '$work/company'; echo \"shell is back, status \$?\"; sleep 30"
wait_for "Open Company"
tmux send-keys -t "$session" Enter
wait_for "Company: Bramblewood Trading Co."
tmux send-keys -t "$session" M-4
wait_for "Receivables Aging Report"
tmux send-keys -t "$session" F10
wait_for "ALDERMED"
screen=$(tmux capture-pane -p -t "$session")
echo "$screen" | grep -qE "[0-9],[0-9][0-9]( |$)" && fail "the report shows amounts with a decimal comma"
echo "$screen" | grep -qF "785.51" || fail "the invoice of 785.51 is not shown as such"
# The line characters are still drawn in UTF-8.
echo "$screen" | grep -qF "│" || fail "the frame is not drawn in UTF-8 line characters"
tmux kill-session -t "$session"
