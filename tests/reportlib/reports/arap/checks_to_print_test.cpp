// The checks-to-print listing (command 313), run through its entry on key
// scripts over cash transactions of the test's own, read back from the
// preview in the transcript: which checks are waiting, their invoice lines,
// the totals per check, per bank account and overall that foot them, page
// breaks, the nothing-to-list message and clean ends.
#include <cstdio>
#include <string>
#include <vector>

#include "checks_test_support.h"
#include "records/dictionary.h"
#include "reports/arap/checks_to_print.h"

namespace checkstest {
namespace {

// Print columns of the lines.
constexpr int kBankX = 2, kTranX = 15, kCodeX = 26, kPaidToX = 37, kInvoiceX = 75, kInvoiceAmountX = 92,
              kDiscountX = 107, kToPayX = 122, kLabelX = 5, kSecondX = 45;
constexpr int kAmountWidth = 12;

struct Check {
  const char* number;
  const char* bank;
  char type = 'C';
  int printed = 0;
  const char* reference = "Payment";
  const char* vendor = "V100";
  const char* payee = "Riverside Properties";
};

Json Header(const Check& c) {
  char tran[16];
  std::snprintf(tran, sizeof tran, "%10s", c.number);
  return Json{{"journalCode", "CD"},       {"transactionNumber", tran}, {"bankAccount", c.bank},
              {"depositNumber", c.number}, {"reference", c.reference},  {"paidToCode", c.vendor},
              {"side", "P"},               {"typeLetter", std::string(1, c.type)},
              {"paidToType", "V"},         {"distribution", "P"},      {"postedFlag", "N"},
              {"date", Date(2025, 3, 20)}, {"checkPrinted", c.printed}, {"payeeName", c.payee}};
}

Json Line(const char* number, const char* invoice, double invoiceAmount, double discount, double toPay) {
  char tran[16];
  std::snprintf(tran, sizeof tran, "%10s", number);
  return Json{{"journalCode", "CD"},   {"transactionNumber", tran}, {"text", "Payment"},
              {"invoiceNumber", invoice}, {"side", "P"},             {"amount", toPay},
              {"discount", discount},  {"invoiceAmount", invoiceAmount}};
}

// A total line as printed: its label, its second text, its three amounts.
struct Total {
  std::string label, second, invoice, discount, toPay;
  bool operator==(const Total&) const = default;
};

Total TotalOf(const std::string& line) {
  return Total{Cell(line, kLabelX, 40), Cell(line, kSecondX, 40), Cell(line, kInvoiceAmountX, kAmountWidth),
               Cell(line, kDiscountX, kAmountWidth), Cell(line, kToPayX, kAmountWidth)};
}

std::ostream& operator<<(std::ostream& out, const Total& t) {
  return out << "[" << t.label << "|" << t.second << "|" << t.invoice << "|" << t.discount << "|" << t.toPay << "]";
}

// The total lines of a listing, in order.
std::vector<Total> Totals(const Preview& r) {
  std::vector<Total> totals;
  for (const std::string& l : r.Lines()) {
    const std::string label = Cell(l, kLabelX, 40);
    if (label.rfind("Number of Check", 0) == 0 || label.rfind("Total", 0) == 0) totals.push_back(TotalOf(l));
  }
  return totals;
}

// The invoice lines of a listing: bank, transaction, code, paid to,
// invoice, amounts, one text each.
std::vector<std::string> InvoiceLines(const Preview& r) {
  std::vector<std::string> lines;
  for (const std::string& l : r.Lines()) {
    const std::string invoice = Cell(l, kInvoiceX, 10);
    if (invoice.rfind("INV-", 0) != 0 && !(invoice.empty() && Cell(l, kTranX, 10).rfind("20", 0) == 0)) continue;
    lines.push_back(Cell(l, kBankX, 10) + "|" + Cell(l, kTranX, 10) + "|" + Cell(l, kCodeX, 10) + "|" +
                    Cell(l, kPaidToX, 37) + "|" + invoice + "|" + Cell(l, kInvoiceAmountX, kAmountWidth) + "|" +
                    Cell(l, kDiscountX, kAmountWidth) + "|" + Cell(l, kToPayX, kAmountWidth));
  }
  return lines;
}

class ChecksToPrintTest : public listingtest::ListingTest {
 protected:
  ChecksToPrintTest() : ListingTest(313) {}

