// The product selection's pieces: the test of a product against a criterion
// by the kind of its field, the type-2 rule of the activity reports, the
// groups of a grouping sort, the defaults, the sort index or key and the
// first product of a walk.
#include <cstring>
#include <string>
#include <vector>

#include "product_test_support.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "records/dictionary.h"
#include "reports/inventory/product_selection.h"

namespace producttest {
namespace {

records::TagProduct MakeProduct(const char* number) {
  records::TagProduct p{};
  std::snprintf(p.number, sizeof p.number, "%s", number);
  p.purchaseUnitFactor = 1;
  p.salesUnitFactor = 1;
  p.productType = 1;
  return p;
}

RangeCriterion Criterion(int field, const char* from, const char* to) {
  ProductReportParams params{};
  RangeCriterion c{};
  SetProductRangeCriterion(&params, &c, records::kFileProducts, field, from, to);
  return c;
}

TEST(ProductFieldMatchesTest, EachKindOfField) {
  records::TagProduct p = MakeProduct("pap-a4");
  std::snprintf(p.bin, sizeof p.bin, "%s", "b-07");
  std::snprintf(p.department, sizeof p.department, "%s", "OF");
  p.purchaseUnits[2] = 24;  // the current year's
  p.purchaseUnits[1] = 999;
  p.purchaseUnitFactor = 12;
  p.salesUnits[2] = 7;
  p.salesUnitFactor = 0;  // no fraction: the units as stored
  p.salesDollars[2] = 150.25;
  p.lastSaleDate = DateMake(2025, 3, 1);
  const struct {
    const char* name;
    int field;
    const char* from;
    const char* to;
    bool passes;
    int pastEnd;
  } cases[] = {
      {"open at both ends", kProdFieldBin, nullptr, nullptr, true, 0},
      {"text without regard to case", kProdFieldBin, "B-01", "B-09", true, 0},
      {"text below the from end", kProdFieldBin, "C", nullptr, false, 0},
      {"text past the to end", kProdFieldBin, nullptr, "B-06", false, 1},
      {"number equal to both ends", kProdFieldNumber, "PAP-A4", "PAP-A4  ", true, 0},
      {"department", kProdFieldDepartment, "of", "of", true, 0},
      {"24 units in twelves are 2", kProdFieldPurchaseUnits, "2", "2", true, 0},
      {"24 units in twelves are not 3", kProdFieldPurchaseUnits, "3", nullptr, false, 0},
      {"no fraction counts as one", kProdFieldSalesUnits, "7", "7", true, 0},
      {"dollars within", kProdFieldSalesDollars, "150", "151", true, 0},
      {"dollars above: never past the end", kProdFieldSalesDollars, nullptr, "150", false, 0},
      {"date up to and including", kProdFieldLastSaleDate, nullptr, "03/01/25", true, 0},
      {"date past the to end", kProdFieldLastSaleDate, nullptr, "02/28/25", false, 1},
      {"date below the from end", kProdFieldLastSaleDate, "03/02/25", nullptr, false, 0},
  };
  for (const auto& c : cases) {
    int pastEnd = -1;
    EXPECT_EQ(c.passes, ProductFieldMatches(p, Criterion(c.field, c.from, c.to), &pastEnd)) << c.name;
    EXPECT_EQ(c.pastEnd, pastEnd) << c.name;
  }
  RangeCriterion unknown = Criterion(kProdFieldBin, nullptr, nullptr);
  unknown.fieldId = 3;
  int pastEnd = 0;
  EXPECT_FALSE(ProductFieldMatches(p, unknown, &pastEnd)) << "a field the table does not hold never passes";
}

TEST(ProductPassesSelectionTest, TheActivityReportsDropProductsOfTypeTwoUnlessKept) {
  records::TagProduct p = MakeProduct("SERVICE");
  p.productType = records::TagProduct::kNonInventory;
  const struct {
    int menuId;
    std::uint8_t keep;
    bool passes;
  } cases[] = {{350, 0, true}, {354, 0, false}, {354, 1, true}, {359, 0, false}, {359, 1, true}, {356, 0, true}};
  for (const auto& c : cases) {
    ProductReportParams params{};
    params.record = &p;
    params.menuId = c.menuId;
    params.sortRange = params.rankRange = Criterion(kProdFieldNumber, nullptr, nullptr);
    params.includeNoInventory = c.keep;
    int pastEnd = 0;
    EXPECT_EQ(c.passes, ProductPassesSelection(&params, &pastEnd)) << c.menuId << " keep " << int(c.keep);
    if (c.menuId == 359) {
      EXPECT_EQ(c.passes, ProductPassesSortRange(&params, &pastEnd));
    }
  }
}

TEST(ProductGroupsTest, OnlyPrintedProductsCountAndValuesCompareByTheTextRule) {
  records::TagProduct a = MakeProduct("A"), b = MakeProduct("B"), c = MakeProduct("C");
  std::snprintf(a.bin, sizeof a.bin, "%s", "X-01");
  std::snprintf(b.bin, sizeof b.bin, "%s", "x-01 ");
  std::snprintf(c.bin, sizeof c.bin, "%s", "Y-01");
  ProductGroups groups(kProdFieldBin);
  EXPECT_TRUE(groups.Grouping());
  EXPECT_FALSE(groups.Changes(c)) << "nothing printed yet: no group to close";
  groups.Add(a);
  EXPECT_FALSE(groups.Changes(b));
  groups.Add(b);
  EXPECT_TRUE(groups.Changes(c));
  EXPECT_EQ("X-01", groups.Value());
  EXPECT_EQ(2, groups.Count());
  groups.Restart();
  groups.Add(c);
  EXPECT_EQ("Y-01", groups.Value());
  EXPECT_EQ(1, groups.Count());
  EXPECT_FALSE(ProductGroups(kProdFieldDescription).Grouping());
}

TEST(CheckCostCodeTest, DifferentCharactersOnly) {
  const struct {
    const char* code;
    int message;
  } cases[] = {{"", 0}, {"   ", 0}, {"BOOKKEEPER", 849}, {"CUMBERLAND", 0}, {"ABCDEFGHIJ", 0},
               {"AB CD", 847}, {"ABCA", 849}, {"ABC  ", 0}};
  for (const auto& c : cases) EXPECT_EQ(c.message, CheckCostCode(c.code)) << "'" << c.code << "'";
}

// --- The walk over a company ---------------------------------------------------------------

class WalkTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    Add("products", Product("A1", "Zinc plate", Json{{"bin", "C-01"}, {"vendor", "V2"}}));
    Add("products", Product("B1", "Anvil", Json{{"bin", "A-01"}, {"vendor", "V1"}}));
    Add("products", Product("C1", "Bolt", Json{{"bin", "B-01"}, {"vendor", "V1"}, {"productType", 2}}));
    WriteCompany();
    ASSERT_EQ(0, FileSetOpen(&files_, records::kFileProducts));
  }
  void TearDown() override {
    FileSetClose(&files_);
    CompanyTest::TearDown();
  }

