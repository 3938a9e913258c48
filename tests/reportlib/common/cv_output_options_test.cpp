// The output options screen of statements, letters and labels, driven by
// key scripts: the checks of its fields and of F10, the statement messages
// it stores in "0Statements" (and only there), the stock of a label run,
// and its text, form-settings and layout windows.
//
// The cursor order of a receivable statement's screen: 1 run date,
// 2 selection, 3 first range field, 4/5 its pair, 24 second range field,
// 25/26 its pair, 45 copies, 46 close up, 47 fully paid invoices, 48-55 the
// messages.  Labels: ... 45, 46, 56 stock, 57 fonts.
#include <cstring>
#include <string>
#include <vector>

#include "btrvc.h"
#include "cv_output.h"
#include "oemtext.h"
#include "qxabase/files.h"
#include "qxabase/letters.h"
#include "qxabase/settings.h"
#include "qxabase/text_merge.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace {

using fixture::Json;

class OutputOptionsTest : public qxtest::CompanyTest {
 protected:
  OutputOptionsTest() : qxtest::CompanyTest(DateMake(2025, 3, 31)) {}

  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, "ANNE");
    UseFixtureFile(QX_SOURCE_DIR "/tests/reportlib/common/fixtures/selection.json");
    Add("settings", Json{{"key", "0SysPrefs"}, {"rememberReportParams", "Y"}});
    Add("settings", Json{{"key", "0Statements"},
                         {"lines", Json::array({"Kept line zero", "Kept line one", "Thanks", "", "Late", "", "Later",
                                                "", "Latest", ""})}});
  }

  // Runs the screen of `menu` on `keys`; the result, with the parameters
  // it left in params_.
  Run Options(int menu, const std::string& keys) {
    return RunScripted(keys, [&] {
      SharedAppBlockGet()->currentCommand = menu;
      const bool customers = menu == kMenuCustomerStatements || menu == kMenuCustomerLabels ||
                             menu == kMenuCustomerLetters;
      FileSet files;
      EXPECT_EQ(0, FileSetOpen(&files, customers ? records::kFileCustomers : records::kFileVendors,
                               customers ? records::kFileReceivablesOpenInvoices : records::kFilePayablesOpenInvoices,
                               records::kFileSettings, records::kFileSalespersons));
      Window window{};
      const bool labels = menu == kMenuCustomerLabels || menu == kMenuVendorLabels;
      const bool statements = menu == kMenuCustomerStatements || menu == kMenuVendorStatements;
      std::snprintf(window.reportId, sizeof window.reportId, "%s",
                    labels ? "RSCVLabels" : statements ? "RSARSTATEMENT" : "RSCVLetters");
      EXPECT_EQ(0, WinOpen(&window, 1, 1, statements ? 23 : 17, 75, 1, 1, ' ', " Options "));
      params_ = CustVendOutputParams{};
      params_.menuId = menu;
      params_.custVendHandle = files.handle[0];
      params_.openItemHandle = files.handle[1];
      params_.settingsHandle = files.handle[2];
      params_.fourthHandle = files.handle[3];
      params_.custVendFileNo = static_cast<std::int16_t>(customers ? records::kFileCustomers : records::kFileVendors);
      params_.openItemFileNo = static_cast<std::int16_t>(customers ? records::kFileReceivablesOpenInvoices
                                                                   : records::kFilePayablesOpenInvoices);
      params_.runDate = Today();
      params_.copies = 1;
      params_.window = &window;
      params_.stockEntryIndex = kLabelStockEntryIndex;
      if (labels) {
        EXPECT_EQ(0, LettersLayoutStep(params_.settingsHandle, &params_.layoutBlock));
        params_.stockChoices = params_.layoutBlock.choices;
        CustVendOptionsStep(&params_.stockEntries[kLabelStockEntryIndex], 0, &params_.layoutBlock);
      }
      const int result = CustVendOutputOptions(&params_);
      chosen_.clear();
      if (result == 0) {
        first_ = params_.recordArea.record.code;
        for (int status = kStatusOk; status == kStatusOk; status = ReadSelectedCustVend(kOpGetNext, &params_))
          chosen_.emplace_back(params_.recordArea.record.code);
        CloseCustVendSelection(&params_);
      }
      WinClose(&window, 1);
      return result;
    });
  }

  records::StatementsRecord Statements() {
    if (!written_) WriteCompany();
    records::StatementsRecord r{};
    EXPECT_EQ(0, SystemRecordGet(sizeof r, "0Statements", &r));
    return r;
  }

  CustVendOutputParams params_{};
  std::string first_;
  std::vector<std::string> chosen_;  // every account chosen, in the order they are read
};

