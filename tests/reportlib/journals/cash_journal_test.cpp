// The cash journal (command 310) and the base library's cash services,
// driven by key scripts over the books of fixtures/ledger_books.json with
// the transactions of fixtures/cash_transactions.json (March 2025 is the
// period of today, 03/15/25), and over the sample company.
//
// "Journal" mode prints CR 1001, CR 1002, CD 2001, CD 2002 and CR 1003
// (deleted), in period-key order; CR 1004 is posted and CR 1005 dated in
// February.
#include "journals/cash_journal.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ledger_journal_support.h"
#include "qxabase/cash_services.h"
#include "records/masters.h"

namespace {

using namespace journaltest;
using records::CashHeader;

constexpr int kCashJournal = 310;

// The G/L distribution summary's table: its debits and credits; the totals
// line holds no account.
const SummaryLayout kSummary = {"Acct. No.", 38, 50, nullptr};

Json Header(const char* journal, const char* number, char type, char side, char distribution, const char* paidTo,
            double amount, double discount = 0, const char* bank = "1010") {
  return Json{{"journalCode", journal},  {"transactionNumber", TranNo(number)},
              {"bankAccount", bank},     {"depositNumber", std::string("N") + number},
              {"reference", "Entered"},  {"paidToCode", paidTo},
              {"side", std::string(1, side)}, {"typeLetter", std::string(1, type)},
              {"paidToType", distribution == 'G' ? "G" : distribution == 'R' ? "C" : "V"},
              {"distribution", std::string(1, distribution)},
              {"postedFlag", "N"},      {"date", "2025-03-10"},
              {"periodKey", 45716},     {"amount", amount},
              {"discount", discount},   {"payeeName", "Payee"}};
}

// An application line (an invoice paid) or, with `account`, a G/L line.
Json Line(const char* journal, const char* number, double amount, double discount = 0, const char* account = "") {
  Json l{{"journalCode", journal}, {"transactionNumber", TranNo(number)}, {"text", "Line"}, {"side", "P"},
         {"amount", amount},       {"discount", discount}};
  if (*account) l["glAccount"] = account;
  else l["invoiceNumber"] = "INV-1", l["invoiceAmount"] = amount + discount;
  return l;
}

class CashJournalTest : public LedgerJournalTest {
 protected:
  void LoadFixture(const Json& extra = Json::object()) { LoadBooks("cash_transactions.json", extra); }

  std::string RunJournal(const std::string& keys) { return Run(kCashJournal, keys, [] { return RunCashJournal(); }); }

  std::vector<CashHeader> Headers() { return Records<CashHeader>(records::kFileCashHeaders); }

