// Helpers of the aging report tests: a company folder built by the fixture
// loader from readable records (qxtest::CompanyTest, today 03/31/25), and the
// report read back from its HTML file as the lines of its pages and its
// links.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/report_html.h"
#include "qxtest/transcript.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace agingtest {

using fixture::Json;
using qxtest::MessageNumbers;
using qxtest::ReadAll;

// A report read back from its HTML file.
struct Report : qxtest::HtmlReport {
  // The index of the first line from `from` that starts (after blanks) with
  // `start` and, when given, contains `also`; −1 when none.
  int Find(const std::string& start, const std::string& also = "", int from = 0) const {
    for (int i = from; i < static_cast<int>(lines.size()); ++i) {
      const std::string& l = lines[static_cast<std::size_t>(i)];
      const std::size_t b = l.find_first_not_of(' ');
      if (b == std::string::npos || l.compare(b, start.size(), start) != 0) continue;
      if (!also.empty() && l.find(also) == std::string::npos) continue;
      return i;
    }
    return -1;
  }
};

inline Report ReadReport(const std::string& path) { return Report{qxtest::ReadHtmlReport(path)}; }

// A company folder of its own, today 03/31/25, the data of the source
// tree's base-data folder, user "ANNE", command 337.
class CompanyTest : public qxtest::CompanyTest {
 protected:
  CompanyTest() : qxtest::CompanyTest(DateMake(2025, 3, 31)) {}
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlock* app = SharedAppBlockGet();
    AppBlockTextSet(app->userName, sizeof app->userName, "ANNE");
    app->currentCommand = 337;
  }
};

inline std::string Date(int y, int m, int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

// yyyy-mm-dd of a day number.
inline std::string DateOfDay(int day) {
  int y = 0, m = 0, d = 0;
  DateSplit(day, &y, &m, &d);
  return Date(y, m, d);
}

}  // namespace agingtest
