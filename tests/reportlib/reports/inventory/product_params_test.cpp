// The product reports' parameter string and field table: what each key
// stores, the bounds of every copy into the criteria (an overlong value is
// refused, never cut or run past its field), and the captions the criteria
// are named by.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "records/dictionary.h"
#include "reports/inventory/product_params.h"

namespace {

ProductReportParams Parsed(const std::string& text, bool* ok, ParamStatus* status = nullptr,
                           ParseMode mode = ParseMode::kStrict) {
  ProductReportParams p{};
  CProductParamString parser(text.c_str(), static_cast<int>(text.size()) + 1);
  *ok = parser.ParseInto(&p, mode);
  if (status) *status = parser.LastStatus();
  return p;
}

TEST(ProductParamStringTest, EachKeyStoresItsField) {
  bool ok = false;
  const ProductReportParams p = Parsed(
      "input='UserSel' output='Out/Products.htm' sortfld='Bin' sortfrom='A-01' sortto='' rankfld='Sales Units' "
      "rankfrom='2' rankto='40' incnoinv='1' decorfrac='0'",
      &ok);
  ASSERT_TRUE(ok);
  EXPECT_STREQ("usersel", p.input);
  EXPECT_STREQ("Out/Products.htm", p.output) << "a file path keeps its case";
  EXPECT_STREQ("Bin", p.sortRange.caption);
  EXPECT_STREQ("A-01", p.sortRange.fromText);
  EXPECT_EQ(0, p.sortRange.fromEmpty);
  EXPECT_EQ(1, p.sortRange.toEmpty);
  EXPECT_STREQ("Sales Units", p.rankRange.caption);
  EXPECT_STREQ("40", p.rankRange.toText);
  EXPECT_EQ(1, p.includeNoInventory);
  EXPECT_EQ(0, p.decimalOrFraction);
}

TEST(ProductParamStringTest, ProductNumberRangeNamesItsField) {
  bool ok = false;
  const ProductReportParams p = Parsed("psbeg='PAP' psend=''", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(kProdFieldNumber, p.sortRange.fieldId);
  EXPECT_STREQ("Product Number", p.sortRange.caption);
  EXPECT_STREQ("PAP", p.sortRange.fromText);
  EXPECT_EQ(0, p.sortRange.fromEmpty);
  EXPECT_EQ(1, p.sortRange.toEmpty);
}

// Values up to 255 characters reach a criterion's 41-byte fields: each copy
// is bounded, and a value longer than its field is refused whole.
TEST(ProductParamStringTest, AValueLongerThanItsFieldIsRefusedAndTheFieldKept) {
  const std::string forty(40, 'x'), fortyOne(41, 'y'), long255(255, 'z');
  const struct {
    std::string key;
    std::string value;
    bool accepted;
  } cases[] = {
      {"sortfld", forty, true},      {"sortfld", fortyOne, false}, {"sortfrom", long255, false},
      {"sortto", fortyOne, false},   {"rankfld", long255, false},  {"rankfrom", fortyOne, false},
      {"rankto", forty, true},       {"psbeg", std::string(14, 'P'), true},
      {"psbeg", std::string(15, 'P'), false}, {"psend", long255, false},
      {"output", long255, true},     {"input", long255, true},
  };
  for (const auto& c : cases) {
    bool ok = false;
    ParamStatus status = ParamStatus::kOk;
    // The pair before the long one is stored; the long one changes nothing.
    const ProductReportParams p = Parsed("rankfld='Description' " + c.key + "='" + c.value + "'", &ok, &status);
    EXPECT_EQ(c.accepted, ok) << c.key << " of " << c.value.size();
    if (c.accepted) continue;
    EXPECT_EQ(ParamStatus::kValueTooLong, status) << c.key;
    EXPECT_STREQ("Description", p.rankRange.caption) << c.key;
    for (const char* field : {p.sortRange.caption, p.sortRange.fromText, p.sortRange.toText, p.rankRange.fromText,
                              p.rankRange.toText})
      EXPECT_STREQ("", field) << c.key;
  }
}

TEST(ProductParamStringTest, NumbersAndUnknownKeys) {
  const struct {
    const char* text;
    bool ok;
    ParamStatus status;
    ParseMode mode;
  } cases[] = {
      {"incnoinv='0'", true, ParamStatus::kOk, ParseMode::kStrict},
      {"incnoinv='yes'", false, ParamStatus::kBadValue, ParseMode::kStrict},
      {"decorfrac='70000'", false, ParamStatus::kBadValue, ParseMode::kStrict},
      {"colour='red'", false, ParamStatus::kUnknownKey, ParseMode::kStrict},
      {"colour='red' sortfld='Bin'", true, ParamStatus::kOk, ParseMode::kLenient},
      {"sortwhat='Bin'", false, ParamStatus::kUnknownKey, ParseMode::kStrict},
  };
  for (const auto& c : cases) {
    bool ok = false;
    ParamStatus status = ParamStatus::kOk;
    Parsed(c.text, &ok, &status, c.mode);
    EXPECT_EQ(c.ok, ok) << c.text;
    EXPECT_EQ(c.status, status) << c.text;
  }
}

TEST(ProductFieldTableTest, CaptionsAndIdsGoBothWays) {
  const int products = records::kFileProducts;
  EXPECT_STREQ("Bin", ProductFieldCaption(products, kProdFieldBin));
  EXPECT_STREQ("Last Purchase Date", ProductFieldCaption(products, kProdFieldLastPurchaseDate));
  EXPECT_STREQ("Transaction Date", ProductFieldCaption(records::kFileInventoryTransactions, kTranFieldDate));
  EXPECT_STREQ("UNDEFINED", ProductFieldCaption(products, 3));
  EXPECT_STREQ("UNDEFINED", ProductFieldCaption(records::kFileCustomers, 1));
  EXPECT_EQ(kProdFieldDepartment, ProductFieldIdByName(products, "g/l department"));
  EXPECT_EQ(kProdFieldWarehouse, ProductFieldIdByName(products, "WAREHOUSE  "));
  EXPECT_EQ(-1, ProductFieldIdByName(products, "Transaction Date"));
  EXPECT_EQ(-1, ProductFieldIdByName(products, "Shoe Size"));
  EXPECT_EQ(RangeKind::kAmount, ProductFieldKind(products, kProdFieldPurchaseUnits));
  EXPECT_EQ(RangeKind::kDate, ProductFieldKind(products, kProdFieldLastSaleDate));
}

}  // namespace