  ProductReportParams Params(int menuId) {
    ProductReportParams p{};
    p.keyBuffer = key_;
    p.record = &record_;
    InitProductRanges(menuId, &p);
    p.fileHandle = files_.handle[0];
    p.fileId = records::kFileProducts;
    return p;
  }

  std::string Number() const { return std::string(record_.number, strnlen(record_.number, sizeof record_.number)); }

  // The products of a walk from its first, in order, that pass the selection.
  std::vector<std::string> Walk(ProductReportParams* p) {
    std::vector<std::string> out;
    for (int status = 0; status == 0; status = ReadNextSelectedProduct(p)) {
      int pastEnd = 0;
      const bool passes = ProductPassesSelection(p, &pastEnd);
      if (pastEnd) break;
      if (passes) out.push_back(Number());
    }
    return out;
  }

  FileSet files_;
  char key_[255] = {};
  records::TagProduct record_{};
};

TEST_F(WalkTest, SortAndRankByNumberReadTheFileInItsOwnOrderWithoutAnIndex) {
  ProductReportParams p = Params(350);
  ASSERT_EQ(0, ProductRunStart(&p));
  EXPECT_EQ(0, p.indexBuilt);
  EXPECT_EQ(-1, TempIndexKey(p.fileHandle));
  EXPECT_EQ((std::vector<std::string>{"A1", "B1", "C1"}), Walk(&p));
}

