// Receivables and payables end of period (commands 365 and 370), driven by
// key scripts over companies built by the fixture loader: which open-invoice
// lines go, which stay and which are folded into a "BALFORWARD" line, how the
// account's period figures start again, that the invoices' headers stay in
// step with their lines, where the command refuses, and that a failure or a
// kill leaves every account closed or untouched so that a rerun finishes.
//
// Today is 03/15/25 in every run, in the open period March 2025 (03/01/25 -
// 03/31/25) of the twelve-period calendar.  A line is written
// "<invoice> <type> <status> <date> <amount>"; "{D}" stands for the invoice
// number of the balance-forward line of 03/15/25 (its day number).
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/arap_end_period.h"
#include "qxabase/aging.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {

using fixture::Json;
using records::CustVendRecord;
using records::OpenInvoiceHeader;
using records::TagOpenInvoice;

constexpr int kMsgInvalidDate = 13;

struct LedgerFiles {
  int command;
  const char* accounts;  // fixture file names
  const char* lines;
  const char* headers;
  int accountFile, lineFile, headerFile;
  int doneMessage;
};
const LedgerFiles kAR{365, "customers", "ar_open_invoices", "ar_open_invoice_headers", 22, 5, 72, 1269};
const LedgerFiles kAP{370, "vendors", "ap_open_invoices", "ap_open_invoice_headers", 66, 2, 71, 1271};

// A line of the fixture: the account, the invoice, its type, status, date
// (mm/dd) in 2025, amount and discount.
struct LineSpec {
  const char* code;
  const char* invoice;
  char type;
  char status;
  const char* date;  // "MM-DD" in 2025
  double amount;
  double discount = 0.0;
  char precedence = 0;  // 0: by the type, as entry numbers them
};

std::string DayText(std::int32_t day) {
  char text[16];
  return DateToText(text, day);
}
std::string DayNumberText(std::int32_t day) { return std::to_string(day); }

