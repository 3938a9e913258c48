// The cash receipts (311) and cash disbursements (312) reports, run through
// their entry on key scripts over the books of fixtures/cash_reports.json,
// read back from the preview in the transcript: the groups by deposit or
// check and by bank with the totals that foot them, a check still to be
// printed, the screen's checks, and runs ended by the user or by the
// record manager without totals that look final.
#include <string>
#include <vector>

#include "checks_test_support.h"
#include "qxtest/sample_company.h"
#include "records/dictionary.h"
#include "reports/arap/cash_receipts_disbursements.h"

namespace checkstest {
namespace {

// Print columns of the detail line and of the totals lines.
constexpr int kBankX = 0, kNumberX = 11, kTypeX = 20, kCodeX = 26, kNameX = 38, kTranX = 65, kInvoiceX = 76,
              kInvoiceAmountX = 98, kDiscountX = 110, kAmountX = 122;

std::string CashBooks() { return qxtest::SourceDir() + "/tests/reportlib/reports/arap/fixtures/cash_reports.json"; }

// A line of the report: a transaction's line, a totals line (its caption
// at x 78 and the sums), or an empty line.
struct Row {
  std::string tran, caption, discount, amount;
  bool empty = false;
};

bool IsTotalsCaption(const std::string& caption) {
  return caption == "Deposit Totals:" || caption == "Check Totals:" || caption == "Bank Totals:" ||
         caption.rfind("Grand Total", 0) == 0;
}

// The body of the report, line by line, from under the first heading rule
// to the footer.
std::vector<Row> Rows(const Preview& r) {
  std::vector<Row> rows;
  for (const auto& page : r.pages) {
    bool body = false;
    for (const std::string& line : page) {
      if (!body) {
        body = line.rfind("---------- --------", 0) == 0;
        continue;
      }
      if (line.size() > 8 && line[2] == '/' && line[5] == '/') break;  // the footer
      Row row;
      const std::string caption = Cell(line, 78, 32);
      if (line.find_first_not_of(' ') == std::string::npos) {
        row.empty = true;
      } else if (IsTotalsCaption(caption)) {
        row.caption = caption;
      } else if (line.find("-----") != std::string::npos || line.find("Number of ") != std::string::npos) {
        continue;
      } else {
        row.tran = Cell(line, kTranX, 10);
      }
      row.discount = Cell(line, kDiscountX, 11);
      row.amount = Cell(line, kAmountX, 11);
      rows.push_back(row);
    }
  }
  // The empty line a totals line ends with is the writer's; the report's
  // own empty lines are those that follow a transaction's line.
  std::vector<Row> kept;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (!rows[i].empty || (i > 0 && !rows[i - 1].tran.empty())) kept.push_back(rows[i]);
  return kept;
}

// The rows as text, one a line: "R1 100.00", "Deposit Totals: 2.00 350.00", "".
std::string Summary(const std::vector<Row>& rows) {
  std::string out;
  for (const Row& row : rows) {
    if (row.empty) out += "\n";
    else if (!row.tran.empty()) out += row.tran + " " + row.amount + "\n";
    else out += row.caption + " " + row.discount + " " + row.amount + "\n";
  }
  return out;
}

// The first line that holds `text`; "" when none does.
std::string LineWith(const Preview& r, const std::string& text) {
  for (const std::string& line : r.Lines())
    if (line.find(text) != std::string::npos) return line;
  return "";
}

class CashReportsTest : public listingtest::ListingTest {
 protected:
  CashReportsTest() : ListingTest(311) {}

  void SetUp() override {
    ListingTest::SetUp();
    UseFixtureFile(CashBooks());
  }

  Run RunReport(char kind, const std::string& keys) {
    SharedAppBlockGet()->currentCommand = kind == 'P' ? 312 : 311;
    return RunScripted(keys, [kind] { return RunCashRecDisReport(kind); });
  }
  static const char* Title(char kind) { return kind == 'P' ? "Cash Disbursements Report" : "Cash Receipts Report"; }

