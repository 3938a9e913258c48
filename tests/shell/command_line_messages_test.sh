#!/usr/bin/env bash
# The messages of the command line say what to do: each case runs an
# installed program as a user or a scheduled job runs it (no terminal, from
# a folder of the user's, today 03/15/25, on the sample company) and checks
# its exit status, what it said on standard error (each text given, in the
# lines it was written on) and, where the case names it, what it must not
# say.
#
#   command_line_messages_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../support/installed_tree.sh"
installed_tree_begin "$1" qxcmdline
user=$work/user
mkdir -p "$user" "$work/empty"
printf 'Esc\n' >"$user/keys"

# Each case: name | exit status | the lines standard error holds (";;"
# between them; each a fixed text one line holds) | a text it must not hold
# ("" none) | the command, run in $user by bash.
cases=$(cat <<EOF
an output that names no HTML file|4|output='aging.txt' is not a file this report writes;;.htm;;The report is not run.|a screen waits for keys|"\$program/qxa15" "\$work/company" /only /cmd:337 "/param:input='default' output='aging.txt'"
a company folder that does not exist|3|The folder $work/nowhere does not exist.|The path is invalid|"\$program/qxa15" "\$work/nowhere" /only /cmd:337 "/param:input='default' output='aging.htm'"
a folder that holds no company|3|The folder $work/empty holds no company: it has no settings file.|The path is invalid|"\$program/qxa15" "\$work/empty" /only /cmd:337 "/param:input='default' output='aging.htm'"
refused parameters, each sentence its own|4|the key has no '='.;;The report is not run.|'=' The report|"\$program/qxa15" "\$work/company" /only /cmd:337 "/param:input='default' output"
a bad option without a terminal, its usage as in a terminal|2|Unknown option "--bogus".;;Usage: qxa15 [company folder];;  /only          the same as /mode:1||"\$program/qxa15" "\$work/company" --bogus
qxload's usage|0|||"\$program/qxload" --help
qxdump's usage|0|||"\$program/qxdump" --help
qxsample's usage|0|||"\$program/qxsample" --help
a relative key script of a link, the user's|0||cannot read|QX_KEYS=keys QX_TRANSCRIPT=link.txt "\$program/qxaurl" "qxa:337?kind=2&p=input%3D'default'&co=\$work/company"
a key script that cannot be read|4|cannot read the key script $user/missing: No such file or directory|a screen waits for keys|QX_KEYS=missing "\$program/qxaurl" "qxa:337?kind=2&p=input%3D'default'&co=\$work/company"
a reversed days-past-due range|4|comes after the "to" value.||"\$program/qxa15" "\$work/company" /only /cmd:337 "/param:input='default' output='aging.htm' dayspast='1' dpdfrom='90' dpdto='1'"
a key script that is a folder|4|cannot read the key script $work/empty: Is a directory|a screen waits for keys|QX_KEYS="\$work/empty" "\$program/qxa15" "\$work/company" /only /cmd:320
an output outside the folder the program was started in|4|cannot be written to the file;;../aging.htm;;it lies outside the folder the program was started in.||"\$program/qxa15" "\$work/company" /only /cmd:337 "/param:input='default'" /output:../aging.htm
EOF
)

while IFS='|' read -r name status said unsaid command; do
  (cd "$user" && env QX_TODAY=2025-03-15 XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
     timeout 60 bash -c "program='$program' work='$work'; $command" </dev/null >"$work/out.txt" 2>"$work/err.txt")
  got=$?
  [ "$got" = "$status" ] || { cat "$work/err.txt"; fail "$name: exit status $got, $status expected"; }
  if [ -n "$said" ]; then
    IFS=';' read -ra lines <<<"${said//;;/;}"
    for line in "${lines[@]}"; do
      grep -qF -- "$line" "$work/err.txt" || { cat "$work/err.txt"; fail "$name: \"$line\" not said"; }
    done
  fi
  if [ -n "$unsaid" ] && grep -qF -- "$unsaid" "$work/err.txt"; then
    cat "$work/err.txt"; fail "$name: \"$unsaid\" said"
  fi
  # A usage reads as lines, as a terminal shows it.
  if [[ $name == *usage* ]] && ! awk 'length($0) > 90 { exit 1 }' "$work/err.txt" "$work/out.txt"; then
    cat "$work/err.txt"; fail "$name: a line of the usage is longer than a terminal's"
  fi
  echo "$name: as expected"
done <<<"$cases"

# The usages went to standard output, and the link's key script and
# transcript were the user's.
for tool in qxload qxdump qxsample; do
  "$program/$tool" --help | grep -q "^usage: $tool " || fail "$tool --help printed no usage"
done
grep -q "preview: closed" "$user/link.txt" || fail "the link's transcript is not in the user's folder"
echo "passed"