std::string Text(const char* field, std::size_t n) {
  std::string s(field, strnlen(field, n));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

template <class T>
T As(const std::vector<std::uint8_t>& image) {
  T r{};
  std::memcpy(&r, image.data(), std::min(image.size(), sizeof r));
  return r;
}

std::string Describe(const TagOpenInvoice& l) {
  char amount[32];
  std::snprintf(amount, sizeof amount, "%.2f", static_cast<double>(l.amount));
  std::string invoice = Text(l.invoiceNumber, sizeof l.invoiceNumber);
  if (invoice == DayNumberText(qxtest::TestToday())) invoice = "{D}";
  return Text(l.code, sizeof l.code) + " " + invoice + " " + l.lineType + " " + l.status + " " +
         DayText(l.invoiceDate) + " " + amount;
}

class ArApEndPeriodTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/twelve_periods.json");
  }

  // An account with period figures that show whether they were started
  // again, and bytes no field names.
  void AddAccount(const LedgerFiles& l, const std::string& code, char type) {
    Add(l.accounts, Json{{"code", code},
                         {"name", code + " Ltd"},
                         {"accountType", std::string(1, type)},
                         {"periodStartBalance", 100.0},
                         {"periodDebits", 700.0},
                         {"periodCredits", 300.0},
                         {"balance", 500.0},
                         {"raw", {{"30", "5150c0de"}}}});
  }

  // The lines, and a header per invoice as entry and posting keep them.
  void AddLines(const LedgerFiles& l, const std::vector<LineSpec>& lines) {
    std::map<std::pair<std::string, std::string>, std::pair<double, double>> headers;  // amount, balance
    std::map<std::pair<std::string, std::string>, std::string> dates;
    for (const LineSpec& s : lines) {
      const std::string date = std::string("2025-") + s.date;
      const char precedence = s.precedence ? s.precedence
                              : s.type == 'I'  ? '1'
                              : s.type == 'D'  ? '2'
                              : s.type == 'C'  ? '3'
                                               : '4';
      Json r{{"code", s.code},
             {"invoiceNumber", s.invoice},
             {"precedence", std::string(1, precedence)},
             {"reference", "Entered"},
             {"lineType", std::string(1, s.type)},
             {"status", std::string(1, s.status)},
             {"precedenceCode", std::string(1, precedence)},
             {"itemNumber", ++itemNumber_},
             {"dueDate", date},
             {"secondDate", date},
             {"invoiceDate", date},
             {"amount", s.amount},
             {"discount", s.discount},
             {"precedenceByte", std::string(1, precedence)}};
      Add(l.lines, r);
      TagOpenInvoice line{};
      line.lineType = s.type;
      line.amount = s.amount;
      const double effect = AgingSignedAmount(l.lineFile, line);
      auto& h = headers[{s.code, s.invoice}];
      h.first += effect > 0 ? effect : 0.0;
      h.second += effect - s.discount;
      if (!dates.count({s.code, s.invoice})) dates[{s.code, s.invoice}] = date;
    }
    for (const auto& [key, h] : headers) {
      Add(l.headers, Json{{"code", key.first},
                          {"invoiceNumber", key.second},
                          {"invoiceDate", dates[key]},
                          {"dueDate", dates[key]},
                          {"amount", h.first},
                          {"balance", h.second}});
    }
  }

  struct Result {
    qxtest::CompanyTest::Run run;
    std::vector<std::string> lines;  // described, sorted
    std::vector<TagOpenInvoice> records;
    std::vector<CustVendRecord> accounts;
  };

  Result Read(const LedgerFiles& l) {
    Result r;
    const fixture::CompanyImage image = Snapshot({l.lineFile, l.accountFile, l.headerFile});
    if (auto it = image.files.find(l.lineFile); it != image.files.end()) {
      for (const auto& rec : it->second) {
        r.records.push_back(As<TagOpenInvoice>(rec));
        r.lines.push_back(Describe(r.records.back()));
      }
    }
    std::sort(r.lines.begin(), r.lines.end());
    if (auto it = image.files.find(l.accountFile); it != image.files.end()) {
      for (const auto& rec : it->second) r.accounts.push_back(As<CustVendRecord>(rec));
    }
    ExpectHeadersInStep(l, image);
    return r;
  }

  Result RunClose(const LedgerFiles& l, const std::string& keys) {
    SharedAppBlockGet()->currentCommand = l.command;
    Result r;
    const auto run = RunScripted(keys, [&] { return RunArApEndPeriod(l.command); });
    r = Read(l);
    r.run = run;
    return r;
  }

  // Every invoice that has lines has one header, which counts them all, and
  // no header is left without lines.
  void ExpectHeadersInStep(const LedgerFiles& l, const fixture::CompanyImage& image) {
    std::map<std::pair<std::string, std::string>, std::int64_t> balance;
    if (auto it = image.files.find(l.lineFile); it != image.files.end()) {
      for (const auto& rec : it->second) {
        const TagOpenInvoice line = As<TagOpenInvoice>(rec);
        balance[{Text(line.code, 11), Text(line.invoiceNumber, 11)}] +=
            AgingCents(AgingSignedAmount(l.lineFile, line)) - AgingCents(line.discount);
      }
    }
    std::map<std::pair<std::string, std::string>, std::int64_t> headers;
    if (auto it = image.files.find(l.headerFile); it != image.files.end()) {
      for (const auto& rec : it->second) {
        const OpenInvoiceHeader h = As<OpenInvoiceHeader>(rec);
        headers[{Text(h.code, 11), Text(h.invoiceNumber, 11)}] = AgingCents(h.balance);
      }
    }
    EXPECT_EQ(headers, balance) << "the invoices' headers are out of step with their lines";
  }

  std::int32_t itemNumber_ = 0;
};

// The account's period figures after a close: the period starts at the
// balance.
void ExpectFiguresStarted(const CustVendRecord& a) {
  EXPECT_EQ(static_cast<double>(a.periodStartBalance), 500.0);
  EXPECT_EQ(static_cast<double>(a.periodDebits), 0.0);
  EXPECT_EQ(static_cast<double>(a.periodCredits), 0.0);
  EXPECT_EQ(static_cast<double>(a.balance), 500.0);
}
void ExpectFiguresKept(const CustVendRecord& a) {
  EXPECT_EQ(static_cast<double>(a.periodStartBalance), 100.0);
  EXPECT_EQ(static_cast<double>(a.periodDebits), 700.0);
  EXPECT_EQ(static_cast<double>(a.periodCredits), 300.0);
}

