// Helpers of the directory and back-order report tests: a company of the
// test's own (today 03/31/25), reports read back from their HTML files, the
// pages of a report, the reports a preview showed in a transcript, and the
// check that a run let every file go.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/files.h"
#include "qxtest/company_test.h"
#include "qxtest/report_html.h"
#include "ravadodo.h"

namespace listingtest {

using fixture::Json;
using qxtest::HtmlReport;

inline std::string Date(int y, int m, int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

// The index of the first line from `from` that starts (after blanks) with
// `start` and, when given, also holds `also`; −1 when none.
inline int FindLine(const HtmlReport& r, const std::string& start, const std::string& also = "", int from = 0) {
  for (int i = from; i < static_cast<int>(r.lines.size()); ++i) {
    const std::string& l = r.lines[static_cast<std::size_t>(i)];
    const std::size_t b = l.find_first_not_of(' ');
    if (b == std::string::npos || l.compare(b, start.size(), start) != 0) continue;
    if (!also.empty() && l.find(also) == std::string::npos) continue;
    return i;
  }
  return -1;
}

// The pages of a report, each as its text lines.
inline std::vector<std::vector<std::string>> Pages(const HtmlReport& r) {
  std::vector<std::vector<std::string>> pages;
  std::size_t at = 0;
  while ((at = r.html.find("<pre>\n", at)) != std::string::npos) {
    at += 6;
    const std::size_t end = r.html.find("</pre>", at);
    std::istringstream page(r.html.substr(at, end - at));
    std::vector<std::string> lines;
    for (std::string raw; std::getline(page, raw);) {
      std::string text;
      bool inTag = false;
      for (char c : raw) {
        if (c == '<') inTag = true;
        else if (c == '>') inTag = false;
        else if (!inTag) text += c;
      }
      lines.push_back(qxtest::HtmlUnescape(text));
    }
    pages.push_back(lines);
    at = end;
  }
  return pages;
}

// The reports of title `title` that previews showed, in the order shown.
inline std::vector<std::string> PreviewedReports(const std::string& transcript, const std::string& title) {
  std::vector<std::string> reports;
  const std::string begin = "preview: " + title, end = "--- end of report ---";
  for (std::size_t at = transcript.find(begin); at != std::string::npos; at = transcript.find(begin, at + 1))
    reports.push_back(transcript.substr(at, transcript.find(end, at) - at));
  return reports;
}

// Every file of `files` is closed again: a record file that a handle holds
// cannot be renamed.
inline void ExpectFilesClosed(std::initializer_list<int> files) {
  for (int file : files) {
    const std::string path = FilePathGet(file);
    EXPECT_EQ(0, BtrvFileRename(path.c_str(), (path + "_moved").c_str())) << path << " is still open";
    EXPECT_EQ(0, BtrvFileRename((path + "_moved").c_str(), path.c_str()));
  }
}

// A company of the test's own; every run takes 03/31/25 as today and
// `command` as the command running.
class ListingTest : public qxtest::CompanyTest {
 protected:
  explicit ListingTest(int command) : qxtest::CompanyTest(DateMake(2025, 3, 31)), command_(command) {}

  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->userName, sizeof app->userName, "ANNE");
    app->currentCommand = command_;
  }

  // Runs `entry` with the parameter string `params` and an output file of
  // its own, on the key script `keys`; the report it wrote.
  template <class Entry>
  HtmlReport RunToFile(const std::string& params, Entry entry, Run* run = nullptr, const std::string& keys = "") {
    const std::string out = File("report-" + std::to_string(++reports_) + ".htm");
    const std::string text = params + (params.empty() ? "" : " ") + "output='" + out + "'";
    Run r = RunScripted(keys, [&] { return entry(text.c_str()); });
    if (run) *run = r;
    return qxtest::ReadHtmlReport(out);
  }

 private:
  int command_;
  int reports_ = 0;
};

}  // namespace listingtest