// From the run date down to the first message line.
constexpr const char* kToFirstMessage = "Down Down Down Down Down Down Down Down Down Down Down";

TEST_F(OutputOptionsTest, F10StoresTheMessagesAndKeepsTheRecordsOtherBytes) {
  const records::StatementsRecord before = Statements();
  const Run run = Options(kMenuCustomerStatements, std::string(kToFirstMessage) + " \"Thank you, Anne.\" F10");
  EXPECT_EQ(0, run.result) << run.transcript;
  EXPECT_EQ("A100", first_);
  const records::StatementsRecord after = Statements();
  EXPECT_STREQ("Thank you, Anne.", after.lines[2]);
  EXPECT_STREQ("Late", after.lines[4]);
  EXPECT_EQ(0, std::memcmp(&before, &after, offsetof(records::StatementsRecord, lines) + 2 * 41))
      << "the key and the first two lines stay as they were";
}

TEST_F(OutputOptionsTest, EscStoresNothing) {
  const records::StatementsRecord before = Statements();
  const Run run = Options(kMenuCustomerStatements, std::string(kToFirstMessage) + " \"Changed\" Esc");
  EXPECT_EQ(27, run.result);
  const records::StatementsRecord after = Statements();
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
}

TEST_F(OutputOptionsTest, TheMessagesComeFromTheRecordNotFromTheLastRun) {
  Options(kMenuCustomerStatements, std::string(kToFirstMessage) + " \"Anne's words\" F10");
  // Another user stores other words meanwhile.
  records::StatementsRecord r = Statements();
  std::snprintf(r.lines[2], sizeof r.lines[2], "%s", "Bob's words");
  BtrvHandle h = 0;
  ASSERT_EQ(0, BtrvOpen(&h, FilePathGet(records::kFileSettings), kOpenNormal, 0));
  char key[255] = {};
  std::memcpy(key, "0Statements    ", 15);
  records::StatementsRecord read{};
  ASSERT_EQ(0, BtrvGetOp(kOpGetEqual, h, key, &read, sizeof read));
  ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, h, key, &r, sizeof r));
  BtrvClose(h);
  // Anne's next screen shows Bob's words, and F10 keeps them.
  const Run run = Options(kMenuCustomerStatements, "F10");
  EXPECT_NE(std::string::npos, run.transcript.find("Bob's words"));
  EXPECT_EQ(std::string::npos, run.transcript.find("Anne's words"));
  EXPECT_STREQ("Bob's words", Statements().lines[2]);
}

TEST_F(OutputOptionsTest, RefusedValuesKeepTheScreenOpen) {
  struct Case {
    const char* name;
    int menu;
    const char* keys;
    std::vector<int> messages;
  };
  const Case cases[] = {
      {"run date of month 13", kMenuCustomerStatements, "\"13/05/25\" F10 Esc", {13}},
      {"from after to", kMenuCustomerLetters, "Down Down Down \"C\" Down \"A\" F10 Esc", {205}},
      {"no copies", kMenuCustomerLetters, "Down Down Down Down Down Down Down Down \"0\" F10 Esc", {1433}},
      {"last payment date of month 13", kMenuCustomerLetters, "Down Down \"P\" Down \"13/01/25\" Down Esc", {13}},
  };
  for (const Case& c : cases) {
    const records::StatementsRecord before = Statements();
    const Run run = Options(c.menu, c.keys);
    EXPECT_EQ(27, run.result) << c.name << run.transcript;
    EXPECT_EQ(c.messages, run.messages) << c.name;
    const records::StatementsRecord after = Statements();
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before)) << c.name << ": nothing is stored";
  }
}

