// Scheduled jobs as they run the main program: command-only, no terminal,
//   qxa15 <company> /only /cmd:<id> /param:"input='default' ..."
// from a program tree laid out as the installation lays it out.  What the
// screen would have said goes to standard error, and to the transcript when
// QX_TRANSCRIPT names one, with or without a key script.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixture/company.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "qxtest/stored_records.h"
#include "records/dictionary.h"
#include "records/transactions.h"

namespace {

namespace fs = std::filesystem;

const std::string kJournalFixture = std::string(QX_JOURNAL_FIXTURES) + "/gl_company.json";

class UnattendedTest : public ::testing::Test {
 protected:
  void Load(const std::string& fixtureFile) {
    fixture::Problem problem;
    ASSERT_TRUE(fixture::LoadFixture(fixtureFile, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
  }
  qxtest::Run Job(int command, const std::string& param) const {
    return user_.CommandWithoutKeys(company_.string(), command, {"/param:" + param});
  }
  bool Written(const std::string& name) const { return fs::exists(user_.Folder() / name); }

  qxtest::TempDir dir_{"qxunattended"};
  fs::path company_ = dir_ / "company";
  qxtest::ProgramUser user_{dir_ / "jobs", qxtest::BuiltProgramFiles(), "2025-03-15"};
};

TEST_F(UnattendedTest, TheJournalsWarningsReachStandardErrorAndTheTranscript) {
  Load(kJournalFixture);
  const qxtest::Run run = Job(301, "input='default' output='journal.htm'");
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_TRUE(Written("journal.htm"));
  // Transaction 3002 is out of balance; a line of it is on account 9999,
  // which is not on file.
  for (const std::string* said : {&run.errors, &run.transcript}) {
    EXPECT_NE(std::string::npos, said->find("message 1351: Transaction 3002 of journal GJ is out of balance"))
        << *said;
    EXPECT_NE(std::string::npos, said->find("message 1355: Account 9999")) << *said;
  }
  // The headers printed are stamped, as a journal at the window stamps them.
  int stamped = 0;
  for (const auto& h : qxtest::StoredRecords<records::TagGLHeader>(company_, records::kFileGLHeaders))
    stamped += h.journalPrinted != 0;
  EXPECT_GT(stamped, 0);
}

}  // namespace
