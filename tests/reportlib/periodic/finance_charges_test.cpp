// Finance charges (command 364), driven by key scripts over companies built
// by the fixture loader: the charges of overdue invoices as of 31 March
// 2026, the customers charged and skipped, the minimum charge, the report,
// the G/L transaction and the books after it, the three modes, the
// refusals, and the books after a failure or a kill (as they were).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/finance_charges.h"
#include "qxabase/aging.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "qxtest/company_test.h"
#include "qxtest/killed_run.h"
#include "qxtest/report_html.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

using fixture::Json;
using records::CustVendRecord;
using records::GLAccount;
using records::GLLine;
using records::TagGLHeader;
using records::TagOpenInvoice;
using Image = std::vector<std::uint8_t>;

constexpr int kCommand = 364;

std::string TextOf(const char* field, std::size_t n) {
  std::string s(field, strnlen(field, n));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}
template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return TextOf(field, N);
}

template <class T>
T As(const Image& image) {
  T r{};
  std::memcpy(&r, image.data(), std::min(image.size(), sizeof r));
  return r;
}

// A line of an invoice: its type, amount and discount, and where it came
// from ('F': a finance charge; blank: entry).
struct LineSpec {
  char type;
  double amount;
  double discount = 0.0;
  char origin = ' ';
};

struct InvoiceSpec {
  const char* number;
  const char* due;  // "MM-DD" in 2026
  std::vector<LineSpec> lines;
};

struct CustomerSpec {
  const char* code;
  double rate;
  double minimum;
  std::vector<InvoiceSpec> invoices;
  char type = 'O';
  const char* account = "";  // the customer's receivables account; blank: the interface's
};

class FinanceChargesTest : public qxtest::CompanyTest {
 protected:
  FinanceChargesTest() : qxtest::CompanyTest(DateMake(2026, 3, 31)) {}

  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/finance_charges.json");
    SharedAppBlockGet()->currentCommand = kCommand;
  }

  // Adds the customers with their invoices, each invoice's lines and header
  // as posting leaves them, the customers' balances from their lines, and
  // the receivables accounts with the sum of their customers' balances.
  void AddCustomers(const std::vector<CustomerSpec>& customers) {
    std::map<std::string, double> control{{"1100", 0.0}, {"1150", 0.0}};
    for (const CustomerSpec& c : customers) {
      double balance = 0.0;
      for (const InvoiceSpec& inv : c.invoices) {
        const std::string due = std::string("2026-") + inv.due;
        double amount = 0.0, open = 0.0;
        char precedence = '1';
        for (const LineSpec& l : inv.lines) {
          Add("ar_open_invoices", Json{{"code", c.code},
                                       {"invoiceNumber", inv.number},
                                       {"precedence", std::string(1, precedence)},
                                       {"reference", "Entered"},
                                       {"lineType", std::string(1, l.type)},
                                       {"status", "P"},
                                       {"precedenceCode", std::string(1, precedence)},
                                       {"itemNumber", ++itemNumber_},
                                       {"dueDate", due},
                                       {"secondDate", due},
                                       {"invoiceDate", due},
                                       {"amount", l.amount},
                                       {"discount", l.discount},
                                       {"origin", std::string(1, l.origin)},
                                       {"precedenceByte", std::string(1, precedence)}});
          if (precedence < '4') ++precedence;
          TagOpenInvoice line{};
          line.lineType = l.type;
          line.amount = l.amount;
          const double effect = AgingSignedAmount(records::kFileReceivablesOpenInvoices, line);
          amount += effect > 0 ? effect : 0.0;
          open += effect - l.discount;
        }
        Add("ar_open_invoice_headers", Json{{"code", c.code},
                                            {"invoiceNumber", inv.number},
                                            {"invoiceDate", due},
                                            {"dueDate", due},
                                            {"amount", amount},
                                            {"balance", open}});
        balance += open;
      }
      Add("customers", Json{{"code", c.code},
                            {"name", std::string(c.code) + " Trading"},
                            {"accountType", std::string(1, c.type)},
                            {"financeChargeRate", c.rate},
                            {"minimumFinanceCharge", c.minimum},
                            {"glAccount", c.account},
                            {"periodDebits", 400.0},
                            {"balance", balance},
                            {"raw", {{"30", "5150c0de"}}}});
      control[*c.account ? c.account : "1100"] += balance;
    }
    Add("gl_accounts", Json{{"code", "1100"}, {"name", "Accounts receivable"}, {"level", "1"}, {"kind", 1},
                            {"type", "D"}, {"currentBalance", control["1100"]}});
    Add("gl_accounts", Json{{"code", "1150"}, {"name", "Receivables, export"}, {"level", "1"}, {"kind", 1},
                            {"type", "D"}, {"currentBalance", control["1150"]}});
  }

  Run Charge(const std::string& keys) {
    return RunScripted(keys, [] { return RunGenerateFinanceCharges(); });
  }

  // The records of the files a run may change, as stored.
  fixture::CompanyImage Books() { return Snapshot({1, 5, 22, 23, 26, 27, 72, 75}); }

  // The finance-charge lines of the company, "CUSTOMER INVOICE amount", in
  // file order.
  std::vector<std::string> ChargeLines() {
    std::vector<std::string> out;
    const fixture::CompanyImage books = Books();
    for (const Image& r : books.files.at(records::kFileReceivablesOpenInvoices)) {
      const auto l = As<TagOpenInvoice>(r);
      if (l.lineType == 'F') out.push_back(Text(l.code) + " " + Text(l.invoiceNumber) + " " + Amount(l.amount));
    }
    return out;
  }

  std::map<std::string, CustVendRecord> Customers() {
    std::map<std::string, CustVendRecord> out;
    const fixture::CompanyImage books = Books();
    for (const Image& r : books.files.at(records::kFileCustomers)) {
      const auto c = As<CustVendRecord>(r);
      out[Text(c.code)] = c;
    }
    return out;
  }

  static std::string Amount(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
  }

  // The invoice number of the top-up invoice of the run's date.
  static std::string TopUpInvoice() { return "FC" + std::to_string(DateMake(2026, 3, 31)); }

  int itemNumber_ = 0;
};

