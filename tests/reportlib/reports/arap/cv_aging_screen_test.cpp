// The aging report's selection screen, driven by key scripts as a user
// drives it: remembered selections per user and report, the defaults key,
// the checks of F10 (ranges, aging periods) and the aging schedule it
// stores.
//
// The screen's fields in cursor order with both criteria on the code:
// 1 sort field, 2/3 its range, 14 rank field, 15/16 its range, 30 aging
// date, 31 type, 32 basis, 33-35 options, then the periods 38-58 (label,
// from, to).  Space changes a choice; typing replaces a field's text.
#include <string>
#include <vector>

#include "aging_fixture.h"
#include "records/settings.h"
#include "reports/arap/aging.h"

namespace agingtest {
namespace {

class AgingScreenTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    Add("settings", ScheduleRecord());
    Add("customers", Account("C100", "Acme Supply"));
    Add("customers", Account("C200", "Birch Traders"));
    Add("customers", Account("C300", "Quarry Inc"));
    for (const char* code : {"C100", "C200", "C300"})
      Add("ar_open_invoices", Item(code, std::string("I-") + code, 'I', 100, 40));
    Add("vendors", Account("V100", "Cedar Mills"));
  }

  void User(const char* name) {
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, name);
  }

  Run Screen(int command, const std::string& keys) {
    return RunScripted(keys, [&] { return RunCustVendAging(command, nullptr); });
  }

  // The screen as the form showed it when it started.
  static std::string StartScreen(const Run& run) {
    const std::size_t at = run.transcript.find("--- form start");
    if (at == std::string::npos) return "";
    return run.transcript.substr(at, run.transcript.find("--- end of screen ---", at) - at);
  }

  records::AgingSchedule StoredSchedule() {
    if (!written_) WriteCompany();
    BtrvHandle h = 0;
    records::AgingSchedule schedule{};
    EXPECT_EQ(0, BtrvOpen(&h, FilePathGet(records::kFileSettings), kOpenNormal, 0));
    char key[255] = {};
    std::memcpy(key, "0Schedule      ", 15);
    EXPECT_EQ(0, BtrvGetOp(kOpGetEqual, h, key, &schedule, sizeof schedule));
    BtrvClose(h);
    return schedule;
  }
};

// Sort by name (Space on field 1), names from "B" to "P", run, close the preview.
constexpr const char* kChooseByName = "Space Down \"B\" Down \"P\" F10 Esc";

TEST_F(AgingScreenTest, EachUsersLastSelectionComesBackForThatUserOnly) {
  User("ANNE");
  const Run first = Screen(337, kChooseByName);
  EXPECT_NE(std::string::npos, first.transcript.find("Birch Traders"));
  EXPECT_EQ(std::string::npos, first.transcript.find("Acme Supply")) << "the name range was applied";

  User("BOB");
  const std::string bob = StartScreen(Screen(337, "Esc"));
  EXPECT_NE(std::string::npos, bob.find("Sort by Customer Code")) << bob;

  User("ANNE");
  const std::string anne = StartScreen(Screen(337, "Esc"));
  EXPECT_NE(std::string::npos, anne.find("Sort by Customer Name")) << anne;
  EXPECT_NE(std::string::npos, anne.find("From B")) << anne;
  EXPECT_NE(std::string::npos, anne.find("To P")) << anne;

  // The vendor aging keeps its own.
  const std::string vendors = StartScreen(Screen(344, "Esc"));
  EXPECT_NE(std::string::npos, vendors.find("Sort by Vendor Code")) << vendors;

  // Esc after changing the selection remembers nothing.
  const Run cancelled = Screen(337, "Space Down \"Z\" Esc");
  EXPECT_EQ(std::string::npos, cancelled.transcript.find("preview:")) << "Esc runs no report";
  const std::string again = StartScreen(Screen(337, "Esc"));
  EXPECT_NE(std::string::npos, again.find("Sort by Customer Name")) << again;
  EXPECT_NE(std::string::npos, again.find("From B")) << again;
}

TEST_F(AgingScreenTest, ShiftF9BringsBackTheDefaultsNotTheRememberedValues) {
  User("ANNE");
  Screen(337, kChooseByName);
  const Run run = Screen(337, "Shift+F9 F10 Esc");
  EXPECT_NE(std::string::npos, run.transcript.find("Sorted by... : Customer Code"));
  EXPECT_NE(std::string::npos, run.transcript.find("Acme Supply"));
}

TEST_F(AgingScreenTest, ASortFieldLeftBackwardsOpensItsRangeBeforeAnythingRuns) {
  // The sort choice changed, then left with Shift+Tab: its range is not
  // open yet.  F10 opens it and stays; the next F10 runs by name.
  const Run run = Screen(337, "Space Shift+Tab F10 F10 Esc");
  EXPECT_NE(std::string::npos, run.transcript.find("Sorted by... : Customer Name")) << run.transcript;
}

