// Forecast and statistics reports (commands 366, 368, 371, 373, 381, 383),
// driven by key scripts over the company of fixtures/forecast.json and read
// back from the preview in the transcript: the pages as golden text (units
// in purchase and sales units, variances both ways, the totals), the ranges
// of each order, the page breaks, and the ways a run ends without totals or
// without a report.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/forecast_reports.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"

namespace {

using fixture::Json;

// The preview's text in a transcript: its pages as the user sees them,
// from the "preview:" line to the end of the report ("" when none opened).
std::string Preview(const std::string& transcript) {
  const std::size_t begin = transcript.find("preview: ");
  if (begin == std::string::npos) return "";
  const std::size_t end = transcript.find("--- end of report ---", begin);
  return transcript.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// The codes that start the detail lines of a preview, in order: the lines
// under a page's rule that start with neither a blank (a record's further
// rows, the totals) nor '*' (a closing note), the footer left out.
std::vector<std::string> Codes(const std::string& preview) {
  std::vector<std::string> codes;
  std::size_t at = 0;
  bool body = false;
  while (at < preview.size()) {
    std::size_t end = preview.find('\n', at);
    if (end == std::string::npos) end = preview.size();
    const std::string line = preview.substr(at, end - at);
    at = end + 1;
    if (line.rfind("------", 0) == 0) {
      body = true;
      continue;
    }
    if (line.rfind("--- page", 0) == 0) body = false;
    if (!body || line.empty() || line[0] == ' ' || line[0] == '*' || line.find("Page ") != std::string::npos)
      continue;
    codes.push_back(line.substr(0, line.find(' ')));
  }
  return codes;
}

int Pages(const std::string& preview) {
  int pages = 0;
  for (std::size_t at = preview.find("--- page "); at != std::string::npos; at = preview.find("--- page ", at + 1))
    ++pages;
  return pages;
}

class ForecastReportsTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    LoadFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/forecast.json");
  }

  Run Report(int command, const std::string& keys) {
    SharedAppBlockGet()->currentCommand = command;
    const bool inventory = command == 381 || command == 383;
    return RunScripted(keys, [command, inventory] {
      return inventory ? RunInventoryForecastReport(command) : RunCustVendForecastReport(command);
    });
  }

  static void ExpectGolden(const std::string& text, const std::string& name) {
    qxtest::ExpectGolden(text, "tests/reportlib/periodic/golden/" + name);
  }
};

// A100 is bought by the dozen: its purchase units 24, 36, 48, 60 print 2,
// 3, 4, 5, and the totals add them so.  Its sales units go from 200 this
// year to a forecast of 250: a variance of 50, 25 %.  B200's unit factors
// are 0 (its units print as stored) and it sold nothing this year (0 %).
// C300 is sold by the dozen.
TEST_F(ForecastReportsTest, InventoryForecastAndStatistics) {
  const Run forecast = Report(381, "F10 Esc");
  EXPECT_TRUE(forecast.messages.empty()) << forecast.transcript;
  ExpectGolden(Preview(forecast.transcript), "inventory_forecast.txt");

  const Run statistics = Report(383, "F10 Esc");
  ExpectGolden(Preview(statistics.transcript), "inventory_statistics.txt");

  // Services: two rows each, INSTALL counted in pairs.
  const Run services = Report(381, "Space F10 Esc");
  ExpectGolden(Preview(services.transcript), "service_forecast.txt");
}

// Customers print six rows (the margin last), vendors five.
TEST_F(ForecastReportsTest, CustomerAndVendorForecastAndStatistics) {
  ExpectGolden(Preview(Report(366, "F10 Esc").transcript), "customer_forecast.txt");
  ExpectGolden(Preview(Report(373, "F10 Esc").transcript), "vendor_statistics.txt");
}

