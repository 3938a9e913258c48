// The base library's aging services that the customer/vendor reports and
// statements rely on: an invoice's balance as of a date (without moving a
// walk through the file), and the account-aging block.
#include <string>
#include <vector>

#include "aging_fixture.h"
#include "qxabase/aging.h"

namespace agingtest {
namespace {

class AgingServicesTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    Add("customers", Account("C100", "Acme Supply", Json{{"creditLimit", 5000}}));
    Add("ar_open_invoices", Item("C100", "A-1", 'I', 1000, 10));
    Add("ar_open_invoices", ItemOn("C100", "A-1", 'P', 400, AgingDay() - 20, Json{{"discount", 20}}));
    Add("ar_open_invoices", ItemOn("C100", "A-1", 'P', 580, AgingDay() + 3));  // after the date
    Add("ar_open_invoices", Item("C100", "A-2", 'I', 300, 45));
    Add("ar_open_invoices", Item("C100", "A-3", 'I', 200, 75));
    Add("ar_open_invoices", Item("C100", "A-4", 'C', 50, 5));
    WriteCompany();
    ASSERT_EQ(0, BtrvOpen(&items_, FilePathGet(records::kFileReceivablesOpenInvoices), kOpenNormal, 0));
  }
  void TearDown() override {
    if (items_) BtrvClose(items_);
    CompanyTest::TearDown();
  }
  std::vector<records::TagOpenInvoice> All() {
    std::vector<records::TagOpenInvoice> out;
    char key[255] = {};
    records::TagOpenInvoice item{};
    for (int op = kOpGetFirst; BtrvGetOp(op, items_, key, &item, sizeof item) == kStatusOk; op = kOpGetNext)
      out.push_back(item);
    return out;
  }
  BtrvHandle items_ = 0;
};

TEST_F(AgingServicesTest, AnInvoicesBalanceAsOfADateLeavesTheWalkWhereItStood) {
  char key[255] = {};
  records::TagOpenInvoice item{};
  ASSERT_EQ(kStatusOk, BtrvGetOp(kOpGetFirst, items_, key, &item, sizeof item));
  ASSERT_EQ(kStatusOk, BtrvGetOp(kOpGetNext, items_, key, &item, sizeof item));
  const std::string second(records::Trimmed(item.invoiceNumber));
  records::TagOpenInvoice copy = item;
  ASSERT_EQ(kStatusOk, AgingItemAge(records::kFileReceivablesOpenInvoices, items_, AgingDay(), nullptr, &copy));
  // 1000 less the payment of 400 and its discount of 20; the later payment
  // does not exist yet on the aging date.
  EXPECT_DOUBLE_EQ(580.0, copy.amount);
  // The walk goes on from where it stood: each line once, in order.
  std::vector<std::string> rest;
  while (BtrvGetOp(kOpGetNext, items_, key, &item, sizeof item) == kStatusOk)
    rest.push_back(std::string(records::Trimmed(item.invoiceNumber)) + item.lineType);
  EXPECT_EQ((std::vector<std::string>{"A-1P", "A-2I", "A-3I", "A-4C"}), rest) << "after " << second;

  records::TagOpenInvoice later = copy;
  ASSERT_EQ(kStatusOk, AgingItemAge(records::kFileReceivablesOpenInvoices, items_, AgingDay() + 5, nullptr, &later));
  EXPECT_DOUBLE_EQ(0.0, later.amount) << "fully paid once the last payment is dated";
}

TEST_F(AgingServicesTest, TheAccountBlockSpreadsWhatIsPastDue) {
  records::CustVendRecord customer{};
  records::SetText(customer.code, "C100");
  customer.creditLimit = 5000.0;
  CustVendAccountBlock block;
  ASSERT_EQ(0, CustVendSelectInit(&block, AgingDay(), 30, 3));
  ASSERT_EQ(0, CustVendSelectStep(&block, &customer));
  for (const records::TagOpenInvoice& item : All())
    CustVendAccountStep(&block, &item, records::kFileReceivablesOpenInvoices);
  CustVendAccountStep(&block, nullptr, records::kFileReceivablesOpenInvoices);
  // Dated on or before the aging date: 1000 - 420 + 300 + 200 - 50.
  EXPECT_DOUBLE_EQ(1030.0, block.closingBalance);
  EXPECT_DOUBLE_EQ(450.0, block.balance) << "every line, the later payment too";
  EXPECT_DOUBLE_EQ(530.0, block.pastDue1) << "A-1 (10 days) with its payment, the credit (5 days)";
  EXPECT_DOUBLE_EQ(300.0, block.pastDue2);
  EXPECT_DOUBLE_EQ(200.0, block.pastDue3);
  EXPECT_DOUBLE_EQ(1030.0, block.totalPastDue);
  EXPECT_DOUBLE_EQ(3970.0, block.creditAvailable);
  EXPECT_EQ(1, block.finished);
}

}  // namespace
}  // namespace agingtest