// --- What a close clears ------------------------------------------------------------------

struct CloseCase {
  const char* name;
  const LedgerFiles* ledger;
  char accountType;
  std::vector<LineSpec> lines;
  std::vector<std::string> after;  // the lines left, described, sorted
};

const std::vector<CloseCase> kOpenItemCases = {
    {"an invoice paid in full goes", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'P', 'P', "03-10", 100}},
     {}},
    {"a payment with a discount settles it too", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'P', 'P', "03-10", 98, 2}},
     {}},
    {"a payment dated after the period does not count", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'P', 'P', "04-02", 100}},
     {"ACME INV1 I P 03/05/25 100.00", "ACME INV1 P P 04/02/25 100.00"}},
    {"a part payment leaves the invoice open", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'P', 'P', "03-10", 60}},
     {"ACME INV1 I P 03/05/25 100.00", "ACME INV1 P P 03/10/25 60.00"}},
    {"a customer's credit memo settles an invoice", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'C', 'P', "03-10", 100}},
     {}},
    {"a vendor's debit memo settles an invoice", &kAP, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'D', 'P', "03-10", 100}},
     {}},
    {"a vendor's credit memo adds to what is owed", &kAP, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'C', 'P', "03-10", 100}},
     {"ACME INV1 C P 03/10/25 100.00", "ACME INV1 I P 03/05/25 100.00"}},
    {"an unposted payment does not count", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'P', 'N', "03-10", 100}},
     {"ACME INV1 I P 03/05/25 100.00", "ACME INV1 P N 03/10/25 100.00"}},
    {"a forwarded line counts up to the period's end", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'F', "02-10", 100}, {"ACME", "INV1", 'P', 'P', "03-10", 100}},
     {}},
    {"only the settled invoice goes", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100},
      {"ACME", "INV1", 'P', 'P', "03-10", 100},
      {"ACME", "INV2", 'I', 'P', "03-06", 40},
      {"BETA", "INV1", 'I', 'P', "03-05", 100}},
     {"ACME INV2 I P 03/06/25 40.00", "BETA INV1 I P 03/05/25 100.00"}},
    // " ADVANCE2" (a leading blank) sorts right before "ADVANCE".
    {"advance numbers net out together", &kAR, 'O',
     {{"ACME", "ADVANCE", 'P', 'P', "03-10", 50}, {"ACME", " ADVANCE2", 'I', 'P', "03-05", 50}},
     {}},
    {"an invoice between advance numbers keeps them apart", &kAR, 'O',
     {{"ACME", "ADVANCE", 'P', 'P', "03-10", 50},
      {"ACME", " ADVANCE2", 'I', 'P', "03-05", 50},
      {"ACME", "AB", 'I', 'P', "03-05", 30}},
     {"ACME  ADVANCE2 I P 03/05/25 50.00", "ACME AB I P 03/05/25 30.00", "ACME ADVANCE P P 03/10/25 50.00"}},
    {"a line of an unusual precedence does not hold up the walk", &kAR, 'O',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100},
      {"ACME", "INV1", 'X', 'P', "03-05", 5, 0, '9'},
      {"ACME", "INV2", 'I', 'P', "03-05", 40},
      {"ACME", "INV2", 'P', 'P', "03-10", 40}},
     {"ACME INV1 I P 03/05/25 100.00", "ACME INV1 X P 03/05/25 5.00"}},
    {"a cash customer keeps its lines", &kAR, 'C',
     {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'P', 'P', "03-10", 100}},
     {"ACME INV1 I P 03/05/25 100.00", "ACME INV1 P P 03/10/25 100.00"}},
};