// The transcript with every run of blanks made one: totals are looked for
// by their caption and amounts.
std::string Words(const std::string& transcript) {
  std::string out;
  for (char ch : qxtest::Flat(transcript)) {
    if (ch == ' ' && !out.empty() && out.back() == ' ') continue;
    out += ch;
  }
  return out;
}

// The charge printed on the report line of `invoice` (its seventh column).
std::string ChargePrinted(const std::string& transcript, const std::string& invoice) {
  std::size_t at = 0;
  while ((at = transcript.find('\n', at)) != std::string::npos) {
    const std::size_t end = transcript.find('\n', at + 1);
    const std::string line = transcript.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    at = end;
    if (line.size() > 116 && qxtest::Trim(line.substr(53, 15)) == invoice) return qxtest::Trim(line.substr(104, 12));
    if (end == std::string::npos) break;
  }
  return "<not printed>";
}

// ---- The charges ---------------------------------------------------------------------------

// Charges at 1.5 % per 30 days as of 31 March 2026: the day after the due
// date is the first one charged, 30 days at most; only a positive balance
// at cents is charged, and an ADVANCE invoice never.
TEST_F(FinanceChargesTest, TheChargeOfEachInvoice) {
  AddCustomers({{"TABLE",
                 1.5,
                 0.0,
                 {{"1001", "03-31", {{'I', 1000.0}}},
                  {"1002", "03-30", {{'I', 1000.0}}},
                  {"1003", "03-11", {{'I', 1000.0}}},
                  {"1004", "02-14", {{'I', 1000.0}}},
                  {"1005", "02-14", {{'I', 100.0}, {'P', 100.0}}},
                  {"1006", "02-14", {{'I', 100.0}, {'C', 150.0}}},
                  {"1007", "02-14", {{'I', 137.03}, {'P', 9.29}, {'P', 127.74}}},
                  {"  advance7", "02-14", {{'I', 80.0}}}}}});
  const Run run = Charge("F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_EQ(ChargeLines(), (std::vector<std::string>{"TABLE 1002 0.50", "TABLE 1003 10.00", "TABLE 1004 15.00"}));
  // The report lists what was charged, and nothing else.
  EXPECT_NE(run.transcript.find("preview: Finance Charges"), std::string::npos) << run.transcript;
  EXPECT_EQ(ChargePrinted(run.transcript, "1002"), "0.50");
  EXPECT_EQ(ChargePrinted(run.transcript, "1003"), "10.00");
  EXPECT_EQ(ChargePrinted(run.transcript, "1004"), "15.00");
  for (const char* invoice : {"1001", "1005", "1006", "1007", "advance7"})
    EXPECT_EQ(ChargePrinted(run.transcript, invoice), "<not printed>") << invoice;
  EXPECT_NE(Words(run.transcript).find("Customer total 3000.00 25.50 3025.50"), std::string::npos)
      << run.transcript;
  EXPECT_NEAR(Customers().at("TABLE").balance, 1000 * 4 + 80 - 50 + 25.5, 0.001);
}

// Who is charged: never a cash customer, nor one without a rate or a
// minimum; a minimum tops a customer up on an invoice of its own when an
// invoice of it was past due, also one whose charges rounded to nothing; a
// negative rate charges nothing.
TEST_F(FinanceChargesTest, CustomersAndTheirMinimum) {
  const std::vector<InvoiceSpec> twoLate = {{"A1", "02-14", {{'I', 100.0}}}, {"A2", "03-11", {{'I', 100.0}}}};
  AddCustomers({
      {"CASH", 1.5, 5.0, {{"C1", "02-14", {{'I', 1000.0}}}}, 'C'},
      {"NORATE", 0.0, 0.0, {{"N1", "02-14", {{'I', 1000.0}}}}},
      {"MINONLY", 0.0, 5.0, {{"M1", "02-14", {{'I', 200.0}}}}},
      {"TOPUP", 1.2, 5.0, twoLate},
      {"LOWMIN", 1.2, 2.0, twoLate},
      {"ROUND", 1.5, 3.0, {{"R1", "03-30", {{'I', 1.0}}}}},
      {"NOTLATE", 1.5, 5.0, {{"L1", "03-31", {{'I', 500.0}}}}},
      {"NEGRATE", -1.5, 0.0, {{"G1", "02-14", {{'I', 1000.0}}}}},
  });
  WriteCompany();
  const auto before = Customers();
  const Run run = Charge("F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const std::string fc = TopUpInvoice();
  // In the order the run charged them: customer by customer.
  EXPECT_EQ(ChargeLines(), (std::vector<std::string>{"LOWMIN A1 1.20", "LOWMIN A2 0.80", "MINONLY " + fc + " 5.00",
                                                     "ROUND " + fc + " 3.00", "TOPUP A1 1.20", "TOPUP A2 0.80",
                                                     "TOPUP " + fc + " 3.00"}));
  const std::map<std::string, double> charged = {{"CASH", 0},  {"NORATE", 0}, {"MINONLY", 5}, {"TOPUP", 5},
                                                 {"LOWMIN", 2}, {"ROUND", 3},  {"NOTLATE", 0}, {"NEGRATE", 0}};
  const auto after = Customers();
  for (const auto& [code, amount] : charged) {
    SCOPED_TRACE(code);
    EXPECT_NEAR(after.at(code).balance - before.at(code).balance, amount, 0.001);
    EXPECT_NEAR(after.at(code).periodDebits - before.at(code).periodDebits, amount, 0.001);
  }
  // A charge that rounds to nothing is printed.
  EXPECT_EQ(ChargePrinted(run.transcript, "R1"), "0.00");
  EXPECT_EQ(ChargePrinted(run.transcript, "M1"), "0.00");
  EXPECT_EQ(ChargePrinted(run.transcript, "G1"), "0.00") << "a negative rate charges nothing";
  // The top-up invoice has its header, as every invoice does.
  bool header = false;
  const fixture::CompanyImage books = Books();
  for (const Image& r : books.files.at(records::kFileReceivablesOpenInvoiceHeaders)) {
    const auto h = As<records::OpenInvoiceHeader>(r);
    if (Text(h.code) == "MINONLY" && Text(h.invoiceNumber) == fc) {
      header = true;
      EXPECT_NEAR(h.balance, 5.0, 0.001);
    }
  }
  EXPECT_TRUE(header) << "the top-up invoice has a header";
}

// The accountant's check after a run over every customer: each customer's
// period debits and balance rise by exactly its new lines, one posted "AR"
// transaction debits each receivables account once (customers without an
// account of their own on the interface's) and credits the finance-charge
// account with the total, which the report's grand total shows, and the
// receivables accounts still equal their customers' balances.
TEST_F(FinanceChargesTest, TheBooksAfterARun) {
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "02-14", {{'I', 1000.0}}}}},
                {"BRAVO", 1.5, 0.0, {{"2", "03-11", {{'I', 600.0}}}}, 'O', "1150"},
                {"CHARLIE", 1.5, 0.0, {{"3", "03-11", {{'I', 300.0}}}}, 'O', "1100"},
                {"DELTA", 1.5, 0.0, {{"4", "03-01", {{'I', 2000.0}}}}, 'B', "1150"},
                {"ECHO", 1.5, 0.0, {{"5", "03-31", {{'I', 700.0}}}}}});
  WriteCompany();
  const fixture::CompanyImage before = Books();
  const Run run = Charge(R"(Enter "MAR-FC" F10 Esc)");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const fixture::CompanyImage after = Books();

  // The customers: by exactly their new lines; no other byte moved.
  std::map<std::string, double> newLines;
  for (const Image& r : after.files.at(5)) {
    const auto l = As<TagOpenInvoice>(r);
    if (l.lineType != 'F') continue;
    newLines[Text(l.code)] += l.amount;
    EXPECT_EQ(Text(l.reference), "MAR-FC");
    EXPECT_EQ(l.status, 'P');
    EXPECT_EQ(l.origin, 'F');
    EXPECT_EQ(l.invoiceDate, DateMake(2026, 3, 31));
  }
  EXPECT_EQ(newLines,
            (std::map<std::string, double>{{"ALPHA", 15.0}, {"BRAVO", 6.0}, {"CHARLIE", 3.0}, {"DELTA", 30.0}}));
  std::map<std::string, double> owed;
  ASSERT_EQ(after.files.at(22).size(), before.files.at(22).size());
  for (std::size_t i = 0; i < after.files.at(22).size(); ++i) {
    auto b = As<CustVendRecord>(before.files.at(22)[i]);
    const auto a = As<CustVendRecord>(after.files.at(22)[i]);
    const double charged = newLines[Text(a.code)];
    EXPECT_NEAR(a.balance - b.balance, charged, 0.001) << Text(a.code);
    EXPECT_NEAR(a.periodDebits - b.periodDebits, charged, 0.001) << Text(a.code);
    b.balance = a.balance;
    b.periodDebits = a.periodDebits;
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a)) << Text(a.code) << ": a byte the run does not own moved";
    owed[Text(a.glAccount).empty() ? "1100" : Text(a.glAccount)] += a.balance;
  }

  // One transaction, posted, balanced, numbered from the "AR" sequence.
  ASSERT_EQ(after.files.at(27).size(), 1u);
  const auto h = As<TagGLHeader>(after.files.at(27)[0]);
  EXPECT_EQ(Text(h.journalCode), "AR");
  EXPECT_EQ(Text(h.transactionNumber), "42");
  EXPECT_EQ(h.postedFlag, 'Y');
  EXPECT_EQ(h.date, DateMake(2026, 3, 31));
  EXPECT_EQ(Text(h.reference), "MAR-FC");
  EXPECT_NEAR(h.amount, 54.0, 0.001);
  std::vector<std::string> lines;
  for (const Image& r : after.files.at(26)) {
    const auto l = As<GLLine>(r);
    lines.push_back(std::to_string(l.lineNumber) + " " + Text(l.account) + " " + l.side + " " + Amount(l.amount) +
                    " " + Text(l.description));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"0 1100 D 18.00 Finance charges", "1 1150 D 36.00 Finance charges",
                                             "2 4300 C 54.00 Finance charges"}));
  // The accounts took the transaction; the control accounts agree with the
  // customers.
  std::map<std::string, double> balances;
  for (const Image& r : after.files.at(1)) balances[Text(As<GLAccount>(r).code)] = As<GLAccount>(r).currentBalance;
  EXPECT_NEAR(balances["1100"], owed["1100"], 0.001);
  EXPECT_NEAR(balances["1150"], owed["1150"], 0.001);
  EXPECT_NEAR(balances["4300"], 54.0, 0.001);
  EXPECT_NE(Words(run.transcript).find("Total finance charges 3900.00 54.00 3954.00"), std::string::npos)
      << run.transcript;
  // Each line written is in the audit log.
  EXPECT_EQ(after.files.count(75) ? after.files.at(75).size() : 0u, 4u);
}