  // The numbers of the stamped headers (the journal prints numbers without
  // their journal codes; those of a fixture are unique).
  std::multiset<std::string> Stamped() {
    std::multiset<std::string> out;
    for (const CashHeader& h : Headers())
      if (h.journalPrinted != 0) out.insert(Number(h));
    return out;
  }
};

const std::vector<std::string> kMarchCash = {"1001", "1002", "2001", "2002", "1003"};

// --- "Journal" mode ---------------------------------------------------------------------

TEST_F(CashJournalTest, JournalModePrintsThePeriodsTransactionsWithTheirLinesAndStampsThem) {
  LoadFixture();
  const fixture::CompanyImage before = Snapshot();
  const std::string transcript = RunJournal("F10");
  const std::vector<std::string> pages = ReportPages(transcript);
  ASSERT_GE(pages.size(), 2u) << transcript;
  const std::string& journal = pages[0];
  EXPECT_EQ(TransactionsShown(journal, 1), kMarchCash) << journal;
  EXPECT_NE(journal.find("Cash Journal"), std::string::npos);
  EXPECT_NE(journal.find("Select: Date From: 03/01/25 To: 03/31/25"), std::string::npos) << journal;

  // The header rows: type, paid-to and distribution texts, bank, amounts.
  struct Row {
    const char* tran;
    const char* type;
    const char* paidToType;
    const char* bank;
    const char* amount;
    const char* discount;
    const char* distribution;
  } const rows[] = {
      {"1001", "Dep", "Customer", "1010", "100.00", "2.00", "Inv"},
      {"2001", "Chk*", "Vendor", "1010", "500.00", "10.00", "Inv"},  // a check still to be printed
      {"2002", "Man", "G/L", "1020", "75.50", "0.00", "G/L"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.tran);
    const std::string line = LineWith(journal, TranNo(r.tran) + " ");
    EXPECT_EQ(Cell(line, 12, 4), r.type) << line;
    EXPECT_EQ(Cell(line, 40, 8), r.paidToType);
    EXPECT_EQ(Cell(line, 91, 10), r.bank);
    EXPECT_EQ(Cell(line, 102, 12), r.amount);
    EXPECT_EQ(Cell(line, 115, 10), r.discount);
    EXPECT_EQ(Cell(line, 126, 5), r.distribution);
    EXPECT_EQ(Cell(line, 132, 6), "No");
  }
  // Applications go to the control account: the company's, or the
  // customer's own (C200 keeps 1250).
  EXPECT_EQ(Squeezed(LineWith(journal, "INV-101")), " 1200 Accounts Receivable INV-101 102.00 Payment 100.00 2.00");
  EXPECT_EQ(Squeezed(LineWith(journal, "INV-88")), " 1250 Receivables - Dealers INV-88 250.00 Payment 250.00 0.00");
  EXPECT_EQ(Squeezed(LineWith(journal, "R-0225")), " 2000 Accounts Payable R-0225 510.00 Payment 500.00 10.00");
  // G/L lines show their account and description; a comment line its text.
  EXPECT_EQ(Squeezed(LineWith(journal, "Postage")), " 6300 Postage 0.00 50.50 0.00");
  EXPECT_EQ(Squeezed(LineWith(journal, "Receipt in the drawer")), " *COMMENT Receipt in the drawer");
  // A deleted transaction: its row, no lines.
  const std::string deleted = LineWith(journal, TranNo("1003") + " ");
  EXPECT_EQ(Cell(deleted, 50, 20), "** DELETED **");
  const std::vector<std::string> lines = Lines(journal);
  auto next = std::find(lines.begin(), lines.end(), deleted);
  while (next != lines.end() && (*next == deleted || Trimmed(*next).empty())) ++next;
  ASSERT_NE(next, lines.end());
  EXPECT_EQ(next->rfind("03/15/25", 0), 0u) << "the page's footer follows: " << journal;
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;

  // Each printed header, the deleted one too, carries the journal date;
  // nothing else of the company changed.
  fixture::CompanyImage expected = before;
  for (auto& bytes : expected.files[records::kFileCashHeaders]) {
    CashHeader h{};
    ASSERT_TRUE(records::FromImage(bytes, &h));
    if (std::count(kMarchCash.begin(), kMarchCash.end(), Number(h)) == 0) continue;
    h.journalPrinted = Today();
    const auto image = records::ImageOf(h);
    bytes.assign(image.begin(), image.end());
  }
  EXPECT_EQ(Snapshot().files, expected.files);
}

TEST_F(CashJournalTest, TheSummaryShowsWhatPostingWillDebitAndCredit) {
  // A G/L check deleted in entry keeps its lines: they carry nothing.
  Json deleted = Header("CD", "2003", 'M', 'P', 'G', "6300", 500);
  deleted["reference"] = "DELETED";
  LoadFixture({{"cash_headers", Json::array({deleted})},
               {"cash_lines", Json::array({Line("CD", "2003", 500, 0, "6300")})}});
  const std::vector<std::string> pages = ReportPages(RunJournal("F10"));
  ASSERT_FALSE(pages.empty());
  EXPECT_NE(pages.back().find("G/L Distribution Summary"), std::string::npos) << pages.back();
  // Banks in bank order, then the control accounts as met, the discounts,
  // and the G/L lines netted per account.  The deleted CR 1003 and CD 2003,
  // the posted CR 1004, February's CR 1005 and the comment line carry
  // nothing.
  EXPECT_EQ(SummaryLines(pages.back(), kSummary), (std::vector<std::string>{
                                            "1010 Cash - Operating: Cr 150.00",
                                            "1020 Cash - Payroll: Cr 75.50",
                                            "1200 Accounts Receivable: Cr 102.00",
                                            "1250 Receivables - Dealers: Cr 250.00",
                                            "4900 Sales Discounts: Dr 2.00",
                                            "2000 Accounts Payable: Dr 510.00",
                                            "5900 Purchase Discounts: Cr 10.00",
                                            "6300 Office Supplies: Dr 50.50",
                                            "6800 Bank Charges: Dr 25.00",
                                            "totals: 587.50 / 587.50",
                                        }))
      << pages.back();
}

struct SummaryCase {
  const char* name;
  Json header;
  std::vector<Json> lines;
  std::vector<std::string> summary;
};

TEST_F(CashJournalTest, EachKindOfTransactionPostsItsOwnSides) {
  const SummaryCase cases[] = {
      {"a deposit of invoices paid with a discount", Header("CR", "1", 'D', 'R', 'R', "C100", 100, 2),
       {Line("CR", "1", 100, 2)},
       {"1010 Cash - Operating: Dr 100.00", "1200 Accounts Receivable: Cr 102.00", "4900 Sales Discounts: Dr 2.00",
        "totals: 102.00 / 102.00"}},
      {"the same figures on a check", Header("CR", "1", 'C', 'R', 'R', "C100", 100, 2), {Line("CR", "1", 100, 2)},
       {"1010 Cash - Operating: Cr 100.00", "1200 Accounts Receivable: Dr 102.00", "4900 Sales Discounts: Cr 2.00",
        "totals: 102.00 / 102.00"}},
      {"a check paying vendor invoices", Header("CD", "1", 'C', 'P', 'P', "V100", 100, 2), {Line("CD", "1", 100, 2)},
       {"1010 Cash - Operating: Cr 100.00", "2000 Accounts Payable: Dr 102.00", "5900 Purchase Discounts: Cr 2.00",
        "totals: 102.00 / 102.00"}},
      {"a vendor's refund deposited", Header("CR", "1", 'D', 'R', 'P', "V100", 100, 2), {Line("CR", "1", 100, 2)},
       {"1010 Cash - Operating: Dr 100.00", "2000 Accounts Payable: Cr 102.00", "5900 Purchase Discounts: Dr 2.00",
        "totals: 102.00 / 102.00"}},
      {"a check to G/L accounts with a refund line", Header("CD", "1", 'M', 'P', 'G', "6300", 100),
       {Line("CD", "1", 120, 0, "6300"), Line("CD", "1", -20, 0, "6800")},
       {"1010 Cash - Operating: Cr 100.00", "6300 Office Supplies: Dr 120.00", "6800 Bank Charges: Cr 20.00",
        "totals: 120.00 / 120.00"}},
      {"a deposit to a G/L account", Header("CR", "1", 'D', 'R', 'G', "4000", 100), {Line("CR", "1", 100, 0, "4000")},
       {"1010 Cash - Operating: Dr 100.00", "4000 Sales: Cr 100.00", "totals: 100.00 / 100.00"}},
  };
  for (const SummaryCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoadBooks("", {{"cash_headers", {c.header}}, {"cash_lines", c.lines}});
    const std::string transcript = RunJournal("F10");
    const std::vector<std::string> pages = ReportPages(transcript);
    ASSERT_EQ(pages.size(), 2u) << transcript;
    EXPECT_EQ(SummaryLines(pages.back(), kSummary), c.summary) << pages.back();
    EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  }
}

struct WarningCase {
  const char* name;
  Json extra;
  std::vector<int> messages;
  const char* text;   // what the first one says (its first line)
  const char* shows;  // a line of the report, blanks squeezed
};

TEST_F(CashJournalTest, JournalModeWarnsOfWhatPostingWouldStopAt) {
  const Json customer{{"code", "C400"}, {"name", "Dogwood Deli"}, {"glAccount", "1299"}};
  const WarningCase cases[] = {
      {"lines that do not add up to the amount",
       {{"cash_headers", Json::array({Header("CD", "2005", 'M', 'P', 'G', "6300", 40)})},
        {"cash_lines", Json::array({Line("CD", "2005", 35, 0, "6300")})}},
       {1425},
       "The lines of Cash payments transaction 2005 add up to 35.00,\nbut the transaction's amount is 40.00.",
       " 6300 Line 0.00 35.00 0.00"},
      // In the lines, then (with no transaction to name) in the summary.
      {"a customer's own account not in the chart",
       {{"customers", Json::array({customer})},
        {"cash_headers", Json::array({Header("CR", "1006", 'D', 'R', 'R', "C400", 30)})},
        {"cash_lines", Json::array({Line("CR", "1006", 30)})}},
       {1385, 1361},
       "Account 1299 of Cash receipts transaction 1006 is not in the",
       " 1299 * Not on file * INV-1 30.00 Line 30.00 0.00"},
      {"a G/L line's account not in the chart",
       {{"cash_headers", Json::array({Header("CD", "2006", 'M', 'P', 'G', "6999", 20)})},
        {"cash_lines", Json::array({Line("CD", "2006", 20, 0, "6999")})}},
       {1385},
       "Account 6999 of Cash payments transaction 2006 is not in the",
       " 6999 * Not on file * 20.00"},
  };
  for (const WarningCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoadFixture(c.extra);
    const std::string transcript = RunJournal("F10");
    EXPECT_EQ(MessageNumbers(transcript), c.messages) << transcript;
    EXPECT_NE(transcript.find(c.text), std::string::npos) << transcript;
    const std::string report = PreviewText(transcript);
    EXPECT_NE(Squeezed(report).find(c.shows), std::string::npos) << report;
    EXPECT_NE(report.find("G/L Distribution Summary"), std::string::npos) << "the run goes on";
  }
}

TEST_F(CashJournalTest, CommentsFollowTheirTransactionsLines) {
  LoadFixture();
  WriteComments("CA_2002.txt", "Stamps for the spring mailing\n");
  // Mode, journal date, then "Print comments": Yes.
  const std::string report = PreviewText(RunJournal("Enter Enter Space F10"));
  const std::size_t start = report.find("Receipt in the drawer"), end = report.find(TranNo("1003") + " ");
  ASSERT_LT(start, end) << report;
  const std::vector<std::string> block = Lines(report.substr(start, end - start));
  const std::string rule = " " + std::string(132, '-');
  const std::vector<std::string> expected = {rule, " Transaction Comments:  2002", "",
                                             " Stamps for the spring mailing", rule};
  const auto at = std::find(block.begin(), block.end(), rule);
  ASSERT_NE(at, block.end()) << report;
  EXPECT_EQ(std::vector<std::string>(at, at + std::min<std::ptrdiff_t>(5, block.end() - at)), expected) << report;
}

TEST_F(CashJournalTest, AHeaderInUseStaysUnstampedAndIsToldOnceAfterTheReport) {
  LoadFixture();
  BtrvHandle other = 0;
  ASSERT_EQ(BtrvOpen(&other, FilePathGet(records::kFileCashHeaders), kOpenNormal, 0), kStatusOk);
  char key[255] = {};
  std::memcpy(key, "CD     ", 7);
  std::memcpy(key + 7, TranNo("2001").c_str(), 10);
  CashHeader held{};
  ASSERT_EQ(BtrvGetOp(kOpGetEqual + kLockBias, other, key, &held, sizeof held), kStatusOk);
  const std::string transcript = RunJournal("F10");
  BtrvClose(other);

  EXPECT_EQ(TransactionsShown(PreviewText(transcript), 1), kMarchCash) << "the walk goes on";
  EXPECT_EQ(Stamped(), (std::multiset<std::string>{"1001", "1002", "2002", "1003"}));
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{551}) << transcript;
  EXPECT_LT(transcript.find("preview: closed"), transcript.rfind("message number: 551"));
}

