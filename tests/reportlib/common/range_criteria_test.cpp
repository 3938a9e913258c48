// Range criteria: the ends as entered, the from <= to check and the tests of
// each kind, with the walk's past-the-end flag.
#include <gtest/gtest.h>

#include <string>

#include "cv_params.h"
#include "range_criteria.h"
#include "ravadodo.h"

namespace {

RangeCriterion Criterion(RangeKind kind, const char* from, const char* to, int* result = nullptr) {
  RangeCriterion c{};
  const int r = RangeCriterionSet(&c, 1, "Field", kind, from, to);
  if (result) *result = r;
  return c;
}

TEST(RangeCriterionSet, TellsAFromAfterItsToByTheFieldsKind) {
  DateSetToday(DateMake(2025, 3, 31));
  const struct {
    RangeKind kind;
    const char* from;
    const char* to;
    int expected;
  } cases[] = {
      {RangeKind::kText, "A", "C", kRangeOk},
      {RangeKind::kText, "C", "A", kRangeFromAfterTo},
      // One text rule everywhere: letter case and trailing blanks do not count.
      {RangeKind::kText, "a", "B", kRangeOk},
      {RangeKind::kText, "b", "A", kRangeFromAfterTo},
      {RangeKind::kText, "SMITH", "smith   ", kRangeOk},
      {RangeKind::kText, "Z", nullptr, kRangeOk},
      {RangeKind::kDate, "03/01/25", "02/01/25", kRangeFromAfterTo},
      {RangeKind::kDate, "02/01/25", "03/01/25", kRangeOk},
      {RangeKind::kDate, "02/30/25", nullptr, kRangeBadValue},
      {RangeKind::kAmount, "100.50", "100.5", kRangeOk},
      {RangeKind::kAmount, "500", "100", kRangeFromAfterTo},
      {RangeKind::kAmount, "12abc", nullptr, kRangeBadValue},
      {RangeKind::kCount, "7", "3", kRangeFromAfterTo},
      {RangeKind::kCount, " 3 ", "7", kRangeOk},
      {RangeKind::kCount, "3.5", "7", kRangeBadValue},
  };
  for (const auto& c : cases) {
    int result = -1;
    Criterion(c.kind, c.from, c.to, &result);
    EXPECT_EQ(c.expected, result) << (c.from ? c.from : "(open)") << " .. " << (c.to ? c.to : "(open)");
  }
}

TEST(RangeCriterionSet, KeepsTheEndsAsEnteredAndMarksOpenOnes) {
  int result = -1;
  const RangeCriterion c = Criterion(RangeKind::kText, "O'Brien", "   ", &result);
  EXPECT_EQ(kRangeOk, result);
  EXPECT_STREQ("O'Brien", c.fromText);
  EXPECT_EQ(0, c.fromEmpty);
  EXPECT_EQ(1, c.toEmpty);
  EXPECT_STREQ("Field", c.caption);
  // A text longer than the field holds is cut at its 40 characters.
  const std::string longText(60, 'x');
  const RangeCriterion cut = Criterion(RangeKind::kText, longText.c_str(), nullptr);
  EXPECT_EQ(std::string(40, 'x'), cut.fromText);
}

TEST(RangeMatch, TextsCompareWithoutCaseAndStopPastTheEnd) {
  const RangeCriterion c = Criterion(RangeKind::kText, "A", "C");
  const struct {
    const char* value;
    bool match;
    int pastEnd;
  } cases[] = {{"b", true, 0}, {"Bz", true, 0}, {"C   ", true, 0}, {"c", true, 0}, {"D", false, 1}, {"", false, 0}};
  for (const auto& v : cases) {
    int pastEnd = -1;
    EXPECT_EQ(v.match, RangeMatchText(c, v.value, &pastEnd)) << v.value;
    EXPECT_EQ(v.pastEnd, pastEnd) << v.value;
  }
}

TEST(RangeMatch, OpenEndsPassEveryValueOfEveryKind) {
  int pastEnd = -1;
  EXPECT_TRUE(RangeMatchText(Criterion(RangeKind::kText, nullptr, nullptr), "anything", &pastEnd));
  EXPECT_TRUE(RangeMatchDate(Criterion(RangeKind::kDate, "", " "), 0, &pastEnd));
  EXPECT_TRUE(RangeMatchAmount(Criterion(RangeKind::kAmount, nullptr, nullptr), -1e9, &pastEnd));
  EXPECT_TRUE(RangeMatchCount(Criterion(RangeKind::kCount, nullptr, nullptr), -5, &pastEnd));
  EXPECT_EQ(0, pastEnd);
}

TEST(RangeMatch, DatesUpToAndIncludingTheToEnd) {
  const RangeCriterion c = Criterion(RangeKind::kDate, nullptr, "03/15/25");
  int pastEnd = -1;
  EXPECT_TRUE(RangeMatchDate(c, DateMake(2020, 1, 1), &pastEnd));
  EXPECT_TRUE(RangeMatchDate(c, DateMake(2025, 3, 15), &pastEnd));
  EXPECT_FALSE(RangeMatchDate(c, DateMake(2025, 3, 16), &pastEnd));
  EXPECT_EQ(1, pastEnd);
}

TEST(RangeMatch, AnAmountRangeWithEqualEndsPassesExactlyThatAmount) {
  const RangeCriterion c = Criterion(RangeKind::kAmount, "250.10", "250.10");
  int pastEnd = -1;
  EXPECT_TRUE(RangeMatchAmount(c, 250.1, &pastEnd));
  EXPECT_TRUE(RangeMatchAmount(c, 250.1000001, &pastEnd)) << "compared at cents";
  EXPECT_FALSE(RangeMatchAmount(c, 250.11, &pastEnd));
  EXPECT_FALSE(RangeMatchAmount(c, 250.09, &pastEnd));
  EXPECT_EQ(0, pastEnd) << "amounts never end the walk";
}

TEST(RangeMatch, ACountBelowItsFromIsNoMatchAndOneAboveItsToIsPastTheEnd) {
  const RangeCriterion c = Criterion(RangeKind::kCount, "2", "5");
  int pastEnd = -1;
  EXPECT_FALSE(RangeMatchCount(c, 1, &pastEnd));
  EXPECT_EQ(0, pastEnd);
  EXPECT_TRUE(RangeMatchCount(c, 2, &pastEnd));
  EXPECT_TRUE(RangeMatchCount(c, 5, &pastEnd));
  EXPECT_FALSE(RangeMatchCount(c, 6, &pastEnd));
  EXPECT_EQ(1, pastEnd);
}

// --- The customer/vendor fields ----------------------------------------------------------

TEST(CustVendFields, CaptionsFollowTheReportAndUnknownIdsNeverMatch) {
  CustVendReportParams customers{}, vendors{};
  customers.menuId = kMenuCustomerAging;
  vendors.menuId = kMenuVendorDirectory;
  EXPECT_STREQ("Last Sales Date", CustVendFieldCaption(&customers, 19));
  EXPECT_STREQ("Last Purchase Date", CustVendFieldCaption(&vendors, 19));
  EXPECT_STREQ("undefined", CustVendFieldCaption(&customers, 99));
  EXPECT_EQ(53, CustFieldIdByName("Customer Name"));
  EXPECT_EQ(40, VendFieldIdByName("Purchase Dollars"));
  EXPECT_EQ(-1, VendFieldIdByName("Billing Group")) << "vendors rank by no billing group";
  EXPECT_EQ(-1, CustFieldIdByName("customer name")) << "captions compare exactly";

  RangeCriterion unknown{};
  EXPECT_EQ(kRangeOk, SetRangeCriterion(&customers, &unknown, -1, nullptr, nullptr));
  EXPECT_STREQ("undefined", unknown.caption);
  records::CustVendRecord record{};
  int pastEnd = -1;
  EXPECT_FALSE(CustVendFieldMatches(&pastEnd, &record, &unknown));
}

TEST(CustVendFields, EachFieldIsTestedWhereTheRecordKeepsIt) {
  CustVendReportParams p{};
  p.menuId = kMenuCustomerAging;
  records::CustVendRecord r{};
  records::SetText(r.name, "O'Brien Hardware");
  records::SetText(r.zipCode, "98101");
  r.balance = 125.0;
  r.invoiceCounts[2] = 4;
  r.lastPaymentDate = DateMake(2025, 2, 1);
  const struct {
    int id;
    const char* from;
    const char* to;
    bool match;
  } cases[] = {
      {kCvFieldName, "o'b", "o'c", true},   {kCvFieldName, "P", nullptr, false},
      {kCvFieldZipCode, "98100", "98199", true},
      // As the screen's picture "ccccc-cccc" gives them: with the dash.
      {kCvFieldZipCode, "98101-", "98101-", true}, {kCvFieldZipCode, "98101-0000", nullptr, false},
      {kCvFieldZipCode, "98100-", "98101-", true},
      {kCvFieldBalance, "100", "200", true}, {kCvFieldBalance, "126", nullptr, false},
      {kCvFieldInvoiceCount, "4", "4", true}, {kCvFieldLastPaymentDate, "01/01/25", "01/31/25", false},
  };
  for (const auto& c : cases) {
    RangeCriterion criterion{};
    ASSERT_EQ(kRangeOk, SetRangeCriterion(&p, &criterion, c.id, c.from, c.to));
    int pastEnd = -1;
    EXPECT_EQ(c.match, CustVendFieldMatches(&pastEnd, &r, &criterion)) << c.id;
  }
}

TEST(ZipRangeEnd, IsTheDigitsOfTheMaskWithoutItsDash) {
  EXPECT_EQ("98370", ZipRangeEnd("98370-"));
  EXPECT_EQ("983701234", ZipRangeEnd("98370-1234"));
  EXPECT_EQ("98370", ZipRangeEnd("98370"));
  EXPECT_EQ("V6B 3K9", ZipRangeEnd("V6B 3-K9  "));
  EXPECT_EQ("", ZipRangeEnd(nullptr));
}

}  // namespace
