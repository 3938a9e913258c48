// Price assignment (command 380): the pricing rule and the range test as
// tables of cases, and the screen driven by key scripts over a small company:
// the prices written at F10 are exactly those of the rules, a line left alone
// keeps its product's price to the last bit, nothing else of the records changes,
// leaving without saving changes nothing, and a record-manager failure while
// writing leaves every price as it was.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/price_assignment.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "qxtest/transcript.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {

using fixture::Json;
using Image = std::vector<std::uint8_t>;

constexpr int kProducts = records::kFileProducts;
constexpr std::size_t kPriceOffset = offsetof(records::TagProduct, sellingPrice);

// --- The rule ----------------------------------------------------------------------------

struct RuleCase {
  const char* name;
  char sign;
  double cost;
  int purchaseFactor;
  int salesFactor;
  double amount;
  double shown;
  double expected;
  bool refused;
};

const RuleCase kRules[] = {
    {"margin on the cost of one sales unit, 4 decimals", '%', 10.0, 12, 1, 20, 5, 1.0417, false},
    {"an amount added to the cost", '$', 10.0, 1, 1, 2.5, 0, 12.5, false},
    {"several stock units to the sales unit", '$', 10.0, 4, 2, 1, 0, 6.0, false},
    {"margin of 50 doubles the cost", '%', 7.25, 1, 1, 50, 0, 14.5, false},
    {"a negative amount lowers the price", '$', 10.0, 1, 1, -3.25, 0, 6.75, false},
    {"a negative margin sells below cost", '%', 10.0, 1, 1, -25, 0, 8.0, false},
    {"a zero amount keeps the price shown", '%', 10.0, 1, 1, 0, 19.99, 19.99, false},
    {"an amount below a cent is zero", '$', 10.0, 1, 1, 0.004, 19.99, 19.99, false},
    {"any sign but % adds the amount", 'x', 10.0, 1, 1, 1, 0, 11.0, false},
    {"a purchase factor of 0 counts as 1", '$', 10.0, 0, 1, 1, 0, 11.0, false},
    {"a sales factor of 0 counts as 1", '$', 10.0, 2, 0, 1, 0, 6.0, false},
    {"a margin of 100 leaves no cost: refused", '%', 10.0, 1, 1, 100, 3.5, 3.5, true},
    {"a margin above 100 is refused", '%', 10.0, 1, 1, 150, 3.5, 3.5, true},
    {"half a ten-thousandth rounds away from zero", '$', 0.00005, 1, 1, 1, 0, 1.0001, false},
};

TEST(PriceRule, NewPriceByTheRuleOfTheLine) {
  for (const RuleCase& c : kRules) {
    SCOPED_TRACE(c.name);
    bool refused = !c.refused;
    const double price = ComputeNewPrice(c.sign, c.cost, c.purchaseFactor, c.salesFactor, c.amount, c.shown, &refused);
    EXPECT_DOUBLE_EQ(price, c.expected);
    EXPECT_EQ(refused, c.refused);
  }
}

// --- The range test ------------------------------------------------------------------------

records::TagProduct SampleProduct() {
  records::TagProduct p{};
  std::memcpy(p.number, "BOLT-10", 7);
  std::memcpy(p.description, "Brass bolt", 10);
  std::memcpy(p.bin, "A-12", 4);
  std::memcpy(p.department, "200", 3);
  std::memcpy(p.vendor, "ACME", 4);
  p.purchaseUnitFactor = 12;
  p.salesUnitFactor = 2;
  p.lastSaleDate = DateMake(2025, 2, 10);
  p.lastPurchaseDate = DateMake(2025, 1, 5);
  p.purchaseUnits[2] = 120;  // 10 purchase units
  p.salesUnits[2] = 30;      // 15 sales units
  p.salesUnits[1] = 999;     // last year: never tested
  p.purchaseDollars[2] = 450;
  p.salesDollars[2] = 700;
  return p;
}

struct RangeCase {
  const char* name;
  int kind;
  const char* from;
  const char* to;
  bool in;
  bool pastEnd;
};