// --- "Listing" mode --------------------------------------------------------------------

TEST_F(CashJournalTest, ListingOverATransactionRangePrintsItAndChangesNoByte) {
  LoadFixture({{"cash_headers", {Header("CD", "2005", 'M', 'P', 'G', "6300", 40)}},
               {"cash_lines", {Line("CD", "2005", 35, 0, "6300")}}});
  const fixture::CompanyImage before = Snapshot();
  // Listing; the first column keeps the transaction number.
  const std::string transcript = RunJournal(R"(Space Enter Enter Enter Enter "1001" Enter "2001" F10)");
  const std::string report = PreviewText(transcript);
  // Posted or not, in any period, in journal and number order.
  EXPECT_EQ(TransactionsShown(report, 1), (std::vector<std::string>{"2001", "1001", "1002", "1003", "1004", "1005"}))
      << report;
  EXPECT_NE(report.find("Cash Listing"), std::string::npos);
  EXPECT_NE(Squeezed(report).find("Select: Transaction No. From: 1001 To: 2001"), std::string::npos) << report;
  EXPECT_EQ(report.find("G/L Distribution Summary"), std::string::npos) << "no summary in a listing";
  EXPECT_EQ(Cell(LineWith(report, TranNo("1004") + " "), 132, 6), "Yes");
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{}) << transcript;
  // Out of balance, but outside the range: a listing warns of nothing anyway.
  const std::string all = RunJournal(R"(Space Enter Enter Enter Enter "2005" Enter "2005" F10)");
  EXPECT_EQ(TransactionsShown(PreviewText(all), 1), std::vector<std::string>{"2005"});
  EXPECT_EQ(MessageNumbers(all), std::vector<int>{}) << all;
  EXPECT_EQ(Snapshot().files, before.files);
}

