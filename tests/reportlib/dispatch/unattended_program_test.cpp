// Scheduled jobs as they run the main program: command-only, no terminal,
//   qxa15 <company> /only /cmd:<id> /param:"input='default' ..."
// from a program tree laid out as the installation lays it out.  A preset
// whose key the report does not know is refused and runs nothing; what the
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

const std::string kFixture = std::string(QX_DISPATCH_FIXTURES) + "/command_only_company.json";
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

TEST_F(UnattendedTest, AKeyTheReportDoesNotKnowIsRefusedAndRunsNothing) {
  Load(kFixture);
  const struct {
    int command;
    const char* misspelt;  // the run with a key the report does not know
    const char* key;
    const char* spelt;     // the same run as the report spells it
  } reports[] = {
      {337, "cvbegin='C100' cvfin='C100'", "cvbegin", "cvbeg='C100' cvend='C100'"},
      {344, "cvbegin='V100'", "cvbegin", "cvbeg='V100'"},
      {338, "cvbegin='C100'", "cvbegin", "cvbeg='C100'"},
      {350, "psbegin='P-100'", "psbegin", "psbeg='P-100'"},
      {359, "psbegin='P-100'", "psbegin", "psbeg='P-100'"},
      {329, "cdno='C100' datefrom='01/01/25'", "datefrom", "cdno='C100' datebeg='01/01/25'"},
      {340, "cpbegin='P-100'", "cpbegin", "cpbeg='P-100'"},
      {301, "type='1' jrnlbegin='GJ'", "jrnlbegin", "type='1' jrnlbeg='GJ'"},
  };
  for (const auto& r : reports) {
    const std::string id = std::to_string(r.command);
    SCOPED_TRACE(id);
    const qxtest::Run refused = Job(r.command, "input='default' " + std::string(r.misspelt) + " output='typo-" + id + ".htm'");
    EXPECT_EQ(4, refused.status) << refused.errors;
    EXPECT_NE(std::string::npos, refused.errors.find("\"" + std::string(r.key) + "\"")) << refused.errors;
    EXPECT_FALSE(Written("typo-" + id + ".htm"));

    const qxtest::Run ran = Job(r.command, "input='default' " + std::string(r.spelt) + " output='spelt-" + id + ".htm'");
    EXPECT_EQ(0, ran.status) << ran.errors;
  }
  // A saved run ("usersel") may come from a report an earlier version wrote,
  // with a key this one no longer has: it still runs (to the preview, which
  // a saved run always takes; Esc closes it).
  const qxtest::Run saved =
      user_.Command(company_.string(), 337, "Esc", {"/param:input='usersel' oldkey='1' cvbeg='C100' cvend='C100'"});
  EXPECT_EQ(0, saved.status) << saved.transcript << saved.errors;
  EXPECT_NE(std::string::npos, saved.transcript.find("Customer/Vendor Aging")) << saved.transcript;
}

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
