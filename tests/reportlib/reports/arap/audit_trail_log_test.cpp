// The audit trail log (command 394), run through its entry on key scripts
// over a small log of the test's own, read back from the preview in the
// transcript: the entries each sort and rank range selects, in the index's
// order, the lines as they print, the screen's checks, and clean ends when
// nothing is selected or the record manager fails.
#include <string>
#include <vector>

#include "checks_test_support.h"
#include "records/dictionary.h"
#include "reports/arap/audit_trail_log.h"

namespace checkstest {
namespace {

// Print columns of the detail line.
constexpr int kDateX = 0, kTimeX = 11, kUserX = 22, kEntityIdX = 37, kEntityNameX = 63, kActionX = 99,
              kReferenceX = 110;

struct Entry {
  int number;
  const char* user;
  int month, day;
  int seconds;
  int entityType;
  int changeType;
  const char* reference;
};

// clang-format off
const Entry kEntries[] = {
    {1, "ANNE",  3,  1, 9 * 3600,             22,  1, "C100"},
    {2, "BOB",   3,  2, 10 * 3600 + 30 * 60,  66,  2, "V200"},
    {3, "CAROL", 3,  3, 11 * 3600 + 15 * 60,  27,  4, "GL-17"},
    // Entity type 122 is entity id 22 (a customer), as 22 is.
    {4, "ANNE",  3,  4, 14 * 3600 + 5,        122, 3, "C101"},
    {5, "bob",   3,  5, 8 * 3600 + 5 * 60,    4,   4, "AP-9"},
    {6, "DAVE",  2, 27, 16 * 3600 + 45 * 60,  43,  2, "P-1"},
};
// clang-format on

Json Record(const Entry& e) {
  return Json{{"entryNumber", e.number}, {"userId", e.user},         {"date", Date(2025, e.month, e.day)},
              {"time", e.seconds},       {"entityType", e.entityType}, {"changeType", e.changeType},
              {"reference", e.reference}};
}

// The detail lines of a preview: those with a date in the date column.
std::vector<std::string> DetailLines(const Preview& r) {
  std::vector<std::string> lines;
  for (const std::string& l : r.Lines()) {
    const std::string date = Cell(l, kDateX, 10), time = Cell(l, kTimeX, 10);
    if (date.size() == 8 && date[2] == '/' && date[5] == '/' && time.size() == 8 && time[2] == ':')
      lines.push_back(l);
  }
  return lines;
}

std::vector<std::string> References(const Preview& r) {
  std::vector<std::string> refs;
  for (const std::string& l : DetailLines(r)) refs.push_back(Cell(l, kReferenceX, 26));
  return refs;
}

// A pair typed into the open from/to fields: "" leaves an end open.
std::string Pair(const std::string& from, const std::string& to) {
  auto one = [](const std::string& v) { return v.empty() ? std::string("Enter") : "\"" + v + "\" Enter"; };
  return one(from) + " " + one(to);
}

// Keys choosing a field on a choice field (Date first, then User Id, Entity Id).
std::string Choose(int spaces) {
  std::string keys;
  for (int i = 0; i < spaces; ++i) keys += "Space ";
  return keys + "Enter";
}

constexpr int kByDate = 0, kByUser = 1, kByEntity = 2;

std::string Keys(int sortBy, const std::string& sortFrom, const std::string& sortTo, int rankBy,
                 const std::string& rankFrom, const std::string& rankTo) {
  return Choose(sortBy) + " " + Pair(sortFrom, sortTo) + " " + Choose(rankBy) + " " + Pair(rankFrom, rankTo) +
         " F10 Esc";
}

class AuditTrailLogTest : public listingtest::ListingTest {
 protected:
  AuditTrailLogTest() : ListingTest(394) {}

  void AddEntries() {
    for (const Entry& e : kEntries) Add("audit_log", Record(e));
  }

  // A run on a company written afresh, so that no remembered selection of
  // an earlier run stands on the screen.
  Run RunLog(const std::string& keys) {
    WriteCompany();
    return RunAgain(keys);
  }
  // A run on the company as the last run left it.
  Run RunAgain(const std::string& keys) {
    return RunScripted(keys, [] { return RunAuditTrailLog(); });
  }

