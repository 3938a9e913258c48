// General-ledger end of period (command 360), driven by key scripts over
// companies built by the fixture loader: which periods close and how far the
// open-period number moves, when unposted transactions refuse the close, and
// that "0Periods" is read with its lock and every lock is gone afterwards.
//
// Today is 03/15/25 in every run.  The twelve-period calendar has January and
// February 2025 closed (next open period 3); the thirteen-period calendar has
// its periods 1 and 2 closed.  Statuses are written as the 26 entries of
// "0Periods": this year's 13, a blank, next year's 13 ('.' = a zero byte).
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/gl_end_period.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/transcript.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace {

using fixture::Json;

using qxtest::MessageNumbers;
using qxtest::ReadAll;

std::string Statuses(const records::PeriodsRecord& periods) {
  std::string s;
  for (int i = 0; i < 26; ++i) {
    if (i == 13) s += ' ';
    s += periods.entries[i].status ? periods.entries[i].status : '.';
  }
  return s;
}

// The settings key of "0Periods" as the record manager looks it up.
void PeriodsKey(char (&key)[255]) {
  std::memset(key, 0, sizeof key);
  const records::SettingsKey k = records::MakeSettingsKey("0Periods");
  std::memcpy(key, k.text, sizeof k.text);
}

// A handle of the test's own on the company's settings file: the second
// user of the record.
class SettingsHandle {
 public:
  SettingsHandle() { status_ = BtrvOpen(&handle_, FilePathGet(records::kFileSettings), kOpenNormal, 0); }
  ~SettingsHandle() {
    if (handle_) BtrvClose(handle_);
  }
  int status() const { return status_; }
  // Reads "0Periods" (op 5, or 405 to lock it).
  int Read(int op, records::PeriodsRecord* periods) {
    char key[255];
    PeriodsKey(key);
    return BtrvGetOp(op, handle_, key, periods, sizeof *periods);
  }
  int Unlock() { return BtrvUnlock(-2, handle_); }

 private:
  BtrvHandle handle_ = 0;
  int status_ = 0;
};

// One transaction header of each ledger, unposted, as its fixture record.
Json Unposted(const std::string& file, const std::string& date) {
  Json r;
  if (file == "gl_headers") {
    r = {{"journalCode", "GJ"}, {"transactionNumber", "G-100"}, {"reference", "Accrual"}, {"postedFlag", "N"}};
  } else if (file == "ar_headers" || file == "ap_headers") {
    r = {{"transactionNumber", "T-200"}, {"reference", "INV 200"}, {"postedFlag", "N"}};
  } else if (file == "cash_headers") {
    r = {{"journalCode", "CR"}, {"transactionNumber", "C-300"}, {"reference", "DEP 300"}, {"postedFlag", "N"}};
  } else if (file == "billing_headers" || file == "purchasing_headers") {
    r = {{"typeLetter", "I"}, {"transactionNumber", "B-400"}, {"closedFlag", "N"}, {"postedFlag", "N"}};
  } else if (file == "assembly_headers") {
    r = {{"transactionNumber", "A-500"}, {"reference", "BUILD"}, {"postedFlag", "N"}};
  } else if (file == "inventory_transactions") {
    r = {{"productCode", "P1"}, {"transactionNumber", "I-600"}, {"kind", "1"}, {"source", "T"},
         {"quantity", 2}, {"extendedAmount", 10.0}, {"postedFlag", "N"}};
  }
  r["date"] = date;
  return r;
}

// The same with some fields replaced.
Json Unposted(const std::string& file, const std::string& date, const Json& changes) {
  Json r = Unposted(file, date);
  for (auto it = changes.begin(); it != changes.end(); ++it) {
    if (it.value().is_null()) {
      r.erase(it.key());
    } else {
      r[it.key()] = it.value();
    }
  }
  return r;
}

class GLEndPeriodTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlockGet()->currentCommand = 360;
    UseCalendar("twelve_periods.json");
  }

  void UseCalendar(const std::string& name) { UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/" + name); }
  Json& PeriodsFixture() { return fixture_["files"]["settings"][0]; }

  // Writes the company and keeps "0Periods" as written.
  void WriteCompany() {
    qxtest::CompanyTest::WriteCompany();
    before_ = ReadPeriods();
  }

  records::PeriodsRecord ReadPeriods() {
    SettingsHandle settings;
    records::PeriodsRecord periods{};
    EXPECT_EQ(settings.status(), kStatusOk);
    EXPECT_EQ(settings.Read(kOpGetEqual, &periods), kStatusOk);
    return periods;
  }

  struct Run {
    std::string transcript;
    std::vector<int> messages;
    records::PeriodsRecord periods{};
  };

  // Runs command 360 on the key script `keys`, then reads "0Periods" back
  // and checks that a second handle can lock it: no lock outlives the
  // command, however it ended.
  Run RunCommand(const std::string& keys) {
    if (!written_) WriteCompany();
    Start(keys);
    SettingsRefresh(0, 0);
    EXPECT_EQ(RunGLEndPeriod(), 0);
    Run run;
    run.transcript = Finish();
    run.messages = MessageNumbers(run.transcript);
    run.periods = ReadPeriods();
    SettingsHandle second;
    records::PeriodsRecord locked{};
    EXPECT_EQ(second.Read(kOpGetEqual + kLockBias, &locked), kStatusOk) << "the record is still locked";
    EXPECT_EQ(second.Unlock(), kStatusOk);
    return run;
  }

  // The record as the command left it differs from the one it read at most
  // in the entries' statuses and the open-period number.
  void ExpectOnlyStatusesAndNextChanged(const records::PeriodsRecord& after) {
    records::PeriodsRecord rest = after;
    for (int i = 0; i < 26; ++i) rest.entries[i].status = before_.entries[i].status;
    rest.nextOpenPeriod = before_.nextOpenPeriod;
    EXPECT_EQ(std::memcmp(&rest, &before_, sizeof rest), 0) << "bytes other than the statuses changed";
  }

  void ExpectUnchanged(const Run& run) {
    EXPECT_EQ(std::memcmp(&run.periods, &before_, sizeof before_), 0) << "the periods record changed";
  }

  records::PeriodsRecord before_{};
};

