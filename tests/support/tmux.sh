# Helpers of the tests that drive a program in a terminal, in tmux: a tmux
# server of the test's own, and waiting for what the pane shows.  Sourced by
# the tmux tests:
#   . "$(dirname "$0")/<...>/support/tmux.sh"
#   tmux_begin <session name>       # exits 77 (skipped) when tmux is missing
#   (or tmux_use_work <session name> in a test that has its $work already)
#   tmux new-session -d -s "$session" -x 100 -y 30 "<command>"
#   wait_for "text"                 # fails the test when it never shows
# or, for the main program on the sample company of an installed tree:
#   tmux_sample_company <build folder> <today>
#   tmux_start_program <columns> <rows> [argument...]
# $work is a folder of the test's own; it and the server go at the end.

# tmux_begin <name>: sets $session and $work, starts nothing yet.
tmux_begin() {
  command -v tmux >/dev/null 2>&1 || { echo "tmux is not installed: skipped"; exit 77; }
  work=$(mktemp -d)
  tmux_use_work "$1"
}

# tmux_use_work <name>: for a test that already has its folder $work (made
# by installed_tree_begin, say) and comes to the terminal after other steps:
# sets $session, keeps the server in $work; the server and $work go at the
# end.
tmux_use_work() {
  session="$1$$"
  export TMUX_TMPDIR="$work"  # a server of our own, whatever else runs
  trap 'tmux kill-server 2>/dev/null; rm -rf "$work"' EXIT
  # A session that lives as long as the test keeps the server up: a test
  # that kills its session and starts the next one at once would otherwise
  # reach a server that is still exiting ("server exited unexpectedly").
  tmux new-session -d -s "keep$$" -x 20 -y 5 "sleep 100000"
}

# tmux_sample_company <build folder> <today, yyyy-mm-dd>: installs the build
# into $work/install ($program: its program folder) and writes the sample
# company of that day into $work/company; skips (77) when the build has no
# main program or sample writer.
tmux_sample_company() {
  [ -x "$1/shell/qxa15" ] && [ -x "$1/tools/qxsample" ] || { echo "qxa15 is not built: skipped"; exit 77; }
  cmake --install "$1" --prefix "$work/install" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
  program=$work/install/program
  today=$2
  "$program/qxsample" --date "$today" "$work/company" >/dev/null || fail "qxsample"
}

# tmux_start_program <columns> <rows> [argument...]: (re)starts $session on
# the main program over that company, in a terminal of that size, dated
# that day; when the program ends the pane shows "shell is back, status N".
tmux_start_program() {
  local columns=$1 rows=$2 arguments=""
  shift 2
  for a in "$@"; do arguments+=" '$a'"; done
  tmux kill-session -t "$session" 2>/dev/null
  tmux new-session -d -s "$session" -x "$columns" -y "$rows" \
    "env TERM=xterm-256color LANG=C.UTF-8 QX_TODAY=$today XDG_CONFIG_HOME='$work/config' XDG_STATE_HOME='$work/state' '$program/qxa15' '$work/company'$arguments; echo \"shell is back, status \$?\"; sleep 30"
}

# fail <reason>: the test fails, showing the reason and the screen.
fail() {
  echo "FAIL: $*"
  echo "--- screen ---"
  tmux capture-pane -p -t "$session" 2>/dev/null
  exit 1
}

# wait_for <text>: waits (up to QX_TMUX_WAIT seconds, 10 unless set) until
# the pane shows the text.
wait_for() {
  local tenths=$(( ${QX_TMUX_WAIT:-10} * 10 ))
  for _ in $(seq "$tenths"); do
    tmux capture-pane -p -t "$session" | grep -qF -- "$1" && return 0
    sleep 0.1
  done
  fail "the screen never showed \"$1\""
}
