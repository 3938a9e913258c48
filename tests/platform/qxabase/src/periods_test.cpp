// The fiscal period of a date over a twelve-period and a thirteen-period
// calendar: period edges, closed periods, next year, a leap day, and the
// kinds' rules on what they accept and show.
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

class PeriodsTest : public qxtest::BaseTest {};

struct Case {
  const char* what;
  int kind;
  int y, m, d;
  int result;      // 0 accepted
  int period;      // -1 none
  int entry;
  const char* start;  // mm/dd/yy, "" none
  const char* end;
  int yearFlag;
};

void Check(const Case& c) {
  records::FiscalPeriodInfo info{};
  EXPECT_EQ(c.result, FiscalPeriodOfDate(c.kind, DateMake(c.y, c.m, c.d), &info)) << c.what;
  EXPECT_EQ(c.period, info.period) << c.what;
  EXPECT_EQ(c.entry, info.entryIndex) << c.what;
  char start[16], end[16];
  EXPECT_STREQ(c.start, DateToText(start, info.startDate)) << c.what;
  EXPECT_STREQ(c.end, DateToText(end, info.endDate)) << c.what;
  EXPECT_EQ(c.yearFlag, info.yearFlag) << c.what;
  EXPECT_EQ(0, info.pendingPeriod) << c.what;
}

TEST_F(PeriodsTest, TwelveMonthlyPeriods) {
  LoadCompany("twelve_periods.json");
  const Case cases[] = {
      {"first day of the year, closed, filled only", 0, 2025, 1, 1, 0, 1, 0, "01/01/25", "01/31/25", 0},
      {"last day of a closed period, checked", 1, 2025, 2, 28, 1, 2, 1, "02/01/25", "02/28/25", 0},
      {"a closed period accepted by kind 7", 7, 2025, 2, 28, 0, 2, 1, "02/01/25", "02/28/25", 0},
      {"first day of the first open period", 1, 2025, 3, 1, 0, 3, 2, "03/01/25", "03/31/25", 0},
      {"kind 3 checks as kind 1", 3, 2025, 3, 31, 0, 3, 2, "03/01/25", "03/31/25", 0},
      {"last day of the year", 1, 2025, 12, 31, 0, 12, 11, "12/01/25", "12/31/25", 0},
      {"first day of next year", 1, 2026, 1, 1, 0, 13, 13, "01/01/26", "01/31/26", 1},
      {"last day of next year", 7, 2026, 12, 31, 0, 24, 24, "12/01/26", "12/31/26", 1},
      {"before the periods", 1, 2024, 12, 31, 1, -1, -1, "", "", 0},
      {"after the periods", 7, 2027, 1, 1, 1, -1, -1, "", "", 0},
      {"no date", 0, 0, 0, 0, 1, -1, -1, "", "", 0},
  };
  for (const Case& c : cases) Check(c);
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("The date 02/28/2025 falls in period 2 (02/01/2025 to 02/28/2025),\nwhich is closed.")) << t;
  EXPECT_NE(std::string::npos, t.find("The date 12/31/2024 does not fall within a fiscal period\nof this year or next (01/01/2025 to 12/31/2026).")) << t;
  EXPECT_NE(std::string::npos, t.find("The date 01/01/2027 does not fall")) << "kind 7 refuses a day outside the periods, and tells";
  EXPECT_EQ(std::string::npos, t.find("01/01/2025 falls")) << "kind 0 shows nothing";
}

