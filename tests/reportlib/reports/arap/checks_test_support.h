// Helpers of the check register and checks-to-print tests: the books of
// fixtures/checks_books.json (today 03/31/25), and a report read back from
// the preview the key script's transcript shows, page by page.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "listing_test_support.h"
#include "qxtest/files.h"

namespace checkstest {

using fixture::Json;
using listingtest::Date;

inline std::string BooksFile() { return qxtest::SourceDir() + "/tests/reportlib/reports/arap/fixtures/checks_books.json"; }

// A report as the preview showed it: its pages, each as its lines.
struct Preview {
  std::vector<std::vector<std::string>> pages;

  bool Empty() const { return pages.empty(); }
  // Every line of every page, in order.
  std::vector<std::string> Lines() const {
    std::vector<std::string> all;
    for (const auto& page : pages) all.insert(all.end(), page.begin(), page.end());
    return all;
  }
  // The page (0-based) of the first line holding `text`; −1 when none.
  int PageOf(const std::string& text) const {
    for (std::size_t p = 0; p < pages.size(); ++p)
      for (const std::string& line : pages[p])
        if (line.find(text) != std::string::npos) return static_cast<int>(p);
    return -1;
  }
  bool Contains(const std::string& text) const { return PageOf(text) >= 0; }
};

// The text at print columns [x, x + width) of `line`, blanks trimmed.
inline std::string Cell(const std::string& line, int x, int width) {
  if (static_cast<std::size_t>(x) >= line.size()) return "";
  std::string cell = line.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(width));
  const std::size_t b = cell.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return cell.substr(b, cell.find_last_not_of(' ') - b + 1);
}

// The previews of `title` a transcript shows, in order.
inline std::vector<Preview> Previews(const std::string& transcript, const std::string& title) {
  std::vector<Preview> previews;
  for (const std::string& text : listingtest::PreviewedReports(transcript, title)) {
    Preview preview;
    std::istringstream in(text);
    bool inPage = false;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("--- page ", 0) == 0) {
        preview.pages.emplace_back();
        inPage = true;
      } else if (inPage) {
        preview.pages.back().push_back(line);
      }
    }
    previews.push_back(preview);
  }
  return previews;
}

// The one preview of `title` in a transcript; none gives an empty report.
inline Preview OnlyPreview(const std::string& transcript, const std::string& title) {
  const std::vector<Preview> previews = Previews(transcript, title);
  EXPECT_LE(previews.size(), 1u) << transcript;
  return previews.empty() ? Preview{} : previews.front();
}

}  // namespace checkstest
