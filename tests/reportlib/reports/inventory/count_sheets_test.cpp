// Product count sheets (command 356) run on key scripts over the sample
// company, read back from the preview: a line for every selected product
// whatever its stock or type, the blanks the counter fills in, the ranges,
// one count per group under a grouping sort and the total.
//
// The selection screen's fields in cursor order: 1 sort field, 2/3 its
// range, 14 rank field, 15/16 its range.  Sort choices: Product Number,
// Description, G/L Department, Bin, Vendor, Warehouse.
#include <algorithm>
#include <string>
#include <vector>

#include "reports/inventory/count_sheets.h"
#include "stock_reports_support.h"

namespace producttest {
namespace {

constexpr int kCountX = 28;

class CountSheetsTest : public StockReportTest {
 protected:
  void SetUp() override {
    StockReportTest::SetUp();
    LoadSampleCompany();
  }
  Run Sheets(const std::string& keys) { return Scripted(keys, [] { return RunProductCountSheets(); }); }
};

// The sheets as printed: each product's cells (number, description, unit,
// fraction, WHC, dept, bin, vendor, blanks), the subtotals with the products
// above each, the total.
using SheetLines = GroupedListing;

SheetLines SheetsOf(const PreviewReport& r) {
  return ReadGroupedListing(r, kCountX, "Total Products", [&r](int i) -> std::vector<std::string> {
    if (r.Cell(i, 100, 36).find("__________") == std::string::npos) return {};
    return {r.Cell(i, 0, 14), r.Cell(i, 18, 30), r.Cell(i, 49, 8), r.Cell(i, 58, 8), r.Cell(i, 67, 5),
            r.Cell(i, 73, 5), r.Cell(i, 79, 8), r.Cell(i, 88, 11), r.Cell(i, 100, 36)};
  });
}

TEST_F(CountSheetsTest, EveryProductGetsALineWithTheBlanksToFillIn) {
  const Run run = Sheets("F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Product Count Sheets");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_TRUE(r.Contains("Count Sheets"));
  EXPECT_TRUE(r.Contains("Remarks"));
  const SheetLines s = SheetsOf(r);
  // Every product, the non-inventory gift wrapping and the kits included.
  ASSERT_EQ(22u, s.rows.size()) << run.transcript;
  EXPECT_EQ(22, s.total);
  EXPECT_TRUE(s.subtotals.empty()) << "no subtotals by product number";
  const std::vector<std::string> numbers = s.Items();
  EXPECT_NE(numbers.end(), std::find(numbers.begin(), numbers.end(), "GIFTWRAP"));
  EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end())) << run.transcript;
  // Counted in buying units: the gloves come in boxes of ten.
  for (const auto& row : s.rows) {
    if (row[0] != "GLV-NIT-100") continue;
    EXPECT_EQ((std::vector<std::string>{"GLV-NIT-100", "Nitrile gloves, box of 100", "BOX", "10", "MAI", "JN",
                                        "D-03", "CLEANPRO", "__________ .__________  ____________"}),
              row);
  }
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
}

TEST_F(CountSheetsTest, EachSortAndRangeSelectsAndOrdersItsProducts) {
  const struct {
    const char* name;
    const char* keys;
    std::vector<std::string> numbers;
    std::vector<std::pair<std::string, int>> subtotals;
  } cases[] = {
      {"numbers P to PEN", "Down \"P\" Down \"PEN-ZZ\" F10 Esc",
       {"PAP-A4-500", "PAP-A4-WST", "PAP-LTR-500", "PEN-BLK-12", "PEN-BLU-12"}, {}},
      // By bin (fourth choice), bins D to E: a count per bin.
      {"bins D to E", "Space Space Space Down \"D\" Down \"E-99\" F10 Esc",
       {"CLN-ALL-1G", "CLN-GLS-32", "TWL-PPR-CS", "GLV-NIT-100", "DRL-18V", "SCR-ASST-200", "TAPE-MSK-24",
        "TAPE-PKG-6"},
       {{"Subtotal D-01:", 2}, {"Subtotal D-02:", 1}, {"Subtotal D-03:", 1}, {"Subtotal E-01:", 1},
        {"Subtotal E-02:", 1}, {"Subtotal E-03:", 2}}},
      // By vendor (fifth choice), one vendor.
      {"vendor CLEANPRO", "Space Space Space Space Down \"CLEANPRO\" Down \"CLEANPRO\" F10 Esc",
       {"CLN-ALL-1G", "CLN-GLS-32", "GLV-NIT-100", "TWL-PPR-CS"}, {{"Subtotal CLEANPRO:", 4}}},
  };
  for (const auto& c : cases) {
    const Run run = Sheets(c.keys);
    const SheetLines s = SheetsOf(ReadPreview(run.transcript, "Product Count Sheets"));
    EXPECT_EQ(c.numbers, s.Items()) << c.name << "\n" << run.transcript;
    std::vector<std::pair<std::string, int>> subtotals;
    for (const auto& g : s.subtotals) subtotals.emplace_back(g.caption, g.count);
    EXPECT_EQ(c.subtotals, subtotals) << c.name;
    EXPECT_EQ(static_cast<int>(c.numbers.size()), s.total) << c.name;
  }
}

TEST_F(CountSheetsTest, ByDepartmentTheSubtotalsCountTheProductsAboveThemAndFootToTheTotal) {
  const Run run = Sheets("Space Space F10 Esc");
  const SheetLines s = SheetsOf(ReadPreview(run.transcript, "Product Count Sheets"));
  ASSERT_EQ(3u, s.subtotals.size()) << run.transcript;
  int sum = 0;
  for (const auto& g : s.subtotals) {
    EXPECT_EQ(static_cast<int>(g.members.size()), g.count) << g.caption;
    sum += g.count;
  }
  EXPECT_EQ((std::vector<std::string>{"Subtotal JN:", "Subtotal OF:", "Subtotal WS:"}),
            (std::vector<std::string>{s.subtotals[0].caption, s.subtotals[1].caption, s.subtotals[2].caption}));
  EXPECT_EQ(s.total, sum);
  EXPECT_EQ(22, s.total);
}

TEST_F(CountSheetsTest, NothingSelectedAUserBreakAndARecordManagerErrorEndCleanly) {
  const Run nothing = Sheets("Down \"ZZZ\" F10");
  EXPECT_EQ(std::vector<int>{197}, nothing.messages) << nothing.transcript;
  EXPECT_EQ(std::string::npos, nothing.transcript.find("preview:"));
  ExpectReleased(records::kFileProducts);

  const Run stopped = Sheets("Space Space Space F10 Break");
  EXPECT_TRUE(ReadPreview(stopped.transcript, "Product Count Sheets").Contains("stopped by the user"))
      << stopped.transcript;
  ExpectReleased(records::kFileProducts);

  ASSERT_EQ(0, BtrvTestSwitch("fail=6:products:4:2"));
  const Run failed = Sheets("Space Space Space F10 Esc");
  BtrvTestSwitch("");
  const PreviewReport f = ReadPreview(failed.transcript, "Product Count Sheets");
  EXPECT_TRUE(f.Contains("report is incomplete")) << failed.transcript;
  EXPECT_EQ(-1, SheetsOf(f).total);
  EXPECT_EQ(4u, SheetsOf(f).rows.size()) << "what was read before the error is printed";
  ExpectReleased(records::kFileProducts);
}

}  // namespace
}  // namespace producttest
