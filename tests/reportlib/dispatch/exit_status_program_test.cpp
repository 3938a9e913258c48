// Every command run in command-only mode where it must refuse, or finds
// nothing to do, as a scheduled job runs it:
//   qxa15 <company> /only /cmd:<id>
// A command is done (exit status 0) only when it did its work or found
// nothing to do (message 197); every other way out (a refusal, a question
// answered no, Esc, a command outside this system, an id that names no
// command) is exit status 4.  Either way the run writes nothing: the company
// dumps the same after it as before.
//
// Two companies: "books" is the sample company, whose every ledger holds
// unposted work; "empty" is its settings and chart of accounts alone, with
// no transaction, customer, vendor or product.
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "daynumber.h"
#include "fixture/company.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "qxtest/sample_company.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr char kToday[] = "2025-03-15";

enum class Company { kBooks, kEmpty };

struct Case {
  int command;
  Company company;
  const char* keys;   // the key script
  const char* param;  // the parameter string ("" none)
  int status;         // the exit status
  const char* told;   // what the transcript shows ("" nothing in particular)
};

// Keys that accept a selection screen with its defaults and close the
// message that follows.
constexpr char kRun[] = "F10 Enter Enter Esc Esc";

std::string Dump(const fs::path& company) {
  fixture::CompanyImage image;
  fixture::Problem problem;
  EXPECT_TRUE(fixture::ReadCompany(company, {}, &image, &problem)) << problem.Text();
  std::ostringstream out;
  fixture::WriteFixture(image, out);
  return out.str();
}

class ExitStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture::CompanyImage books = qxtest::SampleCompany(daynum::FromCivil(2025, 3, 15));
    Write(books, Folder(Company::kBooks));
    // The empty books: the settings and the chart of accounts alone.
    fixture::CompanyImage empty = books;
    for (auto& [file, rows] : empty.files)
      if (file != records::kFileSettings && file != records::kFileGLAccounts && file != records::kFileTranSequences)
        rows.clear();
    Write(empty, Folder(Company::kEmpty));
  }

  fs::path Folder(Company c) const { return dir_ / (c == Company::kBooks ? "books" : "empty"); }

  void Write(const fixture::CompanyImage& image, const fs::path& folder) {
    fixture::Problem problem;
    ASSERT_TRUE(fixture::WriteCompany(image, folder, fixture::WriteOptions{true}, &problem)) << problem.Text();
    dumps_[folder.string()] = Dump(folder);
  }

  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      const fs::path company = Folder(c.company);
      SCOPED_TRACE(std::to_string(c.command) + (c.company == Company::kBooks ? " on the books" : " on empty books") +
                   ", keys " + c.keys);
      std::vector<std::string> args;
      if (*c.param) args.push_back(std::string("/param:") + c.param);
      const qxtest::Run run = user_.Command(company.string(), c.command, c.keys, args);
      EXPECT_EQ(c.status, run.status) << run.transcript << run.errors;
      EXPECT_NE(std::string::npos, run.transcript.find(c.told)) << c.told << "\n" << run.transcript;
      const std::string after = Dump(company);
      std::string& before = dumps_[company.string()];
      EXPECT_EQ(before, after) << "the company was written";
      before = after;  // a later case is judged on its own
    }
  }

  qxtest::TempDir dir_{"qxexitstatus"};
  qxtest::ProgramUser user_{dir_ / "jobs", qxtest::BuiltProgramFiles(), kToday};
  std::map<std::string, std::string> dumps_;
};

