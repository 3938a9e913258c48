// Where a run goes when its report names no destination: the file a
// command run alone names for its reports (ReportOutputSet), the preview's
// "Save as HTML", and a run of one document per account, whose accounts
// each get a file of their own.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qxabase/report.h"
#include "qxabase/startup.h"
#include "report_test_support.h"

namespace {

using reporttest::ReadAll;

class ReportDestinationTest : public reporttest::ScriptedReportTest {
 protected:
  void SetUp() override {
    ScriptedReportTest::SetUp();
    StartFolderSet(dir_.path().c_str());
  }
  void TearDown() override {
    ScriptedReportTest::TearDown();
    ReportOutputSet(nullptr);
    StartFolderSet("");
  }

  // A run of `title` that names no destination, its one line `text`.
  int WriteRun(const char* title, const char* text) {
    info_ = TagRepInfo{};
    info_.reportPage = 1;
    if (!ReportOpen(&info_, title)) return -2;
    ReportWriteText(&info_, text, 0, 1);
    return ReportClose(&info_);
  }

  // A run of one document per account to the preview or to `html`: each
  // account's one line names it.  Returns the transcript.
  std::string WriteAccounts(const std::string& keys, const char* html, const std::vector<std::string>& accounts) {
    Start(keys);
    info_ = TagRepInfo{};
    if (html) {
      info_.destinationGiven = 1;
      info_.destination = kDestHtmlFile;
      std::snprintf(info_.filePath, sizeof info_.filePath, "%s", html);
    }
    info_.perAccount = 1;
    info_.reportPage = 1;  // a page of text lines, read back whole
    EXPECT_EQ(1, ReportOpen(&info_, "Statements"));
    for (const std::string& a : accounts) {
      if (AgingRecordTest(&info_, a.c_str())) {
        EXPECT_EQ(0, ReportClose(&info_));
        EXPECT_EQ(1, ReportOpen(&info_, nullptr)) << a;
      }
      ReportWriteText(&info_, ("Statement of account " + a).c_str(), 0, 1);
      ReportNewPage(&info_);
    }
    EXPECT_EQ(0, ReportClose(&info_));
    return Transcript();
  }