// A rerun for the same date finds every invoice charged already: nothing
// is charged twice, and nothing changes.
TEST_F(FinanceChargesTest, ARerunChargesNothingTwice) {
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "02-14", {{'I', 1000.0}}}}},
                {"TOPUP", 1.2, 5.0, {{"A1", "02-14", {{'I', 100.0}}}}}});
  const Run first = Charge("F10 Esc");
  EXPECT_TRUE(first.messages.empty()) << first.transcript;
  const fixture::CompanyImage once = Books();
  const Run again = Charge("F10 Esc");
  EXPECT_EQ(again.messages, std::vector<int>{197}) << again.transcript;
  EXPECT_EQ(again.transcript.find("preview:"), std::string::npos) << "a run that charged nothing shows no report";
  EXPECT_EQ(Books().files, once.files);
}

// Runs on later dates charge each invoice for the days since its last
// charge: never again for days a charge already covered, and 30 days at
// most.  The books hold after every run.
TEST_F(FinanceChargesTest, ALaterRunChargesOnlyTheDaysSinceTheLastCharge) {
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "02-14", {{'I', 1000.0}}}, {"2", "03-20", {{'I', 600.0}}}}}});
  // The equity that balances the opening cash and receivables.
  Add("gl_accounts", Json{{"code", "3000"}, {"name", "Equity"}, {"level", "1"}, {"kind", 3}, {"type", "D"},
                          {"currentBalance", 6600.0}});
  const struct {
    const char* keys;
    std::vector<std::string> charged;  // the run's new lines
  } runs[] = {
      // 30 days of the 45 late; 11 days.
      {"F10 Esc", {"ALPHA 1 15.00", "ALPHA 2 3.30"}},
      // Five days after the last charge, on the balances it left.
      {R"("04/05/26" F10 Esc)", {"ALPHA 1 2.54", "ALPHA 2 1.51"}},
      // A month later: 30 days.
      {R"("05/05/26" F10 Esc)", {"ALPHA 1 15.26", "ALPHA 2 9.07"}},
  };
  std::vector<std::string> before;
  for (const auto& r : runs) {
    SCOPED_TRACE(r.keys);
    const Run run = Charge(r.keys);
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    std::vector<std::string> lines = ChargeLines();
    std::vector<std::string> added;
    for (const std::string& l : lines)
      if (std::find(before.begin(), before.end(), l) == before.end()) added.push_back(l);
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added, r.charged);
    before = lines;
    const qxtest::BooksReport books = CheckBooks();
    EXPECT_TRUE(books.hold) << books.report;
  }
}