TEST_F(WalkTest, AnotherSortReadsThroughAnIndexThatTheEndDrops) {
  ProductReportParams p = Params(350);
  SetProductRangeCriterion(&p, &p.sortRange, records::kFileProducts, kProdFieldBin, nullptr, "B-99");
  ASSERT_EQ(0, ProductRunStart(&p));
  EXPECT_EQ(1, p.indexBuilt);
  EXPECT_NE(-1, TempIndexKey(p.fileHandle));
  EXPECT_EQ((std::vector<std::string>{"B1", "C1"}), Walk(&p)) << "in bin order, stopping past B-99";
  ProductRunEnd(&p);
  EXPECT_EQ(-1, TempIndexKey(p.fileHandle));
  ProductRunEnd(&p);  // twice is harmless
}

TEST_F(WalkTest, TheActivityDetailStartsAtTheFromEndOnTheFilesOwnKey) {
  const struct {
    int sortField;
    const char* from;
    const char* to;
    int status;
    const char* first;
    bool index;
  } cases[] = {
      {kProdFieldNumber, "B", nullptr, 0, "B1", false},
      {kProdFieldDescription, "b", nullptr, 0, "C1", false},  // "Bolt", though of type 2: the sort range only
      {kProdFieldVendor, "V2", "V2", 0, "A1", false},
      {kProdFieldBin, "B-01", nullptr, 0, "C1", true},
      {kProdFieldNumber, "D", nullptr, 9, "", false},         // nothing from there on
      {kProdFieldNumber, "A", "A", 9, "", false},             // the first from there lies past the end
  };
  for (const auto& c : cases) {
    ProductReportParams p = Params(359);
    p.includeNoInventory = 1;
    SetProductRangeCriterion(&p, &p.sortRange, records::kFileProducts, c.sortField, c.from, c.to);
    const Run run = RunScripted("", [&] { return ProductRunStart(&p); });
    EXPECT_EQ(c.status, run.result) << c.sortField << " from " << c.from;
    if (c.status == 0) {
      EXPECT_EQ(c.first, Number()) << c.sortField << " from " << c.from;
    } else {
      EXPECT_EQ(std::vector<int>{197}, run.messages);
    }
    EXPECT_EQ(c.index && c.status == 0, p.indexBuilt == 1);
    ProductRunEnd(&p);
  }
  ProductReportParams p = Params(359);
  p.sortRange.fieldId = kProdFieldSalesDollars;
  EXPECT_EQ(kStatusInvalidKeyNumber, SelectProductSortKey(&p)) << "no key orders by an amount";
}

TEST_F(WalkTest, AFirstProductPastTheEndIsNothingSelected) {
  ProductReportParams p = Params(350);
  SetProductRangeCriterion(&p, &p.sortRange, records::kFileProducts, kProdFieldNumber, nullptr, "0");
  const Run run = RunScripted("", [&] { return ProductRunStart(&p); });
  EXPECT_EQ(kFirstPastEnd, run.result);
  EXPECT_EQ(std::vector<int>{197}, run.messages);
}

class SampleTest : public CompanyTest {};

TEST_F(SampleTest, TheDefaultsOfTheActivityDetailRankByTodaysPeriod) {
  LoadSampleCompany();
  ProductReportParams p{};
  const Run run = RunScripted("", [&] { return InitProductRanges(359, &p); });
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_EQ(kProdFieldNumber, p.sortRange.fieldId);
  EXPECT_EQ(1, p.sortRange.fromEmpty);
  EXPECT_EQ(kTranFieldDate, p.rankRange.fieldId);
  EXPECT_STREQ("Transaction Date", p.rankRange.caption);
  EXPECT_STREQ("03/01/25", p.rankRange.fromText) << "the period of today, 03/15/25";
  EXPECT_STREQ("03/31/25", p.rankRange.toText);
  EXPECT_EQ(DateMake(2025, 3, 31), p.rankRange.toDate);
  EXPECT_EQ(1, p.decimalOrFraction);
}

}  // namespace
}  // namespace producttest
