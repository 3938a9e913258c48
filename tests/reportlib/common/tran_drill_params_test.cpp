#include "tran_drill_params.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "drilldown.h"

namespace {

TEST(TranDrillParamString, ReadsTheLinkAReportWrites) {
  TagDrillDownInfo link{kDrillOpenScreen, 1, 230, {}, {}};
  CReportParamString writer(link.params, sizeof link.params);
  ASSERT_TRUE(writer.WriteParam("tranno", "INV'10001", true));
  ASSERT_TRUE(writer.WriteIntParam("mrno", 123456, false));
  ASSERT_TRUE(writer.WriteParam("cvno", "O'BRIEN", false));
  EXPECT_STREQ(link.params, "tranno='INV''10001' mrno='123456' cvno='O''BRIEN'");

  TranDrillParams p{};
  CTranDrillParamString reader(link.params, sizeof link.params);
  ASSERT_TRUE(reader.ParseInto(&p)) << reader.LastErrorText();
  EXPECT_STREQ(p.tranNo, "INV'10001");
  EXPECT_EQ(p.recordNo, 123456);
  EXPECT_STREQ(p.custVendCode, "O'BRIEN");
}

TEST(TranDrillParamString, RefusesWhatDoesNotFitItsFields) {
  struct Case {
    const char* text;
    ParamStatus status;
  } cases[] = {
      {"tranno='12345678901'", ParamStatus::kValueTooLong},
      {"cvno='ABCDEFGHIJK'", ParamStatus::kValueTooLong},
      {"mrno='12a'", ParamStatus::kBadValue},
      {"mrno='+-1'", ParamStatus::kBadValue},
      {"cdno='C1'", ParamStatus::kUnknownKey},
  };
  for (const auto& c : cases) {
    TranDrillParams p{"keep", 7, "keep"};
    CTranDrillParamString reader(c.text, static_cast<int>(std::strlen(c.text)));
    EXPECT_FALSE(reader.ParseInto(&p)) << c.text;
    EXPECT_EQ(reader.LastStatus(), c.status) << c.text;
    EXPECT_STREQ(p.tranNo, "keep") << c.text;
    EXPECT_EQ(p.recordNo, 7) << c.text;
    EXPECT_STREQ(p.custVendCode, "keep") << c.text;
  }
}

}  // namespace