TEST_F(CashJournalTest, NothingToPrintSaysSo) {
  LoadBooks("");
  const std::string transcript = RunJournal("F10");
  EXPECT_EQ(MessageNumbers(transcript), std::vector<int>{197}) << transcript;
  EXPECT_EQ(PreviewText(transcript), "");
}

// --- Record-manager errors ------------------------------------------------------------------

struct RecordErrorCase {
  const char* name;
  const char* failure;  // the test switch
  int op;               // the operation the error box names
  int fileNo;
  std::multiset<std::string> stamped;
  bool summary;         // whether the run still reached its summary
};

const RecordErrorCase kRecordErrors[] = {
    {"stamping the second header", "fail=3:cash_headers:2:2", kOpUpdate, records::kFileCashHeaders, {"1001"},
     false},
    {"reading a transaction's lines", "fail=9:cash_lines:1:2", kOpGetGreaterOrEqual, records::kFileCashLines,
     {"1001", "1002", "2001", "2002", "1003"}, true},
    {"reading the next header", "fail=6:cash_headers:2:2", kOpGetNext, records::kFileCashHeaders,
     {"1001", "1002"}, true},
};

TEST_F(CashJournalTest, ARecordManagerErrorNamesTheOperationThatFailedAndTheRunEndsCleanly) {
  for (const RecordErrorCase& c : kRecordErrors) {
    SCOPED_TRACE(c.name);
    LoadFixture();
    const std::string transcript = RunWithRecordFault(c.failure, [&] { return RunJournal("F10"); });
    EXPECT_NE(transcript.find(RecordErrorText(2, c.op, c.fileNo)), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("preview: closed"), std::string::npos) << "the report is closed";
    EXPECT_EQ(PreviewText(transcript).find("G/L Distribution Summary") != std::string::npos, c.summary);
    EXPECT_EQ(Stamped(), c.stamped);
  }
}

