// General-ledger year close (command 362), driven by key scripts over the
// company of fixtures/year_close.json: the accountant's view of a close (the
// year's income and expenses moved into retained earnings, balance-sheet
// accounts carried, the trial balance in balance before and after, the
// calendar moved a year on), the refusals that leave the books untouched,
// and a close stopped by a failure or killed mid-run.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/gl_year_close.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "qxtest/company_test.h"
#include "qxtest/killed_run.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"

namespace {

using fixture::Json;

constexpr int kN = 12;

template <class Record>
std::vector<Record> Records(const fixture::CompanyImage& image, int fileNo) {
  std::vector<Record> out;
  const auto it = image.files.find(fileNo);
  if (it == image.files.end()) return out;
  for (const auto& bytes : it->second) {
    Record r{};
    std::memcpy(&r, bytes.data(), std::min(bytes.size(), sizeof r));
    out.push_back(r);
  }
  return out;
}

std::string Code(const char (&field)[11]) { return std::string(records::Trimmed(field)); }

double Cents(double v) { return std::round(v * 100.0) / 100.0; }

class GLYearCloseTest : public qxtest::CompanyTest {
 public:
  Json& Periods() { return fixture_["files"]["settings"][0]; }
  Json& Interface() { return fixture_["files"]["settings"][1]; }

 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlockGet()->currentCommand = 362;
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/year_close.json");
  }

  Json& Account(const std::string& code) {
    for (Json& a : fixture_["files"]["gl_accounts"])
      if (a["code"] == code) return a;
    ADD_FAILURE() << "no account " << code;
    static Json none;
    return none;
  }
  Run Close(const std::string& keys) {
    return RunScripted(keys, [] { return RunGLYearClose(); });
  }

  std::map<std::string, records::GLAccount> Accounts() {
    std::map<std::string, records::GLAccount> out;
    for (const auto& a : Records<records::GLAccount>(Snapshot({records::kFileGLAccounts}), records::kFileGLAccounts))
      out[Code(a.code)] = a;
    return out;
  }

  records::PeriodsRecord ReadPeriods() {
    for (const auto& p : Records<records::PeriodsRecord>(Snapshot({records::kFileSettings}), records::kFileSettings)) {
      if (std::string(p.key, 8) == "0Periods") return p;
    }
    ADD_FAILURE() << "no 0Periods";
    return {};
  }
};

// The accountant's trial balance: debit-balance accounts against the others,
// on current balances.  0 when the books balance.
double TrialBalanceDifference(const std::map<std::string, records::GLAccount>& accounts) {
  double difference = 0;
  for (const auto& [code, a] : accounts) {
    if (a.IsSummary()) continue;
    difference += a.IsDebitBalanceKind() ? a.currentBalance : -a.currentBalance;
  }
  return Cents(difference);
}

// Every account's current balance is its beginning balance plus what the
// periods of this year and next hold.
void ExpectBalancesAddUp(const std::map<std::string, records::GLAccount>& accounts) {
  for (const auto& [code, a] : accounts) {
    double sum = a.beginningBalance;
    for (int i = 0; i < kN; ++i) sum += a.periodAmounts[i] + a.periodAmounts[13 + i];
    EXPECT_NEAR(Cents(sum), a.currentBalance, 0.001) << code;
  }
}

// --- The close ---------------------------------------------------------------------