  void AddReceipt(const char* tran, const char* bank, const char* number, double amount) {
    Json header{{"journalCode", "CR"}, {"transactionNumber", tran}, {"bankAccount", bank},
                {"reference", "Deposit"}, {"paidToCode", "C100"}, {"side", "R"}, {"typeLetter", "D"},
                {"distribution", "R"}, {"date", Date(2025, 3, 20)}, {"amount", amount}, {"payeeName", "Alder Hardware"}};
    if (*number) header["depositNumber"] = number;
    Add("cash_headers", header);
    Add("cash_lines", Json{{"journalCode", "CR"}, {"transactionNumber", tran}, {"amount", amount},
                           {"invoiceAmount", amount}, {"invoiceNumber", std::string("INV-") + tran}});
  }
};

TEST_F(CashReportsTest, ReceiptsGoByDepositAndBankWithTotalsThatFoot) {
  const Run run = RunReport('R', "F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Cash Receipts Report");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  // D1: R1's two lines and R2, its totals; D2: R3 alone, an empty line;
  // then each bank's totals and the grand total.  The deleted receipt and
  // the one of February are not there.
  EXPECT_EQ(
      "R1 100.00\nR1 50.00\nR2 200.00\nDeposit Totals: 2.00 350.00\n"
      "R3 75.00\n\nBank Totals: 2.00 425.00\n"
      "R4 10.00\n\nBank Totals: 0.00 10.00\n"
      "Grand Total Cash Receipts 2.00 435.00\n",
      Summary(Rows(r)))
      << run.transcript;
  EXPECT_NE("", LineWith(r, "Number of Receipts :      3")) << run.transcript;
  EXPECT_NE("", LineWith(r, "Bank Account 1000 Totals:    4 Receipts    2 Deposits"));
  EXPECT_NE("", LineWith(r, "Bank Account 2000 Totals:    1 Receipts    1 Deposits"));
  EXPECT_FALSE(r.Contains("R9")) << "a deleted receipt";
  EXPECT_FALSE(r.Contains("R8")) << "a receipt of February";

  // A line shows its header's bank, deposit, type, code, name and date, and
  // its own invoice and amounts.
  const std::string line = LineWith(r, "INV-101");
  EXPECT_EQ("1000", Cell(line, kBankX, 10));
  EXPECT_EQ("D1", Cell(line, kNumberX, 8));
  EXPECT_EQ("Rcpt", Cell(line, kTypeX, 5));
  EXPECT_EQ("C100", Cell(line, kCodeX, 11));
  EXPECT_EQ("Alder Hardware", Cell(line, kNameX, 26));
  EXPECT_EQ("INV-101", Cell(line, kInvoiceX, 12));
  EXPECT_EQ("102.00", Cell(line, kInvoiceAmountX, 11));
  EXPECT_EQ("2.00", Cell(line, kDiscountX, 11));
}

TEST_F(CashReportsTest, AReceiptWithoutADepositNumberStaysInItsOwnBank) {
  // Receipts of 03/20/25 added after the fixture's: each bank's totals hold
  // its own amounts only, whatever the numbers.
  struct Receipt {
    const char* tran;
    const char* bank;
    const char* number;
    double amount;
  };
  const struct {
    const char* name;
    std::vector<Receipt> added;
    std::string bank1000, bank2000, grand;
  } cases[] = {
      // The last receipt of bank 1000 has no number, and bank 2000 follows.
      {"last of its bank", {{"R5", "1000", "", 30}}, "2.00 455.00", "0.00 10.00", "2.00 465.00"},
      {"two without a number", {{"R5", "1000", "", 30}, {"R6", "1000", "", 20}}, "2.00 475.00", "0.00 10.00",
       "2.00 485.00"},
      {"last of the last bank", {{"R7", "2000", "", 30}}, "2.00 425.00", "0.00 40.00", "2.00 465.00"},
  };
  for (const auto& c : cases) {
    UseFixtureFile(CashBooks());
    for (const Receipt& receipt : c.added) AddReceipt(receipt.tran, receipt.bank, receipt.number, receipt.amount);
    WriteCompany();
    const Run run = RunReport('R', "F10 Esc");
    const Preview r = OnlyPreview(run.transcript, "Cash Receipts Report");
    std::vector<std::string> banks;
    std::string grand;
    for (const Row& row : Rows(r)) {
      if (row.caption == "Bank Totals:") banks.push_back(row.discount + " " + row.amount);
      if (row.caption == "Grand Total Cash Receipts") grand = row.discount + " " + row.amount;
    }
    EXPECT_EQ((std::vector<std::string>{c.bank1000, c.bank2000}), banks) << c.name << "\n" << run.transcript;
    EXPECT_EQ(c.grand, grand) << c.name;
  }
}

TEST_F(CashReportsTest, DisbursementsShowEachCheckAndTheCheckStillToBePrinted) {
  const Run run = RunReport('P', "F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Cash Disbursements Report");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  // The check still to be printed shows its first line only and counts
  // nothing: neither its amount nor a check of the bank.
  EXPECT_EQ(
      "P1 300.00\nP1 120.00\nCheck Totals: 6.00 420.00\n"
      "P2 40.00\nP2 15.00\nCheck Totals: 0.00 55.00\n"
      "P3 80.00\n\nBank Totals: 6.00 475.00\n"
      "Grand Total Cash Payments 6.00 475.00\n",
      Summary(Rows(r)))
      << run.transcript;
  EXPECT_NE("", LineWith(r, "Number of Payments :      2"));
  EXPECT_NE("", LineWith(r, "Bank Account 1000 Totals:    4 Payments    2 Checks")) << run.transcript;
  const struct {
    const char* invoiceOrAccount;
    int x;
    const char* type;
    const char* name;
  } cases[] = {
      {"B-7001", kInvoiceX, "Check", "Riverside Properties"},
      // A payment to G/L accounts shows each line's account and text.
      {"6300", kCodeX, "Pmt", "Postage"},
      {"6700", kCodeX, "Pmt", "Bank service fee"},
      // The name shows its first 26 characters.
      {"B-7101", kInvoiceX, "ToPrt", "Northwind Commercial Refri"},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& l : r.Lines())
      if (Cell(l, c.x, 12) == c.invoiceOrAccount || Cell(l, c.x, 11) == c.invoiceOrAccount) line = l;
    ASSERT_NE("", line) << c.invoiceOrAccount;
    EXPECT_EQ(c.type, Cell(line, kTypeX, 5)) << c.invoiceOrAccount;
    EXPECT_EQ(c.name, Cell(line, kNameX, 26)) << c.invoiceOrAccount;
  }
  EXPECT_FALSE(r.Contains("B-7102")) << "the second line of a check still to be printed";
}

TEST_F(CashReportsTest, EachRunShowsItsOwnHeadingWordsAndTheRangesItCovers) {
  const struct {
    char kind;
    const char* keys;
    std::vector<std::string> words;
    std::vector<std::string> absent;
    std::vector<std::string> selection;
  } cases[] = {
      {'P', "F10 Esc", {"Check", "Vend/GL/Cust", "Paid To"}, {"Deposit", "Received From"},
       {"From Date: 03/01/25", "To Date:   03/31/25", "From Account: FIRST", "To Account:   LAST"}},
      // Receipts after disbursements in the same program.
      {'R', "F10 Esc", {"Deposit", "Cust/GL/Vdr", "Received From"}, {"Check ", "Paid To"},
       {"From Account: FIRST", "To Account:   LAST"}},
      {'R', "\"1000\" Enter \"1000\" Enter \"03/06/25\" Enter \"03/12/25\" F10 Esc", {"Received From"}, {"2000"},
       {"From Date: 03/06/25", "To Date:   03/12/25", "From Account: 1000", "To Account:   1000"}},
  };
  for (const auto& c : cases) {
    const Run run = RunReport(c.kind, c.keys);
    const Preview r = OnlyPreview(run.transcript, Title(c.kind));
    ASSERT_FALSE(r.Empty()) << c.keys << "\n" << run.transcript;
    const std::string heading = r.pages.front().at(4) + "\n" + r.pages.front().at(5);
    for (const std::string& w : c.words) EXPECT_NE(std::string::npos, heading.find(w)) << w << "\n" << heading;
    for (const std::string& w : c.absent) EXPECT_EQ(std::string::npos, heading.find(w)) << w << "\n" << heading;
    for (const std::string& s : c.selection) EXPECT_TRUE(r.Contains(s)) << s << "\n" << run.transcript;
  }
  // The narrower range: R2 and R3 of bank 1000.
  const Run run = RunReport('R', cases[2].keys);
  EXPECT_EQ("R2 200.00\n\nR3 75.00\n\nBank Totals: 0.00 275.00\nGrand Total Cash Receipts 0.00 275.00\n",
            Summary(Rows(OnlyPreview(run.transcript, "Cash Receipts Report"))));
}

TEST_F(CashReportsTest, OnTheSampleCompanyEachBankHasItsReceiptsAndPayments) {
  WriteImage(qxtest::SampleCompany(Today()));
  const struct {
    char kind;
    std::vector<std::string> lines;  // texts the report shows
  } cases[] = {
      {'R', {"Bank Account 1010 Totals:", "Bank Account 1020 Totals:", "Premium refund", "T-0301",
             "Grand Total Cash Receipts"}},
      {'P', {"Bank Account 1010 Totals:", "Bank Account 1020 Totals:", "ToPrt", "Wages, first half",
             "Grand Total Cash Payments"}},
  };
  for (const auto& c : cases) {
    const Run run = RunReport(c.kind, "F10 Esc");
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    const Preview r = OnlyPreview(run.transcript, Title(c.kind));
    for (const std::string& text : c.lines) EXPECT_TRUE(r.Contains(text)) << text << "\n" << run.transcript;
    EXPECT_FALSE(r.Contains("DELETED")) << run.transcript;
  }
}

// --- The screen -----------------------------------------------------------------------------

TEST_F(CashReportsTest, TheScreenRefusesWhatItCannotPrint) {
  const struct {
    const char* keys;
    std::vector<int> messages;
  } cases[] = {
      {"\"9999\" Enter Esc", {89}},                                      // not in the chart
      {"Enter \"9999\" F10 Esc", {89}},                                  // F10 leaves the field first
      {"\"2000\" Enter \"1000\" Enter Esc", {205}},                      // accounts out of order
      {"\"2000\" Enter \"1000\" F10 Esc", {205}},
      {"Enter Enter \"13/45/25\" Enter Esc", {13}},                      // not a date
      {"Enter Enter \"03/20/25\" Enter \"03/10/25\" Enter Esc", {205}},  // dates out of order
      {"Enter Enter \"04/15/25\" F10 Esc", {205}},                       // the from date after the to date at F10
  };
  for (const auto& c : cases) {
    const Run run = RunReport('R', c.keys);
    EXPECT_EQ(c.messages, run.messages) << c.keys << "\n" << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << c.keys;
  }
  // The cursor stays on the field refused (Enter answers the message): the
  // value is corrected there.
  const Run fixed = RunReport('R', "\"9999\" Enter Enter Del Del Del Del \"2000\" Enter F10 Esc");
  EXPECT_EQ(std::vector<int>{89}, fixed.messages) << fixed.transcript;
  const Preview r = OnlyPreview(fixed.transcript, "Cash Receipts Report");
  EXPECT_TRUE(r.Contains("From Account: 2000")) << fixed.transcript;
  EXPECT_EQ("R4 10.00\n\nBank Totals: 0.00 10.00\nGrand Total Cash Receipts 0.00 10.00\n", Summary(Rows(r)));
}

TEST_F(CashReportsTest, F5ListsTheAccountsAndTakesTheOneChosen) {
  const Run run = RunReport('R', "Enter F5 Down Enter F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("search list \" Accounts \": [1200")) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Cash Receipts Report");
  EXPECT_TRUE(r.Contains("To Account:   1200")) << run.transcript;
}