// --- The sample company -----------------------------------------------------------------------

// The sample company's cash comes posted (cash posting is not part of this
// system): "Journal" mode finds nothing to print and stamps nothing; a
// listing shows every transaction of the month, posted.
TEST_F(CashJournalTest, OnTheSampleCompanyTheMonthsCashIsPostedAndListed) {
  LoadSampleCompany();
  std::multiset<std::string> month;
  for (const CashHeader& h : Headers()) {
    EXPECT_EQ(h.postedFlag, 'Y') << Number(h);
    if (h.date >= Day(2025, 3, 1) && h.date <= Day(2025, 3, 31)) month.insert(Number(h));
  }
  EXPECT_EQ(month.size(), Headers().size());
  ASSERT_FALSE(month.empty());
  const fixture::CompanyImage before = Snapshot();

  const std::string journal = RunJournal("F10");
  EXPECT_EQ(MessageNumbers(journal), std::vector<int>{197}) << journal;
  EXPECT_EQ(PreviewText(journal), "");
  EXPECT_EQ(Stamped(), std::multiset<std::string>{});

  const std::string listing = RunJournal("Space F10");
  const std::string report = PreviewText(listing);
  const std::vector<std::string> shown = TransactionsShown(report, 1);
  EXPECT_EQ(std::multiset<std::string>(shown.begin(), shown.end()), month) << report;
  for (const std::string& number : shown)
    EXPECT_EQ(Cell(LineWith(report, TranNo(number.c_str()) + " "), 132, 6), "Yes") << number;
  EXPECT_EQ(MessageNumbers(listing), std::vector<int>{}) << listing;
  EXPECT_EQ(Snapshot().files, before.files);
}

