// The fixture of the tests that run the system's units on a company: a
// company folder of the test's own, written by the fixture loader from
// readable records, the application block pointed at it and at the base
// data of the source tree, and the units run on key scripts with their
// transcripts.
//
// Header only: a test that includes it links the base library (QxaBase), the
// screen library (ravadodo), the record-manager client (btrvc) and the
// fixture loader (qxfixture).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "qxtest/books.h"
#include "qxtest/files.h"
#include "qxtest/scripted_screen.h"
#include "qxtest/transcript.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace qxtest {

class CompanyTest : public ::testing::Test {
 public:
  // Adds `record` (a fixture record: field names and values) to the file
  // `file` ("customers", "gl_headers", ...) of the company WriteCompany writes.
  void Add(const std::string& file, fixture::Json record) { fixture_["files"][file].push_back(std::move(record)); }

 protected:
  // `today`: the date every scripted run takes as today.
  explicit CompanyTest(std::int32_t today = TestToday()) : screen_(dir_, today) {}

  // A fresh application block naming the company folder <folder>/company
  // and the base data of the source tree; the text store and the record
  // manager's fault switch cleared; today fixed; what screens remember for
  // the user kept in <folder>/state.
  void SetUp() override {
    ::setenv("XDG_STATE_HOME", State().c_str(), 1);
    SharedAppBlock* app = SharedAppBlockGet();
    *app = SharedAppBlock{};
    AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, SourceDataFolder().c_str());
    AppBlockTextSet(app->companyPath, kFolderFieldSize, company_.c_str());
    TextStoreReset();
    BtrvTestSwitch("");
    DateSetToday(Today());
  }
  // Every record-manager handle and every window is dropped; the folder goes
  // with the test.
  void TearDown() override {
    BtrvTestSwitch("");
    BtrvReset();
    ScreenResetForTest("", nullptr);
  }

  // --- The company ---------------------------------------------------------------

  // The fixture WriteCompany writes: the records added so far ({"files": {...}}).
  fixture::Json& Fixture() { return fixture_; }
  // Starts the fixture again from a fixture file.
  void UseFixtureFile(const std::string& path) {
    std::ifstream in(path);
    fixture_ = fixture::Json::parse(in, nullptr, false);
    ASSERT_FALSE(fixture_.is_discarded()) << "cannot read " << path;
    written_ = false;
  }
  // Writes the company folder from the fixture, replacing what it held.
  void WriteCompany() {
    fixture::CompanyImage image;
    fixture::Problem problem;
    ASSERT_TRUE(fixture::ParseFixture(fixture_, &image, &problem)) << problem.Text();
    WriteImage(image);
  }
  // The company of a fixture text.
  void LoadFixture(fixture::Json fixture) {
    fixture_ = std::move(fixture);
    WriteCompany();
  }
  // The company of a fixture file, with the records of `extra` ({"file":
  // [records]}) added.
  void LoadFixtureFile(const std::string& path, const fixture::Json& extra = fixture::Json::object()) {
    UseFixtureFile(path);
    for (auto it = extra.begin(); it != extra.end(); ++it)
      for (const fixture::Json& record : it.value()) Add(it.key(), record);
    WriteCompany();
  }
  // The company of records already encoded (the sample company).  What the
  // user's screens remembered for the company it replaces goes with it.
  void WriteImage(const fixture::CompanyImage& image) {
    std::filesystem::remove_all(State());
    fixture::Problem problem;
    ASSERT_TRUE(fixture::WriteCompany(image, company_, fixture::WriteOptions{true}, &problem)) << problem.Text();
    written_ = true;
  }
  // Every record of the files `files` (all files when none is named) as
  // stored, by file, in the order written.  Read through this process's
  // connection: take it when no unit holds a transaction open.
  fixture::CompanyImage Snapshot(std::initializer_list<int> files = {}) {
    fixture::CompanyImage image;
    fixture::Problem problem;
    const std::vector<int> numbers(files);
    EXPECT_TRUE(fixture::ReadCompany(company_, numbers, &image, &problem)) << problem.Text();
    return image;
  }

  // The accountant's invariants over the company as stored (qxtest/books.h):
  // every posted G/L transaction balanced, the trial balance, the control
  // accounts equal to their subledgers.  Take it when no unit holds a
  // transaction open.
  BooksReport CheckBooks() {
    const std::string dump = File("books.json");
    {
      std::ofstream out(dump);
      // The files the invariants read.
      fixture::WriteFixture(Snapshot({records::kFileSettings, records::kFileGLAccounts, records::kFileGLHeaders,
                                      records::kFileGLLines, records::kFileCustomers, records::kFileVendors,
                                      records::kFileProducts}),
                            out);
    }
    return CheckBooksDump(dump);
  }

  // --- Scripted runs --------------------------------------------------------------

  // Starts the script device on `keys` with a new transcript.
  void Start(const std::string& keys) {
    ++runs_;
    screen_.Start(keys);
  }
  // Ends the run: its transcript.
  std::string Finish() { return screen_.Finish(); }

  struct Run {
    int result = -1;
    std::string transcript;
    std::vector<int> messages;  // the numbers of the messages shown, in order
  };
  // Runs `entry` (returning the unit's result) on the key script `keys`,
  // with the system settings read afresh, writing the company first when it
  // has not been written.
  template <class Entry>
  Run RunScripted(const std::string& keys, Entry entry) {
    if (!written_) WriteCompany();
    Start(keys);
    SettingsRefresh(0, 0);
    Run run;
    run.result = entry();
    run.transcript = Finish();
    run.messages = MessageNumbers(run.transcript);
    return run;
  }

  std::int32_t Today() const { return screen_.today(); }
  // The path of `name` in the test's folder.
  std::string File(const std::string& name) const { return folder_.File(name); }

  TempDir folder_{"qxcompany"};
  std::string dir_ = folder_.path().string();
  std::string company_ = dir_ + "/company";
  std::string State() const { return dir_ + "/state"; }
  fixture::Json fixture_ = fixture::Json{{"files", fixture::Json::object()}};
  bool written_ = false;
  int runs_ = 0;  // the scripted runs started so far
  ScriptedScreen screen_;
};

}  // namespace qxtest
