#include "gl_journal_params.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "daynumber.h"
#include "drilldown.h"

namespace {

// The journal's defaults as its entry sets them before parsing.
GLJournalParams Defaults() {
  GLJournalParams p;
  std::memset(&p, 0, sizeof p);
  p.reportNumber = 1;
  std::memset(p.journalCodeTo, 0xFF, 6);
  p.dateFrom = daynum::FromCivil(2024, 1, 1);
  p.dateTo = daynum::FromCivil(2024, 1, 31);
  p.periodNumber = 1;
  return p;
}

std::string Field(const char* field, std::size_t size) { return std::string(field, size); }

bool SameParams(const GLJournalParams& a, const GLJournalParams& b) {
  return a.listingFlag == b.listingFlag && a.reportNumber == b.reportNumber &&
         Field(a.journalCodeFrom, 7) == Field(b.journalCodeFrom, 7) &&
         Field(a.journalCodeTo, 7) == Field(b.journalCodeTo, 7) && a.dateFrom == b.dateFrom &&
         a.dateTo == b.dateTo && Field(a.tranNoFrom, 11) == Field(b.tranNoFrom, 11) &&
         Field(a.tranNoTo, 11) == Field(b.tranNoTo, 11) && a.periodNumber == b.periodNumber &&
         a.printComments == b.printComments && Field(a.input, 256) == Field(b.input, 256) &&
         Field(a.output, 256) == Field(b.output, 256);
}

bool ParseGL(const std::string& text, GLJournalParams& params, ParseMode mode = ParseMode::kStrict,
             ParamStatus* status = nullptr) {
  CGLJournalParamString ps;
  ps.Attach(text.c_str(), static_cast<int>(text.size()));
  const bool ok = ps.ParseInto(&params, mode);
  if (status) *status = ps.LastStatus();
  return ok;
}

TEST(GLJournalParamString, ALinkFromTheAgingReportListsOneTransaction) {
  // What the aging report writes for an item that came from the journal.
  TagDrillDownInfo link{kDrillRunReport, 1, 301, {}, {}};
  CReportParamString writer(link.params, sizeof link.params);
  ASSERT_TRUE(writer.WriteParam("input", "default", true));
  ASSERT_TRUE(writer.WriteIntParam("type", 1, false));
  ASSERT_TRUE(writer.WriteParam("tran", "T-1001", false));
  ASSERT_TRUE(writer.WriteParam("jrnlbeg", "SU", false));
  ASSERT_TRUE(writer.WriteParam("jrnlend", "SU", false));

  GLJournalParams p = Defaults();
  ASSERT_TRUE(ParseGL(link.params, p, ParseMode::kLenient));
  EXPECT_EQ(p.listingFlag, 1);
  EXPECT_STREQ(p.input, "default");
  EXPECT_FALSE(IsScreenOutput(p.input));
  EXPECT_EQ(Field(p.tranNoFrom, 11), "T-1001     ");
  EXPECT_EQ(Field(p.tranNoTo, 11), "T-1001     ");
  EXPECT_EQ(Field(p.journalCodeFrom, 7), "SU     ");
  EXPECT_EQ(Field(p.journalCodeTo, 7), "SU     ");
  // Untouched by the link.
  EXPECT_EQ(p.dateFrom, Defaults().dateFrom);
  EXPECT_EQ(p.periodNumber, 1);
  EXPECT_EQ(p.reportNumber, 1);
}

TEST(GLJournalParamString, EachKeyStoresItsField) {
  struct Case {
    const char* name;
    std::string text;
    void (*check)(const GLJournalParams&);
  } cases[] = {
      {"input is lower-cased", "input='SCREEN'",
       [](const GLJournalParams& p) {
         EXPECT_STREQ(p.input, "screen");
         EXPECT_TRUE(IsScreenOutput(p.input));
       }},
      {"output keeps the case of its path", "output='/home/Ann/Reports/GL Jan.HTM'",
       [](const GLJournalParams& p) {
         EXPECT_STREQ(p.output, "/home/Ann/Reports/GL Jan.HTM");
         EXPECT_TRUE(IsHtmlOutput(p.output));
       }},
      {"output of 255 characters", "output='" + std::string(255, 'o') + "'",
       [](const GLJournalParams& p) { EXPECT_EQ(std::strlen(p.output), 255u); }},
      {"type 1 is Listing", "type='1'", [](const GLJournalParams& p) { EXPECT_EQ(p.listingFlag, 1); }},
      {"type 2 is Journal", "type='1' type='2'",
       [](const GLJournalParams& p) { EXPECT_EQ(p.listingFlag, 0); }},
      {"a 10-character transaction", "tran='ABCDEFGHIJ'",
       [](const GLJournalParams& p) {
         EXPECT_EQ(Field(p.tranNoFrom, 11), "ABCDEFGHIJ ");
         EXPECT_EQ(Field(p.tranNoTo, 11), "ABCDEFGHIJ ");
         EXPECT_EQ(p.periodNumber, 1);  // the field after tranNoTo
       }},
      {"a 6-character journal code stays inside its field", "jrnlbeg='ABCDEF'",
       [](const GLJournalParams& p) {
         EXPECT_EQ(Field(p.journalCodeFrom, 7), "ABCDEF ");
         EXPECT_EQ(Field(p.journalCodeTo, 6), std::string(6, '\xFF'));  // the field after it
       }},
      {"an empty jrnlend keeps the open end", "jrnlend=''",
       [](const GLJournalParams& p) {
         EXPECT_EQ(Field(p.journalCodeTo, 6), std::string(6, '\xFF'));
       }},
      {"a quote in a code reads back", "jrnlbeg='O''B'",
       [](const GLJournalParams& p) { EXPECT_EQ(Field(p.journalCodeFrom, 7), "O'B    "); }},
      {"dates", "datebeg='02/01/24' dateend='02/29/24'",
       [](const GLJournalParams& p) {
         EXPECT_EQ(p.dateFrom, daynum::FromCivil(2024, 2, 1));
         EXPECT_EQ(p.dateTo, daynum::FromCivil(2024, 2, 29));
       }},
      {"an empty date is no date", "datebeg=''",
       [](const GLJournalParams& p) { EXPECT_EQ(p.dateFrom, 0); }},
  };
  for (const auto& c : cases) {
    GLJournalParams p = Defaults();
    EXPECT_TRUE(ParseGL(c.text, p)) << c.name;
    c.check(p);
  }
}

TEST(GLJournalParamString, RefusedValuesLeaveTheirFieldAsItWas) {
  struct Case {
    const char* name;
    std::string text;
    ParamStatus status;
  } cases[] = {
      {"11-character transaction", "tran='ABCDEFGHIJK'", ParamStatus::kValueTooLong},
      {"7-character journal code", "jrnlbeg='ABCDEFG'", ParamStatus::kValueTooLong},
      {"256-character output", "output='" + std::string(256, 'o') + "'", ParamStatus::kValueTooLong},
      {"type not a number", "type='x'", ParamStatus::kBadValue},
      {"type beyond 32 bits", "type='99999999999'", ParamStatus::kBadValue},
      {"not a date", "datebeg='02/30/24'", ParamStatus::kBadValue},
      {"unknown key", "cdno='C1'", ParamStatus::kUnknownKey},
  };
  for (const auto& c : cases) {
    GLJournalParams p = Defaults();
    ParamStatus status = ParamStatus::kOk;
    EXPECT_FALSE(ParseGL(c.text, p, ParseMode::kStrict, &status)) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
    EXPECT_TRUE(SameParams(p, Defaults())) << c.name;
  }
}

TEST(GLJournalParamString, UnknownKeysAreSkippedOnlyWhenLenient) {
  const std::string text = "input='default' sortby='2' type='1'";
  GLJournalParams strict = Defaults();
  EXPECT_FALSE(ParseGL(text, strict, ParseMode::kStrict));
  EXPECT_STREQ(strict.input, "default");  // stored before the unknown key
  EXPECT_EQ(strict.listingFlag, 0);

  GLJournalParams lenient = Defaults();
  EXPECT_TRUE(ParseGL(text, lenient, ParseMode::kLenient));
  EXPECT_EQ(lenient.listingFlag, 1);
}

TEST(GLJournalParamString, TheRecordIsReachableOnlyDuringParseInto) {
  GLJournalParams p = Defaults();
  CGLJournalParamString ps("type='1'", 8);
  ASSERT_TRUE(ps.ParseInto(&p));
  EXPECT_EQ(p.listingFlag, 1);
  EXPECT_FALSE(ps.ParseParams());  // no record now
  EXPECT_EQ(ps.LastStatus(), ParamStatus::kNoRecord);
}

}  // namespace