TEST_F(OutputOptionsTest, ABlankFromOnAPastDueBalanceMeansAboveZero) {
  // "6" chooses Past Due >60 Balance for the first range; its from is left blank.
  const Run run = Options(kMenuCustomerLetters, "Down Down \"6\" F10");
  EXPECT_EQ(0, run.result) << run.transcript;
  EXPECT_EQ(kSelPastDueOver60, params_.range1.fieldId);
  EXPECT_EQ(0, params_.range1.fromEmpty);
  EXPECT_DOUBLE_EQ(0.01, params_.range1.fromAmount);
  EXPECT_EQ("A100", first_) << "only A100 has an amount over 60 days past due";
}

TEST_F(OutputOptionsTest, F5LooksUpAnAccountAndShiftF9PutsTheDefaultsBack) {
  // F5 in the from field: the second customer of the list, B200.
  Run run = Options(kMenuCustomerLetters, "Down Down Down F5 Down Enter F10");
  EXPECT_EQ(0, run.result) << run.transcript;
  EXPECT_EQ("B200", first_);
  EXPECT_STREQ("B200", params_.range1.fromText);
  // The range typed, then Shift+F9: every customer again.
  run = Options(kMenuCustomerLetters, "Down Down Down \"D\" Shift+F9 F10");
  EXPECT_EQ(0, run.result) << run.transcript;
  EXPECT_EQ("A100", first_);
  EXPECT_EQ(1, params_.range1.fromEmpty);
}

TEST_F(OutputOptionsTest, VendorsAreNeverOfferedTheCustomersFields) {
  // "B" chooses the billing group, "G" the department: customers have them.
  struct Case {
    int menu;
    const char* letter;
    const char* shown;
  };
  const Case cases[] = {
      {kMenuCustomerLetters, "B", "Range 1      Billing Group"},
      {kMenuCustomerLetters, "G", "Range 1      G/L Department"},
      {kMenuVendorLetters, "B", "Range 1      Vendor Code"},
      {kMenuVendorLetters, "G", "Range 1      Vendor Code"},
      {kMenuVendorLetters, "V", "Range 1      Vendor Type"},
  };
  for (const Case& c : cases) {
    const Run run = Options(c.menu, std::string("Down Down \"") + c.letter + "\" Esc");
    const std::size_t end = run.transcript.find("--- form end");
    ASSERT_NE(std::string::npos, end);
    EXPECT_NE(std::string::npos, run.transcript.find(c.shown, end)) << c.letter << run.transcript.substr(end, 400);
  }
}

TEST_F(OutputOptionsTest, F3EditsTheCompanysTextAndEscDropsTheEdit) {
  // Statement screen: F3 asks which text; the first button is the page.
  const Run kept = Options(kMenuCustomerStatements, "F3 Enter Ctrl+Home \"Our own heading\" Enter F10 Esc");
  EXPECT_EQ(27, kept.result);
  const std::string saved = qxtest::ReadAll(company_ + "/templates/statement.txt");
  EXPECT_EQ(0u, saved.find("Our own heading\n{COMPANY}")) << saved.substr(0, 80);
  // The edit of the letter text is dropped with Esc: the company has none.
  const Run dropped = Options(kMenuCustomerLetters, "F3 \"Scrap\" Esc Esc");
  EXPECT_EQ(27, dropped.result);
  EXPECT_FALSE(std::filesystem::exists(company_ + "/templates/customer-letter.txt"));
  EXPECT_NE(std::string::npos, dropped.transcript.find("text window: cancelled"));
}

TEST_F(OutputOptionsTest, LabelsThatDoNotFitTheirStockAreRefused) {
  // The company's Avery 5160 layout has four labels across: 11 inches.
  Add("settings", Json{{"key", "0LabelLayouts"},
                       {"stocks", Json::array({Json::object(), Json::object(), Json::object(), Json::object(),
                                               Json{{"across", 4}, {"rows", 10}, {"width", 263}, {"height", 100},
                                                    {"pitchAcross", 275}, {"pitchDown", 100}, {"top", 50},
                                                    {"left", 19}}})}});
  // Field 56 takes the stock's hot letter: "A" four times reaches 5160.
  const Run run = Options(kMenuCustomerLabels,
                          "Down Down Down Down Down Down Down Down Down Down \"AAAA\" Down F10 Esc");
  EXPECT_EQ(27, run.result) << run.transcript;
  EXPECT_EQ(std::vector<int>{2601}, run.messages) << run.transcript;
  EXPECT_NE(std::string::npos, qxtest::Flat(run.transcript).find("Avery 5160 Laser: the labels need"))
      << run.transcript;
}