const std::vector<CloseCase> kBalanceForwardCases = {
    {"new invoices, a payment and an older forwarded line", &kAR, 'B',
     {{"ACME", "INV20", 'I', 'P', "03-05", 300},
      {"ACME", "PAY1", 'P', 'P', "03-10", 500},
      {"ACME", "45600", 'I', 'F', "02-28", 150}},
     {"ACME {D} I F 03/15/25 -50.00"}},
    {"new invoices only", &kAR, 'B', {{"ACME", "INV20", 'I', 'P', "03-05", 300}},
     {"ACME {D} I F 03/15/25 300.00"}},
    {"a credit left pays off part of an older forwarded line", &kAR, 'B',
     {{"ACME", "45600", 'I', 'F', "02-28", 150}, {"ACME", "PAY1", 'P', 'P', "03-10", 100}},
     {"ACME 45600 I F 02/28/25 50.00"}},
    {"lines after the period's end stay", &kAR, 'B',
     {{"ACME", "INV20", 'I', 'P', "03-05", 50}, {"ACME", "INV30", 'I', 'P', "04-05", 100}},
     {"ACME INV30 I P 04/05/25 100.00", "ACME {D} I F 03/15/25 50.00"}},
    {"nothing posted in the period leaves the lines alone", &kAR, 'B',
     {{"ACME", "45600", 'I', 'F', "02-28", 150}, {"ACME", "INV40", 'I', 'N', "03-05", 80}},
     {"ACME 45600 I F 02/28/25 150.00", "ACME INV40 I N 03/05/25 80.00"}},
    {"a forwarded line of no amount goes", &kAR, 'B',
     {{"ACME", "45600", 'I', 'F', "02-28", 0}, {"ACME", "INV20", 'I', 'P', "03-05", 300}},
     {"ACME {D} I F 03/15/25 300.00"}},
    {"a forwarded credit balance is paid in", &kAR, 'B',
     {{"ACME", "45600", 'I', 'F', "02-28", -80}, {"ACME", "INV20", 'I', 'P', "03-05", 100}},
     {"ACME {D} I F 03/15/25 20.00"}},
    {"a forwarded customer credit memo is paid in", &kAR, 'B',
     {{"ACME", "45600", 'C', 'F', "02-28", 30}, {"ACME", "INV20", 'I', 'P', "03-05", 100}},
     {"ACME {D} I F 03/15/25 70.00"}},
    {"the period's activity nets to nothing", &kAR, 'B',
     {{"ACME", "INV20", 'I', 'P', "03-05", 100}, {"ACME", "PAY1", 'P', 'P', "03-10", 100}},
     {}},
    {"a vendor's debit memo is a credit", &kAP, 'B',
     {{"ACME", "INV20", 'I', 'P', "03-05", 300}, {"ACME", "DM1", 'D', 'P', "03-07", 100}},
     {"ACME {D} I F 03/15/25 200.00"}},
    {"a vendor's payment with a discount", &kAP, 'B',
     {{"ACME", "INV20", 'I', 'P', "03-05", 300}, {"ACME", "PAY1", 'P', 'P', "03-07", 196, 4}},
     {"ACME {D} I F 03/15/25 100.00"}},
};

TEST_F(ArApEndPeriodTest, OpenItemAccounts) {
  for (const CloseCase& c : kOpenItemCases) {
    SCOPED_TRACE(c.name);
    const LedgerFiles& l = *c.ledger;
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/twelve_periods.json");
    AddAccount(l, "ACME", c.accountType);
    AddAccount(l, "BETA", 'O');
    AddLines(l, c.lines);
    WriteCompany();
    const Result r = RunClose(l, "F10 Enter");
    EXPECT_EQ(r.run.messages, std::vector<int>{l.doneMessage}) << r.run.transcript;
    EXPECT_EQ(r.lines, c.after);
    ASSERT_EQ(r.accounts.size(), 2u);
    if (c.accountType == 'C') {
      ExpectFiguresKept(r.accounts[0]);
    } else {
      ExpectFiguresStarted(r.accounts[0]);
    }
    ExpectFiguresStarted(r.accounts[1]);
  }
}

TEST_F(ArApEndPeriodTest, BalanceForwardAccounts) {
  for (const CloseCase& c : kBalanceForwardCases) {
    SCOPED_TRACE(c.name);
    const LedgerFiles& l = *c.ledger;
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/twelve_periods.json");
    AddAccount(l, "ACME", c.accountType);
    AddLines(l, c.lines);
    WriteCompany();
    const Result r = RunClose(l, "F10 Enter");
    EXPECT_EQ(r.run.messages, std::vector<int>{l.doneMessage}) << r.run.transcript;
    EXPECT_EQ(r.lines, c.after);
    ASSERT_EQ(r.accounts.size(), 1u);
    ExpectFiguresStarted(r.accounts[0]);
  }
}

