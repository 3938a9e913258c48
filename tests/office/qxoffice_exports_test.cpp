// libQxOffice.so as its callers use it: the failure result of every
// operation, and the messages that reach the host.
#include "qxoffice.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

int Collect(void* context, const char* text, unsigned int, unsigned int) {
  static_cast<std::vector<std::string>*>(context)->emplace_back(text);
  return QXOFFICE_IDOK;
}

// A connection to a new workbook in a folder of its own, with the library's
// messages collected.
class Connection : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("qxoffice-exports-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    QxOfficeSetMessageHook(&Collect, &messages_);
    request_ = NewRequest(folder_ / "book.xlsx");
    request_.operation = 2;
    ASSERT_EQ(QxExcelAutomation(&request_), 0);
    ASSERT_NE(int{request_.handle}, 0);
  }

  void TearDown() override {
    request_.operation = 3;
    QxExcelAutomation(&request_);
    QxOfficeSetMessageHook(nullptr, nullptr);
    fs::remove_all(folder_);
  }

  static SpreadsheetRequest NewRequest(const fs::path& path) {
    SpreadsheetRequest request;
    std::memset(&request, 0, sizeof request);
    const std::string text = path.string();
    std::memcpy(request.workbookPath, text.c_str(), std::min(text.size() + 1, sizeof request.workbookPath));
    std::strcpy(request.sheetFont.faceName, "Arial");
    request.sheetFont.size = 100;
    std::strcpy(request.cellFont.faceName, "Arial");
    request.cellFont.size = 100;
    request.row = 1;
    request.column = 1;
    std::strcpy(request.cellText, "text");
    return request;
  }

  int Run(SpreadsheetRequest request, int operation) {
    request.operation = operation;
    return QxExcelAutomation(&request);
  }

  fs::path folder_;
  SpreadsheetRequest request_;
  std::vector<std::string> messages_;
};

struct FailureCase {
  const char* name;
  std::vector<int> operations;
  std::function<void(SpreadsheetRequest&)> change;
  int expected;  // for operation 5 the result is -1 wherever 0 is written here
  bool told;     // whether the user is told why
};

TEST_F(Connection, EveryFailurePathGivesItsFailureResult) {
  const std::vector<int> connected = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  const std::vector<int> cellOperations = {7, 8, 9, 13};
  const auto setEntry = [](SpreadsheetRequest& r, int column, int start, int end) {
    r.widthUsed[0] = 1;
    r.widthColumn[0] = static_cast<int16_t>(column);
    r.widthStart[0] = static_cast<int16_t>(start);
    r.widthEnd[0] = static_cast<int16_t>(end);
  };
  const std::vector<FailureCase> cases = {
      {"handle 0", connected, [](SpreadsheetRequest& r) { r.handle = 0; }, 0, false},
      {"a handle never issued", connected, [](SpreadsheetRequest& r) { r.handle += 1000; }, 0, false},
      {"an unknown operation", {0, 14, -1, 1000}, [](SpreadsheetRequest&) {}, 0, false},
      {"a sheet number above the count", {6}, [](SpreadsheetRequest& r) { r.sheetNumber = 2; }, 0, false},
      {"a sheet number far above", {6}, [](SpreadsheetRequest& r) { r.sheetNumber = 40000; }, 0, false},
      {"sheet number 0", {6}, [](SpreadsheetRequest& r) { r.sheetNumber = 0; }, 0, true},
      {"a negative sheet number", {6}, [](SpreadsheetRequest& r) { r.sheetNumber = -5; }, 0, true},
      {"column 257", cellOperations, [](SpreadsheetRequest& r) { r.column = 257; }, 0, false},
      {"row 0", cellOperations, [](SpreadsheetRequest& r) { r.row = 0; }, 0, false},
      {"a row past the sheet", cellOperations, [](SpreadsheetRequest& r) { r.row = 1048577; }, 0, false},
      {"freezing at row 0", {10, 11}, [](SpreadsheetRequest& r) { r.row = 0; }, 0, true},
      {"a width entry for column 0", {12}, [&](SpreadsheetRequest& r) { setEntry(r, 0, 1, 5); }, 0, false},
      {"a column wider than 255", {12}, [&](SpreadsheetRequest& r) { setEntry(r, 2, 0, 300); }, 0, true},
      {"font size 0", {7, 9}, [](SpreadsheetRequest& r) { r.cellFont.size = 0; }, 0, true},
      // 655460 tenths would wrap to 10 points in 16 bits.
      {"a font size beyond 16 bits", {7, 9}, [](SpreadsheetRequest& r) { r.cellFont.size = 655460; }, 0, true},
      {"an empty face name", {7, 9}, [](SpreadsheetRequest& r) { r.cellFont.faceName[0] = 0; }, 0, true},
      {"a border style outside 1..8", {13}, [](SpreadsheetRequest& r) {
         r.borderEdges = 0x20;
         r.borderStyle = 9;
       }, 0, true},
  };
  for (const FailureCase& c : cases) {
    for (int operation : c.operations) {
      SCOPED_TRACE(std::string(c.name) + ", operation " + std::to_string(operation));
      messages_.clear();
      SpreadsheetRequest request = request_;
      c.change(request);
      const int expected = operation == 5 ? -1 : c.expected;
      EXPECT_EQ(Run(request, operation), expected);
      EXPECT_EQ(!messages_.empty(), c.told);
    }
  }
  EXPECT_EQ(QxExcelAutomation(nullptr), 0);
  EXPECT_EQ(Run(request_, 5), 1);  // the connection is still whole
}