TEST_F(AgingScreenTest, AFromAfterItsToIsRefused) {
  const Run run = Screen(337, "Down \"Z\" Down \"A\" F10 Esc Esc");
  EXPECT_EQ(std::vector<int>{205}, run.messages);
  EXPECT_EQ(std::string::npos, run.transcript.find("preview:"));
}

TEST_F(AgingScreenTest, F5PicksAnAccountIntoTheRange) {
  // F5 in the from field lists the customers; the second one is chosen.
  const Run run = Screen(337, "Down F5 Down Enter F10 Esc");
  EXPECT_TRUE(run.messages.empty());
  // The report's selection line says so in the screen's words.
  EXPECT_NE(std::string::npos, run.transcript.find("Selection: Sort by: Customer Code, from C200; Rank by: "))
      << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("I-C200"));
  EXPECT_EQ(std::string::npos, run.transcript.find("I-C100")) << "C100 lies before the range";
}

TEST_F(AgingScreenTest, TheDaysPastDueFilterTurnsFullyPaidItemsOff) {
  // Include fully paid items: Yes (field 33, nine fields down); then the
  // filter (field 35): Yes.
  const Run run = Screen(337, "Down Down Down Down Down Down Down Down Down Space Down Down Space F10 Esc");
  EXPECT_TRUE(run.messages.empty());
  EXPECT_NE(std::string::npos, run.transcript.find("Include fully paid items: No;")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("Days-past-due filter: Yes;")) << run.transcript;
}

TEST_F(AgingScreenTest, PeriodsThatDoNotFollowAreRefusedAndTheScheduleIsKept) {
  const records::AgingSchedule before = StoredSchedule();
  // Period 2 from 30: it overlaps period 1 (0-30).  From field 1 the
  // sixteenth field down is period 2's from day (field 42).
  std::string keys;
  for (int i = 0; i < 16; ++i) keys += "Down ";
  const Run run = Screen(337, keys + "\"30\" F10 Esc Esc");
  EXPECT_EQ(std::vector<int>{251}, run.messages);
  EXPECT_EQ(std::string::npos, run.transcript.find("preview:"));
  const records::AgingSchedule after = StoredSchedule();
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before)) << "0Schedule is unchanged";
}

TEST_F(AgingScreenTest, AValidScheduleChangeIsStoredForItsOwnSet) {
  const records::AgingSchedule before = StoredSchedule();
  // Period 7's label (field 56, the thirtieth field down).
  std::string keys;
  for (int i = 0; i < 30; ++i) keys += "Down ";
  const Run run = Screen(337, keys + "\"Older\" F10 Esc");
  EXPECT_TRUE(run.messages.empty());
  EXPECT_NE(std::string::npos, run.transcript.find("Older")) << "the new caption heads its column";
  const records::AgingSchedule after = StoredSchedule();
  EXPECT_EQ("Older", std::string(after.customerPeriods[6].label));
  EXPECT_EQ(181, after.customerPeriods[6].fromDays);
  EXPECT_EQ(0, std::memcmp(before.vendorPeriods, after.vendorPeriods, sizeof before.vendorPeriods))
      << "the vendor set is written back unchanged";
}

TEST_F(AgingScreenTest, AcceptingTheScheduleUntouchedStoresItAsItWas) {
  // A first period reaching 9999 days ahead (items not yet due), and a last
  // one beyond the days a user may type.
  Json periods = CustomerPeriods();
  periods[0]["fromDays"] = -9999;
  periods[6]["toDays"] = 20000;
  Fixture()["files"]["settings"][0]["customerPeriods"] = periods;
  const records::AgingSchedule before = StoredSchedule();
  const Run run = Screen(337, "F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_NE(std::string::npos, StartScreen(run).find("-9999")) << "the field shows the whole number";
  const records::AgingSchedule after = StoredSchedule();
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(before.customerPeriods[i].fromDays, after.customerPeriods[i].fromDays);
    EXPECT_EQ(before.customerPeriods[i].toDays, after.customerPeriods[i].toDays);
    EXPECT_STREQ(before.customerPeriods[i].label, after.customerPeriods[i].label);
  }
  EXPECT_EQ(-9999, after.customerPeriods[0].fromDays);
  EXPECT_EQ(20000, after.customerPeriods[6].toDays);

  // A day the user types is taken as typed, within the days a period may
  // have: period 7's to (field 58, the thirty-second field down).
  std::string keys;
  for (int i = 0; i < 32; ++i) keys += "Down ";
  Screen(337, keys + "\"99999\" F10 Esc");
  EXPECT_EQ(9999, StoredSchedule().customerPeriods[6].toDays);
}

}  // namespace
}  // namespace agingtest
