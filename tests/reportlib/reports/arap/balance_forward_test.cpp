// A balance-forward customer who has paid, over fixtures/balance_forward.json:
// its payment pays the oldest balance, so that its statement, the accounts a
// letter run chooses by their past-due amounts and the aging report all see
// what it still owes as current.  An open-item customer with the same lines
// keeps its payment apart from the invoices.
#include <string>
#include <vector>

#include "aging_test_support.h"
#include "documents_test_support.h"
#include "reports/arap/aging.h"
#include "reports/arap/letters_labels.h"
#include "reports/arap/statements.h"

namespace documenttest {
namespace {

// Print columns of the aging report's item and total lines.
constexpr int kAmountX = 41;
constexpr int kCurrentX = 53, kDays60X = 65;
constexpr int kWidth = 11;

class BalanceForwardTest : public DocumentTest {
 protected:
  BalanceForwardTest() : DocumentTest(336) {}
  void SetUp() override {
    DocumentTest::SetUp();
    UseFixtureFile(QX_SOURCE_DIR "/tests/reportlib/reports/arap/fixtures/balance_forward.json");
  }

  // The line after the page's first line that holds `text`, squeezed.
  static std::string LineAfter(const Page& page, const std::string& text) {
    for (std::size_t i = 0; i + 1 < page.size(); ++i)
      if (page[i].find(text) != std::string::npos) return Squeezed(page[i + 1]);
    return "";
  }

  static bool Holds(const Page& page, const std::string& text) {
    for (const std::string& l : page)
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

  agingtest::Report Aging(const std::string& params) {
    const std::string out = File("aging-" + std::to_string(++agings_) + ".htm");
    const std::string text = params + " output='" + out + "'";
    SharedAppBlockGet()->currentCommand = 337;
    const Run run = RunScripted("", [&] { return RunCustVendAging(337, text.c_str()); });
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    return agingtest::ReadReport(out);
  }

  int agings_ = 0;
};

TEST_F(BalanceForwardTest, TheStatementShowsThePaidBalanceAsCurrentWithTheCurrentMessage) {
  const Output o = RunReport(RunCustVendStatementsTo, "F10", 336);
  ASSERT_EQ(2u, o.pages.size()) << o.run.transcript;
  const struct {
    const char* account;
    const char* amounts;  // Current, 1-30, 31-60, over 60, balance
    const char* message;
  } cases[] = {
      {"Aster Garden Supply", "100.00 0.00 0.00 0.00 100.00", "Thank you for your business."},
      {"Open Item Outfitters", "100.00 -400.00 400.00 0.00 100.00", "Past due 31-60."},
  };
  for (std::size_t p = 0; p < 2; ++p) {
    const Page& page = o.pages[p];
    EXPECT_TRUE(Holds(page, cases[p].account)) << p;
    EXPECT_EQ(cases[p].amounts, LineAfter(page, "Current      1-30 Days")) << cases[p].account;
    EXPECT_TRUE(Holds(page, cases[p].message)) << cases[p].account << "\n" << o.text;
  }
}

TEST_F(BalanceForwardTest, ALetterToThoseThirtyOneToSixtyDaysPastDueLeavesThePaidBalanceOut) {
  // "3": Past Due 31-60 Balance, its from left blank (above zero).
  const Output o = RunReport(RunCustVendLettersLabelsTo, "Down Down \"3\" F10", 341);
  EXPECT_TRUE(o.run.messages.empty()) << o.run.transcript;
  EXPECT_NE(std::string::npos, o.text.find("Open Item Outfitters")) << o.text;
  EXPECT_EQ(std::string::npos, o.text.find("Aster Garden Supply")) << o.text;
}

TEST_F(BalanceForwardTest, TheAgingReportAgesWhatIsLeftOnceThePaymentPaidTheOldest) {
  // The account's total line: balance, Current, 31-60.
  const struct {
    const char* name;
    const char* params;
    const char* account;
    const char* balance;
    const char* current;
    const char* days60;
  } cases[] = {
      {"detail, balance forward", "input='default' type='1'", "A3", "100.00", "100.00", "0.00"},
      {"detail, open item", "input='default' type='1'", "A4", "100.00", "-300.00", "400.00"},
      {"summary, balance forward", "input='default' type='0'", "A3", "100.00", "100.00", "0.00"},
      {"summary, open item", "input='default' type='0'", "A4", "100.00", "-300.00", "400.00"},
  };
  for (const auto& c : cases) {
    const agingtest::Report r = Aging(c.params);
    const int total = r.Find("Total", "", r.Find(c.account));
    ASSERT_GE(total, 0) << c.name;
    EXPECT_EQ(c.balance, r.Cell(total, kAmountX, kWidth)) << c.name;
    EXPECT_EQ(c.current, r.Cell(total, kCurrentX, kWidth)) << c.name;
    EXPECT_EQ(c.days60, r.Cell(total, kDays60X, kWidth)) << c.name;
    const int grand = r.Find("Grand Total");
    EXPECT_EQ("-200.00", r.Cell(grand, kCurrentX, kWidth)) << c.name << ": 100.00 and -300.00";
    EXPECT_EQ("400.00", r.Cell(grand, kDays60X, kWidth)) << c.name;
  }

  // The balance forward and the payment that paid it are fully paid: left
  // out unless fully paid items are asked for, then shown with nothing left
  // in their periods; the lines foot to the total either way.
  agingtest::Report r = Aging("input='default' type='1'");
  EXPECT_GT(r.Find("45715", "", r.Find("A3")), r.Find("A4")) << "only A4's invoice 45715 prints";
  EXPECT_EQ(-1, r.Find("PAY0315"));
  EXPECT_EQ("100.00", r.Cell(r.Find("300"), kCurrentX, kWidth));
  r = Aging("input='default' type='1' incfpaid='1'");
  const int forward = r.Find("45715", "", r.Find("A3"));
  const int payment = r.Find("PAY0315");
  ASSERT_GE(forward, 0);
  ASSERT_GE(payment, 0);
  EXPECT_EQ("400.00", r.Cell(forward, kAmountX, kWidth));
  EXPECT_EQ("0.00", r.Cell(forward, kDays60X, kWidth));
  EXPECT_EQ("-400.00", r.Cell(payment, kAmountX, kWidth));
  EXPECT_EQ("0.00", r.Cell(payment, kCurrentX, kWidth));
  const int total = r.Find("Total", "", r.Find("A3"));
  EXPECT_EQ("100.00", r.Cell(total, kCurrentX, kWidth));
  EXPECT_EQ("0.00", r.Cell(total, kDays60X, kWidth));
}

}  // namespace
}  // namespace documenttest