const RangeCase kRanges[] = {
    {"both ends open", kPriceByNumber, "", "", true, false},
    {"both ends open on an unknown kind", 99, "", "", true, false},
    {"number within, any case", kPriceByNumber, "bolt", "bolt-2", true, false},
    {"number equal to both ends", kPriceByNumber, "BOLT-10", "bolt-10", true, false},
    {"number before From", kPriceByNumber, "C", "", false, false},
    {"number past To: the end", kPriceByNumber, "", "BOLT-1", false, true},
    {"the whole field is compared: a To prefix ends", kPriceByNumber, "", "BOLT", false, true},
    {"description", kPriceByDescription, "brass", "brass c", true, false},
    {"description past To", kPriceByDescription, "A", "Brass a", false, true},
    {"bin", kPriceByBin, "A-10", "A-20", true, false},
    {"G/L department before From", kPriceByDepartment, "300", "", false, false},
    {"vendor past To", kPriceByVendor, "", "ABC", false, true},
    {"last sale date within", kPriceByLastSaleDate, "02/01/25", "02/28/25", true, false},
    {"last sale date on both ends", kPriceByLastSaleDate, "02/10/25", "02/10/25", true, false},
    {"last sale date before From", kPriceByLastSaleDate, "02/11/25", "", false, false},
    {"last sale date past To", kPriceByLastSaleDate, "", "02/09/25", false, true},
    {"last purchase date", kPriceByLastPurchaseDate, "01/05/25", "", true, false},
    {"purchase units are this year's per purchase factor", kPriceByPurchaseUnits, "10", "10", true, false},
    {"purchase units above To", kPriceByPurchaseUnits, "", "9.5", false, true},
    {"sales units per sales factor", kPriceBySalesUnits, "15", "15", true, false},
    {"sales units below From", kPriceBySalesUnits, "16", "", false, false},
    {"purchase dollars", kPriceByPurchaseDollars, "450", "450", true, false},
    {"sales dollars above To", kPriceBySalesDollars, "", "699.99", false, true},
    {"an unknown kind with a range is out", 99, "A", "Z", false, false},
};

TEST(PriceRange, ProductWithinTheRangeOfEachKind) {
  const records::TagProduct p = SampleProduct();
  for (const RangeCase& c : kRanges) {
    SCOPED_TRACE(c.name);
    bool pastEnd = false;
    EXPECT_EQ(ProductInPriceRange(PriceRange{c.kind, c.from, c.to}, p, &pastEnd), c.in);
    EXPECT_EQ(pastEnd, c.pastEnd);
  }
}

// --- The screen ------------------------------------------------------------------------------

Json Product(const std::string& number, const std::string& description, double price, double cost,
             Json extra = Json::object()) {
  Json r{{"number", number},         {"description", description}, {"productType", 1},
         {"purchaseUnitFactor", 1},  {"salesUnitFactor", 1},       {"sellingPrice", price},
         {"lastCost", cost},         {"raw", {{"46", "5150c0de"}}}};
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

double PriceOf(const Image& r) {
  double v = 0;
  std::memcpy(&v, r.data() + kPriceOffset, sizeof v);
  return v;
}

class PriceAssignmentTest : public qxtest::CompanyTest {
 protected:
  // A1 .. D1 in number order, each priced 19.99; A1 is bought by the dozen,
  // C1 sold by the dozen.
  void AddProducts() {
    Add("products", Product("A1", "Anchor bolts", 19.99, 10.0, Json{{"purchaseUnitFactor", 12}}));
    Add("products", Product("B1", "Brass hinges", 19.99, 10.0, Json{{"salesUnits", {0, 0, 500, 0, 0}}}));
    Add("products", Product("C1", "Cable ties", 19.99, 4.0,
                            Json{{"salesUnitFactor", 12}, {"salesUnits", {0, 0, 600, 0, 0}}}));
    Add("products", Product("D1", "Door stops", 19.99, 2.0, Json{{"salesUnits", {0, 0, 800, 0, 0}}}));
    WriteCompany();
  }

  std::vector<Image> Records() { return Snapshot({kProducts}).files[kProducts]; }

  Run RunScreen(const std::string& keys) {
    SharedAppBlockGet()->currentCommand = 380;
    return RunScripted(keys, [] { return RunPriceAssignment(); });
  }

  // Every record of `after` is `before` with the prices of `prices` (one per
  // record; negative: unchanged).
  static void ExpectPrices(const std::vector<Image>& before, const std::vector<Image>& after,
                           const std::vector<double>& prices) {
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
      SCOPED_TRACE("product " + std::to_string(i + 1));
      Image expected = before[i];
      if (prices[i] >= 0) std::memcpy(expected.data() + kPriceOffset, &prices[i], sizeof(double));
      EXPECT_DOUBLE_EQ(PriceOf(after[i]), PriceOf(expected));
      EXPECT_EQ(after[i], expected) << "bytes beside the price changed, or the price is not exact";
    }
  }
};

// The whole file by number: the selection's open ranges are left with Enter;
// the last Enter builds the list and moves into it.
constexpr const char* kSelectAll = "Enter Enter Enter Enter Enter Enter";