TEST_F(PeriodsTest, ThirteenFourWeekPeriodsAcrossALeapDay) {
  LoadCompany("thirteen_periods.json");
  const Case cases[] = {
      {"the leap day", 1, 2024, 2, 29, 0, 9, 8, "02/11/24", "03/09/24", 0},
      {"the day before it", 1, 2024, 2, 28, 0, 9, 8, "02/11/24", "03/09/24", 0},
      {"last day of period 13", 1, 2024, 6, 29, 0, 13, 12, "06/02/24", "06/29/24", 0},
      {"first day of next year", 1, 2024, 6, 30, 0, 14, 13, "06/30/24", "07/27/24", 1},
      {"last day of next year", 1, 2025, 6, 28, 0, 26, 25, "06/01/25", "06/28/25", 1},
      {"first day of the year", 1, 2023, 7, 2, 0, 1, 0, "07/02/23", "07/29/23", 0},
      {"the day before the year", 1, 2023, 7, 1, 1, -1, -1, "", "", 0},
  };
  for (const Case& c : cases) Check(c);
}

TEST_F(PeriodsTest, TheJournalRangeStartsAtTheFirstOpenPeriod) {
  LoadCompany("twelve_periods.json");
  records::FiscalPeriodInfo info{};
  ASSERT_EQ(0, FiscalPeriodOfDate(0, DateMake(2025, 5, 20), &info));
  char text[16];
  EXPECT_STREQ("03/01/25", DateToText(text, info.journalStartDate)) << "March is the first open period";
  ASSERT_EQ(0, FiscalPeriodOfDate(0, DateMake(2025, 1, 20), &info));
  EXPECT_STREQ("01/01/25", DateToText(text, info.journalStartDate)) << "a period before it starts at its own start";
}

TEST_F(PeriodsTest, FillOnlyShowsNothingAndACompanyWithoutPeriodsIsTold) {
  LoadCompanyText(R"({"files": {"settings": [{"key": "0Company", "name": "No Periods Ltd."}]}})");
  records::FiscalPeriodInfo info{};
  EXPECT_EQ(kStatusKeyNotFound, FiscalPeriodOfDate(0, DateToday(), &info));
  EXPECT_EQ(-1, info.period);
  EXPECT_EQ(std::string::npos, Transcript().find("message box"));
  Start("Enter");
  EXPECT_EQ(kStatusKeyNotFound, FiscalPeriodOfDate(1, DateToday(), &info));
  EXPECT_NE(std::string::npos, Transcript().find("The company has no fiscal periods"));
}

TEST_F(PeriodsTest, ADamagedPeriodCountIsRefused) {
  records::PeriodsRecord periods{};
  periods.periodsPerYear = 14;
  records::FiscalPeriodInfo info{};
  Start("Enter");
  EXPECT_EQ(1, FiscalPeriodOfDateIn(periods, 1, DateMake(2025, 3, 1), &info));
  EXPECT_NE(std::string::npos, Transcript().find("damaged: 14 periods per year"));
}

}  // namespace

namespace {

TEST(YearEndTest, StatisticsGroupsRollOneYearBack) {
  std::int32_t counts[5] = {11, 22, 33, 44, 55};
  YearEndPairClose(counts);
  EXPECT_EQ((std::vector<std::int32_t>{22, 33, 55, 44, 0}), std::vector<std::int32_t>(counts, counts + 5));
  double amounts[5] = {1.5, 2.5, 3.5, 4.5, 0};
  YearEndBlockClose(amounts);
  EXPECT_EQ((std::vector<double>{2.5, 3.5, 0, 4.5, 0}), std::vector<double>(amounts, amounts + 5));
}

TEST(PeriodKeyTest, APeriodKeyIsTheFirstDayOfTheDatesPeriod) {
  records::PeriodsRecord periods{};
  periods.periodsPerYear = 12;
  for (int i : {0, 13}) {
    periods.entries[i].status = 'O';
    periods.entries[i].startDate = DateMake(i ? 2026 : 2025, 1, 1);
    periods.entries[i].endDate = DateMake(i ? 2026 : 2025, 1, 31);
  }
  EXPECT_EQ(DateMake(2025, 1, 1), RecordStep446(DateMake(2025, 1, 17), &periods));
  EXPECT_EQ(DateMake(2026, 1, 1), RecordStep446(DateMake(2026, 1, 31), &periods));
  EXPECT_EQ(0, RecordStep446(DateMake(2025, 2, 1), &periods));
}

}  // namespace