TEST_F(GLYearCloseTest, ClosesIncomeAndExpensesIntoRetainedEarningsAndCarriesTheBalanceSheet) {
  // A transaction of next year waiting to be posted does not stand in the way.
  Add("gl_headers", {{"journalCode", "GJ"}, {"transactionNumber", "G-1"}, {"date", "2026-01-10"},
                     {"postedFlag", "N"}});
  WriteCompany();
  const auto before = Accounts();
  ASSERT_EQ(TrialBalanceDifference(before), 0.0);
  ExpectBalancesAddUp(before);

  const Run run = Close(R"(Enter "3100" Enter Enter)");
  EXPECT_EQ(run.messages, (std::vector<int>{1265, 1267})) << run.transcript;
  EXPECT_NE(run.transcript.find("General Ledger Year Close"), std::string::npos);

  const auto after = Accounts();
  EXPECT_EQ(TrialBalanceDifference(after), 0.0);
  ExpectBalancesAddUp(after);

  struct Expected {
    const char* code;
    double beginning, current, lastYearBeginning, lastYearEnding;
    double firstPeriod;  // this year's period 1 (next year's first, moved)
  };
  const Expected expected[] = {
      // Balance sheet: beginning moves by the year's activity; current stays.
      {"1010", 17000.0, 17100.0, 10000.0, 17000.0, 100.0},
      {"2010", 3000.0, 3000.0, 3000.0, 3000.0, 0.0},
      // The year's net income of 7,000 is credited in December, then carried.
      {"3100", 14000.0, 14000.0, 7000.0, 14000.0, 0.0},
      // Income statement: a fresh year holding only what was posted to it.
      {"4010", 0.0, 500.0, 0.0, 12000.0, 500.0},
      {"5010", 0.0, 400.0, 0.0, 4800.0, 400.0},
      {"5020", 0.0, 0.0, 0.0, 200.0, 0.0},  // not in use: rolled all the same
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.code);
    const records::GLAccount& a = after.at(e.code);
    const records::GLAccount& b = before.at(e.code);
    EXPECT_DOUBLE_EQ(a.beginningBalance, e.beginning);
    EXPECT_DOUBLE_EQ(a.currentBalance, e.current);
    EXPECT_DOUBLE_EQ(a.lastYearBeginningBalance, e.lastYearBeginning);
    EXPECT_DOUBLE_EQ(a.lastYearEndingBalance, e.lastYearEnding);
    EXPECT_DOUBLE_EQ(a.periodAmounts[0], e.firstPeriod);
    for (int i = 0; i < kN; ++i) {
      const double closing = std::string(e.code) == "3100" && i == kN - 1 ? 7000.0 : 0.0;
      EXPECT_DOUBLE_EQ(a.lastYearPeriodAmounts[i], b.periodAmounts[i] + closing) << i;
      if (i > 0) {
        EXPECT_DOUBLE_EQ(a.periodAmounts[i], b.periodAmounts[13 + i]) << i;
      }
      EXPECT_DOUBLE_EQ(a.periodAmounts[13 + i], 0.0) << i;
    }
    // Slot 13 of each year is no period of a twelve-period year.
    EXPECT_DOUBLE_EQ(a.periodAmounts[12], b.periodAmounts[12]);
    EXPECT_DOUBLE_EQ(a.periodAmounts[25], b.periodAmounts[25]);
    EXPECT_DOUBLE_EQ(a.lastYearPeriodAmounts[12], b.lastYearPeriodAmounts[12]);
  }
  EXPECT_DOUBLE_EQ(after.at("4010").periodAmounts[12], 99.0);
  EXPECT_DOUBLE_EQ(after.at("4010").periodAmounts[25], 77.0);
  EXPECT_DOUBLE_EQ(after.at("1010").lastYearFirstAmount, 11.0);
  EXPECT_DOUBLE_EQ(after.at("1010").lastYearSecondAmount, 22.0);
  EXPECT_DOUBLE_EQ(after.at("1010").firstAmount, 0.0);
  EXPECT_DOUBLE_EQ(after.at("1010").secondAmount, 0.0);
  // Budgets and the account tree are not the close's.
  EXPECT_DOUBLE_EQ(after.at("1000").budget[0], 900.0);

  // The calendar moves a year on: 2026 becomes this year, 2027 the next,
  // open and marked as made by the close.
  const records::PeriodsRecord p = ReadPeriods();
  EXPECT_EQ(p.nextOpenPeriod, 1);
  for (int i = 0; i < kN; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(p.entries[i].status, 'O');
    EXPECT_EQ(p.entries[i].startDate, DateMake(2026, i + 1, 1));
    EXPECT_EQ(p.entries[13 + i].status, 'O');
    EXPECT_EQ(p.entries[13 + i].kind, 'I');
    EXPECT_EQ(p.entries[13 + i].startDate, DateMake(2027, i + 1, 1));
  }
  EXPECT_EQ(p.entries[11].endDate, DateMake(2026, 12, 31));
  EXPECT_EQ(p.entries[24].endDate, DateMake(2027, 12, 31));
  EXPECT_EQ(std::string(p.entries[0].label), "JAN 25");  // labels stay
  EXPECT_EQ(std::string(p.entries[12].label), "OLD 13");
  EXPECT_EQ(p.entries[12].startDate, DateMake(2024, 12, 2));

  // Tax codes and salespersons move their period amounts a year on.
  const auto image = Snapshot({records::kFileTaxCodes, records::kFileSalespersons});
  const auto tax = Records<records::TaxCode>(image, records::kFileTaxCodes).at(0);
  EXPECT_DOUBLE_EQ(tax.billingTaxable[0], 10.0);
  EXPECT_DOUBLE_EQ(tax.billingTaxable[1], 0.0);
  EXPECT_DOUBLE_EQ(tax.billingTaxable[13], 0.0);
  EXPECT_DOUBLE_EQ(tax.billingTaxable[12], 3.0);
  EXPECT_DOUBLE_EQ(tax.billingTaxable[25], 4.0);
  EXPECT_DOUBLE_EQ(tax.billingTax[0], 0.6);
  EXPECT_DOUBLE_EQ(tax.purchasingTax[0], 0.3);
  EXPECT_DOUBLE_EQ(tax.purchasingTaxable[0], 0.0);
  const auto sp = Records<records::Salesperson>(image, records::kFileSalespersons).at(0);
  for (int i = 0; i < 12; ++i) {
    EXPECT_DOUBLE_EQ(sp.lastYearSales[i], 1000.0);
    EXPECT_DOUBLE_EQ(sp.sales[i], 0.0);
    EXPECT_DOUBLE_EQ(sp.lastYearCommissions[i], 50.0);
    EXPECT_DOUBLE_EQ(sp.commissions[i], 0.0);
  }
  EXPECT_DOUBLE_EQ(sp.lastYearSales[12], 0.0);  // the 13 amounts move whole

  // A second close is refused: the new year's periods are open.
  const auto closed = Snapshot();
  const Run again = Close(R"(Enter Enter)");
  EXPECT_EQ(again.messages, (std::vector<int>{1265, 349})) << again.transcript;
  EXPECT_EQ(Snapshot().files, closed.files);
}

