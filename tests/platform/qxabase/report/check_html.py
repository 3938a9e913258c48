#!/usr/bin/python3
"""Strict well-formedness check of an HTML report with Python's html.parser.

html.parser itself accepts nearly anything, so the check keeps the stack of
open elements: every element but the void ones must be closed, in order; no
end tag may lack its start tag; character references must be ones the file
may use; the document must be one html element with a head (charset utf-8,
a title) and a body.  Exit status 0 when the file passes, 1 with the reasons.
"""

import sys
from html.parser import HTMLParser

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}


class StrictChecker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=False)
        self.stack = []
        self.errors = []
        self.seen = []
        self.charset = None

    def where(self):
        line, col = self.getpos()
        return f"line {line}, column {col + 1}"

    def handle_starttag(self, tag, attrs):
        self.seen.append(tag)
        if tag == "meta":
            for name, value in attrs:
                if name == "charset":
                    self.charset = value
        for name, value in attrs:
            if value is None:
                self.errors.append(f"{self.where()}: attribute {name} of <{tag}> has no value")
        if tag not in VOID:
            self.stack.append(tag)

    def handle_startendtag(self, tag, attrs):
        if tag not in VOID:
            self.errors.append(f"{self.where()}: <{tag}/> is not a void element")
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.stack.pop()

    def handle_endtag(self, tag):
        if tag in VOID:
            self.errors.append(f"{self.where()}: end tag of the void element <{tag}>")
            return
        if not self.stack:
            self.errors.append(f"{self.where()}: </{tag}> closes nothing")
        elif self.stack[-1] != tag:
            self.errors.append(f"{self.where()}: </{tag}> closes <{self.stack[-1]}>")
            if tag in self.stack:
                while self.stack and self.stack.pop() != tag:
                    pass
        else:
            self.stack.pop()

    def handle_entityref(self, name):
        if name not in ("amp", "lt", "gt", "quot", "apos"):
            self.errors.append(f"{self.where()}: entity &{name}; is not one of the XML entities")

    def handle_charref(self, name):
        try:
            value = int(name[1:], 16) if name[:1] in ("x", "X") else int(name)
        except ValueError:
            self.errors.append(f"{self.where()}: bad character reference &#{name};")
            return
        if value < 0x20 and value not in (9, 10, 13):
            self.errors.append(f"{self.where()}: control character &#{name};")


def main(path):
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        print(f"{path}: not UTF-8: {e}")
        return 1
    checker = StrictChecker()
    checker.feed(text)
    checker.close()
    errors = checker.errors
    if checker.stack:
        errors.append("unclosed at the end: " + ", ".join(f"<{t}>" for t in checker.stack))
    if not text.lstrip().lower().startswith("<!doctype html>"):
        errors.append("the file does not begin with <!DOCTYPE html>")
    for tag in ("html", "head", "title", "body"):
        if checker.seen.count(tag) != 1:
            errors.append(f"<{tag}> appears {checker.seen.count(tag)} times")
    if (checker.charset or "").lower() != "utf-8":
        errors.append("no <meta charset=\"utf-8\">")
    for c in text:
        if ord(c) < 0x20 and c not in "\t\n\r":
            errors.append(f"control character U+{ord(c):04X} in the text")
            break
    for e in errors:
        print(f"{path}: {e}")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
