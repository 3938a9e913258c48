// The product price listing (command 352) run on key scripts over the
// sample company and small fixtures, read back from the preview: the lines
// without and with a cost code, the cost written in the code by the costing
// method, the second line of price tables, the groups and the total.
//
// The selection screen's fields in cursor order: 1 sort field, 2/3 its
// range, 14 rank field, 15/16 its range, 26 the cost code (six Downs from
// the first field).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "records/dictionary.h"
#include "records/masters.h"
#include "reports/inventory/price_listing.h"
#include "stock_reports_support.h"

namespace producttest {
namespace {

// Print columns of the line.
constexpr int kNumberX = 0, kDescriptionX = 21, kMeasureX = 53, kFractionX = 60, kWarehouseX = 66,
              kDepartmentX = 72, kBinX = 78, kTaxX = 87, kPriceX = 91, kCostX = 103, kTable1X = 114,
              kTable2X = 122, kTable3X = 130;
constexpr int kCountX = 28;

constexpr const char* kCostCode = "\"MONEYBACKS\"";  // ten different letters: 1 M, 2 O, ... 9 K, 0 S

std::string CostCodeKeys(const std::string& code) { return "Down Down Down Down Down Down " + code + " F10 Esc"; }

class PriceListingTest : public StockReportTest {
 protected:
  Run Listing(const std::string& keys) { return Scripted(keys, [] { return RunProductPriceListing(); }); }
};

// A cost written in `code` read back as digits: the letter at place n is
// the digit n, the tenth letter 0.
std::string Decoded(const std::string& letters, const std::string& code) {
  std::string out;
  for (const char ch : letters) {
    const std::size_t place = code.find(ch);
    if (ch == '.' || ch == '-') out += ch;
    else if (place == std::string::npos) out += '?';
    else out += place == 9 ? '0' : static_cast<char>('1' + place);
  }
  return out;
}

// A listing as printed: each product's row (its cells by column) and the
// row under it when it has one, the subtotals and the total.
struct PriceRows {
  struct Row {
    std::vector<std::string> cells;   // number .. table C
    std::vector<std::string> second;  // tables D to F of the second line ("" none)
  };
  std::vector<Row> rows;
  std::vector<std::pair<std::string, int>> subtotals;
  int total = -1;
  std::vector<std::string> Numbers() const {
    std::vector<std::string> out;
    for (const Row& r : rows) out.push_back(r.cells[0]);
    return out;
  }
  const Row* Find(const std::string& number) const {
    for (const Row& r : rows)
      if (r.cells[0] == number) return &r;
    return nullptr;
  }
};

PriceRows RowsOf(const PreviewReport& r) {
  PriceRows out;
  const int rule = r.Find("------");
  for (int i = rule + 1; rule >= 0 && i < static_cast<int>(r.lines.size()); ++i) {
    const std::string& line = r.lines[static_cast<std::size_t>(i)];
    if (line.find("------") != std::string::npos || line.find("Sorted by") != std::string::npos) continue;
    const std::string caption = r.Cell(i, 0, kCountX);
    if (caption.rfind("Subtotal ", 0) == 0) {
      out.subtotals.emplace_back(caption, std::stoi(r.Cell(i, kCountX, 8)));
    } else if (caption.rfind("Total Products", 0) == 0) {
      out.total = std::stoi(r.Cell(i, kCountX, 8));
    } else if (!r.Cell(i, kNumberX, 14).empty() && !r.Cell(i, kDescriptionX, 30).empty()) {
      out.rows.push_back({{r.Cell(i, kNumberX, 14), r.Cell(i, kDescriptionX, 30), r.Cell(i, kMeasureX, 5),
                           r.Cell(i, kFractionX, 5), r.Cell(i, kWarehouseX, 5), r.Cell(i, kDepartmentX, 5),
                           r.Cell(i, kBinX, 8), r.Cell(i, kTaxX, 3), r.Cell(i, kPriceX, 11), r.Cell(i, kCostX, 10),
                           r.Cell(i, kTable1X, 7), r.Cell(i, kTable2X, 7), r.Cell(i, kTable3X, 7)},
                          {}});
    } else if (!out.rows.empty() && r.Cell(i, 0, kTable1X).empty() && !r.Cell(i, kTable1X, 30).empty()) {
      out.rows.back().second = {r.Cell(i, kTable1X, 7), r.Cell(i, kTable2X, 7), r.Cell(i, kTable3X, 7)};
    }
  }
  return out;
}

// --- The sample company -------------------------------------------------------------------

TEST_F(PriceListingTest, WithoutACostCodeEveryProductHasOneLineAndNoCostOrTables) {
  LoadSampleCompany();
  const Run run = Listing("F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Price Listing");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_TRUE(r.Contains("Product Price Listing"));
  EXPECT_TRUE(r.Contains("Sorted by: Product Number"));
  EXPECT_TRUE(r.Contains("Sale Price"));
  EXPECT_FALSE(r.Contains("Table A")) << run.transcript;
  EXPECT_FALSE(r.Contains("Code")) << "no cost column without a cost code";
  const PriceRows rows = RowsOf(r);
  ASSERT_EQ(22u, rows.rows.size()) << run.transcript;
  EXPECT_EQ("CLN-ALL-1G", rows.rows[0].cells[0]) << "product number order";
  EXPECT_EQ(22, rows.total);
  EXPECT_TRUE(rows.subtotals.empty());
  // The selling measure and fraction, where and what it is, its tax and price.
  const PriceRows::Row* tape = rows.Find("TAPE-PKG-6");
  ASSERT_NE(nullptr, tape);
  EXPECT_EQ((std::vector<std::string>{"TAPE-PKG-6", "Packing tape roll, sold by 6", "PACK/", "6", "MAI", "WS",
                                      "E-03", "", "14.9500", "", "", "", ""}),
            tape->cells);
  const PriceRows::Row* paper = rows.Find("PAP-A4-500");
  ASSERT_NE(nullptr, paper);
  EXPECT_EQ("T", paper->cells[7]);
  EXPECT_TRUE(paper->second.empty()) << "no table line without a cost code";
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
}

TEST_F(PriceListingTest, WithACostCodeTheCostIsWrittenInItsLettersAndTheTablesFollow) {
  LoadSampleCompany();
  const Run run = Listing(CostCodeKeys(kCostCode));
  const PreviewReport r = ReadPreview(run.transcript, "Price Listing");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_TRUE(r.Contains("Table A"));
  EXPECT_TRUE(r.Contains("Table F"));
  const PriceRows rows = RowsOf(r);
  ASSERT_EQ(22u, rows.rows.size()) << run.transcript;
  // The sample company costs by average: each product's cost, read back
  // through the code, is its average cost to four decimals.
  for (const records::TagProduct& p : SampleProducts()) {
    const PriceRows::Row* row = rows.Find(qxtest::Trim(std::string(p.number, strnlen(p.number, sizeof p.number))));
    ASSERT_NE(nullptr, row) << p.number;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.4f", static_cast<double>(p.averageCost));
    EXPECT_EQ(expected, Decoded(row->cells[9], "MONEYBACKS")) << p.number;
  }
  // Levels A to C on the line, D to F under it; a blank level left blank.
  const PriceRows::Row* paper = rows.Find("PAP-A4-500");
  ASSERT_NE(nullptr, paper);
  EXPECT_EQ((std::vector<std::string>{"QTY10", "PREF5", "BULK"}),
            (std::vector<std::string>{paper->cells[10], paper->cells[11], paper->cells[12]}));
  EXPECT_EQ((std::vector<std::string>{"", "CASE", ""}), paper->second) << run.transcript;
  const PriceRows::Row* pens = rows.Find("PEN-BLK-12");
  ASSERT_NE(nullptr, pens);
  EXPECT_EQ((std::vector<std::string>{"DLR1", "", "FLAT2"}), pens->second);
  // No level D to F: no second line.
  const PriceRows::Row* toner = rows.Find("TNR-LJ-85A");
  ASSERT_NE(nullptr, toner);
  EXPECT_EQ("PREF5", toner->cells[10]);
  EXPECT_TRUE(toner->second.empty());
  EXPECT_EQ(22, rows.total);
}

TEST_F(PriceListingTest, ByWarehouseEachGroupHasItsCountAndTheCountsFootToTheTotal) {
  LoadSampleCompany();
  // Sort by warehouse (sixth choice).
  const Run run = Listing("Space Space Space Space Space F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Price Listing");
  EXPECT_TRUE(r.Contains("Sorted by: Warehouse")) << run.transcript;
  const PriceRows rows = RowsOf(r);
  const std::vector<std::pair<std::string, int>> expected = {{"Subtotal MAI:", 21}, {"Subtotal WST:", 1}};
  EXPECT_EQ(expected, rows.subtotals) << run.transcript;
  EXPECT_EQ(22, rows.total);
  EXPECT_EQ("PAP-A4-WST", rows.rows.back().cells[0]) << "the west store's product comes last";
}

// --- Small fixtures -----------------------------------------------------------------------

// The cost each costing method takes, written in the code: 12.5 with a
// ten-letter code is its first and second letters, the point, its fifth
// letter and its tenth for each trailing zero.
TEST_F(PriceListingTest, TheCostingMethodChoosesTheCostThatIsEncoded) {
  const struct {
    const char* method;
    const char* cost;
  } cases[] = {
      {"A", "MO.YSSS"},   // average 12.50
      {"L", "KA.SSSS"},   // purchase price 97.00
      {"S", "Y.NOSS"},    // standard 5.32
      {"X", "Y.NOSS"},    // any other letter: the standard cost
  };
  for (const auto& c : cases) {
    LoadFixture(Json{{"files",
                      {{"settings", Json::array({Json{{"key", "0SysPrefs"}, {"costingMethod", c.method}}})},
                       {"products", Json::array({Product("X1", "Costed product",
                                                         Json{{"averageCost", 12.5},
                                                              {"lastCost", 97.0},
                                                              {"standardCost", 5.32}})})}}}});
    const Run run = Listing(CostCodeKeys(kCostCode));
    const PriceRows rows = RowsOf(ReadPreview(run.transcript, "Price Listing"));
    ASSERT_EQ(1u, rows.rows.size()) << c.method << "\n" << run.transcript;
    EXPECT_EQ(c.cost, rows.rows[0].cells[9]) << c.method;
  }
}

TEST_F(PriceListingTest, CostsTheCodeCannotWriteWhole) {
  const struct {
    double cost;
    const char* code;
    const char* expected;
  } cases[] = {
      {12.5, "MONEYBACKS", "MO.YSSS"},
      {-3.25, "MONEYBACKS", "-N.OYSS"},      // the sign stays
      {1234567.5, "MONEYBACKS", "**********"},  // wider than the column
      {9.0, "ABC", "?.????"},               // places the code does not have
      {0.0, "MONEYBACKS", "S.SSSS"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, EncodeCost(c.cost, c.code)) << c.cost << " " << c.code;
}

TEST_F(PriceListingTest, NothingSelectedAUserBreakAndARecordManagerErrorEndCleanly) {
  LoadSampleCompany();
  const Run nothing = Listing("Down \"ZZZ\" F10");
  EXPECT_EQ(std::vector<int>{197}, nothing.messages) << nothing.transcript;
  EXPECT_EQ(std::string::npos, nothing.transcript.find("preview:"));
  ExpectReleased(records::kFileProducts);

  // By bin (a temporary index), stopped at once.
  const Run stopped = Listing("Space Space Space F10 Break");
  const PreviewReport s = ReadPreview(stopped.transcript, "Price Listing");
  EXPECT_TRUE(s.Contains("stopped by the user")) << stopped.transcript;
  EXPECT_EQ(-1, RowsOf(s).total) << "no total after a break";
  ExpectReleased(records::kFileProducts);

  ASSERT_EQ(0, BtrvTestSwitch("fail=6:products:5:2"));
  const Run failed = Listing("Space Space Space F10 Esc");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, failed.transcript.find("products")) << failed.transcript;
  const PreviewReport f = ReadPreview(failed.transcript, "Price Listing");
  EXPECT_TRUE(f.Contains("report is incomplete")) << failed.transcript;
  EXPECT_EQ(-1, RowsOf(f).total) << "no total under an incomplete listing";
  ExpectReleased(records::kFileProducts);

  const Run left = Listing("Esc");
  EXPECT_TRUE(left.messages.empty());
  EXPECT_EQ(std::string::npos, left.transcript.find("preview:"));
  ExpectReleased(records::kFileProducts);
}

}  // namespace
}  // namespace producttest