TEST_F(GLYearCloseTest, ClosingAccountOfTheInterfaceClosesWithoutAsking) {
  const Run typed = Close(R"(Enter "3100" Enter Enter)");
  ASSERT_EQ(typed.messages, (std::vector<int>{1265, 1267})) << typed.transcript;
  const auto byHand = Snapshot({records::kFileGLAccounts, records::kFileTaxCodes, records::kFileSalespersons});

  Interface()["closingAccount"] = "3100";
  WriteCompany();
  const Run run = Close("Enter Enter");
  EXPECT_EQ(run.messages, (std::vector<int>{1265, 1267})) << run.transcript;
  EXPECT_EQ(Snapshot({records::kFileGLAccounts, records::kFileTaxCodes, records::kFileSalespersons}).files,
            byHand.files);
}

// A closing account of the interface that the close cannot use is shown on
// the screen, where the user corrects it; the close is then the one typed.
TEST_F(GLYearCloseTest, ARefusedClosingAccountOfTheInterfaceIsCorrectedOnTheScreen) {
  const Run typed = Close(R"(Enter "3100" Enter Enter)");
  ASSERT_EQ(typed.messages, (std::vector<int>{1265, 1267})) << typed.transcript;
  const auto byHand = Snapshot({records::kFileGLAccounts, records::kFileTaxCodes, records::kFileSalespersons});

  struct Case {
    const char* name;
    const char* account;
    int message;
  };
  const Case cases[] = {
      {"an account of another kind", "2500", 97},
      {"a summary account", "3000", 145},
      {"an account not on file", "9999", 69},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/year_close.json");
    Interface()["closingAccount"] = c.account;
    WriteCompany();
    const Run run = Close(R"(Enter Enter "3100" Enter Enter)");
    EXPECT_EQ(run.messages, (std::vector<int>{1265, c.message, 1267})) << run.transcript;
    EXPECT_NE(run.transcript.find("form start"), std::string::npos) << run.transcript;
    EXPECT_EQ(Snapshot({records::kFileGLAccounts, records::kFileTaxCodes, records::kFileSalespersons}).files,
              byHand.files);
  }
}