// The minimum is the least a customer is charged for a date: a second run
// for the date that charges another invoice tops up only what the date's
// charges still lack.
TEST_F(FinanceChargesTest, ASecondRunOfTheDateTopsUpToTheMinimumOnce) {
  AddCustomers({{"TOPUP", 1.2, 5.0, {{"A1", "02-14", {{'I', 100.0}}}, {"A2", "03-11", {{'I', 100.0}}}}}});
  auto sorted = [](std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  const std::string fc = TopUpInvoice();
  // A1 first (and the top-up of the date), A2 later the same day.
  const Run first = Charge(R"(Enter Enter "S" Enter F10 F3 F10 Esc)");
  EXPECT_TRUE(first.messages.empty()) << first.transcript;
  EXPECT_EQ(sorted(ChargeLines()), (std::vector<std::string>{"TOPUP A1 1.20", "TOPUP " + fc + " 3.80"}))
      << first.transcript;
  const Run again = Charge("F10 Esc");
  EXPECT_TRUE(again.messages.empty()) << again.transcript;
  EXPECT_EQ(sorted(ChargeLines()),
            (std::vector<std::string>{"TOPUP A1 1.20", "TOPUP A2 0.80", "TOPUP " + fc + " 3.80"}))
      << again.transcript;
  EXPECT_NEAR(Customers().at("TOPUP").balance, 205.80, 0.001);
}

// What a customer was charged for the date counts once per line, however
// its invoices lie: two advance invoices next to each other read as one,
// and the charges of the date found on them (a line written by hand) count
// each once.  Charged: B1 1.20, with 1.00 + 1.00 of the date before, so the
// top-up to 5.00 is 1.80.
TEST_F(FinanceChargesTest, TheMinimumCountsEachChargeOfTheDateOnce) {
  const LineSpec chargeOfTheDate{'F', 1.0, 0.0, 'F'};
  AddCustomers({{"ADV",
                 1.2,
                 5.0,
                 {{"ADVANCE1", "03-31", {{'I', 10.0}, chargeOfTheDate}},
                  {"ADVANCE2", "03-31", {{'I', 10.0}, chargeOfTheDate}},
                  {"B1", "02-14", {{'I', 100.0}}}}},
                {"PLAIN",
                 1.2,
                 5.0,
                 {{"A1", "03-31", {{'I', 10.0}, chargeOfTheDate}},
                  {"A2", "03-31", {{'I', 10.0}, chargeOfTheDate}},
                  {"B1", "02-14", {{'I', 100.0}}}}}});
  const Run run = Charge("F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const std::string fc = TopUpInvoice();
  std::vector<std::string> charged;
  for (const std::string& line : ChargeLines())
    if (line.find(" 1.00") == std::string::npos) charged.push_back(line);
  EXPECT_EQ(charged, (std::vector<std::string>{"ADV B1 1.20", "ADV " + fc + " 1.80", "PLAIN B1 1.20",
                                               "PLAIN " + fc + " 1.80"}));
}

// ---- The modes ---------------------------------------------------------------------------

struct ModeCase {
  const char* name;
  const char* keys;
  std::vector<std::string> charged;  // the customers charged
};
const ModeCase kModes[] = {
    {"All", "F10 Esc", {"ALPHA", "BRAVO", "CHARLIE"}},
    {"a range", R"(Enter Enter "R" Enter "BRAVO" Enter "BRAVO" F10 Esc)", {"BRAVO"}},
    {"a range to the last customer", R"(Enter Enter "R" Enter "BRAVO" Enter F10 Esc)", {"BRAVO", "CHARLIE"}},
    {"a range from the first customer", R"(Enter Enter "R" Enter Enter "bravo" F10 Esc)", {"ALPHA", "BRAVO"}},
    {"a range picked from the list", R"(Enter Enter "R" Enter F5 "b" Enter Enter F10 Esc)", {"BRAVO", "CHARLIE"}},
    {"All after a range was typed",
     R"(Enter Enter "R" Enter "BRAVO" Enter "BRAVO" Shift+Tab Shift+Tab "A" Enter F10 Esc)",
     {"ALPHA", "BRAVO", "CHARLIE"}},
};

TEST_F(FinanceChargesTest, AllARangeOrTheRestOfTheFile) {
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "02-14", {{'I', 100.0}}}}},
                {"BRAVO", 1.5, 0.0, {{"2", "02-14", {{'I', 100.0}}}}},
                {"CHARLIE", 1.5, 0.0, {{"3", "02-14", {{'I', 100.0}}}}}});
  for (const ModeCase& c : kModes) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const Run run = Charge(c.keys);
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    std::vector<std::string> charged;
    for (const std::string& l : ChargeLines()) charged.push_back(l.substr(0, l.find(' ')));
    EXPECT_EQ(charged, c.charged) << run.transcript;
  }
}