TEST_F(PriceAssignmentTest, F10WritesThePriceOfEachLineByItsRule) {
  AddProducts();
  const std::vector<Image> before = Records();
  const std::string keys = std::string(kSelectAll) +
                           R"( "%" Enter "20" Enter Enter)"     // A1: margin 20 on 10 / 12
                           R"( "$" Enter "2.5" Enter Enter)"    // B1: 10 + 2.5
                           R"( "$" Enter "1" Enter Enter)"      // C1: 4 x 12 + 1
                           R"( F10)";                           // D1 untouched
  const auto run = RunScreen(keys);
  EXPECT_EQ(run.result, 0);
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  ExpectPrices(before, Records(), {1.0417, 12.5, 49.0, 19.99});
}

TEST_F(PriceAssignmentTest, SwitchTogglesTheSignAndRecomputes) {
  AddProducts();
  const std::vector<Image> before = Records();
  // "20" as a margin on A1, then F3 makes it 20 dollars on the cost of one
  // sales unit (10 / 12).
  const std::string keys = std::string(kSelectAll) + R"( "%" Enter "20" Enter F3 Down F10)";
  const auto run = RunScreen(keys);
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  ExpectPrices(before, Records(), {20.8333, 19.99, 19.99, 19.99});
}

// The first criterion's order is walked: a product past its To ends the
// list; a product outside the second range is skipped.
TEST_F(PriceAssignmentTest, FirstRangeEndsTheListSecondRangeSkips) {
  AddProducts();
  const std::vector<Image> before = Records();
  // Numbers B1 .. C1, then sales units ('T') 100 .. 1000: B1 only (C1 sold
  // 600 stock units, 50 by the dozen; D1 is past the number range).
  const std::string keys = R"(Enter "B1" Enter "C1" Enter "T" Enter "100" Enter "1000" Enter F10)";
  const auto run = RunScreen(keys);
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  ExpectPrices(before, Records(), {-1, 19.99, -1, -1});
}

struct CriterionCase {
  const char* name;
  std::string keys;  // from the second criterion's choice to the list's F10
  std::vector<bool> listed;
};

// Four products, each standing out in one statistic of this year and one
// date; the second criterion's ranges below select exactly one of them.
class PriceCriteriaTest : public PriceAssignmentTest {
 protected:
  // Runs the case on a fresh company, the first criterion left open: the
  // products listed are rewritten at F10 (with their price through a line's
  // price exactly as it was), the others are untouched.
  Run ExpectListed(const CriterionCase& c) {
    WriteCompany();
    const std::vector<Image> before = Records();
    const auto run = RunScreen("Enter Enter Enter " + c.keys);
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    std::vector<double> prices;
    for (bool listed : c.listed) prices.push_back(listed ? 19.99 : -1);
    ExpectPrices(before, Records(), prices);
    return run;
  }

  void AddDistinctProducts() {
    Add("products", Product("A1", "Anchor bolts", 19.99, 10.0,
                            Json{{"salesUnits", {0, 0, 150, 0, 0}}, {"lastSaleDate", "2025-02-10"}}));
    Add("products", Product("B1", "Brass hinges", 19.99, 10.0,
                            Json{{"salesDollars", {0, 0, 150, 0, 0}}, {"lastPurchaseDate", "2025-03-20"}}));
    Add("products", Product("C1", "Cable ties", 19.99, 4.0, Json{{"purchaseUnits", {0, 0, 150, 0, 0}}}));
    Add("products", Product("D1", "Door stops", 19.99, 2.0, Json{{"purchaseDollars", {0, 0, 150, 0, 0}}}));
    WriteCompany();
  }
};

// The hot letter typed on the second criterion chooses its statistic; the
// products listed (and so rewritten at F10) are those within its range.
TEST_F(PriceCriteriaTest, EachLetterOfTheSecondCriterionChoosesItsFigure) {
  AddDistinctProducts();
  const std::string units = R"( Enter "100" Enter "200" Enter F10)";
  const CriterionCase cases[] = {
      {"N product number", R"("N" Enter "B1" Enter "C1" Enter F10)", {false, true, true, false}},
      {"D description", R"("D" Enter "door" Enter "door z" Enter F10)", {false, false, false, true}},
      {"T sales units", R"("T")" + units, {true, false, false, false}},
      {"S sales dollars", R"("S")" + units, {false, true, false, false}},
      {"P purchase units", R"("P")" + units, {false, false, true, false}},
      {"H purchase dollars", R"("H")" + units, {false, false, false, true}},
      {"L last sales date", R"("L" Enter "020125" Enter "022825" Enter F10)", {true, false, false, false}},
      {"U last purchase date", R"("U" Enter "030125" Enter "033125" Enter F10)", {false, true, false, false}},
  };
  for (const CriterionCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectListed(c);
  }
}