TEST_F(Connection, CloseFreesTheHandleOnce) {
  request_.operation = 3;
  EXPECT_EQ(QxExcelAutomation(&request_), 1);
  EXPECT_EQ(int{request_.handle}, 0);
  EXPECT_EQ(QxExcelAutomation(&request_), 0);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(Connection, ColumnWidthsLeaveTheLastEntrysCellInTheRequest) {
  request_.operation = 12;
  request_.row = 7;
  request_.column = 9;
  EXPECT_EQ(QxExcelAutomation(&request_), 1);  // an empty list does nothing
  EXPECT_EQ(int{request_.row}, 7);

  const int16_t entries[][3] = {{2, 0, 9}, {4, 3, 2}};  // column, start, end
  for (int i = 0; i < 2; ++i) {
    request_.widthColumn[i] = entries[i][0];
    request_.widthStart[i] = entries[i][1];
    request_.widthEnd[i] = entries[i][2];
    request_.widthUsed[i] = 1;
  }
  request_.lastRow = 5;
  request_.lastColumn = 5;
  EXPECT_EQ(QxExcelAutomation(&request_), 1);
  EXPECT_EQ(int{request_.row}, 1);
  EXPECT_EQ(int{request_.column}, 4);
  EXPECT_EQ(int{request_.lastRow}, 1);
  EXPECT_EQ(int{request_.lastColumn}, 1);
}

TEST_F(Connection, WithoutAHookMessagesGoToStandardError) {
  QxOfficeSetMessageHook(nullptr, nullptr);
  SpreadsheetRequest request = request_;
  request.cellFont.size = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run(request, 9), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Spreadsheet - Font size 0 is out of range: sizes run from 1 to 409 points.\n");
}

TEST_F(Connection, TheHookReadsCodePage437) {
  // "Café" in code page 437: the folder is made from its UTF-8 form.
  const fs::path missing = folder_ / "Caf\xC3\xA9";
  SpreadsheetRequest request = NewRequest(folder_ / "x");
  const std::string cp437 = (folder_ / "Caf\x82" / "book.xlsx").string();
  std::memcpy(request.workbookPath, cp437.c_str(), cp437.size() + 1);
  EXPECT_EQ(Run(request, 2), -2);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Spreadsheet - Cannot create a file in the folder \"" + (folder_ / "Caf\x82").string() +
                              "\": No such file or directory");
  // With the folder there, the UTF-8 name is the one written.
  fs::create_directory(missing);
  request.operation = 2;
  EXPECT_EQ(QxExcelAutomation(&request), 0);
  EXPECT_TRUE(fs::exists(missing / "book.xlsx"));
  EXPECT_EQ(Run(request, 3), 1);
}

}  // namespace