// Select: the chargeable invoices are listed; F3 marks a line and moves on;
// only the marked ones are charged.  None marked: message 815; Esc: nothing.
// The work file is gone after every run.
struct SelectCase {
  const char* name;
  const char* listKeys;
  std::vector<std::string> charged;
  std::vector<int> messages;
};
const SelectCase kSelects[] = {
    {"two of three marked", "F3 Down F3 F10 Esc", {"ALPHA 1 1.00", "BRAVO 3 2.00"}, {}},
    {"a mark taken off again", "F3 Up F3 Down Down F3 F10 Esc", {"BRAVO 3 2.00"}, {}},
    {"none marked", "F10", {}, {815}},
    {"Esc in the list", "F3 F3 Esc", {}, {}},
};

TEST_F(FinanceChargesTest, SelectChargesTheMarkedInvoices) {
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "03-11", {{'I', 100.0}}}, {"2", "03-11", {{'I', 50.0}}}}},
                {"BRAVO", 1.5, 0.0, {{"3", "03-11", {{'I', 200.0}}}, {"4", "03-31", {{'I', 10.0}}}}}});
  char path[260] = {};
  ASSERT_EQ(0, TempFilePathGet("TEMPCUST.DB", path, nullptr, nullptr));
  for (const SelectCase& c : kSelects) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const fixture::CompanyImage before = Books();
    const Run run = Charge(std::string(R"(Enter Enter "S" Enter F10 )") + c.listKeys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(ChargeLines(), c.charged) << run.transcript;
    if (c.charged.empty()) {
      EXPECT_EQ(Books().files, before.files);
    }
    EXPECT_NE(qxtest::Flat(run.transcript).find("Invoices to Charge"), std::string::npos) << run.transcript;
    EXPECT_NE(BtrvFileExists(path), kStatusOk) << "the work file is left behind";
  }
}

