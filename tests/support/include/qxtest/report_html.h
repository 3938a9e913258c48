// A report read back from the HTML file the report writer wrote: the text
// lines of its pages, its links (qxa: URLs) and its saved run ("Run again").
#pragma once

#include <string>
#include <vector>

namespace qxtest {

struct HtmlReport {
  // A link: "qxa:<command>?kind=<kind>&p=<percent-encoded parameter
  // string>[&co=<percent-encoded company folder>]".
  struct Link {
    int command = 0;
    int kind = 0;
    std::string params;   // the parameter string, decoded
    std::string company;  // the company folder, decoded; "" when none
    std::string text;    // the linked text
    int line = -1;       // the index in `lines`
  };

  std::string html;                // the whole file; empty when it was not written
  std::vector<std::string> lines;  // the text lines of every page, in order (footers included)
  std::vector<Link> links;         // in the order they stand
  Link savedRun;                   // "Run again"; command 0 when none

  bool Empty() const { return html.empty(); }
  // The index of the first line from `from` that holds `text`; −1 when none.
  int Find(const std::string& text, int from = 0) const;
  // True when some line holds `text`.
  bool Contains(const std::string& text) const { return Find(text) >= 0; }
  // The text at print columns [x, x + width) of line `i`, blanks trimmed;
  // "<no line>" when there is no line `i`.
  std::string Cell(int i, int x, int width) const;
  // The links whose text stands on line `i`.
  std::vector<Link> LinksOn(int i) const;
};

// The report of the HTML file at `path` (an empty report when there is no
// file).
HtmlReport ReadHtmlReport(const std::string& path);

// A qxa: URL as a link (command 0 when it is not one).
HtmlReport::Link ParseQxaLink(const std::string& url);

// "%27" and the like decoded.
std::string PercentDecode(const std::string& text);
// The five entities the report writer writes (&lt; &gt; &quot; &#39; &amp;) decoded.
std::string HtmlUnescape(std::string text);
// `text` without blanks at either end.
std::string Trim(const std::string& text);

}  // namespace qxtest