  void ExpectLogFilesClosed() { listingtest::ExpectFilesClosed({records::kFileAuditLog, records::kFileUsers}); }
};

TEST_F(AuditTrailLogTest, EachSortAndRankRangeListsItsEntriesInTheIndexOrder) {
  AddEntries();
  const struct {
    const char* what;
    std::string keys;
    std::vector<std::string> references;
    const char* sortedBy;
    const char* rankedBy;
  } cases[] = {
      {"every entry by date", Keys(kByDate, "", "", kByDate, "", ""),
       {"P-1", "C100", "V200", "GL-17", "C101", "AP-9"}, "Transaction Date", "Transaction Date"},
      {"a date range", Keys(kByDate, "03/02/25", "03/04/25", kByDate, "", ""), {"V200", "GL-17", "C101"},
       "Transaction Date", "Transaction Date"},
      // Two criteria on the same field both apply.
      {"two date ranges", Keys(kByDate, "03/01/25", "03/04/25", kByDate, "03/03/25", "03/31/25"),
       {"GL-17", "C101"}, "Transaction Date", "Transaction Date"},
      // User ids compare without regard to case; dates order each user's entries.
      {"users by date", Keys(kByUser, "B", "CAROL", kByDate, "", ""), {"V200", "AP-9", "GL-17"}, "User Id",
       "Transaction Date"},
      {"users ranked by entity", Keys(kByUser, "ANNE", "BOB", kByEntity, "20", "70"),
       {"C100", "C101", "V200"}, "User Id", "Entity Id"},
      // An entity id typed with leading zeros; type 122 is id 22.
      {"one entity id", Keys(kByEntity, "0022", "22", kByDate, "", ""), {"C100", "C101"}, "Entity Id",
       "Transaction Date"},
      // The log is read in the order of the entity types: type 122 (id 22)
      // comes after type 27, and an entity range never ends the walk early.
      {"entity ids ranked by date", Keys(kByEntity, "4", "27", kByDate, "03/03/25", ""),
       {"AP-9", "GL-17", "C101"}, "Entity Id", "Transaction Date"},
  };
  for (const auto& c : cases) {
    const Run run = RunLog(c.keys);
    EXPECT_TRUE(run.messages.empty()) << c.what << "\n" << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Audit Trail Log");
    ASSERT_FALSE(r.Empty()) << c.what << "\n" << run.transcript;
    EXPECT_EQ(c.references, References(r)) << c.what << "\n" << run.transcript;
    EXPECT_TRUE(r.Contains(std::string("Sorted by: ") + c.sortedBy)) << c.what;
    EXPECT_TRUE(r.Contains(std::string("Ranked by: ") + c.rankedBy)) << c.what;
  }
  ExpectLogFilesClosed();
}

TEST_F(AuditTrailLogTest, EachLineShowsTheEntryWithItsEntityAndChangeNames) {
  AddEntries();
  const Run run = RunLog(Keys(kByDate, "", "", kByDate, "", ""));
  const Preview r = OnlyPreview(run.transcript, "Audit Trail Log");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  for (const char* heading : {"Date", "Time", "User Id", "Entity Id", "Entity Name", "Action", "Reference"})
    EXPECT_TRUE(r.Contains(heading)) << heading;
  const struct {
    const char* reference;
    const char* date;
    const char* time;
    const char* user;
    const char* entityId;
    const char* entityName;
    const char* action;
  } cases[] = {
      {"C100", "03/01/25", "09:00:00", "ANNE", "22", "Customer", "Added"},
      {"V200", "03/02/25", "10:30:00", "BOB", "66", "Vendor", "Changed"},
      {"C101", "03/04/25", "14:00:05", "ANNE", "22", "Customer", "Deleted"},
      {"AP-9", "03/05/25", "08:05:00", "bob", "4", "Payables Transaction", "Posted"},
  };
  const std::vector<std::string> lines = DetailLines(r);
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& l : lines)
      if (Cell(l, kReferenceX, 26) == c.reference) line = l;
    ASSERT_FALSE(line.empty()) << c.reference << "\n" << run.transcript;
    EXPECT_EQ(c.date, Cell(line, kDateX, 10)) << c.reference;
    EXPECT_EQ(c.time, Cell(line, kTimeX, 10)) << c.reference;
    EXPECT_EQ(c.user, Cell(line, kUserX, 14)) << c.reference;
    EXPECT_EQ(c.entityId, Cell(line, kEntityIdX, 25)) << c.reference;
    EXPECT_EQ(c.entityName, Cell(line, kEntityNameX, 35)) << c.reference;
    EXPECT_EQ(c.action, Cell(line, kActionX, 10)) << c.reference;
  }
}

TEST_F(AuditTrailLogTest, NothingSelectedShowsItsMessageAndNoReport) {
  const struct {
    const char* what;
    bool entries;
    std::string keys;
  } cases[] = {
      {"an empty log", false, Keys(kByDate, "", "", kByDate, "", "")},
      {"no date in range", true, Keys(kByDate, "01/01/25", "01/31/25", kByDate, "", "")},
      {"no user in range", true, Keys(kByUser, "X", "Z", kByDate, "", "")},
      {"no entity in range", true, Keys(kByEntity, "90", "99", kByDate, "", "")},
  };
  for (const auto& c : cases) {
    Fixture() = Json{{"files", Json::object()}};
    if (c.entries) AddEntries();
    WriteCompany();
    const Run run = RunLog(c.keys);
    EXPECT_EQ(0, run.result) << c.what;
    EXPECT_EQ(std::vector<int>{197}, run.messages) << c.what << "\n" << run.transcript;
    EXPECT_TRUE(OnlyPreview(run.transcript, "Audit Trail Log").Empty()) << c.what;
    ExpectLogFilesClosed();
  }
}

