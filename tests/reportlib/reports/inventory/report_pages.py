#!/usr/bin/python3
"""Reads what a report run left for the command-line tests of the product
activity reports.

  report_pages.py saved <file.htm>          the saved run's parameter string
  report_pages.py html <file.htm>           the lines of its pages
  report_pages.py preview <transcript> <title>
                                            the lines of the preview's pages

Page lines are printed without their trailing blanks; empty lines, the
footer lines (the run date and "Page n of m") and the preview's line of
the saved run are left out, so that two runs of one report on other days
print the same lines in either form.
"""

import html
import re
import sys
import urllib.parse


def body_lines(lines):
    kept = (l.rstrip() for l in lines if not re.search(r"Page \d+ of \d+\s*$", l))
    return [l for l in kept if l and not l.startswith("Selection: ")]


def saved(path):
    text = open(path, encoding="utf-8").read()
    # The parameter string runs to the next part of the URL (&co=, the company).
    m = re.search(r'href="qxa:\d+\?kind=2&amp;p=([^"&]*)[^"]*"[^>]*>Run again', text)
    if not m:
        sys.exit("no saved run")
    print(urllib.parse.unquote(html.unescape(m.group(1))))


def html_pages(path):
    text = open(path, encoding="utf-8").read()
    lines = []
    for page in re.findall(r'<div class="page"[^>]*>\s*<pre>(.*?)</pre>', text, re.S):
        lines += html.unescape(re.sub(r"<[^>]+>", "", page)).split("\n")
    print("\n".join(body_lines(lines)))


def preview_pages(path, title):
    text = open(path, encoding="utf-8").read()
    begin = text.find("preview: " + title)
    if begin < 0:
        sys.exit("no preview")
    end = text.find("--- end of report ---", begin)
    lines = text[begin:end].split("\n")[1:]
    print("\n".join(body_lines(l for l in lines if not l.startswith("--- page "))))


if __name__ == "__main__":
    what = sys.argv[1]
    if what == "saved":
        saved(sys.argv[2])
    elif what == "html":
        html_pages(sys.argv[2])
    else:
        preview_pages(sys.argv[2], sys.argv[3])
