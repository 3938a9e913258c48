// A report read back from the preview the transcript of a key script holds:
// its pages' lines, in order, and the cells of a line by print column.
#pragma once

#include <sstream>
#include <string>
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

}  // namespace producttest
