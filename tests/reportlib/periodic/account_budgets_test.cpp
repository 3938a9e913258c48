// Account budgets (command 361), driven by key scripts over the company of
// fixtures/budgets.json: editing a budget, storing it and reading it back,
// the change carried up the account tree, summary accounts shown only, and
// bad amounts or a record changed meanwhile refused with nothing written.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "fixture/company.h"
#include "periodic/account_budgets.h"
#include "qxabase/app_block.h"
#include "qxtest/company_test.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {

using Budgets = std::vector<double>;  // periods 1-13

class AccountBudgetTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    SharedAppBlockGet()->currentCommand = 361;
    UseFixtureFile(std::string(QX_PERIODIC_FIXTURES) + "/budgets.json");
  }
  Run Edit(const std::string& keys) {
    return RunScripted(keys, [] { return RunEditAccountBudget(); });
  }
  // Every account's budgets as stored.
  std::map<std::string, Budgets> Stored() {
    std::map<std::string, Budgets> out;
    const auto image = Snapshot({records::kFileGLAccounts});
    for (const auto& bytes : image.files.at(records::kFileGLAccounts)) {
      records::GLAccount a{};
      std::memcpy(&a, bytes.data(), sizeof a);
      Budgets b;
      for (int p = 0; p < 13; ++p) b.push_back(a.budget[p]);
      out[std::string(records::Trimmed(a.code))] = b;
    }
    return out;
  }
};

// `base` with `value` in periods from..to (1-based).
Budgets With(Budgets base, int from, int to, double value) {
  for (int p = from; p <= to; ++p) base[p - 1] = value;
  return base;
}
Budgets Plus(Budgets base, int from, int to, double change) {
  for (int p = from; p <= to; ++p) base[p - 1] += change;
  return base;
}

const Budgets k6000 = With(Budgets(13, 0.0), 1, 12, 1000);
const Budgets k6100 = With(Budgets(13, 0.0), 1, 12, 300);
const Budgets k6110 = With(With(Budgets(13, 0.0), 1, 12, 100), 13, 13, 55);
const Budgets k7000 = With(Budgets(13, 0.0), 1, 12, 20);
const Budgets k8100 = With(Budgets(13, 0.0), 1, 12, 5);