TEST_F(ArApEndPeriodTest, TheBalanceForwardLineIsAFullOpenItem) {
  AddAccount(kAR, "ACME", 'B');
  AddLines(kAR, {{"ACME", "INV20", 'I', 'P', "03-05", 300}, {"ACME", "INV40", 'I', 'N', "03-06", 80}});
  const Result r = RunClose(kAR, "F10 Enter");
  ASSERT_EQ(r.lines, (std::vector<std::string>{"ACME INV40 I N 03/06/25 80.00", "ACME {D} I F 03/15/25 300.00"}));
  const TagOpenInvoice& l = r.records[0].lineType == 'I' && r.records[0].status == 'F' ? r.records[0] : r.records[1];
  EXPECT_EQ(Text(l.reference, sizeof l.reference), "BALFORWARD");
  EXPECT_EQ(l.precedence, '1');
  EXPECT_EQ(l.precedenceCode, '1');
  EXPECT_EQ(l.origin, 'B');
  EXPECT_EQ(static_cast<std::int32_t>(l.dueDate), qxtest::TestToday());
  EXPECT_EQ(static_cast<std::int32_t>(l.secondDate), qxtest::TestToday());
  // Numbered above every line the file holds.
  EXPECT_EQ(static_cast<std::int32_t>(l.itemNumber), 3);
}

// --- Running again -----------------------------------------------------------------------

TEST_F(ArApEndPeriodTest, ASecondCloseOfThePeriodMergesIntoItsBalanceForwardLine) {
  AddAccount(kAR, "ACME", 'B');
  AddLines(kAR, {{"ACME", "INV20", 'I', 'P', "03-05", 200}});
  const Result first = RunClose(kAR, "F10 Enter");
  ASSERT_EQ(first.lines, std::vector<std::string>{"ACME {D} I F 03/15/25 200.00"});
  const std::int32_t item = first.records[0].itemNumber;

  // A later close of the same period, on another date in it, after another
  // invoice was posted.
  fixture::CompanyImage image = Snapshot();
  fixture::Json more = fixture::DumpCompany(image);
  more["files"]["ar_open_invoices"].push_back(
      Json{{"code", "ACME"}, {"invoiceNumber", "INV21"}, {"precedence", "1"}, {"lineType", "I"}, {"status", "P"},
           {"itemNumber", 7}, {"invoiceDate", "2025-03-20"}, {"amount", 100.0}});
  more["files"]["ar_open_invoice_headers"].push_back(Json{{"code", "ACME"}, {"invoiceNumber", "INV21"},
                                                          {"invoiceDate", "2025-03-20"}, {"amount", 100.0},
                                                          {"balance", 100.0}});
  LoadFixture(more);
  const Result second = RunClose(kAR, R"("03/25/25" F10 Enter)");
  EXPECT_EQ(second.run.messages, std::vector<int>{1269}) << second.run.transcript;
  const std::string later = std::to_string(DateMake(2025, 3, 25));
  EXPECT_EQ(second.lines, std::vector<std::string>{"ACME " + later + " I F 03/25/25 300.00"});
  EXPECT_EQ(static_cast<std::int32_t>(second.records[0].itemNumber), item) << "the line's item number is kept";

  // And once more with nothing new: nothing changes.
  const Result third = RunClose(kAR, R"("03/25/25" F10 Enter)");
  EXPECT_EQ(third.lines, second.lines);
}

// --- The screen ----------------------------------------------------------------------------

struct ScreenCase {
  const char* name;
  const char* keys;
  std::vector<int> messages;
  bool closed;
};
const ScreenCase kScreenCases[] = {
    {"Esc leaves without a change", "Esc", {}, false},
    {"an invalid date keeps the cursor", R"("13/45/25" Enter Enter Esc)", {kMsgInvalidDate}, false},
    {"F10 checks the date first", R"("99/99/99" F10 Enter Esc)", {kMsgInvalidDate}, false},
    {"a corrected date closes", R"("99/99/99" F10 Enter "03/31/25" F10 Enter)", {kMsgInvalidDate, 1269}, true},
    {"a date on the period's last day closes", R"("03/31/25" F10 Enter)", {1269}, true},
};

