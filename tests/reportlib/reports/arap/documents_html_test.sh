#!/usr/bin/env bash
# Statements, letters and labels written to HTML by the main program of an
# installed tree on the sample company, as a user and as a job do it:
#   - from the screens (a key script): the options screen's F10, then the
#     preview's F8 with a file name; the statements give each account its
#     own file, named after the account, the letters and the labels one;
#   - a command run alone that names its file (/output:FILE): the same
#     files, each path printed on standard output;
# and one account's statement opened in headless Chromium: its code, name
# and balance stand where the page puts them.
#
#   documents_html_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (not built, or no Chromium
# outside CI).
set -uo pipefail
. "$(dirname "$0")/../../../support/installed_tree.sh"
need_chromium
installed_tree_begin "$1" qxdocumentshtml

# job <folder> <transcript> <command> <key>... [-- <option>...]: the main
# program in command-only mode from <folder>, the keys as its key script;
# its standard output in <folder>.out, its exit status.
job() {
  local folder=$1 transcript=$2 command=$3
  shift 3
  local keys=() options=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do keys+=("$1"); shift; done
  [ $# -gt 0 ] && { shift; options=("$@"); }
  mkdir -p "$folder"
  printf '%s\n' "${keys[@]}" >"$work/keys"
  (cd "$folder" && QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$transcript" XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" timeout 60 "$program/qxa15" "$work/company" /only "/cmd:$command" "${options[@]}" \
    >"$folder.out")
}

# The accounts the statements printed: the codes of their "Account" lines.
accounts() { sed -n 's/^.*  Account   \([A-Z0-9]*\) *$/\1/p' "$1" | sort -u; }

# expect_files <folder> <expected names, one a line>: the folder holds those
# .htm files, and the run printed their paths.
expect_files() {
  local folder=$1 expected=$2
  diff <(printf '%s\n' "$expected") <(cd "$folder" && ls -- *.htm | sort) ||
    fail "$folder holds other files than the ones expected"
  diff <(printf '%s\n' "$expected" | sed "s|^|$folder/|") <(sort "$folder.out") ||
    fail "the run printed other paths than the files it wrote"
}

# --- From the screens ----------------------------------------------------------------
job "$work/user" "$work/user.txt" 336 F10 F8 '"statements"' Enter Esc || fail "336 from the screens: exit status $?"
codes=$(accounts "$work/user.txt")
[ "$(echo "$codes" | wc -l)" -ge 5 ] || fail "the statements printed only: $codes"
expect_files "$work/user" "$(echo "$codes" | sed 's/.*/statements-&.htm/')"
grep -q "report: written $work/user/statements-ALDERMED.htm (1 page)" "$work/user.txt" ||
  fail "the transcript does not say what was written"
for command in 341 339; do
  job "$work/user-$command" "$work/user-$command.txt" $command F10 F8 '"documents"' Enter Esc ||
    fail "$command from the screens: exit status $?"
  expect_files "$work/user-$command" "documents.htm"
done
grep -q ">Medical</span>" "$work/user-341/documents.htm" || fail "the letters' file holds no letter to Alder Medical Group"

# --- A job that names its file ------------------------------------------------------
job "$work/job" "$work/job.txt" 336 F10 -- /output:statements.htm || fail "336 /output: exit status $?"
expect_files "$work/job" "$(echo "$codes" | sed 's/.*/statements-&.htm/')"
for f in "$work/job"/*.htm; do
  cmp -s "$f" "$work/user/$(basename "$f")" || fail "$(basename "$f") differs from the one the preview saved"
done
for command in 341 339; do
  job "$work/job-$command" "$work/job-$command.txt" $command F10 -- "/output:documents-$command.htm" ||
    fail "$command /output: exit status $?"
  expect_files "$work/job-$command" "documents-$command.htm"
done
cmp -s "$work/job-341/documents-341.htm" "$work/user-341/documents.htm" || fail "the letters differ from the preview's"
# Without a key script nothing answers the options screen: the job did not do its work.
(cd "$work/job" && QX_TODAY=2025-03-15 XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
  timeout 60 "$program/qxa15" "$work/company" /only /cmd:336 /output:again.htm </dev/null >/dev/null 2>&1)
[ $? -eq 4 ] || fail "a screen that waited for keys did not end the job with status 4"
# /output belongs to a command-only run.
"$program/qxa15" "$work/company" /cmd:336 /output:x.htm >/dev/null 2>&1
[ $? -eq 2 ] || fail "/output without /only was not refused"

# --- In the browser ----------------------------------------------------------------------
# A copy of one account's file with a script that writes down where the
# browser put each run of characters (its text, left, top, right in px).
file=$work/job/statements-ALDERMED.htm
sed 's|</body>|<script>const b=[];for(const e of document.querySelectorAll(".page.form .c")){const r=e.getBoundingClientRect();b.push([e.textContent,r.left,r.top,r.right].join("\\t"));}const p=document.createElement("pre");p.id="boxes";p.textContent=b.join("\\n");document.body.appendChild(p);</script></body>|' \
  "$file" >"$work/boxes.htm"
chromium_dom "$work/boxes.htm" >"$work/dom.html"
[ -s "$work/dom.html" ] || fail "Chromium read nothing of $file"
python3 - "$work/dom.html" <<'PY' || fail "the statement as the browser lays it out"
import html, re, sys
dom = open(sys.argv[1], encoding="utf-8").read()
m = re.search(r'<pre id="boxes">(.*?)</pre>', dom, re.S)
assert m, "the boxes were not written"
boxes = []
for line in html.unescape(m.group(1)).split("\n"):
    text, left, top, right = line.split("\t")
    boxes.append((text, float(left), float(top), float(right)))
def find(text):
    found = [b for b in boxes if b[0] == text]
    assert found, "%r is not on the page" % text
    return found[0]
line = 96 / 6  # six lines an inch
# The account's code beside its label, its name on the address lines.
label = find("Account")
code = find("ALDERMED")
assert abs(code[2] - label[2]) < 1 and code[1] > label[3], (label, code)
name = find("Alder")
assert find("Medical")[2] == name[2] and find("Group")[2] == name[2], "the name is not on one line"
# The balance due right under its heading, against the heading's right
# edge, and the same as the running balance of the last item.
due = [b for b in boxes if b[0] == "Due"][-1]  # of "Balance Due", under the detail
balance = [b for b in boxes if abs(b[2] - (due[2] + line)) < 1 and abs(b[3] - due[3]) < 2]
assert len(balance) == 1 and re.fullmatch(r"-?\d+\.\d\d", balance[0][0]), ("no amount under Balance Due", due)
items = [b for b in boxes if re.fullmatch(r"-?\d+\.\d\d", b[0]) and b[2] < due[2] - line]
last = max(items, key=lambda b: (b[2], b[1]))
assert last[0] == balance[0][0], "the balance due %s is not the last running balance %s" % (balance[0][0], last[0])
assert abs(last[3] - balance[0][3]) < 2, "the running balance and the balance due do not end in the same column"
PY
echo "passed"
