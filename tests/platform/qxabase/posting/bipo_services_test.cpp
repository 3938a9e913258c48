// The services of billing and purchasing posting: the distribution slots,
// the G/L lines of one transaction (tax shares, the distribution modes), an
// account joined with a segment, and, on the company of
// bipo_post_company.json, the stock activity records, the open-invoice line
// writes of an account, the unposted scan, the removal of a transaction, the
// pending posting period and the remembered answers.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "posting_test_support.h"
#include "qxabase/bipo_posting.h"
#include "qxabase/open_invoices.h"
#include "qxabase/prompt_answers.h"
#include "qxabase/unposted.h"
#include "qxwreg.h"

namespace {

using records::BiPoLine;
using records::GLLine;
using records::InterfaceRecord;
using records::TagBiPoHeader;
using records::TaxCode;

// The lines of a ledger as "account side amount" texts, in order.
std::vector<std::string> Shown(const std::vector<GLLine>& lines) {
  std::vector<std::string> out;
  for (const GLLine& l : lines) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %c %.2f", l.account, l.side, static_cast<double>(l.amount));
    out.push_back(text);
  }
  return out;
}

InterfaceRecord Interface(char mode) {
  InterfaceRecord i{};
  i.glMode = mode;
  records::SetText(i.cashAccount, "1000");
  records::SetText(i.receivablesAccount, "1100");
  records::SetText(i.payablesAccount, "2000");
  records::SetText(i.inventoryAccount, "1300");
  records::SetText(i.costOfGoodsAccount, "5000");
  records::SetText(i.salesAccount, "4000");
  records::SetText(i.salesReturnsAccount, "4100");
  records::SetText(i.freightAccount, "4200");
  return i;
}

