// The aging schedule: the check that the seven periods follow one another,
// and "0Schedule" read and written for one set, the other set untouched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "aging_schedule.h"
#include "btrvc.h"
#include "cv_params.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

struct Days {
  int from, to;
};

records::AgingSchedule Schedule(std::initializer_list<Days> days) {
  records::AgingSchedule s{};
  int i = 0;
  for (const Days& d : days) {
    s.customerPeriods[i].fromDays = static_cast<std::int16_t>(d.from);
    s.customerPeriods[i].toDays = static_cast<std::int16_t>(d.to);
    ++i;
  }
  return s;
}

TEST(AgingPeriods, MustFollowOneAnotherInTheFirstPeriodsDirection) {
  const struct {
    const char* name;
    records::AgingSchedule schedule;
    int bad;
  } cases[] = {
      {"ascending", Schedule({{0, 30}, {31, 60}, {61, 90}, {91, 120}, {121, 150}, {151, 180}, {181, 9999}}), -1},
      {"overlapping", Schedule({{0, 30}, {30, 60}, {61, 90}, {91, 120}, {121, 150}, {151, 180}, {181, 9999}}), 1},
      {"a gap", Schedule({{0, 30}, {31, 60}, {62, 90}, {91, 120}, {121, 150}, {151, 180}, {181, 9999}}), 2},
      {"mirrored", Schedule({{9999, 181}, {180, 151}, {150, 121}, {120, 91}, {90, 61}, {60, 31}, {30, 0}}), -1},
      {"mirrored, then ascending", Schedule({{9999, 181}, {180, 151}, {150, 121}, {120, 91}, {90, 61}, {60, 31}, {0, 30}}), 6},
      {"a first period with equal ends", Schedule({{0, 0}, {1, 60}, {61, 90}, {91, 120}, {121, 150}, {151, 180}, {181, 9999}}), 0},
      {"an empty schedule", Schedule({}), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.bad, AgingPeriodsBadIndex(c.schedule.customerPeriods)) << c.name;
}

class ScheduleRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qxscheduleXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    SharedAppBlock* app = SharedAppBlockGet();
    *app = SharedAppBlock{};
    AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, (std::string(QX_SOURCE_DIR) + "/data").c_str());
    AppBlockTextSet(app->companyPath, kFolderFieldSize, dir_.c_str());
    TextStoreReset();
    ScreenResetForTest("", nullptr);
  }
  void TearDown() override {
    BtrvReset();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  void WriteCompany(const fixture::Json& settings) {
    fixture::Json f{{"files", {{"settings", settings}}}};
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ParseFixture(f, &image, &problem)) << problem.Text();
    ASSERT_TRUE(fixture::WriteCompany(image, dir_, fixture::WriteOptions{true}, &problem)) << problem.Text();
  }
  static fixture::Json Periods(const char* prefix) {
    fixture::Json a = fixture::Json::array();
    for (int i = 0; i < 7; ++i)
      a.push_back({{"label", std::string(prefix) + std::to_string(i + 1)}, {"fromDays", i * 30}, {"toDays", i * 30 + 29}});
    return a;
  }
  std::string dir_;
};

TEST_F(ScheduleRecordTest, TheVendorReportWritesItsOwnSetAndKeepsTheCustomers) {
  WriteCompany(fixture::Json::array({{{"key", "0Schedule"}, {"customerPeriods", Periods("C")}, {"vendorPeriods", Periods("V")}}}));
  records::AgingSchedule schedule{};
  CustVendReportParams p{};
  p.menuId = kMenuVendorAging;
  p.schedule = &schedule;
  ASSERT_EQ(0, AgingScheduleRecord(&p, false));
  EXPECT_STREQ("V1", AgingPeriodsOf(&schedule, kMenuVendorAging)[0].label);
  EXPECT_STREQ("C1", AgingPeriodsOf(&schedule, kMenuCustomerAging)[0].label);

  records::SetText(schedule.vendorPeriods[0].label, "Fresh");
  // The report's buffer may hold anything in the other set: only its own
  // set is the report's to store.
  records::SetText(schedule.customerPeriods[0].label, "Fresh");
  std::memcpy(schedule.key, "garbage garbage", 15);
  ASSERT_EQ(0, AgingScheduleRecord(&p, true));

  records::AgingSchedule stored{};
  p.schedule = &stored;
  ASSERT_EQ(0, AgingScheduleRecord(&p, false));
  EXPECT_STREQ("Fresh", stored.vendorPeriods[0].label);
  EXPECT_STREQ("C1", stored.customerPeriods[0].label);
  EXPECT_EQ(0, std::memcmp(stored.key, "0Schedule      ", 15));
}

TEST_F(ScheduleRecordTest, AMissingRecordIsReportedAndNothingIsWritten) {
  WriteCompany(fixture::Json::array());
  ScreenResetForTest("", (dir_ + "/transcript.txt").c_str());
  records::AgingSchedule schedule{};
  records::SetText(schedule.customerPeriods[0].label, "Kept");
  CustVendReportParams p{};
  p.menuId = kMenuCustomerAging;
  p.schedule = &schedule;
  EXPECT_EQ(kStatusKeyNotFound, AgingScheduleRecord(&p, false));
  EXPECT_STREQ("Kept", schedule.customerPeriods[0].label) << "the buffer keeps its contents";
  EXPECT_EQ(kStatusKeyNotFound, AgingScheduleRecord(&p, true)) << "never inserted";
  ScreenResetForTest("", nullptr);
}

}  // namespace
