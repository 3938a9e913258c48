// Command-only runs of the main program, as a scheduled job makes them:
//   qxa15 <company> /only /cmd:<id> [/param:...]
// from a program tree laid out as the installation lays it out, started in a
// folder of the user's.  The exit status tells whether the command did its
// work (0) or not (4); a parameter string never writes a file outside the
// user's folder, and a saved run never writes one at all; a damaged company
// is told as damaged, and nothing is written to it.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/access.h"
#include "qxabase/app_block.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "qxtest/stored_records.h"
#include "records/dictionary.h"
#include "records/transactions.h"

namespace {

namespace fs = std::filesystem;

const std::string kFixture = std::string(QX_DISPATCH_FIXTURES) + "/command_only_company.json";
constexpr char kToday[] = "2025-03-31";

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every report file under `folder`, wherever it was written.
std::vector<std::string> HtmlFilesUnder(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".htm") != std::string::npos) found.push_back(entry.path().string());
  }
  return found;
}

class CommandOnlyTest : public ::testing::Test {
 protected:
  void SetUp() override { Load(company_); }
  void Load(const fs::path& folder) {
    fixture::Problem problem;
    ASSERT_TRUE(fixture::LoadFixture(kFixture, folder, fixture::WriteOptions{true}, &problem)) << problem.Text();
  }
  qxtest::Run Command(int command, const std::string& param, const std::string& keys = "",
                      const fs::path& company = fs::path()) const {
    std::vector<std::string> args;
    if (!param.empty()) args.push_back("/param:" + param);
    return user_.Command((company.empty() ? company_ : company).string(), command, keys, args);
  }

  qxtest::TempDir dir_{"qxcmdonly"};
  fs::path company_ = dir_ / "company";
  // The user's folder is <dir>/jobs/user: "../" leads to <dir>/jobs, "../../" to <dir>.
  qxtest::ProgramUser user_{dir_ / "jobs", qxtest::BuiltProgramFiles(), kToday};
};

TEST_F(CommandOnlyTest, ASavedRunNeverChoosesAFileAndNoOutputLeavesTheUsersFolder) {
  // Every command that takes a parameter string, with the pairs it needs to
  // run without its screen.
  const struct {
    int command;
    const char* pairs;
  } commands[] = {
      {301, ""}, {329, "cdno='C100' datebeg='01/01/25' dateend='03/31/25' "},
      {337, ""}, {338, ""}, {340, ""}, {344, ""}, {345, ""}, {350, ""}, {354, ""}, {359, ""},
  };
  for (const auto& c : commands) {
    const std::string id = std::to_string(c.command);
    SCOPED_TRACE(id);
    // A saved run: its output is not the user's choice, whichever command
    // gets it.
    Command(c.command, "input='usersel' " + std::string(c.pairs) + "output='../../saved-" + id + ".htm'");
    // A preset whose output leaves the folder the user started in: refused.
    const qxtest::Run left =
        Command(c.command, "input='default' " + std::string(c.pairs) + "output='../left-" + id + ".htm'");
    EXPECT_EQ(4, left.status) << left.transcript;
    EXPECT_NE(std::string::npos, left.transcript.find("lies outside the folder the program was started in"))
        << left.transcript;
    EXPECT_EQ(std::vector<std::string>{}, HtmlFilesUnder(dir_.path()));
  }

  // Inside the user's folder, by any road, and an absolute path the user
  // names, are the user's choice.
  const qxtest::Run inside = Command(337, "input='default' output='reports/../aging.htm'");
  EXPECT_EQ(0, inside.status) << inside.transcript;
  EXPECT_TRUE(fs::exists(user_.Folder() / "aging.htm"));
  const fs::path absolute = dir_ / "elsewhere.htm";
  EXPECT_EQ(0, Command(337, "input='default' output='" + absolute.string() + "'").status);
  EXPECT_TRUE(fs::exists(absolute));
}