  void SetUp() override {
    ListingTest::SetUp();
    UseFixtureFile(BooksFile());
  }

  // 2001 and 2002 wait in bank 1010, 2006 and 2007 (without lines) in 1020;
  // 2003 is printed, 2004 deleted, 2005 a hand-written check, 1001 a deposit.
  void AddChecks() {
    const Check checks[] = {
        {"2006", "1020", 'C', 0, "Payment", "V300", "Harbor Marine Electrical Contractors Inc"},
        {"2001", "1010"},
        {"2003", "1010", 'C', 1},
        {"2002", "1010", 'C', 0, "Payment", "V200", "Cedar Mills"},
        {"2004", "1010", 'C', 0, "DELETED"},
        {"2005", "1010", 'M'},
        {"1001", "1010", 'D'},
        {"2007", "1020", 'C', 0, "Payment", "V400", "Alder Fuel"},
    };
    for (const Check& c : checks) Add("cash_headers", Header(c));
    Add("cash_lines", Line("2001", "INV-101", 1000.00, 20.00, 980.00));
    Add("cash_lines", Line("2001", "INV-102", 250.00, 0, 250.00));
    Add("cash_lines", Line("2002", "INV-201", 400.00, 8.00, 392.00));
    Add("cash_lines", Line("2003", "INV-301", 90.00, 0, 90.00));
    Add("cash_lines", Line("2004", "INV-401", 80.00, 0, 80.00));
    Add("cash_lines", Line("2005", "INV-501", 70.00, 0, 70.00));
    Add("cash_lines", Line("2006", "INV-601", 600.00, 12.00, 588.00));
    Add("cash_lines", Line("2006", "INV-602", 100.00, 0, 100.00));
    Add("cash_lines", Line("2006", "INV-603", 55.55, 0, 55.55));
  }