TEST_F(ForecastReportsTest, EachOrderPrintsItsRange) {
  const struct {
    const char* name;
    int command;
    const char* keys;
    std::vector<std::string> codes;  // the records printed, then the totals
    const char* orderLine;
  } cases[] = {
      {"products of department ab", 381, "Enter Space Enter \"ab\" Enter \"ab\" F10 Esc",
       {"A100", "C300", "E500"}, "Order: Department"},
      {"products by vendor from B", 381, "Enter Space Space Enter \"B\" F10 Esc",
       {"B200", "E500", "D400"}, "Order: Vendor"},
      {"products of bins A-02 to B-01", 383, "Enter Space Space Space Enter \"A-02\" Enter \"B-01\" F10 Esc",
       {"C300", "E500"}, "Order: Bin"},
      {"services of department WS", 381, "Space Enter Space Enter \"ws\" Enter \"ws\" F10 Esc",
       {"INSTALL", "REPAIR"}, "Order: Department"},
      {"customers of salesperson AM", 368, "Space Space Enter \"AM\" Enter \"AM\" F10 Esc",
       {"BETA", "GAMMA"}, "Order: Salesperson"},
      {"customers up to C", 366, "Enter Enter \"C\" F10 Esc", {"ALPHA", "BETA"}, "Order: Code"},
      {"vendors of type SUP", 371, "Space Enter \"SUP\" Enter \"SUP\" F10 Esc", {"ACME", "CRATE"}, "Order: Type"},
      {"vendors of territory W", 373, "Space Space Enter \"W\" Enter \"W\" F10 Esc",
       {"BOLTCO", "CRATE"}, "Order: Territory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Run run = Report(c.command, c.keys);
    const std::string preview = Preview(run.transcript);
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    EXPECT_EQ(Codes(preview), c.codes) << preview;
    EXPECT_NE(preview.find(c.orderLine), std::string::npos) << preview;
    EXPECT_NE(preview.find("Totals"), std::string::npos) << preview;
  }
}

// A page holds a heading of four lines and eight customers of seven lines
// (six rows and a blank); the totals' six rows go on a new page when they
// would pass the page's 60 lines.
TEST_F(ForecastReportsTest, PagesBreakBeforeABlockThatWouldNotFit) {
  const struct {
    int customers;
    int pages;
    std::vector<std::string> secondPage;  // the codes printed on the second page
  } cases[] = {{7, 1, {}}, {8, 2, {}}, {9, 2, {"C09"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.customers);
    Fixture()["files"]["customers"] = Json::array();
    for (int i = 1; i <= c.customers; ++i)
      Add("customers", Json{{"code", "C0" + std::to_string(i)}, {"name", "Customer"},
                            {"invoiceCounts", {1, 2, 3, 4, 0}}});
    WriteCompany();
    const std::string preview = Preview(Report(366, "F10 Esc").transcript);
    EXPECT_EQ(Pages(preview), c.pages) << preview;
    const std::size_t second = preview.find("--- page 2");
    const std::vector<std::string> codes = second == std::string::npos ? std::vector<std::string>{}
                                                                       : Codes(preview.substr(second));
    EXPECT_EQ(codes, c.secondPage) << preview;
    // The totals are on the last page, under their own heading.
    const std::size_t last = preview.rfind("--- page");
    EXPECT_NE(preview.find("Totals", last), std::string::npos) << preview;
    EXPECT_NE(preview.find("Order: Code", last), std::string::npos) << preview;
  }
}

// A user break and a read error each end the report without totals; a
// range with nothing in it prints nothing.
TEST_F(ForecastReportsTest, RunsThatEndWithoutTotals) {
  const Run stopped = Report(366, "F10 Break Esc");
  const std::string stoppedPreview = Preview(stopped.transcript);
  EXPECT_NE(stoppedPreview.find("stopped by the user"), std::string::npos) << stopped.transcript;
  EXPECT_EQ(stoppedPreview.find("Totals"), std::string::npos) << stoppedPreview;

  ASSERT_EQ(BtrvTestSwitch("fail=6:customers:1:2"), 0);
  const Run failed = Report(366, "F10 Enter Esc");
  BtrvTestSwitch("");
  const std::string failedPreview = Preview(failed.transcript);
  EXPECT_NE(qxtest::Flat(failed.transcript).find("Error 2:"), std::string::npos) << failed.transcript;
  EXPECT_NE(failedPreview.find("report is incomplete"), std::string::npos) << failedPreview;
  EXPECT_EQ(failedPreview.find("Totals"), std::string::npos) << failedPreview;
  EXPECT_EQ(Codes(failedPreview), std::vector<std::string>{"ALPHA"}) << failedPreview;

  const Run empty = Report(381, "Enter Enter \"X\" F10 Esc");
  EXPECT_EQ(empty.messages, std::vector<int>{197}) << empty.transcript;
  EXPECT_EQ(Preview(empty.transcript), "");

  // An order whose index cannot be built prints nothing; the screen stays.
  ASSERT_EQ(BtrvTestSwitch("fail=31:customers:1:2"), 0);
  const Run noIndex = Report(366, "Space Enter F10 Enter Esc");
  BtrvTestSwitch("");
  EXPECT_NE(qxtest::Flat(noIndex.transcript).find("Error 2:"), std::string::npos) << noIndex.transcript;
  EXPECT_EQ(Preview(noIndex.transcript), "");
}

}  // namespace