// Select with the minimum: one total per customer, each charge counted once.
TEST_F(FinanceChargesTest, SelectTopsUpToTheMinimumOnce) {
  AddCustomers({{"TOPUP", 1.2, 5.0, {{"A1", "02-14", {{'I', 100.0}}}, {"A2", "03-11", {{'I', 100.0}}}}}});
  const Run run = Charge(R"(Enter Enter "S" Enter F10 F3 F3 F10 Esc)");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_EQ(ChargeLines(),
            (std::vector<std::string>{"TOPUP A1 1.20", "TOPUP A2 0.80", "TOPUP " + TopUpInvoice() + " 3.00"}));
  EXPECT_NEAR(Customers().at("TOPUP").balance, 205.0, 0.001);
}

// F9 leaves for Backup/Restore first, and the command comes back after it.
TEST_F(FinanceChargesTest, BackupFirst) {
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "02-14", {{'I', 1000.0}}}}}});
  WriteCompany();
  const fixture::CompanyImage before = Books();
  const Run run = Charge("F9");
  EXPECT_EQ(SharedAppBlockGet()->currentCommand, 602);
  EXPECT_EQ(SharedAppBlockGet()->nextCommand, kCommand);
  EXPECT_EQ(Books().files, before.files);
  EXPECT_EQ(run.transcript.find("preview:"), std::string::npos) << run.transcript;
}

