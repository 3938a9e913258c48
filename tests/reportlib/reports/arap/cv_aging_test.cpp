// The aging report (commands 337 and 344) run through its entry over
// companies built by the fixture loader, read back from the HTML file it
// writes: where each open item lands, that the lines foot, the selection
// (sort, ranges, days past due), subtotals, links and the saved run, and a
// clean end after a user break or a record-manager error.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "aging_fixture.h"
#include "qxabase/dictionary.h"
#include "reports/arap/aging.h"

namespace agingtest {
namespace {

// Print columns of the item line.
constexpr int kAmountX = 41;
constexpr int kPeriodX[7] = {53, 65, 77, 89, 101, 113, 125};
constexpr int kWidth = 11;

class AgingTest : public CompanyTest {
 protected:
  // Runs the aging report `command` with `params` into an HTML file and
  // reads it back.
  Report RunReport(int command, const std::string& params, Run* run = nullptr, const std::string& keys = "") {
    const std::string out = File("aging-" + std::to_string(runs_ + 1) + ".htm");
    const std::string text = params + (params.empty() ? "" : " ") + "output='" + out + "'";
    Run r = RunScripted(keys, [&] { return RunCustVendAging(command, text.c_str()); });
    if (run) *run = r;
    return ReadReport(out);
  }
};

// --- Footing --------------------------------------------------------------------------

long long Cents(const std::string& cell) {
  if (cell.empty()) return 0;
  double v = 0;
  EXPECT_EQ(1, std::sscanf(cell.c_str(), "%lf", &v)) << "not an amount: " << cell;
  return std::llround(v * 100);
}

bool IsItemLine(const Report& r, int i) {
  const std::string kind = r.Cell(i, 36, 1), amount = r.Cell(i, kAmountX, kWidth);
  return !kind.empty() && std::string("IPDCFT").find(kind) != std::string::npos && !amount.empty() &&
         (std::isdigit(static_cast<unsigned char>(amount[0])) || amount[0] == '-') && !r.Cell(i, 0, 13).empty();
}

// An account line: its code from the first column, its G/L account at 112.
bool IsAccountLine(const Report& r, int i) {
  const std::string& l = r.lines[static_cast<std::size_t>(i)];
  return !l.empty() && l[0] != ' ' && !r.Cell(i, 112, 10).empty() && r.Cell(i, kAmountX, kWidth).empty();
}

// Every account's item lines add up to its "Total" line, column by column,
// and the account totals to the "Grand Total" line.
void ExpectFoots(const Report& r) {
  std::vector<long long> account(8, 0), grand(8, 0);
  bool any = false;
  std::string open;  // the code of the account whose items are being added up
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
    if (IsItemLine(r, i)) {
      account[0] += Cents(r.Cell(i, kAmountX, kWidth));
      for (int p = 0; p < 7; ++p) account[p + 1] += Cents(r.Cell(i, kPeriodX[p], kWidth));
      any = true;
      continue;
    }
    const std::string caption = r.Cell(i, 14, 24);
    if (caption == "Total") {
      EXPECT_EQ(account[0], Cents(r.Cell(i, kAmountX, kWidth))) << "balance of the total on line " << i;
      for (int p = 0; p < 7; ++p)
        EXPECT_EQ(account[p + 1], Cents(r.Cell(i, kPeriodX[p], kWidth))) << "period " << p + 1 << " on line " << i;
    }
    // The account's line repeated at the top of a page goes on with it.
    const bool accountLine = IsAccountLine(r, i);
    if (accountLine && !open.empty() && r.Cell(i, 0, 10) == open) continue;
    if (caption == "Total" || accountLine) {
      // An account ends at its total line, or at the next account's line.
      for (int c = 0; c < 8; ++c) grand[c] += account[c];
      account.assign(8, 0);
      open = accountLine ? r.Cell(i, 0, 10) : "";
    }
    if (caption == "Grand Total") {
      for (int c = 0; c < 8; ++c) grand[c] += account[c];
      account.assign(8, 0);
      EXPECT_EQ(grand[0], Cents(r.Cell(i, kAmountX, kWidth))) << "grand total balance";
      for (int p = 0; p < 7; ++p) EXPECT_EQ(grand[p + 1], Cents(r.Cell(i, kPeriodX[p], kWidth))) << "grand period " << p + 1;
    }
  }
  EXPECT_TRUE(any) << "the report holds no item line";
}

// --- The accountant's check -------------------------------------------------------------
//
// Acme Supply (C100) owes ten invoices due 0, 1, 30, 31, 60, 61, 90, 91, 120
// and 121 days before the aging date (amounts 1000.00 + the days), a fully
// paid invoice, a part-paid one, one with a credit memo, a finance charge,
// an invoice that is not posted yet and one dated after the aging date.
// Birch Traders (C200) owes an old invoice and one not yet due.

void AddAccountantsCompany(CompanyTest* t) {
  t->Add("settings", ScheduleRecord());
  t->Add("customers", Account("C100", "Acme Supply"));
  t->Add("customers", Account("C200", "Birch Traders", Json{{"phone1", ""}}));
  for (int d : {0, 1, 30, 31, 60, 61, 90, 91, 120, 121})
    t->Add("ar_open_invoices", Item("C100", "A-" + std::to_string(d), 'I', 1000 + d, d));
  t->Add("ar_open_invoices", Item("C100", "PAID", 'I', 700, 70));
  t->Add("ar_open_invoices", ItemOn("C100", "PAID", 'P', 700, AgingDay() - 10));
  t->Add("ar_open_invoices", Item("C100", "PART", 'I', 500, 10));
  // The part payment is entered in billing and not posted yet.
  t->Add("ar_open_invoices", ItemOn("C100", "PART", 'P', 200, AgingDay() - 5, Json{{"status", "B"}}));
  t->Add("ar_open_invoices", Item("C100", "CRED", 'I', 400, 45));
  t->Add("ar_open_invoices", ItemOn("C100", "CRED", 'C', 50, AgingDay() - 40));
  t->Add("ar_open_invoices", Item("C100", "FIN", 'F', 25, 15));
  t->Add("ar_open_invoices", Item("C100", "UNPOST", 'I', 80, 20, Json{{"status", "N"}}));
  Json future = Item("C100", "FUTURE", 'I', 999, -40);
  future["invoiceDate"] = DateOfDay(AgingDay() + 5);
  t->Add("ar_open_invoices", future);
  t->Add("ar_open_invoices", Item("C200", "B-1", 'I', 250, 95));
  t->Add("ar_open_invoices", Item("C200", "B-2", 'I', 125.5, -10));
}

struct Expected {
  const char* invoice;
  char kind;
  const char* amount;
  int period;  // 1..7; 0 for none
};

struct AccountantsCase {
  const char* name;
  const char* params;
  std::vector<Expected> lines;
  std::vector<const char*> absent;  // item numbers the report leaves out
};

const AccountantsCase kAccountantsCases[] = {
    {"by due date, advances consolidated",
     "input='default'",
     {{"A-0", 'I', "1000.00", 1},   {"A-1", 'I', "1001.00", 1},   {"A-30", 'I', "1030.00", 1},
      {"A-31", 'I', "1031.00", 2},  {"A-60", 'I', "1060.00", 2},  {"A-61", 'I', "1061.00", 3},
      {"A-90", 'I', "1090.00", 3},  {"A-91", 'I', "1091.00", 4},  {"A-120", 'I', "1120.00", 4},
      {"A-121", 'I', "1121.00", 5}, {"PART", 'I', "300.00", 1},   {"CRED", 'I', "350.00", 2},
      {"FIN", 'F', "25.00", 1},     {"UNPOST", 'I', "80.00", 1},  {"B-1", 'I', "250.00", 4},
      {"B-2", 'I', "125.50", 0}},
     {"PAID", "FUTURE"}},
    {"by invoice date, advances consolidated",
     "input='default' agedby='84'",
     {{"A-0", 'I', "1000.00", 1},   {"A-1", 'I', "1001.00", 2},   {"A-30", 'I', "1030.00", 2},
      {"A-31", 'I', "1031.00", 3},  {"A-60", 'I', "1060.00", 3},  {"A-61", 'I', "1061.00", 4},
      {"A-90", 'I', "1090.00", 4},  {"A-91", 'I', "1091.00", 5},  {"A-120", 'I', "1120.00", 5},
      {"A-121", 'I', "1121.00", 6}, {"PART", 'I', "300.00", 2},   {"CRED", 'I', "350.00", 3},
      {"FIN", 'F', "25.00", 2},     {"UNPOST", 'I', "80.00", 2},  {"B-1", 'I', "250.00", 5},
      {"B-2", 'I', "125.50", 1}},
     {"PAID", "FUTURE"}},
    {"by due date, each line apart",
     "input='default' consadv='0'",
     {{"A-0", 'I', "1000.00", 1}, {"A-121", 'I', "1121.00", 5}, {"PART", 'I', "500.00", 1},
      {"PART", 'P', "-200.00", 1}, {"CRED", 'I', "400.00", 2}, {"CRED", 'C', "-50.00", 2},
      {"FIN", 'F', "25.00", 1}},
     {"PAID", "FUTURE"}},
    {"fully paid items included",
     "input='default' incfpaid='1'",
     {{"A-0", 'I', "1000.00", 1}, {"PAID", 'P', "0.00", 3}, {"PART", 'I', "300.00", 1}},
     {"FUTURE"}},
};

class AccountantsCheck : public AgingTest, public ::testing::WithParamInterface<AccountantsCase> {};

TEST_P(AccountantsCheck, EveryAmountLandsInItsPeriodAndTheReportFoots) {
  const AccountantsCase& c = GetParam();
  AddAccountantsCompany(this);
  const Report r = RunReport(337, c.params);
  ASSERT_FALSE(r.Empty());
  for (const Expected& e : c.lines) {
    const int i = r.Find(e.invoice, std::string(" ") + e.kind + " ");
    ASSERT_GE(i, 0) << e.invoice << " " << e.kind << " is not in the report";
    EXPECT_EQ(e.amount, r.Cell(i, kAmountX, kWidth)) << e.invoice;
    for (int p = 1; p <= 7; ++p)
      EXPECT_EQ(p == e.period ? e.amount : "", r.Cell(i, kPeriodX[p - 1], kWidth)) << e.invoice << " period " << p;
  }
  for (const char* invoice : c.absent) EXPECT_EQ(-1, r.Find(invoice)) << invoice << " should be left out";
  ExpectFoots(r);
}

INSTANTIATE_TEST_SUITE_P(Aging, AccountantsCheck, ::testing::ValuesIn(kAccountantsCases),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST_F(AgingTest, TheTotalsAreTheAccountantsFigures) {
  AddAccountantsCompany(this);
  const Report r = RunReport(337, "input='default'");
  const int acme = r.Find("Total", "", r.Find("C100"));
  // 10,605.00 of the ten invoices, 300 + 350 + 25 + 80 of the others.
  EXPECT_EQ("11360.00", r.Cell(acme, kAmountX, kWidth));
  EXPECT_EQ("3436.00", r.Cell(acme, kPeriodX[0], kWidth));  // 3031 + 300 + 25 + 80
  EXPECT_EQ("2441.00", r.Cell(acme, kPeriodX[1], kWidth));  // 1031 + 1060 + 350
  const int grand = r.Find("Grand Total");
  EXPECT_EQ("11735.50", r.Cell(grand, kAmountX, kWidth));
  // Not yet due: in the balance, in no period.
  EXPECT_EQ("3436.00", r.Cell(grand, kPeriodX[0], kWidth));
  // The unposted item is marked; posted ones are not.
  EXPECT_EQ("*", r.Cell(r.Find("UNPOST"), 38, 1));
  EXPECT_EQ("", r.Cell(r.Find("A-0"), 38, 1));
  // The account without a phone shows none.
  EXPECT_EQ("", r.Cell(r.Find("C200"), 95, 15));
  EXPECT_EQ("(360) 5550100", r.Cell(r.Find("C100"), 95, 15));
}

TEST_F(AgingTest, SummaryAndAuditTypesCarryTheSameTotals) {
  AddAccountantsCompany(this);
  const Report detail = RunReport(337, "input='default'");
  const Report summary = RunReport(337, "input='default' type='0'");
  const Report audit = RunReport(337, "input='default' type='2'");
  EXPECT_EQ(-1, summary.Find("A-0")) << "a summary lists no items";
  EXPECT_TRUE(summary.Contains("AGING SUMMARY REPORT"));
  const int d = detail.Find("Grand Total"), s = summary.Find("Grand Total"), a = audit.Find("Grand Total");
  for (int p = 0; p < 7; ++p) EXPECT_EQ(detail.Cell(d, kPeriodX[p], kWidth), summary.Cell(s, kPeriodX[p], kWidth));
  EXPECT_EQ(detail.Cell(d, kAmountX, kWidth), summary.Cell(s, kAmountX, kWidth));
  // The audit line: its amount at 46, the status and the discount date.
  EXPECT_EQ("11735.50", audit.Cell(a, 46, kWidth));
  const int unposted = audit.Find("UNPOST");
  EXPECT_EQ("80.00", audit.Cell(unposted, 46, kWidth));
  EXPECT_EQ("", audit.Cell(unposted, 84, 11)) << "not posted: no status text";
  EXPECT_EQ("Posted", audit.Cell(audit.Find("A-0"), 84, 11));
  // An invoice netted with an unposted payment is not posted, and says where
  // the unposted part came from.
  const int part = audit.Find("PART");
  EXPECT_EQ("*", audit.Cell(part, 44, 1));
  EXPECT_EQ("Billing", audit.Cell(part, 84, 11));
  EXPECT_EQ("*", detail.Cell(detail.Find("PART"), 38, 1));
}

// --- Payables ----------------------------------------------------------------------------

TEST_F(AgingTest, APayablesRunShowsADebitMemoAsACredit) {
  Add("settings", ScheduleRecord());
  Add("vendors", Account("V100", "Cedar Mills"));
  Add("ap_open_invoices", Item("V100", "VI-1", 'I', 900, 35));
  Add("ap_open_invoices", Item("V100", "VD-1", 'D', 100, 10));
  Add("ap_open_invoices", Item("V100", "VC-1", 'C', 60, 5));
  const Report r = RunReport(344, "input='default'");
  ASSERT_FALSE(r.Empty());
  EXPECT_TRUE(r.Contains("ACCOUNTS PAYABLE"));
  EXPECT_GE(r.Find("Invoice No.", "V Current"), 0) << "the vendor periods head the columns";
  EXPECT_EQ("-100.00", r.Cell(r.Find("VD-1", " D "), kAmountX, kWidth));
  EXPECT_EQ("60.00", r.Cell(r.Find("VC-1", " C "), kAmountX, kWidth));
  EXPECT_EQ("860.00", r.Cell(r.Find("Grand Total"), kAmountX, kWidth));
  ExpectFoots(r);
}

// --- Selection ------------------------------------------------------------------------------

void AddNamedCustomers(CompanyTest* t) {
  t->Add("settings", ScheduleRecord());
  const std::pair<const char*, const char*> names[] = {
      {"C100", "Zephyr Tools"}, {"C200", "O'Brien Hardware"}, {"C300", "baker & sons"}, {"C400", "O'Connor Paints"}};
  for (const auto& [code, name] : names) {
    t->Add("customers", Account(code, name));
    t->Add("ar_open_invoices", Item(code, std::string("I-") + code, 'I', 100, 5));
  }
}

std::vector<std::string> AccountOrder(const Report& r) {
  std::vector<std::string> codes;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i)
    if (IsAccountLine(r, i)) codes.push_back(r.Cell(i, 0, 10));
  return codes;
}

TEST_F(AgingTest, SortingByNameOrdersWithoutRegardToCaseAndKeepsApostrophes) {
  AddNamedCustomers(this);
  const Report all = RunReport(337, "input='default' sortfld='Customer Name'");
  EXPECT_EQ((std::vector<std::string>{"C300", "C200", "C400", "C100"}), AccountOrder(all));
  EXPECT_TRUE(all.Contains("Sorted by... : Customer Name"));

  // A range typed in other letters selects the same names.
  const Report range = RunReport(337, "input='default' sortfld='Customer Name' sortfrom='o''brien' sortto='O''CONNOR PAINTS'");
  EXPECT_EQ((std::vector<std::string>{"C200", "C400"}), AccountOrder(range));
  EXPECT_NE(std::string::npos, range.savedRun.params.find("sortfrom='o''brien'"));
}

TEST_F(AgingTest, ARangeOfBalancesOrdersTheReportByBalance) {
  Add("settings", ScheduleRecord());
  const std::pair<const char*, double> balances[] = {
      {"C100", 50}, {"C200", 300}, {"C300", 150}, {"C400", 800}, {"C500", 400}, {"C600", 500}};
  for (const auto& [code, balance] : balances) {
    Add("customers", Account(code, std::string("Customer ") + code, Json{{"balance", balance}}));
    Add("ar_open_invoices", Item(code, std::string("I-") + code, 'I', balance, 5));
  }
  const Report r = RunReport(337, "input='default' rankfld='Current Balance' rankfrom='100' rankto='500'");
  EXPECT_EQ((std::vector<std::string>{"C300", "C200", "C500", "C600"}), AccountOrder(r));
  // The saved run holds the criteria where the user put them.
  EXPECT_NE(std::string::npos, r.savedRun.params.find("sortfld='Customer Code' sortfrom='' sortto=''"));
  EXPECT_NE(std::string::npos, r.savedRun.params.find("rankfld='Current Balance' rankfrom='100' rankto='500'"));
  EXPECT_TRUE(r.Contains("Sorted by... : Customer Code"));
  EXPECT_TRUE(r.Contains("Ranked by... : Current Balance"));
}

TEST_F(AgingTest, ACountBelowTheRangeIsPassedOverAndOneAboveEndsTheWalk) {
  Add("settings", ScheduleRecord());
  const std::pair<const char*, int> counts[] = {{"C100", 1}, {"C200", 3}, {"C300", 7}, {"C400", 4}};
  for (const auto& [code, count] : counts) {
    Add("customers", Account(code, std::string("Customer ") + code,
                             Json{{"invoiceCounts", Json::array({0, 0, count, 0, 0})}}));
    Add("ar_open_invoices", Item(code, std::string("I-") + code, 'I', 10, 5));
  }
  const Report r = RunReport(337, "input='default' rankfld='Invoice Count' rankfrom='2' rankto='5'");
  EXPECT_EQ((std::vector<std::string>{"C200", "C400"}), AccountOrder(r));

  // Every account lies past the range: nothing is selected, and no file.
  Run run;
  const Report none = RunReport(337, "input='default' rankfld='Invoice Count' rankfrom='0' rankto='0'", &run);
  EXPECT_TRUE(none.Empty());
  EXPECT_EQ(std::vector<int>{197}, run.messages);
}

TEST_F(AgingTest, TheDaysPastDueFilterKeepsItsRange) {
  Add("settings", ScheduleRecord());
  Add("customers", Account("C100", "Acme Supply"));
  for (int d : {10, 40, 70, 100}) Add("ar_open_invoices", Item("C100", "D-" + std::to_string(d), 'I', 100 + d, d));
  const Report r = RunReport(337, "input='default' dayspast='1' dpdfrom='31' dpdto='90'");
  EXPECT_EQ(-1, r.Find("D-10 "));
  EXPECT_GE(r.Find("D-40 "), 0);
  EXPECT_GE(r.Find("D-70 "), 0);
  EXPECT_EQ(-1, r.Find("D-100 "));
  ExpectFoots(r);

  const Report open = RunReport(337, "input='default' dayspast='1' dpdfrom='31' dpdto='0'");
  EXPECT_EQ(-1, open.Find("D-10 "));
  EXPECT_GE(open.Find("D-100 "), 0) << "a highest day of 0 means no highest day";

  const Report paid = RunReport(337, "input='default' dayspast='1' dpdfrom='31' dpdto='90' incfpaid='1'");
  EXPECT_GE(paid.Find("D-10 "), 0) << "with fully paid items included the filter does not apply";
}

// --- Accounts and groups ------------------------------------------------------------------

TEST_F(AgingTest, AGroupsPeriodsNeverReachTheNextGroup) {
  Add("settings", ScheduleRecord());
  // EAST nets to zero (no subtotal) with amounts in two periods.
  Add("customers", Account("C100", "East One", Json{{"department", "EAST"}}));
  Add("customers", Account("C101", "East Two", Json{{"department", "EAST"}}));
  Add("customers", Account("C200", "West One", Json{{"department", "WEST"}}));
  Add("ar_open_invoices", Item("C100", "E-1", 'I', 100, 70));
  Add("ar_open_invoices", Item("C101", "CM-1", 'C', 100, 5));
  Add("ar_open_invoices", Item("C200", "W-1", 'I', 50, 5));
  const Report r = RunReport(337, "input='default' sortfld='G/L Department'");
  EXPECT_EQ(-1, r.Find("SubTotal EAST")) << "a group that owes nothing prints no subtotal";
  const int west = r.Find("SubTotal WEST");
  ASSERT_GE(west, 0);
  EXPECT_EQ("50.00", r.Cell(west, kAmountX, kWidth));
  EXPECT_EQ("50.00", r.Cell(west, kPeriodX[0], kWidth));
  EXPECT_EQ("0.00", r.Cell(west, kPeriodX[2], kWidth));
  ExpectFoots(r);
}

TEST_F(AgingTest, AnAccountThatNetsToZeroShowsItsZeroTotalAndLeavesTheNextAlone) {
  Add("settings", ScheduleRecord());
  Add("customers", Account("C100", "Even Account"));
  Add("customers", Account("C200", "Next Account"));
  Add("ar_open_invoices", Item("C100", "E-1", 'I', 100, 70));
  Add("ar_open_invoices", Item("C100", "E-2", 'C', 100, 5));
  Add("ar_open_invoices", Item("C200", "N-1", 'I', 50, 5));
  const Report r = RunReport(337, "input='default'");
  const int even = r.Find("C100"), next = r.Find("C200");
  ASSERT_GE(even, 0);
  const int evenTotal = r.Find("Total", "", even);
  ASSERT_TRUE(evenTotal > even && evenTotal < next) << "the even account's total line follows its items";
  EXPECT_EQ("0.00", r.Cell(evenTotal, kAmountX, kWidth));
  EXPECT_EQ("-100.00", r.Cell(evenTotal, kPeriodX[0], kWidth));
  EXPECT_EQ("100.00", r.Cell(evenTotal, kPeriodX[2], kWidth));
  const int total = r.Find("Total", "", next);
  EXPECT_EQ("50.00", r.Cell(total, kAmountX, kWidth));
  EXPECT_EQ("50.00", r.Cell(total, kPeriodX[0], kWidth));
  EXPECT_EQ("0.00", r.Cell(total, kPeriodX[2], kWidth));
  ExpectFoots(r);
}

// Fully paid items listed (include fully paid): an account whose items are
// all paid has a total of 0.00 after them, in every type.
TEST_F(AgingTest, AnAccountOfFullyPaidItemsEndsWithItsTotal) {
  Add("settings", ScheduleRecord());
  Add("customers", Account("C100", "Paid Up"));
  Add("ar_open_invoices", Item("C100", "P-1", 'I', 300, 40));
  Add("ar_open_invoices", ItemOn("C100", "P-1", 'P', 300, AgingDay() - 20));
  for (const char* type : {"0", "1", "2"}) {
    SCOPED_TRACE(type);
    const Report r = RunReport(337, std::string("input='default' incfpaid='1' type='") + type + "'");
    const int account = r.Find("C100");
    ASSERT_GE(account, 0);
    const int total = r.Find("Total", "", account);
    ASSERT_GT(total, account);
    const std::string& line = r.lines[static_cast<std::size_t>(total)];
    EXPECT_EQ(" 0.00", line.substr(line.find_last_not_of(' ') - 4, 5)) << line;
  }
}

// Every page that goes on with an account starts with that account's line:
// an item or a total never stands under the page heading alone.  Accounts
// of one item (three lines each) behind a first account of one to three
// items put the page's end at every place within an account.
TEST_F(AgingTest, APageThatGoesOnWithAnAccountRepeatsItsLine) {
  Add("settings", ScheduleRecord());
  for (int k = 0; k < 60; ++k) {
    char code[8];
    std::snprintf(code, sizeof code, "C%03d", k);
    Add("customers", Account(code, std::string("Customer ") + code));
  }
  for (int extra = 0; extra < 3; ++extra) {
    fixture::Json& items = Fixture()["files"]["ar_open_invoices"];
    items = fixture::Json::array();
    for (int k = 0; k < 60; ++k) {
      char code[8];
      std::snprintf(code, sizeof code, "C%03d", k);
      const int count = k == 0 ? 1 + extra : 1;
      for (int n = 0; n < count; ++n) Add("ar_open_invoices", Item(code, code + std::string("-") + std::to_string(n), 'I', 10 + k, 5));
    }
    WriteCompany();
    for (const char* type : {"1", "2"}) {
      SCOPED_TRACE(std::string("first account of ") + std::to_string(1 + extra) + " items, type " + type);
      const Report r = RunReport(337, std::string("input='default' consadv='0' type='") + type + "'");
      int pages = 0;
      for (int i = 1; i + 1 < static_cast<int>(r.lines.size()); ++i) {
        if (r.lines[static_cast<std::size_t>(i)].rfind("-----", 0) != 0) continue;
        if (r.lines[static_cast<std::size_t>(i - 1)].find("Invoice No.") == std::string::npos) continue;
        ++pages;
        int first = i + 1;
        while (first < static_cast<int>(r.lines.size()) && r.lines[static_cast<std::size_t>(first)].empty()) ++first;
        const std::string& line = r.lines[static_cast<std::size_t>(first)];
        EXPECT_TRUE(IsAccountLine(r, first) || line.find("Grand Total") != std::string::npos)
            << "page " << pages << " begins with: " << line;
      }
      EXPECT_GT(pages, 2);
      if (std::string(type) == "1") ExpectFoots(r);
    }
  }
}

TEST_F(AgingTest, AnAccountsItemsNeverRunIntoTheNextAccounts) {
  Add("settings", ScheduleRecord());
  Add("customers", Account("C100", "Future Only"));
  Add("customers", Account("C101", "Has Items"));
  Add("customers", Account("C102", "No Items"));
  Json future = Item("C100", "F-1", 'I', 999, -40);
  future["invoiceDate"] = DateOfDay(AgingDay() + 3);
  Add("ar_open_invoices", future);
  Add("ar_open_invoices", Item("C101", "H-1", 'I', 10, 5));
  Add("ar_open_invoices", Item("C101", "H-2", 'I', 20, 5));
  const Report r = RunReport(337, "input='default' consadv='0'");
  EXPECT_EQ((std::vector<std::string>{"C101"}), AccountOrder(r));
  EXPECT_EQ(-1, r.Find("F-1"));
  int h1 = 0;
  for (const std::string& l : r.lines) h1 += l.rfind("H-1", 0) == 0;
  EXPECT_EQ(1, h1) << "each item once";
  ExpectFoots(r);
}

// --- Links and the saved run -------------------------------------------------------------

TEST_F(AgingTest, ItemsLinkToTheEntryTheyCameFrom) {
  Add("settings", ScheduleRecord());
  Add("customers", Account("C100", "Acme Supply"));
  Add("ar_open_invoices", Item("C100", "S-1", 'I', 10, 5, EntrySource('I', "T-1001", 42)));
  Add("ar_open_invoices", Item("C100", "S-2", 'C', 10, 5, EntrySource('I', "T-1002", 43)));
  Add("ar_open_invoices", Item("C100", "S-3", 'P', 10, 5, EntrySource('C', "CR-77", 0)));
  Add("ar_open_invoices", Item("C100", "S-4", 'I', 10, 5, EntrySource('S', "G-55", 0)));
  Add("ar_open_invoices", Item("C100", "S-5", 'I', 10, 5, EntrySource('A', "ADJ-9", 0)));
  Add("ar_open_invoices", Item("C100", "S-6", 'I', 10, 5));
  const Report r = RunReport(337, "input='default' consadv='0'");
  struct Case {
    const char* item;
    int command;
    int kind;
    const char* params;
  } cases[] = {
      {"S-1", 230, 1, "tranno='T-1001' mrno='42'"},
      {"S-2", 233, 1, "tranno='T-1002' mrno='43'"},
      {"S-3", 210, 1, "cdno='CR-77'"},
      {"S-4", 301, 2, "input='default' type='1' tran='G-55' jrnlbeg='SU' jrnlend='SU'"},
      {"S-5", 202, 1, "cdno='ADJ-9'"},
  };
  for (const Case& c : cases) {
    const std::vector<Report::Link> links = r.LinksOn(r.Find(c.item));
    ASSERT_FALSE(links.empty()) << c.item;
    EXPECT_EQ(c.command, links[0].command) << c.item;
    EXPECT_EQ(c.kind, links[0].kind) << c.item;
    EXPECT_EQ(c.params, links[0].params) << c.item;
  }
  EXPECT_TRUE(r.LinksOn(r.Find("S-6")).empty()) << "no source, no link";
  const std::vector<Report::Link> account = r.LinksOn(r.Find("C100"));
  ASSERT_EQ(3u, account.size());
  EXPECT_EQ(121, account[0].command);
  EXPECT_EQ("cdno='C100'", account[0].params);
  EXPECT_EQ(120, account[2].command);
  EXPECT_EQ("cdno='1200'", account[2].params);
}

TEST_F(AgingTest, ASummaryCellOpensTheDetailWithTheSameTotals) {
  AddAccountantsCompany(this);
  const std::string options = "agedby='84' consadv='0' dayspast='1' dpdfrom='20' dpdto='150'";
  const Report summary = RunReport(337, "input='default' type='0' " + options);
  const int total = summary.Find("Total", "", summary.Find("C100"));
  const std::vector<Report::Link> links = summary.LinksOn(total);
  ASSERT_EQ(8u, links.size()) << "the balance and the seven periods";
  EXPECT_EQ(337, links[0].command);
  EXPECT_EQ(2, links[0].kind);

  const std::string out = File("detail.htm");
  const std::string params = links[0].params + " output='" + out + "'";
  RunScripted("", [&] { return RunCustVendAging(links[0].command, params.c_str()); });
  const Report detail = ReadReport(out);
  EXPECT_EQ((std::vector<std::string>{"C100"}), AccountOrder(detail));
  const int detailTotal = detail.Find("Total", "", detail.Find("C100"));
  ASSERT_GE(detailTotal, 0);
  EXPECT_EQ(summary.Cell(total, kAmountX, kWidth), detail.Cell(detailTotal, kAmountX, kWidth));
  for (int p = 0; p < 7; ++p)
    EXPECT_EQ(summary.Cell(total, kPeriodX[p], kWidth), detail.Cell(detailTotal, kPeriodX[p], kWidth));
}

TEST_F(AgingTest, TheSavedRunRunsTheReportAgainIdentically) {
  AddNamedCustomers(this);
  // The preview's "Run again" (F6) runs the saved run through the command
  // routing, as a user does; both reports go to the transcript.
  const std::string params =
      "input='default' sortfld='Customer Name' sortfrom='b' sortto='O''Connor Paints' rankfld='Current Balance' "
      "agedby='84' consadv='0'";
  const Run run = RunScripted("F6 Esc Esc", [&] { return RunCustVendAging(337, params.c_str()); });
  std::vector<std::string> reports;
  const std::string begin = "preview: Customer/Vendor Aging", end = "--- end of report ---";
  for (std::size_t at = run.transcript.find(begin); at != std::string::npos;
       at = run.transcript.find(begin, at + 1))
    reports.push_back(run.transcript.substr(at, run.transcript.find(end, at) - at));
  ASSERT_EQ(2u, reports.size()) << run.transcript;
  EXPECT_EQ(reports[0], reports[1]);
  EXPECT_NE(std::string::npos, reports[0].find("O'Connor Paints"));
  EXPECT_EQ(std::string::npos, reports[0].find("Zephyr"));
}

TEST_F(AgingTest, AParameterStringThatCannotBeReadRunsNothing) {
  AddAccountantsCompany(this);
  const struct {
    const char* params;
    int message;
  } cases[] = {
      {"input='default' sortfld='Shoe Size'", 2001},
      {"input='screen' colour='red'", 2001},
      {"input='default' closedate='02/30/25'", 2001},
      {"input='default' type='7'", 2001},
      {"input='default' sortfrom='Z' sortto='A'", 205},
  };
  for (const auto& c : cases) {
    Run run;
    const Report r = RunReport(337, c.params, &run);
    EXPECT_TRUE(r.Empty()) << c.params;
    EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.params;
  }
}

// --- Clean ends ------------------------------------------------------------------------------

// No temporary index is left on any handle, and the company's files are
// closed: a record file that a handle holds cannot be renamed.
void ExpectEverythingReleased() {
  for (BtrvHandle h = 1; h < 512; ++h) EXPECT_EQ(-1, TempIndexKey(h)) << "an index is left on handle " << h;
  for (int file : {records::kFileCustomers, records::kFileReceivablesOpenInvoices, records::kFileSalespersons,
                   records::kFileSettings}) {
    const std::string path = FilePathGet(file);
    EXPECT_EQ(0, BtrvFileRename(path.c_str(), (path + "_moved").c_str())) << path << " is still open";
    EXPECT_EQ(0, BtrvFileRename((path + "_moved").c_str(), path.c_str()));
  }
}

TEST_F(AgingTest, AUserBreakEndsTheRunCleanly) {
  AddNamedCustomers(this);
  Run run;
  const Report r = RunReport(337, "input='default' sortfld='Customer Name'", &run, "Break");
  EXPECT_EQ(27, run.result);
  ExpectEverythingReleased();
}

TEST_F(AgingTest, ARecordManagerErrorEndsTheRunCleanly) {
  AddAccountantsCompany(this);
  ASSERT_EQ(0, BtrvTestSwitch("fail=6:ar_open_invoices:4:2"));
  Run run;
  const Report r = RunReport(337, "input='default' sortfld='Customer Name'", &run);
  BtrvTestSwitch("");
  EXPECT_EQ(0, run.result);
  EXPECT_TRUE(r.Empty()) << "no file that looks like a finished report";
  EXPECT_NE(std::string::npos, run.transcript.find("ar_open_invoices")) << run.transcript;
  ExpectEverythingReleased();
}

}  // namespace
}  // namespace agingtest