TEST_F(AuditTrailLogTest, TheScreenRefusesBadRangesUntilCorrected) {
  AddEntries();
  const struct {
    const char* what;
    std::string keys;
    int message;
  } cases[] = {
      {"from after to", Choose(kByDate) + " \"03/05/25\" Enter \"03/01/25\" Enter F10 Esc", 205},
      {"a bad date", Choose(kByDate) + " \"13/45/25\" Enter Esc", 13},
      {"an entity id that is no number", Choose(kByEntity) + " \"ABC\" Enter Esc", 2394},
      {"entity ids from after to", Choose(kByEntity) + " \"30\" Enter \"4\" Enter F10 Esc", 205},
  };
  for (const auto& c : cases) {
    // Esc after the message leaves the screen: nothing runs.
    const Run run = RunLog(c.keys + " Esc");
    EXPECT_EQ(0, run.result) << c.what;
    ASSERT_FALSE(run.messages.empty()) << c.what << "\n" << run.transcript;
    EXPECT_EQ(c.message, run.messages.front()) << c.what << "\n" << run.transcript;
    EXPECT_TRUE(OnlyPreview(run.transcript, "Audit Trail Log").Empty()) << c.what;
  }
  ExpectLogFilesClosed();
}

TEST_F(AuditTrailLogTest, F5ListsTheUsersAndTheEntityIdsToChooseFrom) {
  AddEntries();
  for (const char* user : {"ANNE", "BOB", "CAROL"}) Add("users", Json{{"userId", user}, {"name", user}});
  const struct {
    const char* what;
    std::string keys;
    std::vector<std::string> references;
  } cases[] = {
      // The second user (BOB) as both ends; user ids compare without regard to case.
      {"users", "Space Enter F5 Down Enter Enter F5 Down Enter Enter Enter Enter Enter F10 Esc", {"V200", "AP-9"}},
      // The sixth entity id listed is 22 (Customer).
      {"entity ids",
       "Space Space Enter F5 Down Down Down Down Down Enter Enter F5 Down Down Down Down Down Enter Enter Enter "
       "Enter Enter F10 Esc",
       {"C100", "C101"}},
  };
  for (const auto& c : cases) {
    const Run run = RunLog(c.keys);
    EXPECT_EQ(c.references, References(OnlyPreview(run.transcript, "Audit Trail Log"))) << c.what << "\n"
                                                                                         << run.transcript;
  }
}

TEST_F(AuditTrailLogTest, TheSelectionIsRememberedForTheNextRun) {
  AddEntries();
  const Run first = RunLog(Keys(kByUser, "B", "CAROL", kByEntity, "27", ""));
  EXPECT_EQ((std::vector<std::string>{"V200", "GL-17"}), References(OnlyPreview(first.transcript, "Audit Trail Log")))
      << first.transcript;
  const Run again = RunAgain("F10 Esc");
  EXPECT_EQ((std::vector<std::string>{"V200", "GL-17"}), References(OnlyPreview(again.transcript, "Audit Trail Log")))
      << again.transcript;
  // Shift+F9 puts the defaults back: every entry by date.
  const Run defaults = RunAgain("Shift+F9 F10 Esc");
  EXPECT_EQ(6u, References(OnlyPreview(defaults.transcript, "Audit Trail Log")).size()) << defaults.transcript;
}

// Sorted by user id up to ANNE, the walk reads ANNE's two entries and BOB's,
// which ends it: a read failing after that is never made.
TEST_F(AuditTrailLogTest, ASortedWalkStopsAtTheFirstEntryPastTheToEnd) {
  AddEntries();
  WriteCompany();
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:audit_log:3:2"));
  const Run run = RunAgain(Keys(kByUser, "", "ANNE", kByDate, "", ""));
  BtrvTestSwitch("");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Audit Trail Log");
  EXPECT_EQ((std::vector<std::string>{"C100", "C101"}), References(r)) << run.transcript;
  EXPECT_FALSE(r.Contains("incomplete"));
}

TEST_F(AuditTrailLogTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddEntries();
  WriteCompany();
  // The third read of the next entry fails.
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:audit_log:3:2"));
  const Run run = RunAgain(Keys(kByDate, "", "", kByDate, "", ""));
  BtrvTestSwitch("");
  EXPECT_EQ(0, run.result);
  EXPECT_NE(std::string::npos, run.transcript.find("audit_log")) << "the error box names the file\n"
                                                                 << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Audit Trail Log");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  EXPECT_TRUE(r.Contains("incomplete"));
  EXPECT_LT(References(r).size(), 6u);
  ExpectLogFilesClosed();
}

}  // namespace
}  // namespace checkstest
