#!/usr/bin/env bash
# The aging report's HTML file as a browser reads it: written unattended by
# the main program of an installed tree on the sample company, then opened
# in headless Chromium and its document read back (--dump-dom):
#   - the selection above the report reads as words, the screen's labels
#     and the values chosen, not as the parameter string;
#   - a customer's link says in its title what it opens;
#   - no link leads to a screen that is not part of this system (the
#     customer and account screens): those cells are plain text.
# The job gets the file's path on standard output.
#
#   aging_browser_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (not built, or no Chromium
# outside CI).
set -uo pipefail
. "$(dirname "$0")/../../../support/installed_tree.sh"
need_chromium
installed_tree_begin "$1" qxagingbrowser
mkdir -p "$work/run"

for type in 0 1; do
  out=$(cd "$work/run" && run_unattended "$work/aging-$type.txt" 337 "input='default' type='$type' output='aging-$type.htm'") ||
    { cat "$work/aging-$type.txt"; fail "337 type $type: exit status $?"; }
  [ "$out" = "$work/run/aging-$type.htm" ] || fail "337 printed \"$out\", not the path of the file it wrote"
  chromium_dom "$work/run/aging-$type.htm" >"$work/dom-$type.html"
  [ -s "$work/dom-$type.html" ] || fail "Chromium read nothing of aging-$type.htm"
done

python3 - "$work/dom-0.html" "$work/dom-1.html" <<'PY' || fail "the report as the browser reads it"
import re, sys
from html.parser import HTMLParser

class Page(HTMLParser):
    def __init__(self):
        super().__init__()
        self.links, self.selection, self.text, self._in = [], "", [], None
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "a":
            self.links.append({"href": a.get("href", ""), "title": a.get("title", ""), "text": ""})
            self._in = "a"
        if tag == "span" and a.get("class") == "selection":
            self._in = "selection"
    def handle_endtag(self, tag):
        if tag in ("a", "span"):
            self._in = None
    def handle_data(self, data):
        self.text.append(data)
        if self._in == "a":
            self.links[-1]["text"] += data
        elif self._in == "selection":
            self.selection += data

def read(path):
    page = Page()
    page.feed(open(path, encoding="utf-8").read())
    return page

def command(href):
    m = re.match(r"qxa:(\d+)\?", href)
    assert m, href
    return int(m.group(1))

summary, detail = read(sys.argv[1]), read(sys.argv[2])
for page, kind in ((summary, "Summary"), (detail, "Detail")):
    s = page.selection
    assert s.startswith("Selection: Sort by: Customer Code, all; Rank by: Customer Code, all; "), s
    assert "Aging date: 03/15/25" in s and "Report type: " + kind in s and "Aged by: Due Date" in s, s
    assert "Include fully paid items: No" in s, s
    assert "sortfld" not in s and "'" not in s, "the selection shows the parameter string: " + s
    again = [l for l in page.links if l["text"] == "Run again"]
    assert len(again) == 1 and "sortfld%3D%27Customer%20Code%27" in again[0]["href"], again
    for l in page.links:
        c = command(l["href"])
        assert not (120 <= c <= 153 or 201 <= c <= 251), "a link to screen %d: %s" % (c, l["text"])
        assert l["title"] and "=" not in l["title"], "a title not in words: %r" % l["title"]

# The summary's balances run the detail of their customer, and say so.
customer = [l for l in summary.links if l["title"].startswith("Aging detail of customer ")]
assert customer, [l["title"] for l in summary.links][:5]
code = customer[0]["title"].rsplit(" ", 1)[1]
assert command(customer[0]["href"]) == 337 and "cvbeg%3D%27" + code + "%27" in customer[0]["href"], customer[0]
# The detail's customer codes are there, as plain text.
assert code in "".join(detail.text), code
assert not any(l["text"].strip() == code for l in detail.links), "the customer code is still a link"
PY
href=$(python3 - "$work/dom-0.html" <<'PY'
import re, sys, html
for m in re.finditer(r'<a href="([^"]*)" title="Aging detail of customer ([A-Z0-9]+)"', open(sys.argv[1]).read()):
    print(html.unescape(m.group(1)), m.group(2)); break
PY
)
read -r url code <<<"$href"
[ -n "$url" ] || fail "no customer link to follow"

# The link followed as a browser hands it over: the installation's desktop
# entry names the handler, which opens the program at the link's command on
# the report's company, for that one command: the preview of the detail,
# whose closing ends the program (the key script is empty).
entry=$work/install/share/applications/quarlex-qxa.desktop
grep -qx "MimeType=x-scheme-handler/qxa;" "$entry" && grep -qx "Terminal=true" "$entry" || fail "no qxa: handler entry"
handler=$(sed -n 's/^Exec=\(.*\) %u$/\1/p' "$entry")
[ "$handler" = "$program/qxaurl" ] || fail "the entry runs \"$handler\""
QX_TODAY=2025-03-15 QX_KEYS="$work/keys" QX_TRANSCRIPT="$work/followed.txt" XDG_CONFIG_HOME="$work/config" \
  XDG_STATE_HOME="$work/state" timeout 60 "$handler" "$url" || { cat "$work/followed.txt"; fail "the handler: exit status $?"; }
grep -q "report: Customer/Vendor Aging" "$work/followed.txt" || { cat "$work/followed.txt"; fail "the link opened no aging"; }
grep -q "$code" "$work/followed.txt" || fail "the aging opened is not $code's"
echo "passed"
