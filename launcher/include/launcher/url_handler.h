// qxaurl, the handler of `qxa:` URLs: a report's HTML file links its cells
// and its "Run again" to qxa:<command>?kind=<kind>&p=<parameter string>
// [&co=<company folder>], and a browser hands such a URL to the handler the
// installation registers (quarlex-qxa.desktop, x-scheme-handler/qxa, run
// in a terminal).  The handler starts the program through the launcher
// beside it, at that command with that parameter string, on that company,
// for that one command (the report's preview; closing it ends the program):
//   qxl15 <company> /only /cmd:<command> /param:<parameter string>
//
// A URL is untrusted input (any web page may hold one), so the handler
// takes only what a report writes: the journal or a report that takes a
// parameter string (301, 329, 337, 338, 340, 344, 345, 350, 354, 359; no
// posting, nothing that changes the books), a link kind of 1 or 2, and a
// parameter string of quoted pairs
// that names no output file; anything else is refused with a message and
// nothing is started.  The program's own parser then reads the string as it
// reads any other.
#pragma once

#include <string>
#include <vector>

namespace qxl {

struct QxaLink {
  int command = 0;
  int kind = 0;
  std::string params;   // decoded
  std::string company;  // decoded; "" when the URL names none
};

// Reads `url`.  False, with *why saying what is wrong, for anything but a
// link as reports write them.
bool ParseQxaUrl(const std::string& url, QxaLink* link, std::string* why);

// The launcher's arguments for `link`: argv[0] `launcher`, then the company
// (when named), /only, /cmd and /param.
std::vector<std::string> QxaLinkArguments(const std::string& launcher, const QxaLink& link);

// The handler: returns only when the URL was refused or the launcher could
// not be started (after a message on standard error), with status 2 or 1.
int UrlHandlerMain(int argc, char** argv);

}  // namespace qxl
