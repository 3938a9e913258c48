// The record selection of statements, letters and labels: which accounts a
// pair of criteria chooses and in what order, the selection file of
// computed values, the " Record Selection " list driven by a key script,
// and the selection let go on every way out.
#include <string>
#include <utility>
#include <vector>

#include "btrvc.h"
#include "cv_output.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxtest/company_test.h"
#include "records/dictionary.h"

namespace {

struct Chosen {
  std::string code;
  int copies;
  bool operator==(const Chosen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Chosen& c) { return out << c.code << "x" << c.copies; }

// One end of a criterion as the screen builds it; "" is open.
struct Criterion {
  int field = kSelCode;
  const char* from = "";
  const char* to = "";
};

RangeKind KindOf(int field) {
  if (field == kSelInvoiceCount) return RangeKind::kCount;
  if (field == kSelLastSalesDate || field == kSelLastPaymentDate) return RangeKind::kDate;
  if (field == kSelCreditLimit || field == kSelSalesDollars || IsComputedCustVendField(field)) return RangeKind::kAmount;
  return RangeKind::kText;
}

class SelectionTest : public qxtest::CompanyTest {
 protected:
  SelectionTest() : qxtest::CompanyTest(DateMake(2025, 3, 31)) {}

  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    UseFixtureFile(QX_SOURCE_DIR "/tests/reportlib/common/fixtures/selection.json");
  }

  // Opens the files as the runs do and chooses with the criteria; the
  // accounts read, with their copies.
  std::vector<Chosen> Choose(Criterion first, Criterion second, char mode = 'R', const std::string& keys = "",
                             int* result = nullptr) {
    std::vector<Chosen> chosen;
    run_ = RunScripted(keys, [&] {
      FileSet files;
      EXPECT_EQ(0, FileSetOpen(&files, records::kFileCustomers, records::kFileReceivablesOpenInvoices,
                               records::kFileSettings, records::kFileSalespersons));
      params_ = CustVendOutputParams{};
      params_.menuId = kMenuCustomerLabels;
      params_.custVendHandle = files.handle[0];
      params_.openItemHandle = files.handle[1];
      params_.settingsHandle = files.handle[2];
      params_.custVendFileNo = records::kFileCustomers;
      params_.openItemFileNo = records::kFileReceivablesOpenInvoices;
      params_.runDate = Today();
      params_.copies = 1;
      params_.selectionMode = mode;
      Set(&params_.range1, first);
      Set(&params_.range2, second);
      const int status = SelectCustVendRecords(&params_);
      if (result) *result = status;
      indexMade_ = params_.indexMade;
      fileUsed_ = params_.selectionFileUsed;
      selectionPath_ = params_.selectionPath;
      if (status == 0) {
        int read = 0;
        do {
          chosen.push_back({std::string(params_.recordArea.record.code), params_.copies});
          read = ReadSelectedCustVend(kOpGetNext, &params_);
        } while (read == 0);
        EXPECT_EQ(kStatusEndOfFile, read);
      }
      CloseCustVendSelection(&params_);
      // A second close finds nothing left to undo.
      CloseCustVendSelection(&params_);
      return status;
    });
    return chosen;
  }

  static void Set(RangeCriterion* c, const Criterion& end) {
    ASSERT_EQ(kRangeOk, RangeCriterionSet(c, end.field, "", KindOf(end.field), *end.from ? end.from : nullptr,
                                          *end.to ? end.to : nullptr));
  }