constexpr const char* kTwelveAsLoaded = "CCOOOOOOOOOOO OOOOOOOOOOOO.";

// --- Closing --------------------------------------------------------------------------

struct CloseCase {
  const char* name;
  const char* keys;
  std::vector<int> messages;  // in the order shown
  const char* statuses;
  int nextOpenPeriod;
};

// Twelve monthly periods, no transactions.
const CloseCase kTwelveCases[] = {
    {"today's period is the only open one", "F10 Enter", {1277}, "CCCOOOOOOOOOO OOOOOOOOOOOO.", 4},
    {"three open periods, confirmed", R"("05/20/25" F10 Enter Enter)", {1275, 1277},
     "CCCCCOOOOOOOO OOOOOOOOOOOO.", 6},
    {"three open periods, declined", R"("05/20/25" F10 "N")", {1275}, kTwelveAsLoaded, 3},
    {"Esc declines too", R"("05/20/25" F10 Esc)", {1275}, kTwelveAsLoaded, 3},
    // Entry 12 is no period of a twelve-period year: its leftover 'O' stays.
    {"a date in next year", R"("02/10/26" F10 Enter Enter)", {1275, 1277}, "CCCCCCCCCCCCO CCOOOOOOOOOO.", 15},
    {"the last period of next year", R"("12/31/26" F10 Enter Enter)", {1275, 1277},
     "CCCCCCCCCCCCO CCCCCCCCCCCC.", -1},
    {"a date in a closed period", R"("02/10/25" F10 Enter)", {1277}, kTwelveAsLoaded, 3},
    {"Esc leaves at once", "Esc", {}, kTwelveAsLoaded, 3},
    {"an invalid date keeps the cursor", R"("13/45/25" Enter Enter Esc)", {13}, kTwelveAsLoaded, 3},
    {"F10 checks the date first", R"("99/99/99" F10 Enter Esc)", {13}, kTwelveAsLoaded, 3},
    {"a date outside both years is refused", R"("06/15/27" F10 Enter Esc)", {1955}, kTwelveAsLoaded, 3},
    {"a refused date can be corrected", R"("06/15/27" F10 Enter "04/10/25" F10 Enter Enter)", {1955, 1275, 1277},
     "CCCCOOOOOOOOO OOOOOOOOOOOO.", 5},
};

