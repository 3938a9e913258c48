// A report read back from the preview the transcript of a key script holds:
// its pages' lines, in order, and the cells of a line by print column; and a
// listing with subtotals read from it.
#pragma once

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "qxtest/report_html.h"

namespace producttest {

struct PreviewReport {
  bool shown = false;              // the preview opened
  std::vector<std::string> lines;  // the lines of every page, in order
  int pages = 0;

  // The index of the first line from `from` that holds `text`; −1 when none.
  int Find(const std::string& text, int from = 0) const {
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
      if (lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
    return -1;
  }
  bool Contains(const std::string& text) const { return Find(text) >= 0; }
  // The text at print columns [x, x + width) of line `i`, blanks trimmed.
  std::string Cell(int i, int x, int width) const {
    if (i < 0 || i >= static_cast<int>(lines.size())) return "<no line>";
    const std::string& line = lines[static_cast<std::size_t>(i)];
    if (static_cast<std::size_t>(x) >= line.size()) return "";
    return qxtest::Trim(line.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(width)));
  }
};

// The preview titled `title` in `transcript` (shown false when there is
// none).
inline PreviewReport ReadPreview(const std::string& transcript, const std::string& title) {
  PreviewReport r;
  const std::size_t begin = transcript.find("preview: " + title);
  if (begin == std::string::npos) return r;
  r.shown = true;
  const std::size_t end = transcript.find("--- end of report ---", begin);
  std::istringstream in(transcript.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
  std::string line;
  std::getline(in, line);  // the title and the page count
  while (std::getline(in, line)) {
    if (line.rfind("--- page ", 0) == 0) {
      ++r.pages;
      continue;
    }
    r.lines.push_back(line);
  }
  return r;
}

// A listing with groups as the preview shows it, below its first rule: the
// detail rows (the cells of each, the first naming the item), the subtotals
// with the items of each group, and the total.
struct GroupedListing {
  std::vector<std::vector<std::string>> rows;
  struct Group {
    std::string caption;               // "Subtotal OF:"
    int count = 0;                     // the count it prints
    std::vector<std::string> members;  // the items printed since the subtotal before
  };
  std::vector<Group> subtotals;
  int total = -1;  // the count of the total line; -1 when none printed

  // The first cell of each row, in order.
  std::vector<std::string> Items() const {
    std::vector<std::string> out;
    for (const auto& row : rows) out.push_back(row[0]);
    return out;
  }
};

// `r` read as a grouped listing: a line whose first `countX` columns start
// "Subtotal " is a subtotal and one starting `totalCaption` the total, each
// with its count in the 8 columns from `countX`; any other line is a detail
// row when `rowOf(i)` gives its cells (none when line i is not a row).
template <class RowOf>
GroupedListing ReadGroupedListing(const PreviewReport& r, int countX, const std::string& totalCaption, RowOf rowOf) {
  GroupedListing l;
  std::vector<std::string> members;
  const int rule = r.Find("------");
  for (int i = rule + 1; rule >= 0 && i < static_cast<int>(r.lines.size()); ++i) {
    const std::string caption = r.Cell(i, 0, countX);
    if (caption.rfind("Subtotal ", 0) == 0) {
      l.subtotals.push_back({caption, std::stoi(r.Cell(i, countX, 8)), members});
      members.clear();
    } else if (caption.rfind(totalCaption, 0) == 0) {
      l.total = std::stoi(r.Cell(i, countX, 8));
    } else if (std::vector<std::string> row = rowOf(i); !row.empty()) {
      members.push_back(row[0]);
      l.rows.push_back(std::move(row));
    }
  }
  return l;
}

}  // namespace producttest
