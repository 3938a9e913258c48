# Helpers of the tests that run a report of an installed tree on key
# scripts over a company qxload makes, their transcripts matched against
# golden transcripts and their printing kept by a stand-in lp.  Sourced:
#   . "$(dirname "$0")/cli_support.sh"
#   cli_begin <build folder> <fixture> <name>   # exits 77 (skipped) when qxa15 is not built
#   cli_run <golden folder> <command id> <transcript name> <key>...
#   cli_run_ending <exit status> <golden folder> <command id> <transcript name> <key>...
# cli_begin makes $work (removed at the end), installs the build in
# $work/install ($program is its program folder), loads the fixture into
# $work/company and puts a stand-in lp first on PATH: job n of the run
# leaves its arguments in $work/jobs/n.args and its text in $work/jobs/n.text.

fail() { echo "FAILED: $*"; exit 1; }

cli_begin() {
  local build=$1 fixture=$2 name=$3
  [ -x "$build/shell/qxa15" ] || { echo "qxa15 is not built: skipped"; exit 77; }
  work=$(mktemp -d "/tmp/${name}XXXXXX")
  trap 'rm -rf "$work"' EXIT
  cmake --install "$build" --prefix "$work/install" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
  program=$work/install/program
  "$program/qxload" "$fixture" "$work/company" >/dev/null || fail "qxload"
  mkdir -p "$work/bin" "$work/jobs"
  cat >"$work/bin/lp" <<LP
#!/bin/sh
n=\$(ls "$work/jobs" | grep -c "text\$")
printf '%s\n' "\$@" >"$work/jobs/\$n.args"
cat >"$work/jobs/\$n.text"
LP
  chmod +x "$work/bin/lp"
}

# The main program runs one command on the company, today 03/31/25, on the
# keys given (one a line); its transcript $work/<name>.txt must match
# <golden folder>/<name>.txt (QX_UPDATE_GOLDEN=1 writes the golden one).
cli_run() {
  cli_run_ending 0 "$@"
}

# cli_run_ending <exit status> <golden folder> <command id> <transcript name> <key>...:
# cli_run of a run that ends with that exit status (4: the command was left
# without doing its work).
cli_run_ending() {
  local expected=$1 golden=$2 command=$3 name=$4 status=0
  shift 4
  printf '%s\n' "$@" >"$work/$name.keys"
  PATH="$work/bin:$PATH" QX_TODAY=2025-03-31 QX_KEYS="$work/$name.keys" QX_TRANSCRIPT="$work/$name.txt" \
    XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" timeout 60 "$program/qxa15" "$work/company" /only "/cmd:$command" ||
    status=$?
  [ "$status" -eq "$expected" ] || fail "$name: exit status $status, not $expected"
  if [ "${QX_UPDATE_GOLDEN:-}" != "" ]; then cp "$work/$name.txt" "$golden/$name.txt"; fi
  diff -u "$golden/$name.txt" "$work/$name.txt" || fail "$name: the transcript differs from $golden/$name.txt"
}
