# Helpers of the tests that run the installed programs unattended, as a user
# or a scheduled job runs them.  Sourced by the tests:
#   . "$(dirname "$0")/<...>/support/installed_tree.sh"
#   installed_tree_begin <build folder> <name>
# which exits 77 (skipped) when the main program is not built, and otherwise
# makes $work (a folder of the test's own, removed at the end), installs the
# build in $work/install ($program is its program folder), makes the sample
# company of 03/15/25 in $work/company and an empty key script $work/keys;
#   run_unattended <transcript> <command id> <parameter text>
# then runs one command of the main program on that company, from the
# current folder, and
#   run_keys <command id> <transcript> <key>...
# runs one on a key script, as a user at the keyboard; need_chromium and
# chromium_dom serve the tests that read a report in a browser.

# fail <reason>: the test fails.
fail() { echo "FAILED: $*"; exit 1; }

# need_chromium: a test that reads its HTML in a browser is skipped (77)
# without Chromium, and fails under CI, where scripts/install-deps.sh
# installs it.
need_chromium() {
  command -v chromium >/dev/null && return 0
  [ "${CI:-}" = true ] && { echo "FAILED: chromium is not installed (scripts/install-deps.sh installs it)"; exit 1; }
  echo "chromium is not installed: skipped"; exit 77
}

# chromium_dom <file>: the document headless Chromium made of the file, a
# fresh profile of its own in $work.
chromium_dom() {
  HOME="$work" timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --no-first-run --user-data-dir="$work/chromium" --dump-dom "file://$1" 2>/dev/null
}

installed_tree_begin() {
  local build=$1 name=$2
  [ -x "$build/shell/qxa15" ] && [ -x "$build/tools/qxsample" ] || { echo "qxa15 is not built: skipped"; exit 77; }
  work=$(mktemp -d "/tmp/${name}XXXXXX")
  trap 'rm -rf "$work"' EXIT
  cmake --install "$build" --prefix "$work/install" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log"; fail "cmake --install"; }
  program=$work/install/program
  "$program/qxsample" --date 2025-03-15 "$work/company" >/dev/null || fail "qxsample"
  : >"$work/keys"
}

# run_unattended <transcript> <command id> <parameter text>: the main program
# in command-only mode on the sample company, today 03/15/25, the empty key
# script, the registry values in $work/config and what it remembers in
# $work/state; its exit status.
run_unattended() {
  QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$1" XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" timeout 60 "$program/qxa15" "$work/company" /only "/cmd:$2" "/param:$3"
}

# run_keys <command id> <transcript> <key>...: the main program in
# command-only mode on the sample company, the keys given (one a line) as its
# key script $work/keys, today 03/15/25, the registry values in $work/config;
# its exit status.
run_keys() {
  local command=$1 transcript=$2
  shift 2
  printf '%s\n' "$@" >"$work/keys"
  QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$transcript" XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" timeout 60 "$program/qxa15" "$work/company" /only "/cmd:$command"
}