  // The .htm files of the test's folder, by name.
  std::vector<std::string> HtmlFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      if (entry.path().extension() == ".htm") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string Html(const std::string& name) const { return ReadAll(dir_.File(name)); }
};

TEST_F(ReportDestinationTest, TheCommandsFileTakesEveryRunThatNamesNoDestinationOfItsOwn) {
  ReportOutputSet("job.htm");
  const std::size_t before = ReportFilesWritten().size();
  ASSERT_EQ(0, WriteRun("First", "the first run"));
  ASSERT_EQ(0, WriteRun("Second", "the second run"));
  // A run that names its own file keeps it.
  info_ = TagRepInfo{};
  info_.destinationGiven = 1;
  info_.destination = kDestTextFile;
  std::snprintf(info_.filePath, sizeof info_.filePath, "%s", "own.txt");
  ASSERT_EQ(1, ReportOpen(&info_, "Own"));
  ReportWriteText(&info_, "its own file", 0, 1);
  ASSERT_EQ(0, ReportClose(&info_));

  EXPECT_EQ((std::vector<std::string>{"job-2.htm", "job.htm"}), HtmlFiles());
  EXPECT_NE(std::string::npos, Html("job.htm").find("the first run"));
  EXPECT_NE(std::string::npos, Html("job-2.htm").find("the second run"));
  EXPECT_NE(std::string::npos, ReadAll(dir_.File("own.txt")).find("its own file"));
  const std::vector<std::string> written(ReportFilesWritten().begin() + static_cast<long>(before),
                                         ReportFilesWritten().end());
  EXPECT_EQ((std::vector<std::string>{dir_.File("job.htm"), dir_.File("job-2.htm"), dir_.File("own.txt")}), written);

  // A name without ".htm" is a text file; with no name the preview is back.
  ReportOutputSet("job");
  ASSERT_EQ(0, WriteRun("Text", "as text"));
  EXPECT_EQ("as text\n", ReadAll(dir_.File("job")).substr(0, 8));
  ReportOutputSet(nullptr);
  Start("Esc");
  ASSERT_EQ(0, WriteRun("Shown", "in the preview"));
  EXPECT_NE(std::string::npos, Transcript().find("report: Shown -> preview"));
}

TEST_F(ReportDestinationTest, TheCommandsFileInAFolderThatDoesNotExistIsRefusedAtOpen) {
  ReportOutputSet("gone/job.htm");
  EXPECT_EQ(-2, WriteRun("First", "the first run"));
  EXPECT_NE(std::string::npos, Transcript().find(dir_.File("gone") + " does not exist"));
  EXPECT_TRUE(HtmlFiles().empty());
}

// A relative name of the command's file stays in the folder the program
// was started in: one that climbs out of it, or names the folder itself,
// is refused at open and nothing is written.
TEST_F(ReportDestinationTest, TheCommandsFileMayNotLeaveTheStartFolder) {
  const std::filesystem::path inside = dir_.path() / "in";
  std::filesystem::create_directories(inside / "sub");
  StartFolderSet(inside.c_str());
  constexpr const char* kOutside = "it lies outside the folder the program was started in.";
  const struct {
    const char* name;
    const char* refusal;  // null: written
  } cases[] = {
      {"../job.htm", kOutside}, {"sub/../../job.htm", kOutside}, {"sub/..", "it is a folder."},
      {".", "it is a folder."},  {"sub/../job.htm", nullptr},      {"./sub/job.htm", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start("");
    ReportOutputSet(c.name);
    const int result = WriteRun("Aging", "a line");
    const std::string transcript = Transcript();
    EXPECT_EQ(c.refusal ? -2 : 0, result) << transcript;
    if (c.refusal) {
      EXPECT_NE(std::string::npos, transcript.find(c.refusal)) << transcript;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("job.htm")));
  EXPECT_TRUE(std::filesystem::exists(inside / "job.htm"));
  EXPECT_TRUE(std::filesystem::exists(inside / "sub" / "job.htm"));
}

TEST_F(ReportDestinationTest, EachAccountOfARunOfAccountsGetsAnHtmlFileOfItsOwn) {
  // Codes that are no file name: their other characters become '_', and a
  // name met again takes a number.
  const std::string t = WriteAccounts("", "st.htm", {"A100", "B/2", "B_2"});
  EXPECT_EQ((std::vector<std::string>{"st-A100.htm", "st-B_2-2.htm", "st-B_2.htm"}), HtmlFiles())
      << "the run's own file holds no account and is not written\n" << t;
  EXPECT_NE(std::string::npos, Html("st-A100.htm").find("Statement of account A100"));
  EXPECT_EQ(std::string::npos, Html("st-A100.htm").find("Statement of account B"));
  EXPECT_NE(std::string::npos, Html("st-B_2.htm").find("Statement of account B/2"));
  EXPECT_NE(std::string::npos, Html("st-B_2-2.htm").find("Statement of account B_2"));
  EXPECT_NE(std::string::npos, t.find("written " + dir_.File("st-A100.htm") + " (1 page)")) << t;
  // Written to the command's file, the accounts name their files after it.
  ReportOutputSet("job.htm");
  WriteAccounts("", nullptr, {"C1", "C2"});
  EXPECT_NE(std::string::npos, Html("job-C1.htm").find("Statement of account C1"));
  EXPECT_NE(std::string::npos, Html("job-C2.htm").find("Statement of account C2"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("job.htm")));
}

TEST_F(ReportDestinationTest, ThePreviewSavesTheReportAsAnHtmlFile) {
  // F8 offers a name made of the title; a name without ".htm" takes it.
  Start("F8 Enter F8 \"mine\" Enter Esc");
  ASSERT_EQ(0, WriteRun("Customer Balances", "what the preview shows"));
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("File: customer-balances.htm")) << t;
  EXPECT_EQ((std::vector<std::string>{"customer-balances.htm", "mine.htm"}), HtmlFiles());
  EXPECT_NE(std::string::npos, Html("mine.htm").find("what the preview shows"));
  EXPECT_NE(std::string::npos, Html("mine.htm").find("<title>Customer Balances</title>"));
  EXPECT_EQ(dir_.File("mine.htm"), ReportFilesWritten().back()) << "saved files are among the files written";

  // A folder that does not exist: the message names the file, nothing is written.
  Start("F8 \"gone/mine\" Enter Enter Esc");
  ASSERT_EQ(0, WriteRun("Customer Balances", "what the preview shows"));
  EXPECT_NE(std::string::npos, Transcript().find("could not be saved to the file"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("gone")));
}

TEST_F(ReportDestinationTest, ThePreviewOfARunOfAccountsSavesAFilePerAccount) {
  const std::string t = WriteAccounts("F8 \"st.htm\" Enter Esc", nullptr, {"C1", "C2"});
  EXPECT_NE(std::string::npos, t.find("report: Statements -> preview")) << t;
  EXPECT_EQ((std::vector<std::string>{"st-C1.htm", "st-C2.htm"}), HtmlFiles()) << t;
  EXPECT_NE(std::string::npos, Html("st-C1.htm").find("Statement of account C1"));
  EXPECT_EQ(std::string::npos, Html("st-C1.htm").find("Statement of account C2"));
  EXPECT_NE(std::string::npos, Html("st-C2.htm").find("Statement of account C2"));
  EXPECT_NE(std::string::npos, Html("st-C2.htm").find("1 page")) << "each file counts its own pages";
}

}  // namespace
