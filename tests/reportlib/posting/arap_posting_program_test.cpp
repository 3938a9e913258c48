// Receivables and payables posting as a user runs them: the main program
// started on the company of fixtures/arap_post_company.json with command
// 321 or 322, from a program tree laid out as the installation lays it out,
// keys read from a key script.  The run is answered as the accountant would
// (the problems skipped, the summary read) and the books read back.
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixture/company.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "qxtest/stored_records.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

using std::filesystem::path;

template <class Record>
std::vector<Record> All(const path& company, int fileNo) {
  return qxtest::StoredRecords<Record>(company, fileNo);
}

TEST(ArApPostingProgramTest, BothLedgersArePostedFromTheMenuCommand) {
  struct Case {
    const char* command;
    const char* keys;  // the company opened, F10, the problems skipped, the summary read
    const char* summary;
    int headers, parties;
    std::map<std::string, double> balances;
  };
  const Case cases[] = {
      {"/cmd:321", "Enter F10 Left Enter Left Enter Enter", "5 transactions posted. Debits 855.00, credits 855.00.",
       records::kFileReceivablesHeaders, records::kFileCustomers,
       {{"ACME", 1625.00}, {"BETA", 450.00}, {"CASHCO", 0.00}}},
      {"/cmd:322", "Enter F10 Left Enter Enter", "3 transactions posted. Debits 2840.00, credits 2840.00.",
       records::kFilePayablesHeaders, records::kFileVendors, {{"RIVER", 2500.00}, {"OFFICE", 460.00}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    qxtest::TempDir dir;
    qxtest::ProgramTree tree(dir / "inst", qxtest::BuiltProgramFiles());
    const path company = dir / "company";
    fixture::Problem problem;
    ASSERT_TRUE(fixture::LoadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/arap_post_company.json", company,
                                     fixture::WriteOptions{true}, &problem))
        << problem.Text();
    const qxtest::Run run =
        qxtest::RunProgram({tree.Qxa15(), company.string(), c.command, "/only"}, c.keys,
                           {"XDG_CONFIG_HOME=" + (dir / "config").string(), "QX_TODAY=2025-03-15"}, dir.path());
    EXPECT_EQ(0, run.status) << run.errors << run.transcript;
    EXPECT_NE(std::string::npos, run.transcript.find(c.summary)) << run.transcript;
    std::map<std::string, double> balances;
    for (const records::CustVendRecord& r : All<records::CustVendRecord>(company, c.parties))
      balances[r.code] = r.balance;
    EXPECT_EQ(c.balances, balances);
    int posted = 0;
    for (const records::TagRecPayHeader& h : All<records::TagRecPayHeader>(company, c.headers))
      posted += h.postedFlag == 'Y';
    EXPECT_EQ(c.command == std::string("/cmd:321") ? 7 : 4, posted);
  }
}

}  // namespace
