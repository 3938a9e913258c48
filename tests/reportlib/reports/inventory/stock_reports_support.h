// Helpers of the tests of the price listing, count sheets, alert and price
// breaks reports: the preview read back by page, and the checks that a run
// left nothing open behind it.  Each run is on a key script as a user of its
// own (CompanyTest::Scripted).
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "btrvc.h"
#include "preview_report.h"
#include "product_test_support.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"

namespace producttest {

// The lines of each page of the preview titled `title` (none when it was
// not shown).
inline std::vector<std::vector<std::string>> PreviewPages(const std::string& transcript, const std::string& title) {
  std::vector<std::vector<std::string>> pages;
  const std::size_t begin = transcript.find("preview: " + title);
  if (begin == std::string::npos) return pages;
  const std::size_t end = transcript.find("--- end of report ---", begin);
  std::istringstream in(transcript.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    if (line.rfind("--- page ", 0) == 0) {
      pages.emplace_back();
    } else if (!pages.empty()) {
      pages.back().push_back(line);
    }
  }
  return pages;
}

// The text at print columns [x, x + width) of `line`, blanks trimmed.
inline std::string CellOf(const std::string& line, int x, int width) {
  if (static_cast<std::size_t>(x) >= line.size()) return "";
  return qxtest::Trim(line.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(width)));
}

class StockReportTest : public CompanyTest {
 protected:
  // No temporary index is left on any handle, and the file of `fileNo` is
  // closed (an open file cannot be renamed).
  static void ExpectReleased(int fileNo) {
    for (BtrvHandle h = 1; h < 512; ++h) EXPECT_EQ(-1, TempIndexKey(h)) << "an index is left on handle " << h;
    const std::string path = FilePathGet(fileNo);
    EXPECT_EQ(0, BtrvFileRename(path.c_str(), (path + "_moved").c_str())) << path << " is still open";
    EXPECT_EQ(0, BtrvFileRename((path + "_moved").c_str(), path.c_str()));
  }
};

}  // namespace producttest