// --- The cash services of the base library ----------------------------------------------------

TEST_F(CashJournalTest, ACheckIsToBePrintedUntilItsCheckIsPrinted) {
  struct Case {
    const char* name;
    char type, side;
    std::int32_t printed;
    const char* reference;
    bool toPrint;
  } const cases[] = {
      {"a computer check not printed", 'C', 'P', 0, "Rent", true},
      {"a computer check printed", 'C', 'P', Day(2025, 3, 10), "Rent", false},
      {"a hand-written check", 'M', 'P', 0, "Rent", false},
      {"a deposit", 'D', 'R', 0, "Deposit", false},
      {"a deleted check", 'C', 'P', 0, "DELETED", false},
  };
  for (const Case& c : cases) {
    CashHeader h{};
    h.typeLetter = c.type;
    h.side = c.side;
    h.checkPrinted = c.printed;
    records::SetText(h.reference, c.reference);
    EXPECT_EQ(CashTranTest(&h) != 0, c.toPrint) << c.name;
  }
}

TEST_F(CashJournalTest, ThePartysOwnAccountIsFoundAndTheCallersPlaceKept) {
  LoadBooks("");
  BtrvHandle customers = 0;
  ASSERT_EQ(BtrvOpen(&customers, FilePathGet(records::kFileCustomers), kOpenNormal, 0), kStatusOk);
  char key[255] = {};
  records::CustVendRecord party{};
  ASSERT_EQ(BtrvGetOp(kOpGetFirst, customers, key, &party, sizeof party), kStatusOk);
  struct Case {
    const char* code;
    int found;
    const char* account;
  } const cases[] = {{"C200", 1, "1250"}, {"C100", 0, ""}, {"C999", 0, ""}, {"", 0, ""}};
  for (const Case& c : cases) {
    CashHeader h{};
    h.distribution = 'R';
    records::SetText(h.paidToCode, c.code);
    char account[12] = "junk";
    EXPECT_EQ(CashJournalLineTest(account, &h, customers), c.found) << c.code;
    EXPECT_STREQ(account, c.account) << c.code;
  }
  ASSERT_EQ(BtrvGetOp(kOpGetNext, customers, key, &party, sizeof party), kStatusOk);
  EXPECT_EQ(std::string(records::Trimmed(party.code)), "C200") << "the walk goes on after C100";
  BtrvClose(customers);
}

}  // namespace