TEST(BiPoDistribution, ASlotNetsWhatItReceives) {
  struct Case {
    const char* name;
    std::vector<std::pair<char, double>> adds;
    char side;  // ' ' empty
    double amount;
  };
  const Case cases[] = {
      {"a debit and the same credit empty the slot", {{'D', 5}, {'C', 5}}, ' ', 0},
      {"a larger credit turns it to the credit side", {{'D', 5}, {'C', 8}}, 'C', 3},
      {"a negative amount counts on the other side", {{'D', -4}}, 'C', 4},
      {"the same side adds", {{'C', 2.50}, {'C', 1.25}}, 'C', 3.75},
      {"a smaller credit lowers the debit", {{'D', 10}, {'C', 2.5}}, 'D', 7.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BiPoDistribution d{};
    InitBiPoDistribution(false, &d, nullptr);
    for (const auto& [side, amount] : c.adds) AddToDistSlot(&d, side, amount, kSlotParty);
    EXPECT_EQ(c.side, d.slot[kSlotParty].side);
    EXPECT_NEAR(c.amount, d.slot[kSlotParty].amount, 0.001);
  }
}

TEST(BiPoLedgerLines, TaxIsSharedAmongTheAccountsOfTheTaxCode) {
  struct Case {
    const char* name;
    double tax;
    double totalRate;
    std::vector<std::pair<const char*, float>> accounts;
    std::vector<std::string> lines;  // the tax lines
  };
  const Case cases[] = {
      {"three accounts of 1 %: the last takes the odd cent", 1.00, 3,
       {{"2301", 1}, {"2302", 1}, {"2303", 1}},
       {"2301 C 0.33", "2302 C 0.33", "2303 C 0.34"}},
      {"rates 5 and 3 of 8 %", 2.80, 8, {{"2300", 5}, {"2310", 3}}, {"2300 C 1.75", "2310 C 1.05"}},
      {"every rate 0: the first account takes the whole tax", 2.00, 0, {{"2301", 0}, {"2302", 0}}, {"2301 C 2.00"}},
      {"the last rate 0: the last account of a rate makes the sum", 1.00, 3,
       {{"2301", 1}, {"2302", 2}, {"2303", 0}},
       {"2301 C 0.33", "2302 C 0.67"}},
      {"a negative tax is booked on the other side", -0.80, 8, {{"2300", 5}, {"2310", 3}},
       {"2300 D 0.50", "2310 D 0.30"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TaxCode tax{};
    tax.billingRate = static_cast<float>(c.totalRate);
    for (std::size_t i = 0; i < c.accounts.size(); ++i) {
      records::SetText(tax.billingAccounts[i].account, c.accounts[i].first);
      tax.billingAccounts[i].rate = c.accounts[i].second;
    }
    TagBiPoHeader h{};
    h.typeLetter = 'I';
    h.tax = c.tax;
    BiPoLedgerLines ledger(false, Interface(' '));
    ledger.Begin(kBiPoInvoice, h, nullptr);
    ledger.Tax(&tax);
    ledger.Summary();
    std::vector<std::string> lines = Shown(ledger.Lines());
    ASSERT_FALSE(lines.empty());
    lines.pop_back();  // the customer's side
    EXPECT_EQ(c.lines, lines);
    EXPECT_NEAR(ledger.Debits(), ledger.Credits(), 0.001);
  }
}

// A transaction of one product line (amount 20, cost 6; the product of
// department HW, of type `productType`), one service line (15) and one code
// line (45), with its header type: billing, or purchasing from a vendor of
// account 2000.
struct Transaction {
  TagBiPoHeader header{};
  BiPoLine product{}, service{}, code{};
  records::TagProduct item{};
  explicit Transaction(char type, std::uint8_t productType = 1) {
    header.typeLetter = type;
    records::SetText(item.department, "HW");
    item.productType = productType;
    for (BiPoLine* l : {&product, &service, &code}) l->typeLetter = type == 'O' ? 'I' : type;
    product.lineKind = 1;
    product.amount = 20.00;
    service.lineKind = 6;
    service.amount = 15.00;
    code.lineKind = 4;
    code.amount = 45.00;
  }
  std::vector<std::string> Book(char mode, int kind) const {
    const bool purchasing = kind == kBiPoPurchase || kind == kBiPoPurchaseReturn;
    records::CustVendRecord party{};
    records::SetText(party.department, "01");
    records::SetText(party.glAccount, purchasing ? "2000" : "1100");
    BiPoLedgerLines ledger(purchasing, Interface(mode));
    ledger.Begin(kind, header, &party);
    ledger.ProductLine(product, 6.00, item);
    ledger.ServiceLine(service, "SV    ");
    ledger.CodeLine(code, "4500");
    ledger.PaymentAndFreight();
    ledger.Summary();
    EXPECT_NEAR(ledger.Debits(), ledger.Credits(), 0.001) << "the transaction balances";
    EXPECT_NEAR(80.00, ledger.Booked(), 0.001) << "what the header's total must show";
    return Shown(ledger.Lines());
  }
};

// The distribution mode chooses the accounts, and so does the product: one
// that carries no stock (type 2) never touches the inventory account (1300).
TEST(BiPoLedgerLines, TheDistributionModeChoosesTheAccounts) {
  constexpr std::uint8_t kStock = 1, kNoStock = records::TagProduct::kNonInventory;
  struct Case {
    const char* name;
    char type;
    char mode;
    int kind;
    std::vector<std::string> lines;
    std::uint8_t productType = kStock;
  };
  const Case cases[] = {
      {"plain: the interface accounts", 'I', ' ', kBiPoInvoice,
       {"4500 C 45.00", "1100 D 80.00", "1300 C 6.00", "4000 C 35.00", "5000 D 6.00"}},
      {"'C': the customer's segment joins sales and cost", 'I', 'C', kBiPoInvoice,
       {"4500 C 45.00", "1100 D 80.00", "1300 C 6.00", "400001 C 35.00", "500001 D 6.00"}},
      {"'I': each item line to its item's accounts", 'I', 'I', kBiPoInvoice,
       {"4000HW C 20.00", "5000HW D 6.00", "4000SV C 15.00", "4500 C 45.00", "1100 D 80.00", "1300 C 6.00"}},
      {"'I', a return", 'R', 'I', kBiPoBillingReturn,
       {"4100HW D 20.00", "5000HW C 6.00", "4100SV D 15.00", "4500 D 45.00", "1100 C 80.00", "1300 D 6.00"}},
      // The lines of an 'O' header are stored as 'I': the kind, not the
      // line's letter, gives the returns accounts and the sides.
      {"'I', an 'O' header", 'O', 'I', kBiPoBillingReturn,
       {"4100HW D 20.00", "5000HW C 6.00", "4100SV D 15.00", "4500 D 45.00", "1100 C 80.00", "1300 D 6.00"}},
      // A purchased service is owed to the vendor with the rest and is a
      // cost of goods, never stock: payables take the whole purchase.
      {"a purchase", 'I', ' ', kBiPoPurchase, {"5000 D 15.00", "4500 D 45.00", "2000 C 80.00", "1300 D 20.00"}},
      {"a purchase return", 'R', ' ', kBiPoPurchaseReturn,
       {"5000 C 15.00", "4500 C 45.00", "2000 D 80.00", "1300 C 20.00"}},
      {"'I' books a purchase as any mode does", 'I', 'I', kBiPoPurchase,
       {"5000 D 15.00", "4500 D 45.00", "2000 C 80.00", "1300 D 20.00"}},
      // Sold, a product without stock books its sales and no cost; bought,
      // it is a cost of goods like the purchased service.
      {"no stock: an invoice", 'I', ' ', kBiPoInvoice, {"4500 C 45.00", "1100 D 80.00", "4000 C 35.00"}, kNoStock},
      {"no stock: an invoice, mode 'I'", 'I', 'I', kBiPoInvoice,
       {"4000HW C 20.00", "4000SV C 15.00", "4500 C 45.00", "1100 D 80.00"}, kNoStock},
      {"no stock: a return", 'R', ' ', kBiPoBillingReturn, {"4500 D 45.00", "1100 C 80.00", "4100 D 35.00"},
       kNoStock},
      {"no stock: a credit memo, mode 'C'", 'C', 'C', kBiPoBillingReturn,
       {"4500 D 45.00", "1100 C 80.00", "410001 D 35.00"}, kNoStock},
      {"no stock: a purchase", 'I', ' ', kBiPoPurchase,
       {"5000 D 20.00", "5000 D 15.00", "4500 D 45.00", "2000 C 80.00"}, kNoStock},
      {"no stock: a purchase return", 'R', ' ', kBiPoPurchaseReturn,
       {"5000 C 20.00", "5000 C 15.00", "4500 C 45.00", "2000 D 80.00"}, kNoStock},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.lines, Transaction(c.type, c.productType).Book(c.mode, c.kind));
  }
}

TEST(BiPoLedgerLines, PaymentFreightAndTheVendorsSide) {
  struct Case {
    const char* name;
    bool purchasing;
    int kind;
    double paid, freight;
    const char* paymentAccount;
    char onAccount;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"an invoice with freight", false, kBiPoInvoice, 0, 5, "", 'Y', {"4200 C 5.00", "1100 D 25.00", "4000 C 20.00"}},
      {"a return with freight", false, kBiPoBillingReturn, 0, 5, "", 'Y', {"4200 D 5.00", "1100 C 25.00", "4100 D 20.00"}},
      {"an invoice paid at entry: nothing on the customer", false, kBiPoInvoice, 20, 0, "", 'Y',
       {"1000 D 20.00", "4000 C 20.00"}},
      {"a purchase paid from another bank", true, kBiPoPurchase, 20, 0, "1010", 'Y', {"1010 C 20.00", "1300 D 20.00"}},
      {"a purchase return", true, kBiPoPurchaseReturn, 0, 0, "", 'Y', {"2000 D 20.00", "1300 C 20.00"}},
      {"a purchase not on the vendor's account", true, kBiPoPurchase, 0, 0, "", 'N', {"1000 C 20.00", "1300 D 20.00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TagBiPoHeader h{};
    h.typeLetter = c.kind == kBiPoInvoice || c.kind == kBiPoPurchase ? 'I' : 'R';
    h.amountPaid = c.paid;
    h.freight = c.freight;
    records::SetText(h.paymentAccount, c.paymentAccount);
    h.onAccountFlag = c.onAccount;
    records::SetText(h.offsetAccount, "1000");
    BiPoLine line{};
    line.typeLetter = h.typeLetter;
    line.lineKind = 1;
    line.amount = 20.00;
    records::TagProduct product{};
    product.productType = 1;
    records::CustVendRecord party{};  // without an account of its own: the interface's
    BiPoLedgerLines ledger(c.purchasing, Interface(' '));
    ledger.Begin(c.kind, h, &party);
    ledger.ProductLine(line, 0, product);
    ledger.PaymentAndFreight();
    ledger.Summary();
    EXPECT_EQ(c.lines, Shown(ledger.Lines()));
    EXPECT_NEAR(ledger.Debits(), ledger.Credits(), 0.001);
  }
}

TEST(GLAccountWithSegment, JoinsTheTrimmedPartsCutToTen) {
  struct Case {
    const char* account;
    const char* segment;
    const char* joined;
  };
  const Case cases[] = {
      {"5100", "HW", "5100HW"},
      {"5100      ", "HW    ", "5100HW"},
      {"5100", "", "5100"},
      {"5100", nullptr, "5100"},
      {"123456", "ABCDE", "123456ABCD"},  // eleven characters: cut to ten
      {"1234567890", "01", "1234567890"},
  };
  for (const Case& c : cases) {
    char out[11];
    std::memset(out, 'x', sizeof out);
    EXPECT_STREQ(c.joined, GLAccountWithSegment(out, c.account, c.segment)) << c.account << "+" << (c.segment ? c.segment : "");
  }
  // A blank-padded segment of six characters without a NUL.
  const char segment[6] = {'H', 'W', ' ', ' ', ' ', ' '};
  char out[11];
  EXPECT_STREQ("4000HW", GLAccountWithSegment(out, "4000", segment));
}

// ---- On a company ------------------------------------------------------------------------

class BiPoServicesTest : public posttest::PostingTest {
 protected:
  void SetUp() override {
    PostingTest::SetUp();
    LoadCompany(ReadFixture(std::string(QX_BIPO_FIXTURES) + "/bipo_post_company.json"));
    ASSERT_EQ(0, FileSetOpen(&files_, 62, 43, 5, 22, 32, 31, 41, 29));
  }
  void TearDown() override {
    FileSetClose(&files_);
    PostingTest::TearDown();
  }
  BtrvHandle H(int fileNo) const { return files_.HandleOf(fileNo); }
  FileSet files_;
};

TEST_F(BiPoServicesTest, ActivityIsNumberedAndAPurchaseMovesTheProduct) {
  struct Case {
    char source;
    double quantity, value;
    double onHand, valueOnHand;  // of the product afterwards
  };
  const Case cases[] = {
      {'M', 10, 25.00, 20, 55.00},   // a receipt
      {'R', -2, -5.00, 8, 25.00},    // a purchase return
      {'B', -2, -6.00, 10, 30.00},   // a sale: billing moved the product itself
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.source));
    records::TagProduct product{};
    TagPostWork work{};
    ASSERT_EQ(0, PostReadRecordWork(H(43), 43, "P1", &product, &work));
    records::InventoryTransaction a{};
    records::SetText(a.productCode, "P1");
    a.source = c.source;
    a.quantity = c.quantity;
    a.extendedAmount = c.value;
    ASSERT_EQ(0, PostAmountLine(H(62), &product, 0, &a, &work));
    EXPECT_EQ(++number, std::atoi(a.transactionNumber)) << "numbered from the activity sequence";
    EXPECT_EQ('Y', a.postedFlag);
    EXPECT_NEAR(c.onHand, product.quantityOnHand, 0.001);
    EXPECT_NEAR(c.onHand, product.secondQuantityOnHand, 0.001);
    EXPECT_NEAR(c.valueOnHand, product.valueOnHand, 0.001);
  }
  EXPECT_EQ(3u, All<records::InventoryTransaction>(62).size());
}

TEST_F(BiPoServicesTest, AnOpenInvoiceLineIsWrittenIntoItsOwnAccountOnly) {
  records::TagOpenInvoice line{};
  TagPostWork work{};
  ASSERT_EQ(0, OpenInvoiceRead(H(5), 5, 501, &line, &work));
  records::CustVendRecord cedar{}, delta{};
  ASSERT_EQ(0, PostReadRecordWork(H(22), 22, "C1", &cedar, &work));
  ASSERT_EQ(0, PostReadRecordWork(H(22), 22, "C2", &delta, &work));
  line.costOfGoods = 6.00;
  EXPECT_EQ(kStatusInvalidOperation, RecordWriteOp(3, 0, &line, &delta, nullptr, &work)) << "another account's line";
  EXPECT_EQ(5, work.fileNo);
  EXPECT_NEAR(0, All<records::TagOpenInvoice>(5)[2].costOfGoods, 0.001) << "nothing was written";
  EXPECT_EQ(0, RecordWriteOp(3, 0, &line, &cedar, nullptr, &work));
  EXPECT_NEAR(6.00, All<records::TagOpenInvoice>(5)[2].costOfGoods, 0.001);
  // An insert through the handle of the read.
  records::TagOpenInvoice payment = line;
  payment.lineType = 'P';
  payment.itemNumber = 777;
  EXPECT_EQ(0, RecordWriteOp(2, 0, &payment, &cedar, nullptr, &work));
  EXPECT_EQ(4u, All<records::TagOpenInvoice>(5).size());
}

TEST_F(BiPoServicesTest, TheUnpostedScanCountsWhatPostingWouldPost) {
  const std::int32_t from = DateMake(2025, 3, 1), to = DateMake(2025, 3, 31);
  // Purchasing holds purchase 2001 and order 2002: only the purchase counts.
  CUnpostTransCount purchases(41);
  EXPECT_TRUE(BiPoEndCheck(H(41), 41, from, to, &purchases));
  EXPECT_EQ(1, purchases.Count());
  EXPECT_EQ(DateMake(2025, 3, 12), purchases.FirstDate());
  EXPECT_FALSE(BiPoEndCheck(H(41), 41, DateMake(2025, 4, 1), DateMake(2025, 4, 30), nullptr));
  // A header closed in entry (384 'Y') is not unposted.
  TagBiPoHeader h{};
  char key[255] = {};
  ASSERT_EQ(0, BtrvSetKey(H(32), 0, -1));
  ASSERT_EQ(0, BtrvGetOp(kOpGetFirst, H(32), key, &h, sizeof h));
  EXPECT_TRUE(BiPoEndCheck(H(32), 32, from, to, nullptr));
  ASSERT_EQ(0, BtrvGetOp(kOpGetFirst, H(32), key, &h, sizeof h));
  h.closedFlag = 'Y';
  ASSERT_EQ(0, BtrvWriteOp(kOpUpdate, H(32), nullptr, &h, sizeof h));
  EXPECT_FALSE(BiPoEndCheck(H(32), 32, from, to, nullptr));
  EXPECT_EQ(0, BtrvGetKey(H(32))) << "the handle keeps its key";
}

TEST_F(BiPoServicesTest, ARemovedTransactionTakesItsLinesOnly) {
  TagBiPoHeader h{};
  char key[255] = {};
  ASSERT_EQ(0, BtrvGetOp(kOpGetFirst, H(32), key, &h, sizeof h));
  TagPostWork work{};
  ASSERT_EQ(0, PostBiPoTranRemove(4, H(32), H(31), 0, 0, 32, 0, &h, &work));
  EXPECT_TRUE(All<TagBiPoHeader>(32).empty());
  EXPECT_TRUE(All<BiPoLine>(31).empty());
  EXPECT_EQ(3u, All<records::TagOpenInvoice>(5).size()) << "the linked open invoice stays";
  EXPECT_EQ(kStatusKeyNotFound, PostBiPoTranRemove(4, H(32), H(31), 0, 0, 32, 0, &h, &work));
}

TEST_F(BiPoServicesTest, ThePendingPeriodMovesOnOnceAPeriodIsOverAndNeverBack) {
  records::FiscalPeriodInfo info{};
  ASSERT_EQ(0, FiscalPeriodOfDate(kPeriodCheckOpen, DateMake(2025, 3, 15), &info));
  EXPECT_EQ(0, info.pendingPeriod) << "a company that never posted billing keeps none";
  EXPECT_EQ(0, info.pendingDate);
  constexpr int kMarchEntry = 2, kFebruaryEntry = 1;
  struct Step {
    std::int32_t today;
    int entry;
    int pending;  // afterwards
  };
  const Step steps[] = {
      {DateMake(2025, 3, 15), kMarchEntry, 0},   // March is not over
      {DateMake(2025, 4, 1), kMarchEntry, 4},    // it is: April is pending
      {DateMake(2025, 4, 2), kFebruaryEntry, 4}, // an earlier period does not move it back
  };
  for (const Step& s : steps) {
    DateSetToday(s.today);
    ASSERT_EQ(0, PeriodStep441(H(29), 4, s.entry));
    ASSERT_EQ(0, FiscalPeriodOfDate(kPeriodFillOnly, DateMake(2025, 3, 15), &info));
    EXPECT_EQ(s.pending, info.pendingPeriod);
    EXPECT_EQ(s.pending ? DateMake(2025, 4, 30) : 0, info.pendingDate);
  }
  EXPECT_EQ(3, info.period) << "the date's own period is filled as before";
}

// January and February are closed: a pending period among them can take
// no posting, and the first open period after it is pending instead.
TEST_F(BiPoServicesTest, AClosedPendingPeriodGivesWayToTheNextOpenOne) {
  DateSetToday(DateMake(2025, 2, 2));
  ASSERT_EQ(0, PeriodStep441(H(29), 4, 0));  // January posted: February pending, and closed since
  records::FiscalPeriodInfo info{};
  ASSERT_EQ(0, FiscalPeriodOfDate(kPeriodFillOnly, DateMake(2025, 3, 15), &info));
  EXPECT_EQ(3, info.pendingPeriod);
  EXPECT_EQ(DateMake(2025, 3, 31), info.pendingDate);
}

TEST_F(BiPoServicesTest, AnAnswerIsRememberedPerUserOnlyWhenTheUserGoesOn) {
  setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
  ASSERT_EQ(0, RegInit("qxa15", 0));
  struct Ask {
    const char* user;
    const char* keys;   // the answer to the warning, when it is asked
    bool asked, goesOn;
  };
  const Ask asks[] = {
      {"ANNE", "Right Right Enter", true, false},  // Cancel: nothing kept
      {"ANNE", "Enter", true, true},               // Continue: asked again next time
      {"ANNE", "Right Enter", true, true},         // Continue and do not ask again
      {"ANNE", "", false, true},                   // remembered
      {"BORIS", "Right Right Enter", true, false}, // another user is asked
  };
  for (const Ask& a : asks) {
    SCOPED_TRACE(std::string(a.user) + " " + a.keys);
    AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, a.user);
    Start(a.keys);
    BtrvStore* store = PromptAnswerOpen();
    ASSERT_NE(nullptr, store);
    PromptAnswerBlock answer;
    ASSERT_EQ(0, PromptAnswerGet("RSPOPOST", "RSWARNPURGINGPURCHTRANS  ", store, &answer));
    bool goesOn = answer.answer[0] != '\0';
    const bool asked = !goesOn;
    if (asked) {
      goesOn = PromptAsk(1250, &answer) == 0;
      if (goesOn && answer.remember) {
        EXPECT_EQ(0, PromptAnswerSet("RSPOPOST", "RSWARNPURGINGPURCHTRANS", store, &answer));
      }
    }
    BtrvStoreClose(store);
    BtrvStoreFree(store);
    const std::string t = Transcript();
    EXPECT_EQ(a.asked, asked) << t;
    EXPECT_EQ(a.goesOn, goesOn) << t;
  }
  RegInit("", 0);
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(nullptr, PromptAnswerOpen()) << "without a registry nothing is kept";
}

}  // namespace
