// The request operations' own rules: cell names, the handles of the
// connection table, what a connection that cannot be made leaves behind, and
// what saving leaves open.
#include "spreadsheet_automation.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "automation/messages.h"
#include "cell_name.h"

namespace {

using qx::office::BundleTable;
using qx::office::Handle;
using qx::office::MakeCellName;
using qx::office::SpreadsheetAutomation;
namespace fs = std::filesystem;

TEST(CellName, NamesColumnsInLettersAndRowsInDigits) {
  const struct {
    int row, column;
    const char* name;
  } cases[] = {
      {1, 1, "A1"},       {1, 26, "Z1"},          {1, 27, "AA1"},           {1, 52, "AZ1"},
      {1, 53, "BA1"},     {7, 78, "BZ7"},         {65535, 256, "IV65535"}, {65536, 1, "A65536"},
      {1048576, 256, "IV1048576"},
  };
  for (const auto& c : cases) {
    std::string name;
    EXPECT_TRUE(MakeCellName(c.row, c.column, &name)) << c.name;
    EXPECT_EQ(name, c.name);
  }
  const struct {
    int row, column;
  } outside[] = {{1, 257}, {1, 0}, {0, 1}, {-1, 1}, {1048577, 1}};
  for (const auto& c : outside) {
    std::string name = "unchanged";
    EXPECT_FALSE(MakeCellName(c.row, c.column, &name)) << c.row << "," << c.column;
    EXPECT_EQ(name, "unchanged");
  }
  EXPECT_FALSE(MakeCellName(1, 1, nullptr));
}

TEST(BundleTable, IssuesRisingHandlesAndNeverZero) {
  BundleTable table;
  EXPECT_EQ(table.Create(), Handle{1});
  EXPECT_EQ(table.Create(), Handle{2});
  EXPECT_NE(table.Find(2), nullptr);
  EXPECT_EQ(table.Find(0), nullptr);
  EXPECT_EQ(table.Find(3), nullptr);
  EXPECT_TRUE(table.Free(1));
  EXPECT_FALSE(table.Free(1));
  EXPECT_FALSE(table.Free(0));
  EXPECT_EQ(table.Create(), Handle{3});  // a freed handle is not reissued while others remain
}

TEST(BundleTable, AfterAllHandlesTheCountWrapsPastZeroAndLiveHandles) {
  BundleTable table;
  std::set<Handle> issued;
  for (int i = 0; i < 65535; ++i) {
    const auto handle = table.Create();
    ASSERT_TRUE(handle.has_value()) << i;
    issued.insert(*handle);
  }
  EXPECT_EQ(issued.size(), 65535u);
  EXPECT_EQ(issued.count(0), 0u);
  EXPECT_FALSE(table.Create().has_value());  // every handle is open

  // Free all but handle 1: the count starts again at 1, which is open, so the
  // next handle is 2.
  for (Handle h = 2; h != 0; ++h) ASSERT_TRUE(table.Free(h));
  EXPECT_EQ(table.Create(), Handle{2});
  EXPECT_EQ(table.Create(), Handle{3});
  EXPECT_NE(table.Find(1), nullptr);
}

// Collects the messages of the automation layer for one test.
class Messages {
 public:
  Messages() {
    qx::automation::SetMessageSink([this](std::string_view text, unsigned, unsigned) {
      texts.emplace_back(text);
      return 1;
    });
  }
  ~Messages() { qx::automation::SetMessageSink({}); }
  std::vector<std::string> texts;
};

class OpenWorkbook : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("qxoffice-core-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    std::memset(&request_, 0, sizeof request_);
    request_.operation = 2;
    request_.handle = 4321;  // whatever the caller's record held
    SetPath(folder_ / "book.xlsx");
  }
  void TearDown() override { fs::remove_all(folder_); }

  void SetPath(const fs::path& path) {
    const std::string text = path.string();
    ASSERT_LT(text.size(), sizeof request_.workbookPath);
    std::memcpy(request_.workbookPath, text.c_str(), text.size() + 1);
  }

  fs::path folder_;
  SpreadsheetRequest request_;
  Messages messages_;
};