TEST_F(GLYearCloseTest, NetIncomeSidesAndTheOpenPeriodNumber) {
  struct Case {
    const char* name;
    std::vector<double> rent;  // this year's rent by period
    int nextOpenPeriod;
    double closingDecember;    // what retained earnings receive in December (credit +)
    int nextAfter;
  };
  const Case cases[] = {
      {"profit", std::vector<double>(12, 400.0), 13, 7000.0, 1},
      {"loss: a debit", std::vector<double>(12, 1200.0), 14, -2600.0, 2},
      {"break-even: a zero credit", {11800.0}, 12, 0.0, -1},
      {"no open period", std::vector<double>(12, 400.0), -1, 7000.0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/year_close.json");
    Json rent = Json::array();
    for (int i = 0; i < 26; ++i) rent.push_back(i < static_cast<int>(c.rent.size()) ? c.rent[i] : 0.0);
    rent[13] = 400.0;
    Account("5010")["periodAmounts"] = rent;
    Periods()["nextOpenPeriod"] = c.nextOpenPeriod;
    WriteCompany();
    const Run run = Close(R"(Enter "3100" Enter Enter)");
    EXPECT_EQ(run.messages, (std::vector<int>{1265, 1267})) << run.transcript;
    const records::GLAccount re = Accounts().at("3100");
    EXPECT_DOUBLE_EQ(re.lastYearPeriodAmounts[11], c.closingDecember);
    EXPECT_DOUBLE_EQ(re.currentBalance, 7000.0 + c.closingDecember);
    EXPECT_DOUBLE_EQ(re.beginningBalance, 7000.0 + c.closingDecember);
    EXPECT_EQ(ReadPeriods().nextOpenPeriod, c.nextAfter);
  }
}

// Thirteen four-week periods: period 13 is part of the year, and the new
// next year starts the day after the new year's last period.
TEST_F(GLYearCloseTest, AThirteenPeriodYear) {
  std::ifstream in(std::string(QX_PERIODIC_FIXTURES) + "/thirteen_periods.json");
  Json calendar = Json::parse(in);
  Json periods = calendar["files"]["settings"][0];
  for (int i = 0; i < 13; ++i) periods["entries"][i]["status"] = "C";
  periods["nextOpenPeriod"] = 14;
  Periods() = periods;
  WriteCompany();
  const Run run = Close(R"(Enter "3100" Enter Enter)");
  EXPECT_EQ(run.messages, (std::vector<int>{1265, 1267})) << run.transcript;
  const auto after = Accounts();
  // Sales' thirteenth period (99) now counts: 12,099 - 4,800 - 200.
  EXPECT_DOUBLE_EQ(after.at("3100").lastYearPeriodAmounts[12], 7099.0);
  EXPECT_DOUBLE_EQ(after.at("3100").currentBalance, 14099.0);
  EXPECT_DOUBLE_EQ(after.at("4010").lastYearPeriodAmounts[12], 99.0);
  EXPECT_DOUBLE_EQ(after.at("4010").periodAmounts[12], 77.0);  // next year's period 13, moved
  EXPECT_DOUBLE_EQ(after.at("4010").periodAmounts[25], 0.0);
  const records::PeriodsRecord p = ReadPeriods();
  EXPECT_EQ(p.nextOpenPeriod, 1);
  EXPECT_EQ(p.entries[0].startDate, DateMake(2025, 12, 31));
  EXPECT_EQ(p.entries[12].endDate, DateMake(2026, 12, 29));
  EXPECT_EQ(p.entries[13].startDate, DateMake(2026, 12, 30));
  EXPECT_EQ(p.entries[13].endDate, DateMake(2027, 1, 27));
  EXPECT_EQ(p.entries[25].endDate, DateMake(2027, 12, 29));
}

TEST_F(GLYearCloseTest, TheClosingAccountCanBePickedFromTheList) {
  struct Case {
    const char* name;
    const char* keys;
    std::vector<int> messages;
    double retainedEarnings;
  };
  const Case cases[] = {
      {"a closing account", R"(Enter F5 "3100" Enter Enter Enter)", {1265, 1267}, 14000.0},
      {"another kind is refused", R"(Enter F5 "2500" Enter Enter Esc)", {1265, 97}, 7000.0},
      {"a summary account is refused", R"(Enter F5 "3000" Enter Enter Esc)", {1265, 145}, 7000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const Run run = Close(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_NE(run.transcript.find("search list \" Accounts \""), std::string::npos);
    EXPECT_DOUBLE_EQ(Accounts().at("3100").currentBalance, c.retainedEarnings);
  }
}

// --- Refusals ----------------------------------------------------------------------------

TEST_F(GLYearCloseTest, RefusalsLeaveTheBooksUntouched) {
  struct Case {
    const char* name;
    void (*change)(GLYearCloseTest*);
    const char* keys;
    std::vector<int> messages;
  };
  const Case cases[] = {
      {"declined", nullptr, R"("N")", {1265}},
      {"a period of the year still open",
       [](GLYearCloseTest* t) { t->Periods()["entries"][5]["status"] = "O"; }, "Enter Enter", {1265, 349}},
      {"a summary account", nullptr, R"(Enter "3000" Enter Enter Esc)", {1265, 145}},
      {"not a closing account", nullptr, R"(Enter "2500" Enter Enter Esc)", {1265, 97}},
      {"not on file", nullptr, R"(Enter "9999" Enter Enter Esc)", {1265, 69}},
      {"a refused account can be corrected, then left", nullptr, R"(Enter "2500" Enter Enter "9999" Enter Enter Esc)",
       {1265, 97, 69}},
      {"the interface names a summary account",
       [](GLYearCloseTest* t) { t->Interface()["closingAccount"] = "3000"; }, "Enter Enter", {1265, 145}},
      {"the interface names an account of another kind, then the screen is left",
       [](GLYearCloseTest* t) { t->Interface()["closingAccount"] = "2500"; }, "Enter Enter Esc", {1265, 97}},
      {"an unposted transaction of the year",
       [](GLYearCloseTest* t) {
         t->Add("ar_headers", {{"transactionNumber", "T-1"}, {"date", "2025-12-31"}, {"postedFlag", "N"}});
       },
       R"(Enter "3100" Enter Enter Enter Esc)", {1265, 1902}},
      {"an unposted transaction of an earlier year",
       [](GLYearCloseTest* t) {
         t->Add("gl_headers", {{"journalCode", "GJ"}, {"transactionNumber", "OLD"}, {"date", "2024-06-30"},
                               {"postedFlag", "N"}});
       },
       R"(Enter "3100" Enter Enter Enter Esc)", {1265, 1902}},
      {"an entered inventory adjustment of the year",
       [](GLYearCloseTest* t) {
         t->Add("inventory_transactions", {{"productCode", "P1"}, {"transactionNumber", "I-1"}, {"kind", "5"},
                                           {"source", "T"}, {"date", "2025-11-30"}, {"quantity", -1},
                                           {"postedFlag", "N"}});
       },
       R"(Enter "3100" Enter Enter Enter Esc)", {1265, 1902}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/year_close.json");
    if (c.change) c.change(this);
    WriteCompany();
    const auto before = Snapshot();
    const Run run = Close(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(Snapshot().files, before.files);
    // No lock outlives the command.
    BtrvHandle h = 0;
    ASSERT_EQ(BtrvOpen(&h, FilePathGet(records::kFileSettings), kOpenNormal, 0), kStatusOk);
    char key[255] = "0Periods       ";
    records::PeriodsRecord p{};
    EXPECT_EQ(BtrvGetOp(kOpGetEqual + kLockBias, h, key, &p, sizeof p), kStatusOk);
    BtrvClose(h);
  }
}

// --- Stopped and killed runs -----------------------------------------------------------

TEST_F(GLYearCloseTest, AFailureAnywhereLeavesTheBooksAsTheyWere) {
  const char* failures[] = {
      "fail=3:gl_accounts:4:80",   // an account's rewrite in the roll
      "fail=3:settings:1:80",      // the periods record
      "fail=3:tax_codes:1:2",      // a tax code
      "fail=3:salespersons:1:84",  // the last step
      "fail=6:gl_accounts:3:2",    // a read in the walk
  };
  for (const char* failure : failures) {
    SCOPED_TRACE(failure);
    WriteCompany();
    const auto before = Snapshot();
    ASSERT_EQ(BtrvTestSwitch(failure), 0);
    const Run run = Close(R"(Enter "3100" Enter Enter Enter Enter)");
    BtrvTestSwitch("");
    ASSERT_FALSE(run.messages.empty());
    EXPECT_EQ(run.messages.front(), 1265);
    EXPECT_EQ(run.messages.back(), 1266) << run.transcript;
    EXPECT_EQ(Snapshot().files, before.files);
    // The close can then be run again, once.
    const Run rerun = Close(R"(Enter "3100" Enter Enter)");
    EXPECT_EQ(rerun.messages, (std::vector<int>{1265, 1267})) << rerun.transcript;
    EXPECT_DOUBLE_EQ(Accounts().at("3100").currentBalance, 14000.0);
  }
}

// The close is one record-manager transaction: a kill at any moment leaves
// either the books before the close or those after it, never a mixture, and
// a rerun closes the year exactly once.
TEST_F(GLYearCloseTest, AKilledCloseLeavesTheBooksWholeAndARerunClosesOnce) {
  Interface()["closingAccount"] = "3100";
  // Enough accounts for a kill to land inside the run.
  for (int i = 0; i < 3000; ++i) {
    Json periods = Json::array();
    for (int m = 0; m < 26; ++m) periods.push_back(m < 12 ? 10.0 : 0.0);
    Add("gl_accounts", {{"code", "6" + std::to_string(10000 + i)}, {"name", "Expense"}, {"level", "1"},
                        {"kind", 5}, {"type", "D"}, {"currentBalance", 120.0}, {"periodAmounts", periods}});
  }
  WriteCompany();
  const auto before = Snapshot();

  auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(362, "Enter Enter", dir_ + "/child.txt", killAfter, [] { RunGLYearClose(); },
                                  Today());
  };

  const qxtest::ChildRun whole = runChild(-1);
  ASSERT_FALSE(whole.killed);
  const auto after = Snapshot();
  ASSERT_NE(after.files, before.files);

  std::mt19937 random(20251231);
  int killedBeforeCommit = 0;
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    WriteCompany();
    const long wait = std::uniform_int_distribution<long>(0, whole.micros)(random);
    const bool killed = runChild(wait).killed;
    const auto left = Snapshot();
    const bool untouched = left.files == before.files;
    EXPECT_TRUE(untouched || left.files == after.files) << "the books are half closed";
    if (killed && untouched) ++killedBeforeCommit;
    const Run rerun = Close("Enter Enter");
    EXPECT_EQ(rerun.messages, untouched ? (std::vector<int>{1265, 1267}) : (std::vector<int>{1265, 349}))
        << rerun.transcript;
    EXPECT_EQ(Snapshot().files, after.files);
  }
  EXPECT_GT(killedBeforeCommit, 0) << "at least one kill fell inside a run";
}

}  // namespace