// F5 on the second criterion's figure and date fields fills them with the
// picked product's figure or date, as the range reads it back: picking the
// same product for both ends lists the products that share its figure.
TEST_F(PriceCriteriaTest, F5OnTheFigureAndDateFieldsFillsThemFromThePickedProduct) {
  AddDistinctProducts();
  const CriterionCase cases[] = {
      {"sales units of A1", R"("T" Enter F5 "A1" Enter Enter F5 "A1" Enter Enter F10)", {true, false, false, false}},
      {"sales units of C1: every product but A1 has none",
       R"("T" Enter F5 "C1" Enter Enter F5 "C1" Enter Enter F10)", {false, true, true, true}},
      {"purchase dollars from D1", R"("H" Enter F5 "D1" Enter Enter Enter F10)", {false, false, false, true}},
      {"last purchase date of B1", R"("U" Enter F5 "B1" Enter Enter F5 "B1" Enter Enter F10)",
       {false, true, false, false}},
      {"a product without a date leaves the end open", R"("L" Enter F5 "C1" Enter Enter F5 "A1" Enter Enter F10)",
       {true, true, true, true}},
  };
  for (const CriterionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto run = ExpectListed(c);
    EXPECT_NE(run.transcript.find("search list \" Products \""), std::string::npos) << run.transcript;
  }
}