TEST_F(ExitStatusTest, JournalsAndCashReports) {
  Check({
      {301, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {302, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {303, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {304, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {305, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {306, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {307, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {308, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {310, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {311, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {312, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {313, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {314, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {399, Company::kEmpty, kRun, "", 0, "message number: 197"},
      // An account not in the chart of accounts: nothing to print for it.
      {316, Company::kEmpty, "\"9999\" Enter F10 Enter Esc Esc", "", 4, "message number: 69"},
      // A journal's selection left with Esc prints nothing.
      {301, Company::kBooks, "Esc", "", 4, "(cancelled)"},
      {305, Company::kBooks, "Esc", "", 4, "(cancelled)"},
      {310, Company::kBooks, "Esc", "", 4, "(cancelled)"},
  });
}

TEST_F(ExitStatusTest, Postings) {
  Check({
      {320, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      {321, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      {322, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      {324, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      {325, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      {326, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      {327, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      {328, Company::kEmpty, "F10 Enter", "", 0, "message number: 197"},
      // Billing is refused while purchasing of the period is unposted.
      {325, Company::kBooks, "F10 Enter Enter Esc", "", 4,
       "Purchasing transactions of this period are still unposted."},
      // The options screen left with Esc posts nothing.
      {320, Company::kBooks, "Esc", "", 4, "(cancelled)"},
      {321, Company::kBooks, "Esc", "", 4, "(cancelled)"},
      {328, Company::kBooks, "Esc", "", 4, "(cancelled)"},
      // Backup first (outside this system), then the screen again, left.
      {320, Company::kBooks, "F9 Enter Esc", "", 4, "Backup and restore (command 602)"},
      // ... and the same detour, then nothing to post: the posting's own run
      // decides.
      {320, Company::kEmpty, "F9 Enter F10 Enter", "", 0, "message number: 197"},
  });
}

TEST_F(ExitStatusTest, ReceivablesAndPayablesReports) {
  Check({
      {329, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {336, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {337, Company::kEmpty, "", "input='default' output='aging.htm'", 0, "message number: 197"},
      {338, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {339, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {340, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {341, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {343, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {344, Company::kEmpty, "", "input='default' output='aging.htm'", 0, "message number: 197"},
      {345, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {346, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {347, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {349, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {394, Company::kEmpty, kRun, "", 0, "message number: 197"},
      // A 1099 run needs the name of its batch; so does the 1096.
      {348, Company::kEmpty, kRun, "", 4, "message number: 1905"},
      {375, Company::kEmpty, kRun, "", 4, "message number: 1905"},
      // A parameter string that cannot be used runs nothing.
      {338, Company::kBooks, "", "input='default' sortfld='Shoe Size' output='d.htm'", 4, "message number: 2001"},
      {337, Company::kBooks, "Esc", "", 4, "(cancelled)"},
  });
}

TEST_F(ExitStatusTest, InventoryReports) {
  Check({
      {350, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {351, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {352, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {353, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {354, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {355, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {356, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {357, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {358, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {359, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {398, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {350, Company::kBooks, "Esc", "", 4, "(cancelled)"},
  });
}

TEST_F(ExitStatusTest, PeriodEndAndPeriodicProcessing) {
  Check({
      // A period with unposted work is never closed; nor a year whose periods
      // are open.
      {360, Company::kBooks, kRun, "", 4, "Transactions dated up to the end of this period are still unposted."},
      {362, Company::kEmpty, "Enter Enter Enter Esc", "", 4, "message number: 349"},
      // A budget is changed on its screen: the account list left, nothing.
      {361, Company::kEmpty, "Esc", "", 4, ""},
      {364, Company::kEmpty, kRun, "", 0, "message number: 197"},
      // No account to close: the end of period has nothing to do.
      {365, Company::kEmpty, kRun, "", 0, "message number: 1269"},
      {370, Company::kEmpty, kRun, "", 0, "message number: 1271"},
      {366, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {367, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {368, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {371, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {372, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {373, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {381, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {382, Company::kEmpty, kRun, "", 0, "message number: 197"},
      {383, Company::kEmpty, kRun, "", 0, "message number: 197"},
      // The year's statistics are rolled only when the question is answered
      // yes; with nothing on file the roll has nothing to do.
      {369, Company::kBooks, "N Enter Esc", "", 4, "message number: 1503"},
      {374, Company::kEmpty, "Enter Enter", "", 0, "message number: 1267"},
      {384, Company::kBooks, "N Enter Esc", "", 4, "message number: 1503"},
      {380, Company::kEmpty, "Enter Enter Enter Enter Enter Enter Enter Enter", "", 0, "message number: 197"},
      {380, Company::kBooks, "Esc Esc", "", 4, ""},
      {390, Company::kEmpty, kRun, "", 0, "message number: 197"},
      // No count is taken while billing, purchasing or assembly is unposted.
      {391, Company::kBooks, "Enter Enter", "", 4, "message number: 193"},
      {393, Company::kEmpty, kRun, "", 0, "message number: 197"},
  });
}

// Commands whose work lies outside this system, ids that name no command,
// and a sibling program that is not installed: none ran, whatever its
// group.  An id that names no command says so on standard error.
TEST_F(ExitStatusTest, ACommandThatDidNotRunExitsFourWhateverItsGroup) {
  Check({
      {111, Company::kEmpty, "Enter", "", 4, "Express setup (command 111) is not part of this system."},
      {121, Company::kEmpty, "Enter", "", 4, "Customers (command 121) is not part of this system."},
      {201, Company::kEmpty, "Enter", "", 4, "(command 201) is not part of this system."},
      {412, Company::kEmpty, "Enter", "", 4, "Trial balance (command 412) is not part of this system."},
      {502, Company::kEmpty, "Enter", "", 4, "(command 502) is not part of this system."},
      {602, Company::kEmpty, "Enter", "", 4, "Backup and restore (command 602) is not part of this system."},
      {102, Company::kEmpty, "Enter", "", 4, "(command 102) is not part of this system."},
      {323, Company::kEmpty, "Enter", "", 4, "message number: 1925"},
      {363, Company::kEmpty, "Enter", "", 4, "message number: 1925"},
      {395, Company::kEmpty, "Enter", "", 4, "message number: 1925"},
      {396, Company::kEmpty, "Enter", "", 4, "message number: 1925"},
      {397, Company::kEmpty, "Enter", "", 4, "message number: 1925"},
      {702, Company::kEmpty, "Enter", "", 4, "The program you chose is not installed"},
      // Help is this system's own: shown, it did its work.
      {105, Company::kEmpty, "Esc", "", 0, "Help: Contents"},
  });
  const fs::path company = Folder(Company::kEmpty);
  for (int id : {309, 315, 342, 392, 199, 499, 999, 7}) {
    SCOPED_TRACE(id);
    const qxtest::Run run = user_.Command(company.string(), id, "Enter", {});
    EXPECT_EQ(4, run.status) << run.transcript;
    const std::string told = "Command " + std::to_string(id) + " does not exist.";
    EXPECT_NE(std::string::npos, run.errors.find(told)) << run.errors;
    EXPECT_NE(std::string::npos, run.transcript.find(told)) << run.transcript;
  }
  // Without a terminal or a key script the same is told once.
  const qxtest::Run job = user_.CommandWithoutKeys(company.string(), 999, {});
  EXPECT_EQ(4, job.status);
  EXPECT_EQ("qxa15: Command 999 does not exist.\n", job.errors);
}

}  // namespace
