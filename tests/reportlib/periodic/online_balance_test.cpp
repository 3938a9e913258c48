// On-line account balance (command 316), driven by key scripts over the
// company of fixtures/online_balance.json: the figures printed for an
// account are what waits for it in each journal, posted, deleted, held and
// void entries left out; the accounts that may not be chosen are refused;
// nothing is written.
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixture/company.h"
#include "periodic/online_balance.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"

namespace {

// The text of the report the preview showed; "" when none ran.
std::string PreviewText(const std::string& transcript) {
  const std::size_t start = transcript.find("--- page 1 of");
  if (start == std::string::npos) return "";
  const std::size_t end = transcript.find("--- end of report ---", start);
  return transcript.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The amounts on the report's line that begins with `label`; empty when
// there is no such line.
std::vector<double> AmountsOn(const std::string& report, const std::string& label) {
  std::istringstream in(report);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos || line.compare(first, label.size(), label) != 0) continue;
    std::vector<double> amounts;
    std::istringstream words(line.substr(first + label.size()));
    std::string word;
    while (words >> word) {
      char* end = nullptr;
      const double v = std::strtod(word.c_str(), &end);
      if (end && *end == '\0') amounts.push_back(v);
    }
    return amounts;
  }
  return {};
}

class OnLineBalanceTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlockGet()->currentCommand = 316;
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/online_balance.json");
  }
  Run Balance(const std::string& keys) {
    return RunScripted(keys, [] { return RunOnLineBalance(); });
  }
};

using Amounts = std::vector<double>;

TEST_F(OnLineBalanceTest, ShowsWhatWaitsInEveryJournal) {
  struct Case {
    const char* name;
    const char* keys;
    const char* heading;
    // Debit and credit by place; an empty row is left out of the report.
    Amounts cash, billing, generalLedger, receivables, payables, outstanding, service, total;
    double net, current, onLine;
  };
  const Case cases[] = {
      // The list opens at the account shown; its code is rubbed out first.
      {"an account picked from the list", R"(F5 Backspace Backspace Backspace Backspace "5010" Enter F10 Esc Esc)", "Account 5010  Rent",
       {300, 0}, {0, 0}, {0, 0}, {0, 0}, {80, 0}, {}, {}, {380, 0}, 380, 4000, 4380},
      // The company's cash account is shown when the screen opens.
      {"the bank account: a debit-balance account", "F10 Esc Esc", "Account 1010  Cash in bank",
       {540, 500}, {250, 0}, {100, 0}, {0, 0}, {0, 0}, {0, 60}, {15, 0}, {905, 560}, 345, 5000, 5345},
      {"a revenue account: unposted credits raise it", R"("4010" F10 Esc Esc)", "Account 4010  Sales",
       {0, 0}, {0, 0}, {0, 100}, {0, 1200}, {0, 0}, {}, {}, {0, 1300}, 1300, 12000, 13300},
      {"an expense account: unposted debits raise it", R"("5010" F10 Esc Esc)", "Account 5010  Rent",
       {300, 0}, {0, 0}, {0, 0}, {0, 0}, {80, 0}, {}, {}, {380, 0}, 380, 4000, 4380},
      {"a customer's discount on the receivables discount account", R"("4090" F10 Esc Esc)",
       "Account 4090  Sales discounts", {10, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {}, {}, {10, 0}, -10, 0, -10},
      // Receipts and payments applied to invoices move the receivables or
      // payables account by what they pay and the discount together: the
      // company's control account, or the customer's own.
      {"the receivables control account", R"("1100" F10 Esc Esc)", "Account 1100  Receivables",
       {0, 115}, {0, 0}, {0, 0}, {1200, 0}, {0, 0}, {}, {}, {1200, 115}, 1085, 2000, 3085},
      {"a customer's own receivables account", R"("1110" F10 Esc Esc)", "Account 1110  Receivables, trade",
       {0, 510}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {}, {}, {0, 510}, -510, 0, -510},
      {"the payables control account: a credit-balance account", R"("2100" F10 Esc Esc)", "Account 2100  Payables",
       {204, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {}, {}, {204, 0}, -204, 1500, 1296},
  };
  WriteCompany();
  const auto before = Snapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Run run = Balance(c.keys);
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    const std::string report = PreviewText(run.transcript);
    ASSERT_FALSE(report.empty()) << run.transcript;
    EXPECT_NE(report.find("Online Balance"), std::string::npos);
    EXPECT_NE(report.find(c.heading), std::string::npos) << report;
    EXPECT_EQ(AmountsOn(report, "Cash"), c.cash) << report;
    EXPECT_EQ(AmountsOn(report, "Billing"), c.billing);
    EXPECT_EQ(AmountsOn(report, "General ledger"), c.generalLedger);
    EXPECT_EQ(AmountsOn(report, "Receivables"), c.receivables);
    EXPECT_EQ(AmountsOn(report, "Payables"), c.payables);
    EXPECT_EQ(AmountsOn(report, "Check register (outstanding)"), c.outstanding);
    EXPECT_EQ(AmountsOn(report, "Check register (service)"), c.service);
    EXPECT_EQ(AmountsOn(report, "Total unposted"), c.total);
    EXPECT_EQ(AmountsOn(report, "Unposted net"), Amounts{c.net});
    EXPECT_EQ(AmountsOn(report, "Current balance"), Amounts{c.current});
    EXPECT_EQ(AmountsOn(report, "On-line balance"), Amounts{c.onLine});
  }
  EXPECT_EQ(Snapshot().files, before.files) << "the balance wrote to the company";
}

TEST_F(OnLineBalanceTest, RefusesAccountsThatCannotBeChosen) {
  struct Case {
    const char* name;
    const char* keys;
    std::vector<int> messages;
  };
  const Case cases[] = {
      {"a summary account", R"("1000" Enter Enter Esc)", {145}},
      {"an account not in use", R"("1030" Enter Enter Esc)", {571}},
      {"an account not on file", R"("9999" Enter Enter Esc)", {69}},
      {"F10 checks the account first", R"("9999" F10 Enter Esc)", {69}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Run run = Balance(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_TRUE(PreviewText(run.transcript).empty()) << "a refused account printed";
  }
  // The account accepted before comes back into the field, and prints.
  const Run run = Balance(R"("1000" Enter Enter F10 Esc Esc)");
  EXPECT_EQ(run.messages, std::vector<int>{145});
  EXPECT_NE(PreviewText(run.transcript).find("Account 1010  Cash in bank"), std::string::npos) << run.transcript;
}

}  // namespace