TEST_F(CashReportsTest, NothingSelectedShowsItsMessageAndNoReport) {
  const char* const cases[] = {
      "Enter Enter \"01/01/25\" Enter \"01/31/25\" F10 Esc",  // no receipt in January
      "\"2100\" Enter F10 Esc",                                 // no receipt of bank 2100 or after
  };
  for (const char* keys : cases) {
    const Run run = RunReport('R', keys);
    EXPECT_EQ(std::vector<int>{197}, run.messages) << keys << "\n" << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << keys;
  }
}

// --- Clean ends -------------------------------------------------------------------------------

void ExpectCashFilesClosed() {
  listingtest::ExpectFilesClosed({records::kFileCashHeaders, records::kFileCashLines, records::kFileGLAccounts});
}

TEST_F(CashReportsTest, ARecordManagerErrorEndsTheRunWithoutTotals) {
  WriteCompany();
  const struct {
    const char* name;
    const char* fault;
    bool linesShown;
  } cases[] = {
      {"the first read", "fail=9:cash_headers:1:84", false},
      {"a read of the next header", "fail=6:cash_headers:3:84", true},
      {"a read of a transaction's lines", "fail=6:cash_lines:2:84", true},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.fault));
    const Run run = RunReport('R', "F10 Esc");
    BtrvTestSwitch("");
    EXPECT_EQ(0, run.result);
    EXPECT_NE(std::string::npos, run.transcript.find("cash_")) << c.name << ": the error box names the file\n"
                                                               << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("message number: 197")) << c.name;
    const Preview r = OnlyPreview(run.transcript, "Cash Receipts Report");
    ASSERT_FALSE(r.Empty()) << c.name << "\n" << run.transcript;
    EXPECT_TRUE(r.Contains("incomplete")) << c.name;
    EXPECT_FALSE(r.Contains("Grand Total")) << c.name << ": no totals that look final";
    EXPECT_FALSE(r.Contains("Bank Totals:")) << c.name;
    EXPECT_EQ(c.linesShown, r.Contains("INV-101")) << c.name;
    ExpectCashFilesClosed();
  }
}

