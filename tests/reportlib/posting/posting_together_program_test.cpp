// Postings of two programs on the same company at once, as two users start
// them: the main program of a program tree in command-only mode on key
// scripts.  Postings share the general-ledger files, each opening them for
// itself alone; a posting that finds them held by another program waits for
// them, so that whichever program a command runs in, every transaction is
// posted exactly once.
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "daynumber.h"
#include "fixture/company.h"
#include "qxtest/books.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "qxtest/stored_records.h"
#include "qxtest/sample_company.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

namespace fs = std::filesystem;

template <class Record>
std::vector<Record> All(const fs::path& company, int fileNo) {
  return qxtest::StoredRecords<Record>(company, fileNo);
}

// What the postings leave: each account's balance, and the posted flag of
// every header of the general ledger, receivables and payables.
struct Books {
  std::map<std::string, double> balances;
  std::map<std::string, char> flags;  // by file, journal and number
};
Books BooksOf(const fs::path& company) {
  Books b;
  for (const auto& a : All<records::GLAccount>(company, records::kFileGLAccounts)) b.balances[a.code] = a.currentBalance;
  for (const auto& h : All<records::TagGLHeader>(company, records::kFileGLHeaders))
    b.flags["G/L " + std::string(h.journalCode) + " " + h.transactionNumber] = h.postedFlag;
  for (const int file : {records::kFileReceivablesHeaders, records::kFilePayablesHeaders})
    for (const auto& h : All<records::TagRecPayHeader>(company, file))
      b.flags[std::to_string(file) + " " + h.transactionNumber] = h.postedFlag;
  return b;
}

class PostingTogetherTest : public ::testing::Test {
 protected:
  qxtest::TempDir dir_;
  qxtest::ProgramTree tree_{dir_ / "inst", qxtest::BuiltProgramFiles()};
  const std::vector<std::string> env_ = {"XDG_CONFIG_HOME=" + (dir_ / "config").string(), "QX_TODAY=2025-03-15"};

  // The sample company of 03/15/25 in `folder`.
  void MakeCompany(const fs::path& folder) {
    static const fixture::CompanyImage image = qxtest::SampleCompany(daynum::FromCivil(2025, 3, 15));
    fs::remove_all(folder);
    fixture::Problem problem;
    ASSERT_TRUE(fixture::WriteCompany(image, folder, fixture::WriteOptions{true}, &problem)) << problem.Text();
  }
  // Runs `command` on `company` as the user of folder `user`: F10, the
  // summary read.
  qxtest::Run Post(const fs::path& company, int command, const std::string& user) {
    const fs::path work = dir_ / user;
    fs::create_directories(work);
    return qxtest::RunProgram({tree_.Qxa15(), company.string(), "/only", "/cmd:" + std::to_string(command)},
                              "F10 Enter", env_, work);
  }
};

// A posting started while another program holds its files waits for them
// and then posts, instead of giving up on "another user has the file open".
TEST_F(PostingTogetherTest, APostingWaitsForFilesAnotherProgramHolds) {
  const fs::path reference = dir_ / "reference";
  MakeCompany(reference);
  ASSERT_NE(std::string::npos, Post(reference, 320, "alone").transcript.find("transactions posted."));
  const fs::path company = dir_ / "company";
  MakeCompany(company);
  const records::FileDef* headers = records::FindFile(records::kFileGLHeaders);
  ASSERT_NE(nullptr, headers);
  BtrvHandle held = 0;
  ASSERT_EQ(0, BtrvOpen(&held, (company / headers->name).c_str(), kOpenExclusive, 0));
  qxtest::Run run;
  std::thread user([&] { run = Post(company, 320, "user"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  BtrvClose(held);
  BtrvReset();
  user.join();
  EXPECT_EQ(std::string::npos, run.transcript.find("Error 85")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("Waiting for another program")) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("transactions posted.")) << run.transcript;
  EXPECT_EQ(BooksOf(reference).flags, BooksOf(company).flags);
}

// Two programs each post the general ledger, receivables and payables (320,
// 321, 322), started together, again and again.  Whichever takes a command
// or its files first, the other waits or finds the command running: at the
// end every transaction is posted exactly once, the books as after the three
// postings run one after the other.
TEST_F(PostingTogetherTest, TwoProgramsStartedTogetherPostEverythingOnce) {
  constexpr int kCommands[] = {320, 321, 322};
  const fs::path reference = dir_ / "reference";
  MakeCompany(reference);
  for (const int command : kCommands) {
    const qxtest::Run run = Post(reference, command, "alone");
    ASSERT_NE(std::string::npos, run.transcript.find("transactions posted.")) << command << run.transcript;
  }
  const Books expected = BooksOf(reference);

  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const fs::path company = dir_ / "company";
    MakeCompany(company);
    std::vector<std::string> transcripts(2);
    std::vector<std::thread> users;
    for (int u = 0; u < 2; ++u)
      users.emplace_back([&, u] {
        for (const int command : kCommands) transcripts[u] += Post(company, command, "user" + std::to_string(u)).transcript;
      });
    for (std::thread& t : users) t.join();
    for (const std::string& t : transcripts) EXPECT_EQ(std::string::npos, t.find("Error 85")) << t;
    const Books books = BooksOf(company);
    EXPECT_EQ(expected.flags, books.flags) << transcripts[0] << transcripts[1];
    for (const auto& [code, balance] : expected.balances)
      EXPECT_NEAR(balance, books.balances.at(code), 0.001) << code << ": posted once";
    // The accountant's invariants over the company as the postings left it.
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ReadCompany(company, {}, &image, &problem)) << problem.Text();
    const std::string dump = (dir_ / "books.json").string();
    {
      std::ofstream out(dump);
      fixture::WriteFixture(image, out);
    }
    const qxtest::BooksReport report = qxtest::CheckBooksDump(dump);
    EXPECT_TRUE(report.hold) << report.report;
  }
}

}  // namespace