  Run RunListing(const std::string& keys = "Esc") {
    return RunScripted(keys, [] { return RunChecksToPrint(); });
  }
};

TEST_F(ChecksToPrintTest, ListsTheWaitingChecksWithTheirInvoicesByBank) {
  AddChecks();
  const Run run = RunListing();
  EXPECT_EQ(0, run.result);
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "Checks to Print");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  // Printed, deleted and hand-written checks and deposits are not listed; a
  // check's later lines leave its bank, transaction and code empty; a check
  // without lines is named on a line of its own.
  const std::vector<std::string> expected = {
      "1010|2001|V100|Riverside Properties|INV-101|1000.00|20.00|980.00",
      "|||Riverside Properties|INV-102|250.00|0.00|250.00",
      "1010|2002|V200|Cedar Mills|INV-201|400.00|8.00|392.00",
      "1020|2006|V300|Harbor Marine Electrical Contractors|INV-601|600.00|12.00|588.00",
      "|||Harbor Marine Electrical Contractors|INV-602|100.00|0.00|100.00",
      "|||Harbor Marine Electrical Contractors|INV-603|55.55|0.00|55.55",
      "1020|2007|V400|Alder Fuel||||",
  };
  EXPECT_EQ(expected, InvoiceLines(r)) << run.transcript;
  EXPECT_TRUE(r.Contains("Checks to Print"));
  EXPECT_TRUE(r.Contains("Amt. to Pay"));
}

TEST_F(ChecksToPrintTest, TotalsPerCheckPerBankAndOverallFoot) {
  AddChecks();
  const Run run = RunListing();
  const Preview r = OnlyPreview(run.transcript, "Checks to Print");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  const std::string check = "Number of Check Transaction(s):";
  const std::vector<Total> expected = {
      {check, "2 Total(s) for Check :", "1250.00", "20.00", "1230.00"},
      // A check total is written for a check of one line too.
      {check, "1 Total(s) for Check :", "400.00", "8.00", "392.00"},
      {"Total for Bank Acct. 1010", ":", "1650.00", "28.00", "1622.00"},
      {check, "3 Total(s) for Check :", "755.55", "12.00", "743.55"},
      {check, "0 Total(s) for Check :", "0.00", "0.00", "0.00"},
      {"Total for Bank Acct. 1020", ":", "755.55", "12.00", "743.55"},
      {"Total Number of Transaction(s) :", "6 Grand Total(s)    :", "2405.55", "40.00", "2365.55"},
  };
  EXPECT_EQ(expected, Totals(r)) << run.transcript;
}

TEST_F(ChecksToPrintTest, APageBreakWithinACheckRepeatsTheHeadingAndNamesTheCheck) {
  Add("cash_headers", Header(Check{"2001", "1010"}));
  double sum = 0;
  for (int n = 0; n < 120; ++n) {
    const std::string invoice = "INV-" + std::to_string(1000 + n);
    const double amount = 10.01 + n;
    sum += amount;
    Add("cash_lines", Line("2001", invoice.c_str(), amount, 0, amount));
  }
  const Run run = RunListing();
  const Preview r = OnlyPreview(run.transcript, "Checks to Print");
  ASSERT_GE(r.pages.size(), 2u) << run.transcript;
  for (std::size_t p = 0; p < r.pages.size(); ++p) {
    int headings = 0;
    std::string firstLine;
    for (const std::string& l : r.pages[p]) {
      if (Cell(l, kBankX, 10) == "Bank Acct." && Cell(l, kInvoiceX, 10) == "Invoice#") ++headings;
      if (firstLine.empty() && Cell(l, kInvoiceX, 10).rfind("INV-", 0) == 0) firstLine = l;
    }
    EXPECT_EQ(1, headings) << "page " << p + 1;
    // The first line of every page says which check it belongs to.
    if (!firstLine.empty()) {
      EXPECT_EQ("2001", Cell(firstLine, kTranX, 10)) << "page " << p + 1;
    }
  }
  char total[32];
  std::snprintf(total, sizeof total, "%.2f", sum);
  const std::vector<Total> totals = Totals(r);
  ASSERT_FALSE(totals.empty());
  EXPECT_EQ("120 Grand Total(s)    :", totals.back().second);
  EXPECT_EQ(total, totals.back().invoice);
  EXPECT_EQ(total, totals.back().toPay);
}

TEST_F(ChecksToPrintTest, NothingWaitingShowsItsMessageAndNoReport) {
  const Run empty = RunListing();
  EXPECT_EQ(std::vector<int>{197}, empty.messages) << empty.transcript;
  EXPECT_EQ(std::string::npos, empty.transcript.find("preview:"));

  for (const Check& c : {Check{"2003", "1010", 'C', 1}, Check{"2004", "1010", 'C', 0, "DELETED"},
                         Check{"2005", "1010", 'M'}, Check{"1001", "1010", 'D'}})
    Add("cash_headers", Header(c));
  WriteCompany();
  const Run none = RunListing();
  EXPECT_EQ(std::vector<int>{197}, none.messages) << none.transcript;
  EXPECT_EQ(std::string::npos, none.transcript.find("preview:"));
}

void ExpectListingFilesClosed() {
  listingtest::ExpectFilesClosed({records::kFileCashHeaders, records::kFileCashLines});
}

TEST_F(ChecksToPrintTest, AUserBreakEndsTheRunCleanly) {
  for (int n = 0; n < 60; ++n) {
    const std::string number = std::to_string(3000 + n);
    Add("cash_headers", Header(Check{number.c_str(), "1010"}));
    Add("cash_lines", Line(number.c_str(), "INV-1", 10.00, 0, 10.00));
  }
  const Run run = RunListing("Break Esc");
  EXPECT_EQ(0, run.result);
  const Preview r = OnlyPreview(run.transcript, "Checks to Print");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  EXPECT_TRUE(r.Contains("Report stopped by the user"));
  EXPECT_FALSE(r.Contains("Grand Total")) << "no totals of a stopped run";
  ExpectListingFilesClosed();
}

TEST_F(ChecksToPrintTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddChecks();
  WriteCompany();
  const struct {
    const char* spec;
    const char* file;
  } cases[] = {{"fail=6:cash_headers:3:2", "cash_headers"}, {"fail=6:cash_lines:2:2", "cash_lines"}};
  for (const auto& c : cases) {
    ASSERT_EQ(0, BtrvTestSwitch(c.spec));
    const Run run = RunListing();
    BtrvTestSwitch("");
    EXPECT_EQ(0, run.result) << c.spec;
    EXPECT_NE(std::string::npos, run.transcript.find(c.file)) << c.spec << "\n" << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "Checks to Print");
    ASSERT_FALSE(r.Empty()) << c.spec;
    EXPECT_TRUE(r.Contains("incomplete")) << c.spec;
    EXPECT_FALSE(r.Contains("Grand Total")) << c.spec << ": no totals that look final";
    ExpectListingFilesClosed();
  }
}

}  // namespace
}  // namespace checkstest
