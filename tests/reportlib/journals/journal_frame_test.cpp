// The journal frame, run as a journal runs it: the context over the
// receivables (302) or billing (305) headers of the fixture company, the
// selection window on a key script, then the frame's reader collecting the
// headers it selects and the "Select:" lines it prints.  Also the account
// check of detail lines, and the column dictionary against the data
// dictionary the build installed.
#include "journals/journal_frame.h"

#include <memory>
#include <string>
#include <vector>

#include "journal_test_support.h"
#include "qxabase/dictionary.h"
#include "qxabase/report.h"

namespace {

using namespace journaltest;
using journals::JournalContext;

std::int32_t PeriodKey(int month) { return Day(2025, month, 1); }

// A receivables header of the fixture: number, customer, date, period key,
// posted flag.
Json Receivable(const char* number, const char* customer, const char* date, int month, const char* posted) {
  char tran[16];
  std::snprintf(tran, sizeof tran, "%10s", number);
  return Json{{"transactionNumber", tran}, {"custVendCode", customer}, {"reference", std::string("INV ") + number},
              {"typeLetter", "I"},          {"postedFlag", posted},     {"date", date},
              {"periodKey", PeriodKey(month)}};
}

// In period-key order: February, four of March (one posted), April, May.
Json ReceivablesFixture() {
  return Json{{"ar_headers",
               {Receivable("101", "C100", "2025-02-27", 2, "N"), Receivable("102", "C200", "2025-03-03", 3, "N"),
                Receivable("103", "C250", "2025-03-04", 3, "Y"), Receivable("104", "C300", "2025-03-05", 3, "n"),
                Receivable("105", "C400", "2025-03-06", 3, "N"), Receivable("106", "C200", "2025-04-01", 4, "N"),
                Receivable("107", "C500", "2025-05-02", 5, "N")}}};
}

Json Billing(const char* type, const char* number, int month) {
  return Json{{"typeLetter", type}, {"transactionNumber", std::string(10 - std::strlen(number), ' ') + number},
              {"postedFlag", "N"},  {"closedFlag", "N"},
              {"date", "2025-03-10"}, {"periodKey", PeriodKey(month)}};
}

struct FrameRun {
  int built = -1;
  int form = -1;
  std::vector<std::string> selected;  // transaction numbers, blanks removed
  std::string selectionLines;         // the "Select:" lines as printed
  std::string transcript;
  std::string fromText1;              // criterion 1's "from" as the window left it
  std::string thirdFrom;              // criterion 3's "from"
  bool endedAfterRead = false;
};

class JournalFrameTest : public JournalTest {
 protected:
  // Runs journal `commandId` over its header file as the journals do.
  FrameRun Run(int commandId, const std::string& keys) {
    const int headerFile = commandId == 305 ? records::kFileBillingHeaders : records::kFileReceivablesHeaders;
    SharedAppBlockGet()->currentCommand = commandId;
    Start(keys);
    FrameRun out;
    {
      FileSet files;
      EXPECT_EQ(FileSetOpen(&files, headerFile), 0);
      std::vector<std::uint8_t> record(sizeof(records::TagBiPoHeader));
      Form form{};
      FormBegin(&form);
      auto context = std::make_unique<JournalContext>();
      out.built = journals::BuildJournalContext(context.get(), record.data(), commandId, files.handle[0]);
      if (out.built == 0) out.form = journals::ShowJournalForm(context.get(), &form, "RSJrnlTest");
      if (out.form == 0) {
        const bool listing = context->Listing();
        auto read = [&](int op) {
          return listing ? journals::ReadSelectedJournalRecord(context.get(), op, record.data())
                         : journals::ReadJournalRecord(context.get(), op, record.data());
        };
        for (bool got = read(kOpGetFirst); got; got = read(kOpGetNext)) {
          const char* number = reinterpret_cast<const char*>(record.data()) + (commandId == 305 ? 1 : 0);
          std::string n(number, strnlen(number, 11));
          n.erase(0, n.find_first_not_of(' '));
          n.erase(n.find_last_not_of(' ') + 1);
          out.selected.push_back(n);
        }
        out.endedAfterRead = context->ended;
        TagRepInfo report{};
        report.destinationGiven = 1;
        report.destination = kDestTextFile;
        std::snprintf(report.filePath, sizeof report.filePath, "%s/select.txt", dir_.c_str());
        if (ReportOpen(&report, "Select")) {
          journals::PrintJournalSelectionHeader(context.get(), &report);
          out.selectionLines = ReportText(&report, "");
          report.discard = 1;
          ReportClose(&report);
        }
        out.fromText1 = context->criteria[0].block.fromText;
        out.thirdFrom = context->criteria[2].block.fromText;
      }
      journals::CloseJournalFiles(context.get());
      FormEnd(&form);
    }
    out.transcript = Finish();
    return out;
  }
};

// --- "Journal" mode ---------------------------------------------------------------------

TEST_F(JournalFrameTest, JournalModeReadsTheUnpostedHeadersOfThePeriodAndStopsAtTheNext) {
  LoadCompany("gl_company.json", ReceivablesFixture());
  // The reader reads five times with op 6 up to the April header; a sixth
  // read (the May header) would fail and show the error box.
  BtrvTestSwitch("fail=6:ar_headers:6:2");
  const FrameRun run = Run(302, "F10");
  ASSERT_EQ(run.built, 0) << run.transcript;
  ASSERT_EQ(run.form, 0) << run.transcript;
  EXPECT_EQ(run.selected, (std::vector<std::string>{"102", "104", "105"}));
  EXPECT_TRUE(run.endedAfterRead);
  EXPECT_EQ(MessageNumbers(run.transcript), std::vector<int>{}) << run.transcript;
  EXPECT_EQ(run.transcript.find("record manager"), std::string::npos) << run.transcript;
  // "Journal" mode selects by the period and shows its dates on one line.
  EXPECT_NE(run.selectionLines.find("Select: Date From: 03/01/25 To: 03/31/25"), std::string::npos)
      << run.selectionLines;
}

TEST_F(JournalFrameTest, AClosedPurchaseOrderIsNeverSelected) {
  JournalContext context;
  context.commandId = 304;
  context.headerFileNo = records::kFilePurchasingHeaders;
  context.periodKey = PeriodKey(3);
  records::TagBiPoHeader h{};
  h.postedFlag = 'N';
  h.periodKey = PeriodKey(3);
  for (const char type : {'I', 'R', 'O'}) {
    h.typeLetter = type;
    EXPECT_EQ(journals::JournalRecordInPeriod(&context, &h), type != 'O') << type;
  }
  EXPECT_FALSE(context.ended);
  h.typeLetter = 'I';
  h.periodKey = PeriodKey(4);
  EXPECT_FALSE(journals::JournalRecordInPeriod(&context, &h));
  EXPECT_TRUE(context.ended) << "a later period key ends the walk";
}

// --- "Listing" mode ---------------------------------------------------------------------
// Keys: Space chooses "Listing"; Enter goes on to "Print comments" (302),
// then to the first column, whose pick window opens as the cursor enters it
// (Down moves in it, Enter chooses); the from and to fields follow.

TEST_F(JournalFrameTest, ListingSelectsOnAColumnPickedFromTheDictionary) {
  LoadCompany("gl_company.json", ReceivablesFixture());
  const FrameRun run = Run(302, R"(Space Enter Enter Down Enter Enter "C200" Enter "C300" F10)");
  ASSERT_EQ(run.form, 0) << run.transcript;
  EXPECT_NE(run.transcript.find("search list \"Select on the column\": [Customer Code"), std::string::npos)
      << run.transcript;
  // Posted or not, any period: customers C200 to C300 in key-0 order.
  EXPECT_EQ(run.selected, (std::vector<std::string>{"102", "103", "104", "106"}));
  EXPECT_NE(run.selectionLines.find("Select: Customer Code From: C200 To: C300"), std::string::npos)
      << run.selectionLines;
  EXPECT_NE(run.selectionLines.find("Select: Date From: FIRST To: LAST"), std::string::npos) << run.selectionLines;
}

TEST_F(JournalFrameTest, ATransactionNumberIsTakenRightJustified) {
  LoadCompany("gl_company.json", ReceivablesFixture());
  // Column 1 (transaction number) is criterion 1's own: Enter keeps it.
  const FrameRun run = Run(302, R"(Space Enter Enter Enter Enter "103" Enter "105" F10)");
  ASSERT_EQ(run.form, 0) << run.transcript;
  EXPECT_EQ(run.fromText1, "       103");
  EXPECT_EQ(run.selected, (std::vector<std::string>{"103", "104", "105"}));
}

struct WindowCase {
  const char* name;
  const char* keys;
  std::vector<int> messages;
  int form;  // what ShowJournalForm answers
};

// Criterion 2 is the date: its pick window opens at the second column field.
const WindowCase kWindowCases[] = {
    {"a from date after its to date", R"(Space Enter Enter Enter Enter Enter Enter Enter Enter "03/31/25" Enter "03/01/25" F10 Esc)",
     {205}, 27},
    {"a date that does not exist", R"(Space Enter Enter Enter Enter Enter Enter Enter Enter "13/45/25" Enter Enter Esc)", {13}, 27},
    {"a corrected date", R"(Space Enter Enter Enter Enter Enter Enter Enter Enter "13/45/25" Enter Enter "03/01/25" F10)",
     {13}, 0},
};

TEST_F(JournalFrameTest, TheWindowRefusesABadDateRange) {
  LoadCompany("gl_company.json", ReceivablesFixture());
  for (const WindowCase& c : kWindowCases) {
    SCOPED_TRACE(c.name);
    const FrameRun run = Run(302, c.keys);
    EXPECT_EQ(MessageNumbers(run.transcript), c.messages) << run.transcript;
    EXPECT_EQ(run.form, c.form) << run.transcript;
  }
}

TEST_F(JournalFrameTest, BillingInvoicesOnlyGivesTheThirdCriterion) {
  LoadCompany("gl_company.json", {{"billing_headers",
                                   {Billing("I", "501", 3), Billing("R", "502", 3), Billing("I", "503", 4)}}});
  // Listing; both column fields keep their columns; "Invoices Only".
  const FrameRun run = Run(305, R"(Space Enter Enter Enter Enter Enter Enter Enter Enter Enter Space F10)");
  ASSERT_EQ(run.form, 0) << run.transcript;
  EXPECT_EQ(run.thirdFrom, "I");
  EXPECT_EQ(run.selected, (std::vector<std::string>{"501", "503"}));
}

// --- The account check ------------------------------------------------------------------

TEST_F(JournalFrameTest, AccountCodeMissingOnlyForAbsentCommentCodes) {
  LoadCompany("gl_company.json");
  BtrvHandle accounts = 0;
  ASSERT_EQ(BtrvOpen(&accounts, FilePathGet(records::kFileGLAccounts), kOpenNormal, 0), kStatusOk);
  struct Case {
    const char* code;
    bool missing;
  } const cases[] = {
      {"9999", false},   // not a 'C' code, though not on file
      {"C500", false},   // a 'C' account on file
      {"CNOTE", true},   // a 'C' code not on file
      {"c500", false},   // only a capital C marks a comment code
  };
  // The caller's place in the account file stays where it was.
  char key[255] = {};
  records::GLAccount account{};
  ASSERT_EQ(BtrvGetOp(kOpGetFirst, accounts, key, &account, sizeof account), kStatusOk);
  for (const Case& c : cases) {
    EXPECT_EQ(journals::AccountCodeMissing(c.code, accounts), c.missing) << c.code;
    EXPECT_EQ(journals::AccountCodeMissing(c.code, 0), c.missing) << c.code << " with a file of its own";
  }
  ASSERT_EQ(BtrvGetOp(kOpGetNext, accounts, key, &account, sizeof account), kStatusOk);
  EXPECT_EQ(std::string(records::Trimmed(account.code)), "1200") << "the walk goes on after 1010";
  // A 'C' code the record manager cannot read (here: an I/O error) is not
  // taken for a comment.
  BtrvTestSwitch("fail=5:gl_accounts:1:2");
  EXPECT_FALSE(journals::AccountCodeMissing("CNOTE", accounts));
  BtrvTestSwitch("");
  BtrvClose(accounts);
}

// --- The column dictionary ----------------------------------------------------------------

TEST_F(JournalFrameTest, EveryColumnOfTheDictionaryHasItsFieldDefinition) {
  BtrvHandle columns = 0, fields = 0;
  ASSERT_EQ(BtrvOpen(&columns, FilePathGet(94), kOpenReadOnly, 0), kStatusOk);
  ASSERT_EQ(DictQueryInit(&fields), kStatusOk);
  // Each journal table and the file whose data-dictionary table joins it.
  const std::pair<const char*, int> tables[] = {{"Apth", 4}, {"Arth", 4},  {"Pohd", 32},
                                                {"Inhd", 32}, {"Asth", 11}, {"Chth", 18}};
  for (const auto& [table, file] : tables) {
    SCOPED_TRACE(table);
    char key[255] = {};
    JournalColumnKey(key, table, 0);
    const std::string padded(key, 12);  // the key buffer gets each record's key
    JournalColumnRecord column{};
    int count = 0;
    for (int status = BtrvGetOp(kOpGetGreaterOrEqual, columns, key, &column, sizeof column);
         status == kStatusOk && std::string(column.table, 12) == padded;
         status = BtrvGetOp(kOpGetNext, columns, key, &column, sizeof column)) {
      ++count;
      DictFieldDef def{};
      EXPECT_EQ(DictQueryJoin(fields, column.column, FileTableName(file), &def), kStatusOk) << column.column;
      EXPECT_EQ(def.fieldNumber, column.column);
      EXPECT_GT(def.length, 0);
      EXPECT_LE(def.offset + def.length, static_cast<int>(records::FindFile(file)->recordLength));
    }
    EXPECT_GT(count, 2);
  }
  BtrvClose(columns);
  BtrvClose(fields);
}

TEST_F(JournalFrameTest, AColumnDictionaryThatCannotBeOpenedEndsTheJournalWithTheErrorBox) {
  LoadCompany("gl_company.json", ReceivablesFixture());
  BtrvTestSwitch("fail=0:WQXACCOL.DB:1:94");
  const FrameRun run = Run(302, "F10");
  EXPECT_EQ(run.built, 94);
  EXPECT_EQ(run.form, -1) << "no window";
  EXPECT_NE(run.transcript.find(RecordErrorText(94, kErrorOpOpen, 94)), std::string::npos) << run.transcript;
}

}  // namespace