TEST_F(PriceAssignmentTest, AnEmptySelectionSaysSoAndStays) {
  AddProducts();
  const std::vector<Image> before = Records();
  const auto run = RunScreen(R"(Enter "X" Enter "Z" Enter Enter Enter Enter Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{197}) << run.transcript;
  EXPECT_EQ(Records(), before);
}

// A date range of the second criterion: a bad date keeps the cursor on its
// field; last sales dates within the range are listed.
TEST_F(PriceAssignmentTest, ADateRangeRefusesABadDate) {
  Add("products", Product("A1", "Anchor bolts", 19.99, 10.0, Json{{"lastSaleDate", "2025-01-10"}}));
  Add("products", Product("B1", "Brass hinges", 19.99, 10.0, Json{{"lastSaleDate", "2025-02-10"}}));
  WriteCompany();
  const std::vector<Image> before = Records();
  const auto run = RunScreen(R"(Enter Enter Enter "L" Enter "134525" Enter Enter)"
                             R"( Home "020125" Enter "022825" Enter F10)");
  EXPECT_EQ(run.messages, std::vector<int>{13}) << run.transcript;
  ExpectPrices(before, Records(), {-1, 19.99});
}

TEST_F(PriceAssignmentTest, ABadSignIsRefusedOnItsLine) {
  AddProducts();
  const std::vector<Image> before = Records();
  const std::string keys = std::string(kSelectAll) + R"( "x" Enter Enter "$" Enter "1" Enter Enter F10)";
  const auto run = RunScreen(keys);
  EXPECT_EQ(run.messages, std::vector<int>{435}) << run.transcript;
  ExpectPrices(before, Records(), {1.8333, 19.99, 19.99, 19.99});
}

TEST_F(PriceAssignmentTest, AMarginOfAHundredIsRefused) {
  AddProducts();
  const std::vector<Image> before = Records();
  const std::string keys = std::string(kSelectAll) + R"( "%" Enter "100" Enter Enter "50" Enter Enter F10)";
  const auto run = RunScreen(keys);
  EXPECT_EQ(run.messages, std::vector<int>{2233}) << run.transcript;
  ExpectPrices(before, Records(), {1.6667, 19.99, 19.99, 19.99});
}

TEST_F(PriceAssignmentTest, PrintListsTheLinesAndStays) {
  AddProducts();
  const std::vector<Image> before = Records();
  const std::string keys = std::string(kSelectAll) + R"( "$" Enter "5" Enter Enter F7 Esc Esc "Y")";
  const auto run = RunScreen(keys);
  EXPECT_EQ(run.messages, std::vector<int>{2231}) << run.transcript;
  EXPECT_NE(run.transcript.find("preview: Price Assignments"), std::string::npos) << run.transcript;
  // The line as accepted on screen (the rule and its price), the rows not
  // touched with their price as read.
  const char* lines[] = {
      " A1                        Anchor bolts                                      10.000          19.990  $"
      "             5.000           5.833",
      " D1                        Door stops                                         2.000          19.990  %"
      "             0.000          19.990",
  };
  for (const char* line : lines) EXPECT_NE(run.transcript.find(line), std::string::npos) << line << run.transcript;
  // Printing writes nothing; the screen stayed for Esc.
  EXPECT_EQ(Records(), before);
}

// A line keeps its product's price as stored unless a rule or a typed price
// changes it: F10 writes back a price of four decimals, or of thousands and
// cents, to the last bit, whether the line was passed over or left alone; a
// rule's price keeps its four decimals though the line shows three.  A rule
// whose price the line cannot show whole is refused: the price is not cut to
// what the field shows.
TEST_F(PriceAssignmentTest, ALineKeepsItsPriceUnlessARuleOrATypedPriceChangesIt) {
  Add("products", Product("A1", "Anchor bolts", 1.0417, 10.0));
  Add("products", Product("B1", "Band saw", 16001.37, 9000.0));
  Add("products", Product("C1", "Cable ties", 0.07, 0.02));
  WriteCompany();
  const std::vector<Image> before = Records();
  struct Case {
    const char* name;
    std::string lines;
    std::vector<double> prices;
    std::vector<int> messages;
  };
  const Case cases[] = {
      {"every line left alone", "F10", {1.0417, 16001.37, 0.07}, {}},
      {"every line passed with Enter", "Enter Enter Enter Enter Enter Enter Enter Enter Enter F10",
       {1.0417, 16001.37, 0.07}, {}},
      {"B1 priced by a rule, C1 typed", R"(Down "$" Enter "1000" Enter Enter Enter Enter "0.125" Enter F10)",
       {1.0417, 10000.0, 0.125}, {}},
      {"the last line priced by a rule, accepted with Enter and again by F10",
       R"(Down Down "%" Enter "35" Enter Enter F10)", {1.0417, 16001.37, 0.0308}, {}},
      {"a price too wide for the line, then no amount", R"("$" Enter "9999999999" Enter Enter "0" Enter Enter F10)",
       {1.0417, 16001.37, 0.07}, {2235}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const auto run = RunScreen(std::string(kSelectAll) + " " + c.lines);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    ExpectPrices(before, Records(), c.prices);
  }
}

struct LeaveCase {
  const char* name;
  std::string keys;
  std::vector<int> messages;
};

TEST_F(PriceAssignmentTest, LeavingWithoutSavingChangesNothing) {
  AddProducts();
  const std::vector<Image> before = Records();
  const std::string priced = std::string(kSelectAll) + R"( "$" Enter "5" Enter Enter)";
  const LeaveCase cases[] = {
      {"Esc on the selection", "Esc", {}},
      {"Esc in the list, Yes", priced + R"( Esc "Y")", {2231}},
      {"Esc in the list, No, then Esc, Yes", priced + R"( Esc "N" Esc "Y")", {2231, 2231}},
      {"F10 before a list is built", "F10 Esc", {}},
  };
  for (const LeaveCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto run = RunScreen(c.keys);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(Records(), before);
  }
}

struct FailureCase {
  const char* name;
  const char* failure;  // BtrvTestSwitch
  const char* shown;
};

// Whatever step of F10 fails, no price is written, and the list stays so
// that F10 can be pressed again.
const FailureCase kFailures[] = {
    {"updating the third product", "fail=3:products:3:84", "Error 84:"},
    {"updating the first product, changed by another user", "fail=3:products:1:80", "Error 80:"},
    {"committing", "fail=20:*:1:2", "Error 2:"},
};

TEST_F(PriceAssignmentTest, AFailureWhileWritingLeavesEveryPrice) {
  AddProducts();
  const std::vector<Image> before = Records();
  const std::string keys = std::string(kSelectAll) + R"( "$" Enter "5" Enter Enter F10 Enter Esc "Y")";
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const auto run = RunScreen(keys);
    BtrvTestSwitch("");
    EXPECT_NE(qxtest::Flat(run.transcript).find(c.shown), std::string::npos) << run.transcript;
    EXPECT_EQ(Records(), before);
  }
  // F10 again after the failure writes the whole list.
  ASSERT_EQ(BtrvTestSwitch("fail=3:products:3:84"), 0);
  const auto run = RunScreen(std::string(kSelectAll) + R"( "$" Enter "5" Enter Enter F10 Enter F10)");
  BtrvTestSwitch("");
  ExpectPrices(before, Records(), {5.8333, 19.99, 19.99, 19.99});
}

}  // namespace