TEST_F(AccountBudgetTest, SavingCarriesEachPeriodsChangeUpTheTree) {
  struct Case {
    const char* name;
    const char* keys;
    std::map<std::string, Budgets> expected;
  };
  const Case cases[] = {
      {"period 2 of a level-3 account raised by 500", R"("6110" Enter Enter "600" F10 Esc)",
       {{"6000", Plus(k6000, 2, 2, 500)}, {"6100", Plus(k6100, 2, 2, 500)}, {"6110", With(k6110, 2, 2, 600)},
        {"7000", k7000}, {"8100", k8100}}},
      {"F3 fills period 4 forward; periods 1-3 stand", R"("6110" Enter Enter Enter Enter "1000" F3 F10 Esc)",
       {{"6000", Plus(k6000, 4, 12, 900)}, {"6100", Plus(k6100, 4, 12, 900)}, {"6110", With(k6110, 4, 12, 1000)},
        {"7000", k7000}, {"8100", k8100}}},
      {"a lowered and a raised period", R"("6110" Enter "40" Enter Enter "130.5" F10 Esc)",
       {{"6000", Plus(Plus(k6000, 1, 1, -60), 3, 3, 30.5)},
        {"6100", Plus(Plus(k6100, 1, 1, -60), 3, 3, 30.5)},
        {"6110", With(With(k6110, 1, 1, 40), 3, 3, 130.5)},
        {"7000", k7000}, {"8100", k8100}}},
      {"a top-level account touches no other", R"("7000" Enter "25" F10 Esc)",
       {{"6000", k6000}, {"6100", k6100}, {"6110", k6110}, {"7000", With(k7000, 1, 1, 25)}, {"8100", k8100}}},
      {"a broken parent chain: the account alone is saved", R"("8100" Enter "9" F10 Enter Esc)",
       {{"6000", k6000}, {"6100", k6100}, {"6110", k6110}, {"7000", k7000}, {"8100", With(k8100, 1, 1, 9)}}},
      {"Esc leaves without saving", R"("6110" Enter "600" Enter Esc Esc)",
       {{"6000", k6000}, {"6100", k6100}, {"6110", k6110}, {"7000", k7000}, {"8100", k8100}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const Run run = Edit(c.keys);
    const auto stored = Stored();
    for (const auto& [code, budgets] : c.expected) EXPECT_EQ(stored.at(code), budgets) << code << run.transcript;
  }
}

TEST_F(AccountBudgetTest, TheFormShowsThePeriodsAndTheStoredBudgets) {
  const Run run = Edit(R"("6110" Enter Esc Esc)");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  for (const char* text : {"Account Budget", "Rent", "JAN 25", "DEC 25", "Period  1", "Period 12", "1200.00"}) {
    EXPECT_NE(run.transcript.find(text), std::string::npos) << text;
  }
  // A twelve-period year has no thirteenth period to budget.
  EXPECT_EQ(run.transcript.find("Period 13"), std::string::npos);
  EXPECT_EQ(run.transcript.find("55.00"), std::string::npos);
}

TEST_F(AccountBudgetTest, RefusalsWriteNothing) {
  struct Case {
    const char* name;
    const char* keys;
    std::vector<int> messages;
  };
  const Case cases[] = {
      {"a summary account is shown only", R"("6100" Enter Enter Esc)", {1273}},
      {"its running totals can be viewed", R"("6100" Enter Left Enter Enter Enter Esc)", {1273, 1073, 1273}},
      {"an amount that is no number", R"("6110" Enter "1.2.3" Enter Enter Esc Esc)", {1074}},
      {"an amount too large to keep", R"("6110" Enter "12345678901" Enter Enter Esc Esc)", {1074}},
      {"F10 with a bad amount", R"("6110" Enter Enter "1.2.3" F10 Enter Esc Esc)", {1074}},
      {"running totals are only shown", R"("6110" Enter Shift+F3 Enter Esc Esc)", {1073}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteCompany();
    const auto before = Snapshot();
    const Run run = Edit(c.keys);
    EXPECT_EQ(run.messages, c.messages) << run.transcript;
    EXPECT_EQ(Snapshot().files, before.files);
  }
}

TEST_F(AccountBudgetTest, ARecordChangedMeanwhileIsShownAgainForARetry) {
  WriteCompany();
  // The account's first rewrite finds it changed by another user.
  ASSERT_EQ(BtrvTestSwitch("fail=3:gl_accounts:1:80"), 0);
  const Run run = Edit(R"("6110" Enter "600" F10 Enter "700" F10 Esc)");
  BtrvTestSwitch("");
  EXPECT_NE(run.transcript.find("message box"), std::string::npos) << run.transcript;
  const auto stored = Stored();
  // The retry saved period 1 once, and the parents moved once.
  EXPECT_EQ(stored.at("6110"), With(k6110, 1, 1, 700));
  EXPECT_EQ(stored.at("6100"), Plus(k6100, 1, 1, 600));
  EXPECT_EQ(stored.at("6000"), Plus(k6000, 1, 1, 600));
}

TEST_F(AccountBudgetTest, AParentThatCannotBeWrittenUndoesTheWholeSave) {
  WriteCompany();
  const auto before = Snapshot();
  // The account is written, then its parent 6100 fails.
  ASSERT_EQ(BtrvTestSwitch("fail=3:gl_accounts:2:2"), 0);
  const Run run = Edit(R"("6110" Enter "600" F10 Enter Esc Esc)");
  BtrvTestSwitch("");
  EXPECT_EQ(Snapshot().files, before.files) << run.transcript;
}

}  // namespace