TEST_F(CommandOnlyTest, TheExitStatusSaysWhetherTheCommandDidItsWork) {
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->companyPath, kFolderFieldSize, company_.c_str());
  BtrvHandle held = 0;
  const struct Case {
    const char* name;
    int command;
    std::string param, keys;
    int status;
    const char* told;  // what the transcript shows
    void (*before)(const fs::path& company, BtrvHandle* held);
  } cases[] = {
      {"ran", 337, "input='default' output='ran.htm'", "", 0, "report: written", nullptr},
      {"found nothing to age (197)", 337, "input='default' cvbeg='X100' cvend='X900' output='none.htm'", "", 0,
       "message number: 197", nullptr},
      {"a parameter string refused", 337, "input='default' sortfld='Shoe Size' output='bad.htm'", "", 4,
       "message number: 2001", nullptr},
      {"a range whose from is after its to", 337, "input='default' cvbeg='C200' cvend='C100'", "", 4,
       "message number: 205", nullptr},
      {"a date refused", 337, "input='default' closedate='02/30/25'", "", 4, "message number: 2001", nullptr},
      {"an output file in a folder that does not exist", 337, "input='default' output='nowhere/aging.htm'", "", 4,
       "does not exist", nullptr},
      {"a file held by another program", 337, "input='default' output='held.htm'", "", 4, "Error 85",
       [](const fs::path& company, BtrvHandle* h) {
         ASSERT_EQ(0, BtrvOpen(h, (company / "customers").c_str(), kOpenExclusive, 0));
       }},
      {"the command running in another program", 337, "input='default' output='locked.htm'", "", 4,
       "message number: 1933", [](const fs::path&, BtrvHandle*) { ASSERT_EQ(1, CommandAccess(1, 337)); }},
      {"a command outside this system", 323, "", "", 4, "message number: 1925", nullptr},
      {"posted", 320, "", "F10 Enter", 0, "2 transactions posted.", nullptr},
      {"nothing left to post", 320, "", "F10 Enter", 0, "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.before) c.before(company_, &held);
    const qxtest::Run run = Command(c.command, c.param, c.keys);
    if (held) BtrvClose(held);
    held = 0;
    CommandAccess(0, 337);
    EXPECT_EQ(c.status, run.status) << run.transcript << run.errors;
    EXPECT_NE(std::string::npos, run.transcript.find(c.told)) << run.transcript;
  }
  // Only the runs that did their work wrote their report.
  std::vector<std::string> written;
  for (const std::string& file : HtmlFilesUnder(user_.Folder())) written.push_back(fs::path(file).filename());
  EXPECT_EQ(std::vector<std::string>{"ran.htm"}, written);
  BtrvReset();
}

// A scheduled job has no terminal: a command that runs from its parameter
// string does its work and says nothing; one whose screen waits for keys,
// or whose question nobody answers, did not, and says why on standard error.
TEST_F(CommandOnlyTest, WithoutATerminalAScreenThatWaitsForKeysIsACommandNotRun) {
  const auto run = [&](int command, const std::string& param) {
    std::vector<std::string> args;
    if (!param.empty()) args.push_back("/param:" + param);
    return user_.CommandWithoutKeys(company_.string(), command, args);
  };
  constexpr char kWaits[] = "a screen waits for keys and there is no terminal";
  const auto posted = [&] {
    int n = 0;
    for (const auto& h : qxtest::StoredRecords<records::TagGLHeader>(company_, records::kFileGLHeaders))
      n += h.postedFlag == 'Y';
    return n;
  };
  const int postedBefore = posted();

  const qxtest::Run aging = run(337, "input='default' output='aging.htm'");
  EXPECT_EQ(0, aging.status) << aging.errors;
  EXPECT_EQ(std::string::npos, aging.errors.find(kWaits)) << aging.errors;
  EXPECT_TRUE(fs::exists(user_.Folder() / "aging.htm"));

  const qxtest::Run none = run(337, "input='default' cvbeg='X100' cvend='X900' output='none.htm'");
  EXPECT_EQ(0, none.status) << none.errors;
  EXPECT_NE(std::string::npos, none.errors.find("qxa15: ")) << "the 197 box is told: " << none.errors;

  const qxtest::Run refused = run(337, "input='default' sortfld='Shoe Size' output='bad.htm'");
  EXPECT_EQ(4, refused.status) << refused.errors;
  EXPECT_NE(std::string::npos, refused.errors.find("The report is not run.")) << refused.errors;

  const qxtest::Run posting = run(320, "");
  EXPECT_EQ(4, posting.status) << posting.errors;
  EXPECT_NE(std::string::npos, posting.errors.find(kWaits)) << posting.errors;
  EXPECT_EQ(postedBefore, posted()) << "nothing was posted";
  // The same posting with its keys posts (the fixture has transactions to post).
  EXPECT_EQ(0, Command(320, "", "F10 Enter").status);
  EXPECT_LT(postedBefore, posted());
}