TEST_F(CashReportsTest, AUserBreakEndsTheRunWithoutTotals) {
  for (int n = 0; n < 200; ++n) AddReceipt(("B" + std::to_string(n)).c_str(), "1000", "D9", 1.0);
  const Run run = RunReport('R', "F10 Break Esc");
  EXPECT_EQ(0, run.result);
  const Preview r = OnlyPreview(run.transcript, "Cash Receipts Report");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  EXPECT_TRUE(r.Contains("Report stopped by the user"));
  EXPECT_FALSE(r.Contains("B199")) << "the run stopped before its end";
  EXPECT_FALSE(r.Contains("Grand Total"));
  ExpectCashFilesClosed();
}

TEST_F(CashReportsTest, ALongListingRepeatsItsHeadingOnEveryPage) {
  for (int n = 0; n < 150; ++n) AddReceipt(("B" + std::to_string(n)).c_str(), "1000", "D9", n + 1.01);
  const Run run = RunReport('R', "F10 Esc");
  const Preview r = OnlyPreview(run.transcript, "Cash Receipts Report");
  ASSERT_GE(r.pages.size(), 3u) << run.transcript;
  for (const auto& page : r.pages) {
    int headings = 0;
    for (const std::string& l : page) headings += Cell(l, kNameX, 26) == "Received From" ? 1 : 0;
    EXPECT_EQ(1, headings) << "each page has its column headings once";
  }
  // 150 receipts of n + 1.01 and the fixture's 435.00.
  double expected = 435.0;
  for (int n = 0; n < 150; ++n) expected += n + 1.01;
  char total[32];
  std::snprintf(total, sizeof total, "%.2f", expected);
  EXPECT_EQ(total, Cell(LineWith(r, "Grand Total Cash Receipts"), kAmountX, 11));
}

}  // namespace
}  // namespace checkstest
