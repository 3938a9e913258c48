#!/bin/bash
# Runs every posting (321, 322, 324, 325, 326, 327, 328, 364, 320, in that
# order, each on the books the one before left) with two builds of the
# programs on the same companies, dumps the company after each posting, and
# compares the dumps (the audit log's time of day left out) and transcripts
# byte for byte: a change that is meant to make the postings faster must
# leave every figure, record and message as it was.
#
#   bench/posting/compare_postings.sh <program folder A> <program folder B> [fixture.json[:today]]...
#
# A program folder holds qxa15, qxload, qxdump and qxsample (an installed
# `program` folder, or a build's folder with shell/ and tools/ beneath it).
# The companies are the sample company of 03/15/25 (made by A's qxsample)
# and each fixture given, loaded by A's qxload, today 03/15/25 unless
# `:YYYY-MM-DD` follows its name.  bench/posting/posting_fixtures.sh writes
# generated fixtures of every posting.  Prints one line per company and
# posting; exits 1 when any dump or transcript differs (the differing files
# are left in the work folder, named on the last line), else 0.
set -u
[ $# -ge 2 ] || { sed -n '2,18p' "$0"; exit 2; }

find_program() {  # find_program <folder> <name>
  local f
  for f in "$1/$2" "$1/shell/$2" "$1/tools/$2"; do
    [ -x "$f" ] && { echo "$f"; return; }
  done
  echo "no $2 in $1" >&2
  exit 2
}

a=$1 b=$2
shift 2
work=$(mktemp -d /tmp/compare-postings-XXXXXX)
sample=$(find_program "$a" qxsample)
load=$(find_program "$a" qxload)

# The companies: name, folder made once, today.
companies=()
"$sample" --date 2025-03-15 "$work/sample.company" >/dev/null || { echo "qxsample failed"; exit 2; }
companies+=("sample|$work/sample.company|2025-03-15")
for spec in "$@"; do
  fixture=${spec%%:*}
  today=2025-03-15
  [ "$fixture" != "$spec" ] && today=${spec#*:}
  name=$(basename "$fixture" .json)
  "$load" "$fixture" "$work/$name.company" || { echo "qxload $fixture failed"; exit 2; }
  companies+=("$name|$work/$name.company|$today")
done

# The keys of each posting: F10 posts, Enter acknowledges the summary (and
# any message before it), Esc leaves the finance charges' report preview.
keys_of() {
  case $1 in
    364) printf 'F10\nEsc\nEsc\n' ;;
    *) printf 'F10\nEnter\nEnter\nEnter\n' ;;
  esac
}

# run_chain <program folder> <company folder> <today> <out folder>
run_chain() {
  local qxa qxdump out=$4
  local company=$out/company
  qxa=$(find_program "$1" qxa15)
  qxdump=$(find_program "$1" qxdump)
  mkdir -p "$out"
  cp -r "$2" "$company"
  for command in 321 322 324 325 326 327 328 364 320; do
    keys_of $command >"$out/keys"
    QX_TODAY=$3 QX_KEYS="$out/keys" QX_TRANSCRIPT="$out/$command.transcript" XDG_CONFIG_HOME="$out/config" \
      XDG_STATE_HOME="$out/state" timeout 600 "$qxa" "$company" /only "/cmd:$command" >"$out/$command.out" 2>&1
    echo "exit $?" >>"$out/$command.out"
    # The audit log's time of day is the clock's: it is the one field left out.
    "$qxdump" "$company" 2>&1 | sed -E 's/"time":[0-9]+/"time":0/' >"$out/$command.json"
  done
}

different=0
for entry in "${companies[@]}"; do
  IFS='|' read -r name folder today <<<"$entry"
  run_chain "$a" "$folder" "$today" "$work/$name/a"
  run_chain "$b" "$folder" "$today" "$work/$name/b"
  for command in 321 322 324 325 326 327 328 364 320; do
    verdict=same
    for part in json transcript out; do
      cmp -s "$work/$name/a/$command.$part" "$work/$name/b/$command.$part" || verdict="differs ($part)"
    done
    [ "$verdict" = same ] || different=1
    said=$(grep -m1 -E 'posted\.|Nothing|not part of' "$work/$name/a/$command.transcript" 2>/dev/null)
    printf '%-12s %s  %-14s %s\n' "$name" "$command" "$verdict" "${said:0:60}"
  done
done
if [ $different -ne 0 ]; then
  echo "differences kept in $work"
  exit 1
fi
rm -rf "$work"
echo "every dump and transcript is the same"