TEST_F(OpenWorkbook, FailsCleanlyWhenNoHandleIsFree) {
  SpreadsheetAutomation spreadsheets;
  while (spreadsheets.bundles().Create()) {
  }
  EXPECT_EQ(spreadsheets.Run(&request_), -2);
  EXPECT_EQ(int{request_.handle}, 4321);
  EXPECT_FALSE(fs::exists(folder_ / "book.xlsx"));
  EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(OpenWorkbook, ServerThatCannotStartFailsProbeAndOpenSilently) {
  SpreadsheetAutomation spreadsheets(
      [](qx::automation::DispatchPtr*) { return qx::automation::kClassNotFound; });
  request_.operation = 1;
  EXPECT_EQ(spreadsheets.Run(&request_), -1);
  request_.operation = 2;
  EXPECT_EQ(spreadsheets.Run(&request_), -2);
  EXPECT_EQ(spreadsheets.bundles().size(), 0u);  // the connection is released
  EXPECT_EQ(int{request_.handle}, 4321);
  EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(OpenWorkbook, FailingPartWayIsToldAndReleasesTheConnection) {
  SpreadsheetAutomation spreadsheets;
  SetPath(folder_ / "missing" / "book.xlsx");
  EXPECT_EQ(spreadsheets.Run(&request_), -2);
  EXPECT_EQ(spreadsheets.bundles().size(), 0u);
  EXPECT_EQ(int{request_.handle}, 4321);
  ASSERT_EQ(messages_.texts.size(), 1u);
  EXPECT_EQ(messages_.texts[0], "Spreadsheet - Cannot create a file in the folder \"" +
                                    (folder_ / "missing").string() + "\": No such file or directory");
}

TEST_F(OpenWorkbook, AnExistingFolderIsNotReplaced) {
  SpreadsheetAutomation spreadsheets;
  fs::create_directory(folder_ / "taken.xlsx");
  SetPath(folder_ / "taken.xlsx");
  EXPECT_EQ(spreadsheets.Run(&request_), -2);
  EXPECT_TRUE(fs::is_directory(folder_ / "taken.xlsx"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);  // no temporary left
  ASSERT_EQ(messages_.texts.size(), 1u);
  EXPECT_EQ(messages_.texts[0], "Spreadsheet - \"" + (folder_ / "taken.xlsx").string() + "\" is a folder.");
}

int OpenDescriptors() {
  return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

TEST_F(OpenWorkbook, SavingReleasesEveryFileItOpened) {
  SpreadsheetAutomation spreadsheets;
  const int before = OpenDescriptors();
  for (int cycle = 0; cycle < 200; ++cycle) {
    request_.operation = 2;
    ASSERT_EQ(spreadsheets.Run(&request_), 0) << cycle;
    request_.operation = 4;
    ASSERT_EQ(spreadsheets.Run(&request_), 1) << cycle;
    request_.operation = 3;
    ASSERT_EQ(spreadsheets.Run(&request_), 1) << cycle;
  }
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_TRUE(messages_.texts.empty());
}

// Lowers the limit of open files so that exactly `spare` more can be opened,
// for one test.
class OpenFileLimit {
 public:
  explicit OpenFileLimit(int spare) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    std::vector<int> probes;  // the lowest free descriptors
    for (int i = 0; i < spare; ++i) probes.push_back(::dup(0));
    struct rlimit lowered = saved_;
    lowered.rlim_cur = static_cast<rlim_t>(probes.back() + 1);
    for (const int fd : probes) ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  struct rlimit saved_ {};
};

TEST_F(OpenWorkbook, ASaveThatCannotOpenItsFilesSaysSoThroughTheHookAlone) {
  SpreadsheetAutomation spreadsheets;
  ASSERT_EQ(spreadsheets.Run(&request_), 0);
  request_.operation = 4;
  for (int sheet = 2; sheet <= 4; ++sheet) ASSERT_EQ(spreadsheets.Run(&request_), 1) << sheet;
  testing::internal::CaptureStderr();
  {
    // Three files to spare: the save's own file opens (and closes), the
    // temporary files of the first three sheets open, the fourth's cannot.
    OpenFileLimit limit(3);
    EXPECT_EQ(spreadsheets.Run(&request_), 0);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(messages_.texts.size(), 1u);
  EXPECT_TRUE(messages_.texts[0].starts_with("Spreadsheet - The workbook file could not be written: Too many open files"))
      << messages_.texts[0];
  EXPECT_NE(messages_.texts[0].find("tmpfile"), std::string::npos) << messages_.texts[0];  // the writer's own words
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);  // no temporary left

  // With files to spare again, the same connection saves.
  EXPECT_EQ(spreadsheets.Run(&request_), 1);
  request_.operation = 3;
  EXPECT_EQ(spreadsheets.Run(&request_), 1);
}

}  // namespace
