#!/usr/bin/env bash
# Drives the demo program in a tmux terminal: opens the menu, fills the range
# screen, checks what the terminal shows and the values the program read, and
# that the terminal is given back when the program ends.  Exit 77 = skipped.
set -u
demo="$1"
. "$(dirname "$0")/../../support/tmux.sh"
tmux_begin rvdemo

tmux new-session -d -s "$session" -x 100 -y 30 \
  "env TERM=xterm-256color LANG=C.UTF-8 QX_TODAY=2025-03-15 '$demo' '$work/result.txt'; echo 'shell is back'; sleep 30"
wait_for "F10 or Alt+F: menu"
wait_for "RaVaDodo Demo"

tmux send-keys -t "$session" F10
wait_for "Customer Aging"
tmux send-keys -t "$session" Enter
wait_for "Aging date 03/15/25"
wait_for "From FIRST"
screen=$(tmux capture-pane -p -t "$session")
echo "$screen" | grep -qF "┌" || fail "the frame is not drawn in UTF-8 line characters"
echo "$screen" | grep -qF "F10 Run  Shift+F9 Defaults  Esc Cancel" || fail "no key legend"

tmux send-keys -t "$session" "zzz" Enter
wait_for "From ZZZ"
tmux send-keys -t "$session" S-F9   # the defaults again, the cursor back on the first field
wait_for "From FIRST"
# Home and End come as \E[1~ and \E[4~ inside tmux whatever TERM names:
# they move in the field, and neither cancels the screen nor types the rest
# of its sequence.
tmux send-keys -t "$session" End "y" Home "z"
wait_for "From ZFIRSTY"
screen=$(tmux capture-pane -p -t "$session")
echo "$screen" | grep -qE "[14]~" && fail "Home or End typed the rest of its sequence"
tmux send-keys -t "$session" S-F9
wait_for "From FIRST"
tmux send-keys -t "$session" "b100" Enter "c200" Enter "02/30/25" Enter
wait_for "The date is not valid."
tmux send-keys -t "$session" Enter
tmux send-keys -t "$session" "3/31/25" Enter Space
wait_for "Report Summary"
tmux resize-window -t "$session" -x 120 -y 40
sleep 0.3
wait_for "Aging date 03/31/25"
tmux send-keys -t "$session" F10
for _ in $(seq 50); do [ -s "$work/result.txt" ] && break; sleep 0.1; done
result=$(cat "$work/result.txt" 2>/dev/null)
[ "$result" = "from=B100 to=C200 date=03/31/25 report=Summary" ] || fail "the program read \"$result\""

tmux send-keys -t "$session" M-f
wait_for "EXit"
tmux send-keys -t "$session" x
wait_for "Do you want to leave RaVaDodo Demo?"
tmux send-keys -t "$session" Enter
wait_for "shell is back"
screen=$(tmux capture-pane -p -t "$session")
echo "$screen" | grep -qF "demo ended" || fail "the program did not end cleanly"
echo "$screen" | grep -qF "Customer Aging" && fail "the terminal was not restored (the screen is still shown)"
tmux kill-session -t "$session"

# A crash and a termination give the terminal back too; a termination even
# ends the program by its ordinary way out.
cat > "$work/run.sh" <<RUN
#!/usr/bin/env bash
sh -c 'echo \$\$ > "$work/pid"; exec env TERM=xterm-256color LANG=C.UTF-8 "$demo" "$work/second.txt"'
echo "shell is back, status \$?"
sleep 30
RUN
for signal in TERM SEGV; do
  rm -f "$work/pid"
  tmux new-session -d -s "$session" -x 100 -y 30 "bash '$work/run.sh'"
  wait_for "F10 or Alt+F: menu"
  tmux send-keys -t "$session" F10 Enter
  wait_for "Aging date"
  kill -s "$signal" "$(cat "$work/pid")"
  wait_for "shell is back"
  screen=$(tmux capture-pane -p -t "$session")
  echo "$screen" | grep -qF "Aging date" && fail "after SIG$signal the terminal was not restored"
  if [ "$signal" = TERM ]; then
    echo "$screen" | grep -qF "demo ended" || fail "SIGTERM did not end the program cleanly"
    grep -qx cancelled "$work/second.txt" || fail "the open form was not cancelled on SIGTERM"
  fi
  tmux kill-session -t "$session"
done
echo "PASS"
exit 0