TEST_F(ArApEndPeriodTest, TheScreenClosesOnlyWhenF10HasAGoodDate) {
  AddAccount(kAR, "ACME", 'O');
  AddLines(kAR, {{"ACME", "INV1", 'I', 'P', "03-05", 100}, {"ACME", "INV1", 'P', 'P', "03-10", 100}});
  WriteCompany();
  const fixture::CompanyImage before = Snapshot({5, 22, 72});
  for (const ScreenCase& c : kScreenCases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const Result r = RunClose(kAR, c.keys);
    EXPECT_EQ(r.run.messages, c.messages) << r.run.transcript;
    if (c.closed) {
      EXPECT_TRUE(r.lines.empty());
    } else {
      EXPECT_EQ(Snapshot({5, 22, 72}).files, before.files);
    }
  }
}

TEST_F(ArApEndPeriodTest, ADateInAClosedPeriodIsRefused) {
  AddAccount(kAR, "ACME", 'O');
  AddLines(kAR, {{"ACME", "INV1", 'I', 'P', "02-05", 100}, {"ACME", "INV1", 'P', 'P', "02-10", 100}});
  WriteCompany();
  const fixture::CompanyImage before = Snapshot({5, 22, 72});
  const Result r = RunClose(kAR, R"("02/10/25" F10 Enter Esc)");
  EXPECT_EQ(r.run.messages.size(), 1u) << r.run.transcript;
  EXPECT_EQ(std::count(r.run.messages.begin(), r.run.messages.end(), 1269), 0);
  EXPECT_EQ(Snapshot({5, 22, 72}).files, before.files);
}

TEST_F(ArApEndPeriodTest, TheScreenNamesTheLedger) {
  for (const LedgerFiles* l : {&kAR, &kAP}) {
    const Result r = RunClose(*l, "Esc");
    EXPECT_NE(r.run.transcript.find(l == &kAR ? "Receivables End of Period" : "Payables End of Period"),
              std::string::npos)
        << r.run.transcript;
    EXPECT_NE(r.run.transcript.find("03/15/25"), std::string::npos);
    EXPECT_NE(r.run.transcript.find("F10 Close period"), std::string::npos);
  }
}

// --- Failures -------------------------------------------------------------------------------

// Two open-item customers with a settled invoice each (two lines), and a
// balance-forward customer: the close deletes lines 1-2 of ACME, 3-4 of
// BETA, then folds CARL's lines.
class ArApEndPeriodFailureTest : public ArApEndPeriodTest {
 protected:
  void SetUp() override {
    ArApEndPeriodTest::SetUp();
    AddAccount(kAR, "ACME", 'O');
    AddAccount(kAR, "BETA", 'O');
    AddAccount(kAR, "CARL", 'B');
    AddLines(kAR, {{"ACME", "INV1", 'I', 'P', "03-05", 100},
                   {"ACME", "INV1", 'P', 'P', "03-10", 100},
                   {"BETA", "INV2", 'I', 'P', "03-05", 70},
                   {"BETA", "INV2", 'C', 'P', "03-10", 70},
                   {"CARL", "INV3", 'I', 'P', "03-05", 300},
                   {"CARL", "PAY3", 'P', 'P', "03-10", 500},
                   {"CARL", "45600", 'I', 'F', "02-28", 150}});
    WriteCompany();
    before_ = Read(kAR);
  }

  // The files after a close that ran whole.
  Result Clean() {
    WriteCompany();
    Result r = RunClose(kAR, "F10 Enter");
    WriteCompany();
    return r;
  }

  Result before_;
};