// ---- Refusals --------------------------------------------------------------------------

struct RefusalCase {
  const char* name;
  std::string keys;
  const char* financeChargeAccount;  // of the account interface
  std::vector<int> messages;
};

TEST_F(FinanceChargesTest, RefusedRunsWriteNothing) {
  const RefusalCase cases[] = {
      {"a date that is not one", R"("13/45/26" F10 Esc)", "4300", {13}},
      {"a date in no fiscal period", R"("03/31/28" F10 Esc)", "4300", {1955}},
      {"no finance-charge account", "F10 Esc", "", {1435}},
      {"a finance-charge account not on file", "F10 Esc", "4399", {1435}},
      {"a summary account", "F10 Esc", "4000", {1437}},
  };
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "02-14", {{'I', 1000.0}}}}}});
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (Json& r : Fixture()["files"]["settings"]) {
      if (r["key"] == "0Interface") r["financeChargeAccount"] = c.financeChargeAccount;
    }
    WriteCompany();
    const fixture::CompanyImage before = Books();
    const Run run = Charge(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(run.transcript.find("preview:"), std::string::npos) << run.transcript;
    EXPECT_EQ(Books().files, before.files);
  }
}

// ---- Failures and kills --------------------------------------------------------------------

struct FailureCase {
  const char* name;
  const char* failure;  // BtrvTestSwitch
  const char* shown;    // in the error box
};
const FailureCase kFailures[] = {
    {"a charge line", "fail=2:ar_open_invoices:2:84", "Error 84:"},
    {"a customer", "fail=3:customers:2:80", "Error 80:"},
    {"an invoice header", "fail=3:ar_open_invoice_headers:1:84", "Error 84:"},
    {"the audit log", "fail=2:audit_log:3:84", "Error 84:"},
    {"a G/L line", "fail=2:gl_lines:2:84", "Error 84:"},
    {"the G/L posting", "fail=3:gl_accounts:1:84", "84"},
    {"the commit", "fail=20:*:1:2", "Error 2:"},
};