TEST_F(OutputOptionsTest, F7AndF9StoreTheLayoutAndTheFormSettings) {
  // F7: the Standard Label two across.
  Options(kMenuCustomerLabels, "F7 \"2\" F10 Esc");
  if (!written_) WriteCompany();
  records::LabelLayoutsRecord layouts{};
  ASSERT_EQ(0, SystemRecordGet(sizeof layouts, "0LabelLayouts", &layouts));
  EXPECT_EQ(2, layouts.stocks[0].across);
  EXPECT_EQ(350, layouts.stocks[0].width) << "the other sizes stay the published ones";
  // F9: the labels' text by another name, the closing line built.
  Options(kMenuCustomerLabels, "F9 Down Down Down Down \"own-labels.txt\" Down Space F10 Esc");
  records::MergeFormsRecord forms{};
  ASSERT_EQ(0, SystemRecordGet(sizeof forms, "0MergeForms", &forms));
  EXPECT_STREQ("own-labels.txt", forms.texts[4]);
  EXPECT_EQ('Y', forms.closingLine);
  EXPECT_STREQ("statement.txt", forms.texts[0]);
  // A name that is not a plain file name is refused.
  const Run refused = Options(kMenuCustomerLabels, "F9 \"../x\" F10 Esc Esc");
  EXPECT_EQ(std::vector<int>{2609}, refused.messages);
}

// Each masked range field of the screen, typed as the user types it: an
// account whose value equals an end of the range is chosen, one below the
// "from" or above the "to" is not.  A zip code compares as the characters of
// its mask, without the dash: "98370-" is the five-digit 98370.
TEST_F(OutputOptionsTest, EveryMaskedRangeTakesTheAccountsAtBothOfItsEnds) {
  UseFixtureFile(QX_SOURCE_DIR "/tests/reportlib/common/fixtures/ranges.json");
  struct Case {
    const char* name;
    const char* field;  // the range field's hot letter
    const char* from;   // "" leaves the end open
    const char* to;
    std::vector<std::string> chosen;
  };
  const Case cases[] = {
      {"one zip code", "Z", "98370", "98370", {"Z3"}},
      {"zip codes from the lowest to the highest", "Z", "98346", "98371", {"Z1", "Z2", "Z3", "Z5", "Z4"}},
      {"a zip code of nine digits", "Z", "983701234", "983701234", {"Z5"}},
      {"zip codes from one on", "Z", "98347", "", {"Z2", "Z3", "Z5", "Z4"}},
      {"zip codes up to one", "Z", "", "98347", {"Z6", "Z1", "Z2"}},
      {"last sales dates", "S", "01/10/25", "02/10/25", {"Z1", "Z2"}},
      {"last payment dates", "P", "02/20/25", "03/25/25", {"Z2", "Z3", "Z4"}},
      {"invoice counts", "I", "3", "5", {"Z1", "Z2"}},
      {"credit limits", "L", "200", "300", {"Z2", "Z3"}},
      {"sales dollars", "D", "3000", "4000", {"Z3", "Z4"}},
  };
  for (const Case& c : cases) {
    std::string keys = std::string("Down Down \"") + c.field + "\" Down";
    if (*c.from) keys += std::string(" \"") + c.from + "\"";
    keys += " Down";
    if (*c.to) keys += std::string(" \"") + c.to + "\"";
    keys += " F10";
    const Run run = Options(kMenuCustomerLetters, keys);
    EXPECT_EQ(0, run.result) << c.name << run.transcript;
    EXPECT_EQ(c.chosen, chosen_) << c.name;
  }
}

}  // namespace
