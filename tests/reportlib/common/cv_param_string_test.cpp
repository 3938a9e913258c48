// The customer/vendor reports' parameter string: what each key stores, what
// is refused, and the saved run read back into the selection it was written
// from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cv_param_string.h"
#include "qxabase/drilldown.h"
#include "ravadodo.h"

namespace {

CustVendReportParams Defaults(int menuId) {
  CustVendReportParams p{};
  p.menuId = menuId;
  SetRangeCriterion(&p, &p.sortRange, kCvFieldCode, nullptr, nullptr);
  SetRangeCriterion(&p, &p.rankRange, kCvFieldCode, nullptr, nullptr);
  p.closedate = DateMake(2025, 3, 31);
  p.type = kAgingDetail;
  p.consadv = 1;
  p.agedby = 'D';
  return p;
}

bool Parse(int vendor, const std::string& text, CustVendReportParams* p, ParseMode mode = ParseMode::kStrict,
           ParamStatus* status = nullptr) {
  CCustVendParamString s(vendor, text.c_str(), static_cast<int>(text.size()) + 1);
  const bool ok = s.ParseInto(p, mode);
  if (status) *status = s.LastStatus();
  return ok;
}

TEST(CustVendParamString, StoresEachKeyOfTheAgingRun) {
  DateSetToday(DateMake(2025, 3, 31));
  CustVendReportParams p = Defaults(kMenuCustomerAging);
  ASSERT_TRUE(Parse(0,
                    "input='USERSEL' output='Reports/Aging.HTM' sortfld='Customer Name' sortfrom='O''Brien' "
                    "sortto='' rankfld='Current Balance' rankfrom='100' rankto='500' closedate='02/28/25' "
                    "type='0' agedby='84' incfpaid='1' consadv='0' dayspast='3' dpdfrom='31' dpdto='90'",
                    &p));
  EXPECT_STREQ("usersel", p.input);
  EXPECT_STREQ("Reports/Aging.HTM", p.output) << "a file name keeps its case";
  EXPECT_STREQ("Customer Name", p.sortRange.caption);
  EXPECT_STREQ("O'Brien", p.sortRange.fromText);
  EXPECT_EQ(0, p.sortRange.fromEmpty);
  EXPECT_EQ(1, p.sortRange.toEmpty);
  EXPECT_STREQ("500", p.rankRange.toText);
  EXPECT_EQ(DateMake(2025, 2, 28), p.closedate);
  EXPECT_EQ(kAgingSummary, p.type);
  EXPECT_EQ('T', p.agedby);
  EXPECT_EQ(1, p.incfpaid);
  EXPECT_EQ(0, p.consadv);
  EXPECT_EQ(1, p.dayspast);
  EXPECT_EQ(31, p.dpdfrom);
  EXPECT_EQ(90, p.dpdto);

  // The captions become the fields of the report's tables.
  const char* which = nullptr;
  ASSERT_EQ(kRangeOk, ResolveCustVendRanges(&p, &which));
  EXPECT_EQ(kCvFieldName, p.sortRange.fieldId);
  EXPECT_EQ(kCvFieldBalance, p.rankRange.fieldId);
  EXPECT_DOUBLE_EQ(100.0, p.rankRange.fromAmount);
}

TEST(CustVendParamString, AnAccountRangeNamesTheCodeInTheReportsWording) {
  CustVendReportParams vendors = Defaults(kMenuVendorAging);
  vendors.sortRange = RangeCriterion{};
  ASSERT_TRUE(Parse(1, "input='default' cvbeg='V100' cvend='V100'", &vendors));
  EXPECT_STREQ("Vendor Code", vendors.sortRange.caption);
  EXPECT_EQ(kCvFieldCode, vendors.sortRange.fieldId);
  EXPECT_STREQ("V100       ", vendors.sortRange.fromText) << "the key form of the code";

  CustVendReportParams customers = Defaults(kMenuCustomerAging);
  ASSERT_TRUE(Parse(0, "cvbeg=''", &customers));
  EXPECT_STREQ("Customer Code", customers.sortRange.caption);
  EXPECT_EQ(1, customers.sortRange.fromEmpty);
}

TEST(CustVendParamString, RefusesWhatItCannotStore) {
  const struct {
    const char* text;
    ParamStatus status;
  } cases[] = {
      {"cvbeg='ABCDEFGHIJK'", ParamStatus::kValueTooLong},
      {"sortfrom='12345678901234567890123456789012345678901'", ParamStatus::kValueTooLong},
      {"closedate=''", ParamStatus::kBadValue},
      {"closedate='13/01/25'", ParamStatus::kBadValue},
      {"type='3'", ParamStatus::kBadValue},
      {"agedby='65'", ParamStatus::kBadValue},
      {"dpdfrom='ten'", ParamStatus::kBadValue},
      {"colour='red'", ParamStatus::kUnknownKey},
  };
  for (const auto& c : cases) {
    CustVendReportParams p = Defaults(kMenuCustomerAging);
    const CustVendReportParams before = p;
    ParamStatus status = ParamStatus::kOk;
    EXPECT_FALSE(Parse(0, c.text, &p, ParseMode::kStrict, &status)) << c.text;
    EXPECT_EQ(c.status, status) << c.text;
    EXPECT_EQ(0, std::memcmp(&before, &p, sizeof p)) << c.text << ": the record keeps what it held";
  }
  // Links and saved runs skip a key they do not know.
  CustVendReportParams p = Defaults(kMenuCustomerAging);
  EXPECT_TRUE(Parse(0, "colour='red' type='2'", &p, ParseMode::kLenient));
  EXPECT_EQ(kAgingAudit, p.type);
}

TEST(CustVendParamString, ACaptionOfNoFieldIsNamed) {
  CustVendReportParams p = Defaults(kMenuVendorAging);
  ASSERT_TRUE(Parse(1, "rankfld='Billing Group'", &p));
  const char* which = nullptr;
  EXPECT_EQ(-1, ResolveCustVendRanges(&p, &which));
  EXPECT_STREQ("rank", which);
}

TEST(CustVendParamString, TheSavedRunReadsBackAsTheSelectionItWasWrittenFrom) {
  CustVendReportParams written = Defaults(kMenuCustomerAging);
  ASSERT_EQ(kRangeOk, SetRangeCriterion(&written, &written.sortRange, kCvFieldName, "O'Brien ''quoted''", "Zed"));
  ASSERT_EQ(kRangeOk, SetRangeCriterion(&written, &written.rankRange, kCvFieldLastPaymentDate, "01/01/25", nullptr));
  written.type = kAgingAudit;
  written.agedby = 'T';
  written.dayspast = 1;
  written.dpdfrom = 10;
  written.dpdto = 9999;
  std::strcpy(written.output, "secret.htm");

  char buffer[kSavedRunParamCapacity] = {};
  CReportParamString out(buffer, sizeof buffer);
  ASSERT_TRUE(WriteCustVendSavedRun(&written, true, &out));
  EXPECT_EQ(0, std::strncmp(buffer, "input='usersel' sortfld='Customer Name'", 39)) << buffer;
  EXPECT_EQ(nullptr, std::strstr(buffer, "output")) << "the output is never saved";

  CustVendReportParams read = Defaults(kMenuCustomerAging);
  ASSERT_TRUE(Parse(0, buffer, &read, ParseMode::kLenient));
  ASSERT_EQ(kRangeOk, ResolveCustVendRanges(&read, nullptr));
  EXPECT_EQ(0, std::memcmp(&written.sortRange, &read.sortRange, sizeof read.sortRange));
  EXPECT_EQ(0, std::memcmp(&written.rankRange, &read.rankRange, sizeof read.rankRange));
  EXPECT_EQ(written.closedate, read.closedate);
  EXPECT_EQ(written.type, read.type);
  EXPECT_EQ(written.agedby, read.agedby);
  EXPECT_EQ(written.dpdto, read.dpdto);

  // A selection that does not fit is not offered at all.
  char small[64] = {};
  CReportParamString tight(small, sizeof small);
  EXPECT_FALSE(WriteCustVendSavedRun(&written, true, &tight));
}

}  // namespace