TEST_F(GLEndPeriodTest, TwelvePeriods) {
  for (const CloseCase& c : kTwelveCases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const Run run = RunCommand(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(Statuses(run.periods), c.statuses);
    EXPECT_EQ(run.periods.nextOpenPeriod, c.nextOpenPeriod);
    ExpectOnlyStatusesAndNextChanged(run.periods);
  }
}

// Thirteen four-week periods: next year's first period starts 12/31/25 and
// its last ends 12/29/26.
const CloseCase kThirteenCases[] = {
    {"today's period is the only open one", "F10 Enter", {1277}, "CCCOOOOOOOOOO OOOOOOOOOOOOO", 4},
    {"thirteenth period of this year", R"("12/30/25" F10 Enter Enter)", {1275, 1277},
     "CCCCCCCCCCCCC OOOOOOOOOOOOO", 14},
    {"a date in next year", R"("01/10/26" F10 Enter Enter)", {1275, 1277}, "CCCCCCCCCCCCC COOOOOOOOOOOO", 15},
    {"the last period of next year", R"("12/29/26" F10 Enter Enter)", {1275, 1277},
     "CCCCCCCCCCCCC CCCCCCCCCCCCC", -1},
    {"the day after next year", R"("12/30/26" F10 Enter Esc)", {1955}, "CCOOOOOOOOOOO OOOOOOOOOOOOO", 3},
};

TEST_F(GLEndPeriodTest, ThirteenPeriods) {
  UseCalendar("thirteen_periods.json");
  for (const CloseCase& c : kThirteenCases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const Run run = RunCommand(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(Statuses(run.periods), c.statuses);
    EXPECT_EQ(run.periods.nextOpenPeriod, c.nextOpenPeriod);
    ExpectOnlyStatusesAndNextChanged(run.periods);
  }
}

TEST_F(GLEndPeriodTest, ClosingAgainMovesAStaleOpenPeriodNumber) {
  // Every period up to February is closed, yet the number still says 2.
  PeriodsFixture()["nextOpenPeriod"] = 2;
  const Run run = RunCommand(R"("02/10/25" F10 Enter)");
  EXPECT_EQ(run.messages, std::vector<int>{1277}) << run.transcript;
  EXPECT_EQ(Statuses(run.periods), kTwelveAsLoaded);
  EXPECT_EQ(run.periods.nextOpenPeriod, 3);
}

TEST_F(GLEndPeriodTest, ScreenShowsTodayAndItsPeriod) {
  const Run run = RunCommand("Esc");
  EXPECT_NE(run.transcript.find("General Ledger End of Period"), std::string::npos) << run.transcript;
  EXPECT_NE(run.transcript.find("03/15/25"), std::string::npos);
  EXPECT_NE(run.transcript.find("F10 Close periods"), std::string::npos);
}

// --- Unposted transactions --------------------------------------------------------------

struct LedgerCase {
  const char* name;
  const char* file;
  Json changes;         // fields of the unposted template replaced (null removes one)
  const char* date;
  const char* listed;   // the ledger's name in the list of unposted transactions
};

// Closing March 2025 alone (03/01/25 - 03/31/25).
const LedgerCase kRefusing[] = {
    {"general ledger on the last day", "gl_headers", Json::object(), "2025-03-31", "General Ledger"},
    {"receivables on the first day", "ar_headers", Json::object(), "2025-03-01", "Receivables"},
    {"payables", "ap_headers", Json::object(), "2025-03-15", "Payables"},
    {"cash", "cash_headers", Json::object(), "2025-03-15", "Cash"},
    {"billing", "billing_headers", Json::object(), "2025-03-15", "Billing"},
    {"purchasing", "purchasing_headers", Json::object(), "2025-03-15", "Purchasing"},
    {"assembly", "assembly_headers", Json::object(), "2025-03-15", "Assembly"},
    {"billing without a posted flag", "billing_headers", {{"postedFlag", nullptr}}, "2025-03-15", "Billing"},
    // Every posting posts a header flagged 'n' or not flagged at all: the
    // period it is dated in must stay open for it.
    {"general ledger flagged 'n'", "gl_headers", {{"postedFlag", "n"}}, "2025-03-15", "General Ledger"},
    {"receivables flagged 'n'", "ar_headers", {{"postedFlag", "n"}}, "2025-03-15", "Receivables"},
    {"cash flagged 'n'", "cash_headers", {{"postedFlag", "n"}}, "2025-03-15", "Cash"},
    {"assembly without a posted flag", "assembly_headers", {{"postedFlag", nullptr}}, "2025-03-15", "Assembly"},
    // The inventory posting refuses a date in a closed period: an entered
    // adjustment left in one could never be posted.
    {"an entered inventory adjustment", "inventory_transactions", Json::object(), "2025-03-15", "Inventory"},
};

TEST_F(GLEndPeriodTest, AnUnpostedTransactionInAnyLedgerRefusesTheClose) {
  for (const LedgerCase& c : kRefusing) {
    SCOPED_TRACE(c.name);
    UseCalendar("twelve_periods.json");
    Add(c.file, Unposted(c.file, c.date, c.changes));
    const Run run = RunCommand("F10 Enter Enter");
    EXPECT_EQ(run.messages, std::vector<int>{1901}) << run.transcript;
    EXPECT_NE(run.transcript.find("--- message box: Unposted Transactions ---"), std::string::npos);
    EXPECT_NE(run.transcript.find(c.listed), std::string::npos) << run.transcript;
    ExpectUnchanged(run);
  }
}

const LedgerCase kNotCounted[] = {
    {"general ledger the day after the period", "gl_headers", Json::object(), "2025-04-01", ""},
    {"general ledger in a period closed before", "gl_headers", Json::object(), "2025-02-28", ""},
    {"general ledger deleted in entry", "gl_headers", {{"reference", "DELETED"}}, "2025-03-15", ""},
    {"general ledger posted", "gl_headers", {{"postedFlag", "Y"}}, "2025-03-15", ""},
    {"receivables deleted in entry", "ar_headers", {{"reference", "DELETED"}}, "2025-03-15", ""},
    {"payables posted", "ap_headers", {{"postedFlag", "Y"}}, "2025-03-15", ""},
    {"cash deleted in entry", "cash_headers", {{"reference", "DELETED"}}, "2025-03-15", ""},
    {"cash posted", "cash_headers", {{"postedFlag", "Y"}}, "2025-03-15", ""},
    {"billing 'O' document", "billing_headers", {{"typeLetter", "O"}}, "2025-03-15", ""},
    {"billing closed", "billing_headers", {{"closedFlag", "Y"}}, "2025-03-15", ""},
    {"purchasing posted", "purchasing_headers", {{"postedFlag", "Y"}}, "2025-03-15", ""},
    {"assembly deleted in entry", "assembly_headers", {{"reference", "DELETED"}}, "2025-03-15", ""},
    {"inventory adjustment posted", "inventory_transactions", {{"postedFlag", "Y"}}, "2025-03-15", ""},
    {"inventory adjustment marked without posting", "inventory_transactions", {{"secondSource", "D"}},
     "2025-03-15", ""},
    {"activity another posting wrote", "inventory_transactions", {{"source", "B"}}, "2025-03-15", ""},
    {"inventory adjustment of the next period", "inventory_transactions", Json::object(), "2025-04-01", ""},
};

TEST_F(GLEndPeriodTest, TransactionsThatDoNotCount) {
  for (const LedgerCase& c : kNotCounted) {
    SCOPED_TRACE(c.name);
    UseCalendar("twelve_periods.json");
    Add(c.file, Unposted(c.file, c.date, c.changes));
    const Run run = RunCommand("F10 Enter");
    EXPECT_EQ(run.messages, std::vector<int>{1277}) << run.transcript;
    EXPECT_EQ(Statuses(run.periods), "CCCOOOOOOOOOO OOOOOOOOOOOO.");
    EXPECT_EQ(run.periods.nextOpenPeriod, 4);
  }
}

TEST_F(GLEndPeriodTest, SeveralOpenPeriodsAskBeforeLookingForUnposted) {
  Add("cash_headers", Unposted("cash_headers", "2025-04-30"));
  const Run run = RunCommand(R"("05/20/25" F10 Enter Enter Enter)");
  EXPECT_EQ(run.messages, (std::vector<int>{1275, 1901})) << run.transcript;
  ExpectUnchanged(run);
}

TEST_F(GLEndPeriodTest, EveryLedgerIsListed) {
  for (const char* file : {"gl_headers", "ar_headers", "ap_headers", "cash_headers", "billing_headers",
                           "purchasing_headers", "assembly_headers"}) {
    Add(file, Unposted(file, "2025-03-20"));
  }
  Add("gl_headers", Unposted("gl_headers", "2025-03-05", {{"transactionNumber", "G-101"}}));
  const Run run = RunCommand("F10 Enter Enter");
  EXPECT_EQ(run.messages, std::vector<int>{1901});
  // In the order the ledgers are asked, each with its count and dates.
  const std::string t = run.transcript;
  std::size_t at = 0;
  for (const char* ledger : {"General Ledger", "Receivables", "Payables", "Cash", "Billing", "Purchasing",
                             "Assembly"}) {
    const std::size_t found = t.find(ledger, at);
    ASSERT_NE(found, std::string::npos) << ledger << " missing or out of order:\n" << t;
    at = found;
  }
  EXPECT_NE(t.find("03/05/25 - 03/20/25"), std::string::npos) << t;
  ExpectUnchanged(run);
}

TEST_F(GLEndPeriodTest, ThePeriodsOfNextYearAreReadAcrossTheYearEnd) {
  Add("purchasing_headers", Unposted("purchasing_headers", "2026-01-31"));
  const Run run = RunCommand(R"("02/10/26" F10 Enter Enter Enter)");
  EXPECT_EQ(run.messages, (std::vector<int>{1275, 1901})) << run.transcript;
  ExpectUnchanged(run);
}

TEST_F(GLEndPeriodTest, TheLeftoverEntryBeyondTheYearIsNeitherReadNorClosed) {
  // Dated in the leftover entry 12 (12/02/24 - 12/31/24): no period holds it.
  Add("gl_headers", Unposted("gl_headers", "2024-12-15"));
  const Run run = RunCommand(R"("02/10/26" F10 Enter Enter)");
  EXPECT_EQ(run.messages, (std::vector<int>{1275, 1277})) << run.transcript;
  EXPECT_EQ(Statuses(run.periods), "CCCCCCCCCCCCO CCOOOOOOOOOO.");
}

// Closing the third four-week period (02/26/25 - 03/25/25) alone.
struct EdgeCase {
  const char* name;
  Json record;  // a general-ledger header
  bool refuses;
};

TEST_F(GLEndPeriodTest, ThirteenPeriodEdges) {
  const EdgeCase cases[] = {
      {"unposted on the period's first day", Unposted("gl_headers", "2025-02-26"), true},
      {"unposted on the period's last day", Unposted("gl_headers", "2025-03-25"), true},
      {"unposted the day after", Unposted("gl_headers", "2025-03-26"), false},
      {"deleted in entry", Unposted("gl_headers", "2025-03-10", {{"reference", "DELETED"}}), false},
      {"posted", Unposted("gl_headers", "2025-03-10", {{"postedFlag", "Y"}}), false},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.name);
    UseCalendar("thirteen_periods.json");
    Add("gl_headers", c.record);
    const Run run = RunCommand("F10 Enter Enter");
    EXPECT_EQ(run.messages, std::vector<int>{c.refuses ? 1901 : 1277}) << run.transcript;
    EXPECT_EQ(Statuses(run.periods), c.refuses ? "CCOOOOOOOOOOO OOOOOOOOOOOOO" : "CCCOOOOOOOOOO OOOOOOOOOOOOO");
  }
}

TEST_F(GLEndPeriodTest, AThirteenthPeriodIsRead) {
  UseCalendar("thirteen_periods.json");
  Add("assembly_headers", Unposted("assembly_headers", "2025-12-10"));
  const Run run = RunCommand(R"("01/10/26" F10 Enter Enter Enter)");
  EXPECT_EQ(run.messages, (std::vector<int>{1275, 1901})) << run.transcript;
  ExpectUnchanged(run);
}

// --- Record-manager failures and locks -----------------------------------------------

struct FailureCase {
  const char* name;
  const char* failure;  // BtrvTestSwitch
  const char* shown;    // in the error box
};

// Two posted receivables in March, so that the walk reads on after the first.
const FailureCase kScanFailures[] = {
    {"looking up the first receivable", "fail=9:ar_headers:1:2", "Error 2:"},
    {"reading the next receivable", "fail=6:ar_headers:1:2", "file 7 (ar_headers)"},
    {"looking up the assemblies, the last ledger", "fail=9:assembly_headers:1:85", "Error 85:"},
};

TEST_F(GLEndPeriodTest, ARecordManagerErrorWhileCountingWritesNothing) {
  for (const FailureCase& c : kScanFailures) {
    SCOPED_TRACE(c.name);
    UseCalendar("twelve_periods.json");
    Add("ar_headers", Unposted("ar_headers", "2025-03-03", {{"postedFlag", "Y"}}));
    Add("ar_headers", Unposted("ar_headers", "2025-03-04", {{"postedFlag", "Y"}, {"transactionNumber", "T-201"}}));
    WriteCompany();
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Run run = RunCommand("F10 Enter Enter");
    BtrvTestSwitch("");
    EXPECT_TRUE(run.messages.empty()) << run.transcript;  // neither 1901 nor 1277
    EXPECT_NE(run.transcript.find("--- message box: Quarlex Accounting - Error ---"), std::string::npos);
    EXPECT_NE(run.transcript.find(c.shown), std::string::npos) << run.transcript;
    ExpectUnchanged(run);
  }
}

TEST_F(GLEndPeriodTest, ARewriteThatFailsLeavesTheRecordAsStored) {
  WriteCompany();
  ASSERT_EQ(BtrvTestSwitch("fail=3:settings:1:2"), 0);
  const Run run = RunCommand("F10 Enter");
  BtrvTestSwitch("");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_NE(run.transcript.find("while updating a record of file 29"), std::string::npos) << run.transcript;
  ExpectUnchanged(run);
}

TEST_F(GLEndPeriodTest, PeriodsLockedByAnotherUserAreNotClosed) {
  WriteCompany();
  {
    SettingsHandle other;
    records::PeriodsRecord held{};
    ASSERT_EQ(other.Read(kOpGetEqual + kLockBias, &held), kStatusOk);
    Start("Enter F10 Enter");
    RunGLEndPeriod();
    const std::string t = Finish();
    EXPECT_NE(t.find("Error 84:"), std::string::npos) << t;
    EXPECT_EQ(t.find("form start"), std::string::npos) << "the screen ran without the lock:\n" << t;
    const records::PeriodsRecord after = ReadPeriods();
    EXPECT_EQ(std::memcmp(&before_, &after, sizeof before_), 0);
  }
  // Once the other user is done, the periods close.
  const Run run = RunCommand("F10 Enter");
  EXPECT_EQ(run.messages, std::vector<int>{1277}) << run.transcript;
  EXPECT_EQ(run.periods.nextOpenPeriod, 4);
}

TEST_F(GLEndPeriodTest, AnotherProgramHoldingALedgerKeepsTheCommandOut) {
  WriteCompany();
  // A second process has the cash headers open: the command wants them alone.
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    BtrvHandle h = 0;
    const int status = BtrvOpen(&h, FilePathGet(records::kFileCashHeaders), kOpenShared, 0);
    char c = status == kStatusOk ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(done[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  const Run run = RunCommand("Enter F10 Enter");
  (void)!write(done[1], &c, 1);
  int wstatus = 0;
  waitpid(child, &wstatus, 0);
  EXPECT_NE(run.transcript.find("Error 85:"), std::string::npos) << run.transcript;
  EXPECT_TRUE(run.messages.empty());
  ExpectUnchanged(run);
}

}  // namespace