TEST_F(FinanceChargesTest, AFailureLeavesTheBooksAsTheyWere) {
  AddCustomers({{"ALPHA", 1.5, 0.0, {{"1", "02-14", {{'I', 1000.0}}}, {"2", "03-11", {{'I', 300.0}}}}},
                {"BRAVO", 1.5, 5.0, {{"3", "03-30", {{'I', 100.0}}}}, 'O', "1150"}});
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const fixture::CompanyImage before = Books();
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Run run = Charge("F10 Esc");
    BtrvTestSwitch("");
    EXPECT_EQ(Books().files, before.files);
    const std::string flat = qxtest::Flat(run.transcript);
    EXPECT_NE(flat.find(c.shown), std::string::npos) << run.transcript;
    EXPECT_NE(flat.find("nothing was charged"), std::string::npos) << run.transcript;
    EXPECT_EQ(flat.find("Total finance charges"), std::string::npos) << "a stopped run shows no total";
  }
}

// A run killed at any moment: every invoice charged or none, and the rerun
// charges what a whole run charges.
TEST_F(FinanceChargesTest, AKilledRunChargesAllOrNothing) {
  std::vector<std::string> codes;
  for (int i = 0; i < 60; ++i) codes.push_back("K" + std::to_string(100 + i));
  std::vector<CustomerSpec> many;
  for (const std::string& code : codes)
    many.push_back({code.c_str(), 1.5, 2.0, {{"1", "02-14", {{'I', 300.0}}}, {"2", "03-30", {{'I', 10.0}}}}});
  AddCustomers(many);
  WriteCompany();
  const fixture::CompanyImage before = Books();
  const std::string transcript = File("killed.txt");
  const auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(kCommand, "F10 Esc", transcript, killAfter, [] { RunGenerateFinanceCharges(); },
                                  DateMake(2026, 3, 31));
  };
  const qxtest::ChildRun whole = runChild(-1);
  const auto wholeLines = ChargeLines();
  ASSERT_EQ(wholeLines.size(), 120u);
  auto withoutLog = [](fixture::CompanyImage image) {
    image.files.erase(75);  // its entries carry the time of day
    return image.files;
  };
  const auto wholeBooks = withoutLog(Books());
  const int killedInTheRun = qxtest::KillAtRandomMoments(8, whole.micros, [&] { WriteCompany(); }, runChild, [&] {
    const auto books = Books();
    const bool untouched = books.files == before.files;
    EXPECT_TRUE(untouched || withoutLog(books) == wholeBooks) << "half a run";
    if (untouched) {
      Charge("F10 Esc");
      EXPECT_EQ(ChargeLines(), wholeLines);
    }
  });
  EXPECT_GT(killedInTheRun, 0) << "at least one kill fell inside a run";
}

}  // namespace