  CustVendOutputParams params_{};
  Run run_;
  int indexMade_ = 0, fileUsed_ = 0;
  std::string selectionPath_;
};

TEST_F(SelectionTest, CriteriaChooseTheAccountsInTheOrderOfTheirField) {
  struct Case {
    const char* name;
    Criterion first, second;
    std::vector<std::string> codes;
    bool index, file;
  };
  const Case cases[] = {
      // The code range reads the file in its own order: no index, no file.
      {"code range", {kSelCode, "B200", "D400"}, {kSelCode}, {"B200", "C300", "D400"}, false, false},
      // Name ranked by code: the name orders the accounts.
      {"name ranked by code", {kSelName}, {kSelCode}, {"A100", "D400", "B200", "C300", "E500"}, true, false},
      {"code ranked by zip code", {kSelCode}, {kSelZipCode, "98370", "98370"}, {"A100", "C300", "D400", "E500"},
       true, false},
      // A blank from on a past-due amount means above zero.
      {"past due over 60", {kSelPastDueOver60, "0.01"}, {kSelCode}, {"A100"}, false, true},
      // Closing date balance from 0.01 without a to: every balance but zero,
      // in the order of the balances.
      {"balance not zero", {kSelClosingBalance, "0.01"}, {kSelCode}, {"B200", "A100", "D400"}, false, true},
      {"balance 100 to 250", {kSelClosingBalance, "100", "250"}, {kSelCode}, {"A100", "D400"}, false, true},
      // Without open items the credit available is the whole limit.
      {"credit available 1000", {kSelCreditAvailable, "1000", "1000"}, {kSelCode}, {"E500"}, false, true},
      {"credit available 350-400", {kSelCreditAvailable, "350", "400"}, {kSelCode}, {"B200", "A100"}, false, true},
      {"last sales date", {kSelLastSalesDate}, {kSelName, "A", "B"}, {"A100", "D400"}, false, true},
  };
  for (const Case& c : cases) {
    const std::vector<Chosen> chosen = Choose(c.first, c.second);
    std::vector<std::string> codes;
    for (const Chosen& x : chosen) codes.push_back(x.code);
    EXPECT_EQ(c.codes, codes) << c.name;
    EXPECT_EQ(c.index, indexMade_ != 0) << c.name;
    EXPECT_EQ(c.file, fileUsed_ != 0) << c.name;
    if (c.file) {
      EXPECT_NE(0, BtrvFileExists(selectionPath_.c_str())) << c.name << ": the selection file is left";
    }
  }
}

TEST_F(SelectionTest, NothingChosenIsMessage197) {
  int result = -1;
  EXPECT_TRUE(Choose({kSelPastDueOver60, "0.01"}, {kSelCode, "B"}, 'R', "", &result).empty());
  EXPECT_EQ(kStatusEndOfFile, result);
  EXPECT_EQ(std::vector<int>{197}, run_.messages);
}

TEST_F(SelectionTest, TheListMarksTheAccountsAndTheirCopies) {
  // Every account starts marked with one copy.  F3 unmarks A100 and moves
  // down; F8 twice gives B200 three copies; F7 cannot take C300 below one;
  // Down F3 unmarks D400; F10 prints.
  const std::vector<Chosen> chosen =
      Choose({kSelCode}, {kSelCode}, 'S', "F3 F8 F8 Down F7 Down F3 F10");
  EXPECT_EQ((std::vector<Chosen>{{"B200", 3}, {"C300", 1}, {"E500", 1}}), chosen);
  EXPECT_NE(std::string::npos, run_.transcript.find("Record Selection")) << run_.transcript;
  EXPECT_TRUE(fileUsed_);
  EXPECT_NE(0, BtrvFileExists(selectionPath_.c_str())) << "the selection file is deleted";
}

TEST_F(SelectionTest, CopiesStopAtTheFieldsLimit) {
  std::string keys;
  for (int i = 0; i < 120; ++i) keys += "F8 ";
  const std::vector<Chosen> chosen = Choose({kSelCode, "A100", "A100"}, {kSelCode}, 'S', keys + "F10");
  EXPECT_EQ((std::vector<Chosen>{{"A100", 99}}), chosen);
}

TEST_F(SelectionTest, UnmarkingEveryAccountChoosesNone) {
  int result = -1;
  EXPECT_TRUE(Choose({kSelCode}, {kSelCode}, 'S', "F3 F3 F3 F3 F3 F10", &result).empty());
  EXPECT_EQ(kStatusEndOfFile, result);
  EXPECT_EQ(std::vector<int>{197}, run_.messages);
}

TEST_F(SelectionTest, EscapeFromTheListLeavesNoFile) {
  int result = -1;
  EXPECT_TRUE(Choose({kSelCode}, {kSelCode}, 'S', "F3 Esc", &result).empty());
  EXPECT_EQ(27, result);
  EXPECT_NE(0, BtrvFileExists(selectionPath_.c_str()));
}

TEST_F(SelectionTest, AFailedInsertLeavesNoFile) {
  // The third insert into the selection file fails: the error is shown,
  // the file is closed and deleted.
  BtrvTestSwitch("fail=2:TEMPCSVD.DB:3:2");
  int result = -1;
  EXPECT_TRUE(Choose({kSelClosingBalance}, {kSelCode}, 'R', "Enter", &result).empty());
  EXPECT_EQ(2, result);
  EXPECT_NE(0, BtrvFileExists(selectionPath_.c_str()));
  EXPECT_NE(std::string::npos, run_.transcript.find("message box")) << run_.transcript;
}

// --- The account block and the criteria ----------------------------------------------------

TEST(SelectionCriterionTest, TextsIgnoreCaseAndOpenEndsPassEverything) {
  CustVendSelectionRecord r{};
  std::snprintf(r.record.name, sizeof r.record.name, "Lake View Farms");
  RangeCriterion c{};
  RangeCriterionSet(&c, kSelName, "", RangeKind::kText, "lake", "LAKE VIEW FARMS");
  EXPECT_TRUE(CustVendCriterionMatches(&c, &r));
  RangeCriterionSet(&c, kSelName, "", RangeKind::kText, "M", nullptr);
  EXPECT_FALSE(CustVendCriterionMatches(&c, &r));
  RangeCriterionSet(&c, kSelName, "", RangeKind::kText, nullptr, nullptr);
  EXPECT_TRUE(CustVendCriterionMatches(&c, &r));
  // A field the selection does not know passes.
  RangeCriterionSet(&c, 999, "", RangeKind::kText, "A", "B");
  EXPECT_TRUE(CustVendCriterionMatches(&c, &r));
}

}  // namespace
