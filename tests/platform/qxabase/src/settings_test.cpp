// Settings records of file 29 and the system settings by number.
#include <cstring>
#include <string>

#include "records/settings.h"
#include "test_support.h"

namespace {

class SettingsTest : public qxtest::BaseTest {};

TEST_F(SettingsTest, ARecordIsReadByItsKeyAndZeroFilledAfterIt) {
  LoadCompany("twelve_periods.json");
  unsigned char buffer[600];
  std::memset(buffer, 0xEE, sizeof buffer);
  ASSERT_EQ(0, SettingsRecordRead(kSettingsRead, 0, sizeof buffer, "0Interface     ", buffer));
  const auto* iface = reinterpret_cast<const records::InterfaceRecord*>(buffer);
  EXPECT_EQ('C', iface->glMode);
  EXPECT_STREQ("5100", iface->costOfGoodsAccount);
  for (std::size_t i = sizeof(records::InterfaceRecord); i < sizeof buffer; ++i)
    ASSERT_EQ(0, buffer[i]) << "byte " << i << " after the 182-byte record";

  records::CompanyRecord company{};
  ASSERT_EQ(0, SystemRecordGet(sizeof company, "0Company", &company)) << "a short key is padded";
  EXPECT_STREQ("Harbor Test Co.", company.name);
}

TEST_F(SettingsTest, AMissingRecordAnswersFourAndShowsNothing) {
  LoadCompany("twelve_periods.json");
  records::AgingSchedule schedule{};
  std::memset(&schedule, 0x55, sizeof schedule);
  EXPECT_EQ(kStatusKeyNotFound, SettingsRecordRead(kSettingsRead, 0, sizeof schedule, "0Schedule      ", &schedule));
  EXPECT_EQ(0, reinterpret_cast<const unsigned char*>(&schedule)[40]) << "the buffer is zeroed";
  EXPECT_EQ(std::string::npos, Transcript().find("message box"));
}

TEST_F(SettingsTest, ALockedReadHoldsTheRecordForTheCallersRewrite) {
  LoadCompany("twelve_periods.json");
  FileSet set;
  ASSERT_EQ(0, FileSetOpen(&set, records::kFileSettings, records::kFileSettings, 0));
  records::PeriodsRecord periods{};
  ASSERT_EQ(0, SettingsRecordRead(kSettingsReadLocked, set.handle[0], sizeof periods, "0Periods", &periods));
  // Another handle may read it but not lock it until the first releases it.
  records::PeriodsRecord other{};
  EXPECT_EQ(0, SettingsRecordRead(kSettingsRead, set.handle[1], sizeof other, "0Periods", &other));
  Start("Enter");
  EXPECT_EQ(kStatusRecordInUse, SettingsRecordRead(kSettingsReadLocked, set.handle[1], sizeof other, "0Periods", &other));
  EXPECT_NE(std::string::npos, Transcript().find("Error 84:"));
  periods.nextOpenPeriod = 4;
  char key[255] = {};
  EXPECT_EQ(0, BtrvWriteOp(kOpUpdate, set.handle[0], key, &periods, sizeof periods));
  BtrvUnlock(-2, set.handle[0]);
  EXPECT_EQ(0, SettingsRecordRead(kSettingsReadLocked, set.handle[1], sizeof other, "0Periods", &other));
  EXPECT_EQ(4, other.nextOpenPeriod);
}

TEST_F(SettingsTest, SystemSettingsTakeTheirDefaultsWithoutARecord) {
  LoadCompany("twelve_periods.json");
  const struct {
    int number;
    int flag;
  } flags[] = {{kSysFlagSharedPosting, 0}, {kSysFlagKeepBackOrders, 1}, {kSysFlagKeepSalesHistory, 1},
               {kSysFlagRememberReportParams, 1}, {kSysFlagPurgeWarnings, 1}, {31, 0}, {-1, 0}, {32, 0}};
  for (const auto& f : flags) EXPECT_EQ(f.flag, SysFlagGet(f.number)) << f.number;
  EXPECT_EQ('A', SysCodeGet(kSysCodeCosting));
  EXPECT_EQ(0, SysCodeGet(40));
}

// The values of "0SysPrefs" are read once per command until SettingsRefresh.
TEST_F(SettingsTest, SystemSettingsComeFromTheCompanyAndRefreshPerCommand) {
  LoadCompanyText(R"({"files": {"settings": [
      {"key": "0SysPrefs", "sharedPosting": "Y", "keepSalesHistory": "N", "costingMethod": "L"}]}})");
  EXPECT_EQ(1, SysFlagGet(kSysFlagSharedPosting));
  EXPECT_EQ(0, SysFlagGet(kSysFlagKeepSalesHistory));
  EXPECT_EQ(1, SysFlagGet(kSysFlagKeepBackOrders)) << "a zero byte keeps the default";
  EXPECT_EQ('L', SysCodeGet(kSysCodeCosting));

  // Another program changes the record: this command keeps what it read.
  BtrvHandle h = 0;
  ASSERT_EQ(0, BtrvOpen(&h, FilePathGet(records::kFileSettings), 0, 0));
  char key[255] = "0SysPrefs      ";
  records::SysPrefsRecord record{};
  ASSERT_EQ(0, BtrvGetOp(kOpGetEqual, h, key, &record, sizeof record));
  record.costingMethod = 'S';
  ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, h, key, &record, sizeof record));
  BtrvClose(h);
  EXPECT_EQ('L', SysCodeGet(kSysCodeCosting));
  SettingsRefresh(0, 0);
  EXPECT_EQ('S', SysCodeGet(kSysCodeCosting));
}

}  // namespace