TEST_F(CommandOnlyTest, ADamagedCompanyIsToldAsDamagedAndNothingIsWritten) {
  const auto overwritePageHolding = [](const std::string& text) {
    return [text](const fs::path& database) {
      std::string bytes = ReadBytes(database);
      const std::size_t at = bytes.find(text);
      ASSERT_NE(std::string::npos, at) << text;
      const std::size_t page = at / 4096 * 4096;
      std::fstream f(database, std::ios::in | std::ios::out | std::ios::binary);
      f.seekp(static_cast<std::streamoff>(page));
      f << std::string(4096, '\xA5');
    };
  };
  const auto truncateTo = [](std::uintmax_t size) {
    return [size](const fs::path& database) { fs::resize_file(database, size); };
  };
  const struct Case {
    const char* name;
    int command;  // 337 reads the customers, 320 posts the G/L transactions
    std::function<void(const fs::path& database)> damage;
  } cases[] = {
      {"cut to nothing", 337, truncateTo(0)},
      {"cut inside its header", 320, truncateTo(100)},
      {"cut after its first page", 337, truncateTo(4096)},
      {"cut in half", 320, [](const fs::path& db) { fs::resize_file(db, fs::file_size(db) / 2); }},
      {"its first page overwritten", 337, overwritePageHolding("SQLite format 3")},
      {"the page of the customers overwritten", 337, overwritePageHolding("Acme Supply")},
      {"the page of the G/L transactions overwritten", 320, overwritePageHolding("March rent")},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path company = dir_ / ("damaged" + std::to_string(n++));
    Load(company);
    const fs::path database = company / kRecordDatabaseName;
    c.damage(database);
    const std::string before = ReadBytes(database);
    const qxtest::Run run = c.command == 320 ? Command(320, "", "F10 Enter", company)
                                             : Command(337, "input='default' output='aging.htm'", "", company);
    EXPECT_EQ(4, run.status) << run.transcript << run.errors;
    for (const std::string& told : {std::string("the company's database is damaged"), database.string()})
      EXPECT_NE(std::string::npos, run.transcript.find(told)) << told << "\n" << run.transcript;
    EXPECT_EQ(before, ReadBytes(database)) << "the damaged company was written to";
    EXPECT_EQ(std::vector<std::string>{}, HtmlFilesUnder(dir_.path()));
  }
}

TEST_F(CommandOnlyTest, AnAmountNoReportCanHoldStopsTheRunWithoutTotals) {
  // Bytes no entry makes: a number far beyond any amount, as overwritten
  // bytes leave it.
  double huge = 1e300;
  const std::string hex = fixture::ToHex({reinterpret_cast<const std::uint8_t*>(&huge), sizeof huge});
  std::ifstream in(kFixture);
  fixture::Json damaged = fixture::Json::parse(in);
  damaged["files"]["ar_open_invoices"][0]["amount"] = fixture::Json{{"hex", hex}};
  damaged["files"]["gl_lines"][2]["amount"] = fixture::Json{{"hex", hex}};
  fixture::CompanyImage image;
  fixture::Problem problem;
  ASSERT_TRUE(fixture::ParseFixture(damaged, &image, &problem)) << problem.Text();
  ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();

  const struct {
    int command;
    std::string param, keys;
    std::vector<std::string> told;
  } cases[] = {
      {337, "input='default' output='aging.htm'", "", {"ar_open_invoices", "C100 A-40", "amount 1e+300"}},
      {320, "", "F10 Enter", {"gl_lines", "GJ 1002", "amount 1e+300"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const qxtest::Run run = Command(c.command, c.param, c.keys);
    EXPECT_EQ(4, run.status) << run.transcript;
    EXPECT_NE(std::string::npos, run.transcript.find("a record holds an amount that cannot be right")) << run.transcript;
    for (const std::string& told : c.told) EXPECT_NE(std::string::npos, run.transcript.find(told)) << told;
    EXPECT_EQ(std::string::npos, run.transcript.find("transactions posted")) << run.transcript;
  }
  EXPECT_EQ(std::vector<std::string>{}, HtmlFilesUnder(dir_.path()));
  // Nothing was posted.
  fixture::CompanyImage after;
  ASSERT_TRUE(fixture::ReadCompany(company_, {}, &after, &problem)) << problem.Text();
  EXPECT_EQ(image.files[records::kFileGLHeaders], after.files[records::kFileGLHeaders]);
  EXPECT_EQ(image.files[records::kFileGLAccounts], after.files[records::kFileGLAccounts]);
  EXPECT_EQ(image.files[records::kFileGLLines], after.files[records::kFileGLLines]);
}

TEST_F(CommandOnlyTest, ACompanyWithoutItsLockFileGetsItBackAndRuns) {
  // The lock file holds no records, only what running programs tell each
  // other: a company copied without it is whole.
  fs::remove(company_ / "qxrecords.lock");
  const qxtest::Run run = Command(320, "", "F10 Enter");
  EXPECT_EQ(0, run.status) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("2 transactions posted.")) << run.transcript;
  EXPECT_TRUE(fs::exists(company_ / "qxrecords.lock"));
}

TEST_F(CommandOnlyTest, ACompanyInAReadOnlyFolderIsRefusedAndNotWritten) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const std::string before = ReadBytes(company_ / kRecordDatabaseName);
  fs::permissions(company_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const qxtest::Run posting = Command(320, "", "F10 Enter");
  const qxtest::Run aging = Command(337, "input='default' output='aging.htm'");
  fs::permissions(company_, fs::perms::owner_write, fs::perm_options::add);
  for (const qxtest::Run* run : {&posting, &aging}) {
    EXPECT_EQ(4, run->status) << run->transcript;
    EXPECT_NE(std::string::npos, run->transcript.find("the operating system refused access")) << run->transcript;
  }
  EXPECT_EQ(before, ReadBytes(company_ / kRecordDatabaseName));
  EXPECT_EQ(std::vector<std::string>{}, HtmlFilesUnder(dir_.path()));
}

}  // namespace