struct FailureCase {
  const char* name;
  const char* failure;  // BtrvTestSwitch
  const char* shown;    // in the error box
  int accountsClosed;   // the accounts closed before the failure
};
const FailureCase kFailures[] = {
    {"deleting BETA's first line", "fail=4:ar_open_invoices:3:84", "Error 84:", 1},
    {"rewriting BETA", "fail=3:customers:2:80", "Error 80:", 1},
    {"looking up BETA's first line", "fail=9:ar_open_invoices:4:2", "Error 2:", 1},
    {"adding CARL's balance-forward line", "fail=2:ar_open_invoices:1:84", "Error 84:", 2},
    {"updating a header of CARL's", "fail=4:ar_open_invoice_headers:3:84", "Error 84:", 2},
    {"reading the next customer", "fail=6:customers:2:2", "Error 2:", 2},
    {"committing ACME's close", "fail=20:*:1:2", "Error 2:", 0},
};

TEST_F(ArApEndPeriodFailureTest, AFailureLeavesEachAccountClosedOrUntouchedAndARerunFinishes) {
  const Result clean = Clean();
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    ASSERT_EQ(BtrvTestSwitch(c.failure), 0);
    const Result failed = RunClose(kAR, "F10 Enter");
    BtrvTestSwitch("");
    // The error is shown once, and the completion message not at all.
    EXPECT_TRUE(failed.run.messages.empty()) << failed.run.transcript;
    const std::string flat = qxtest::Flat(failed.run.transcript);
    EXPECT_NE(flat.find(c.shown), std::string::npos) << failed.run.transcript;
    EXPECT_EQ(flat.find("Error ", flat.find(c.shown) + 1), std::string::npos) << "shown twice";
    // Accounts before the failing one are closed, the rest untouched.
    const char* codes[] = {"ACME", "BETA", "CARL"};
    for (int a = 0; a < 3; ++a) {
      SCOPED_TRACE(codes[a]);
      auto of = [&](const Result& r) {
        std::vector<std::string> v;
        for (const std::string& s : r.lines)
          if (s.rfind(std::string(codes[a]) + " ", 0) == 0) v.push_back(s);
        return v;
      };
      const Result& want = a < c.accountsClosed ? clean : before_;
      EXPECT_EQ(of(failed), of(want));
      EXPECT_EQ(static_cast<double>(failed.accounts[a].periodDebits),
                static_cast<double>(want.accounts[a].periodDebits));
    }
    const Result rerun = RunClose(kAR, "F10 Enter");
    EXPECT_EQ(rerun.run.messages, std::vector<int>{1269}) << rerun.run.transcript;
    EXPECT_EQ(rerun.lines, clean.lines);
  }
}

// A run killed at any moment: each account is closed or untouched, and the
// rerun ends where a whole run ends.
TEST_F(ArApEndPeriodFailureTest, AKilledRunIsFinishedByARerun) {
  // Enough accounts for the kill to land inside the walk.
  for (int i = 0; i < 40; ++i) {
    const std::string code = "K" + std::to_string(100 + i);
    AddAccount(kAR, code, i % 2 ? 'B' : 'O');
    AddLines(kAR, {{code.c_str(), "INV", 'I', 'P', "03-05", 100.0 + i},
                   {code.c_str(), "PAY", 'P', 'P', "03-10", 100.0 + i},
                   {code.c_str(), "INV2", 'I', 'P', "03-06", 25}});
  }
  const Result clean = Clean();
  const std::string transcript = File("killed.txt");
  for (long killAfter : {0L, 2000L, 10000L, 30000L, 80000L}) {
    SCOPED_TRACE("killed after " + std::to_string(killAfter) + " us");
    WriteCompany();
    BtrvReset();
    const pid_t child = fork();
    if (child == 0) {
      ScreenResetForTest("F10 Enter", transcript.c_str());
      DateSetToday(qxtest::TestToday());
      SharedAppBlockGet()->currentCommand = kAR.command;
      RunArApEndPeriod(kAR.command);
      _exit(0);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(killAfter));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const Result rerun = RunClose(kAR, "F10 Enter");
    EXPECT_EQ(rerun.run.messages, std::vector<int>{1269}) << rerun.run.transcript;
    EXPECT_EQ(rerun.lines, clean.lines);
    for (const CustVendRecord& a : rerun.accounts) ExpectFiguresStarted(a);
  }
}

}  // namespace
