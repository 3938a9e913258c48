// Billing and purchasing posting (commands 325 and 324) as the accountant
// uses it, on the company of fixtures/bipo_post_company.json: a billing
// invoice of copy paper and setup labour with tax and freight, a purchase of
// paper and an open purchase order.  What a run posts into the products,
// services, customers and vendors, tax codes, stock activity, check register,
// open invoices and the general ledger; what it refuses, asks and skips; the
// general ledger on line; the pending posting period; and the books after a
// run stopped by a record-manager error or killed at any moment.
#include "posting/billing_purchasing_posting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "posting/posting_frame.h"
#include "posting_test_support.h"
#include "qxabase/aging.h"
#include "qxabase/online_gl.h"
#include "qxtest/killed_run.h"
#include "qxtest/sample_company.h"
#include "qxtest/transcript.h"
#include "qxwreg.h"

namespace {

using records::BiPoLine;
using records::CustVendRecord;
using records::GLAccount;
using records::GLLine;
using records::InventoryTransaction;
using records::TagBiPoHeader;
using records::TagCheckRegister;
using records::TagGLHeader;
using records::TagOpenInvoice;
using records::TagProduct;
using records::TaxCode;

constexpr int kMarch = 2;     // the period entry of March 2025
constexpr int kThisYear = 2;  // the statistics slot posting in 2025 updates
constexpr int kBilling = 0, kPurchasing = 1;

// The files either run may write.
constexpr std::initializer_list<int> kBooks = {
    records::kFileGLAccounts,    records::kFileGLHeaders,      records::kFileGLLines,
    records::kFileTranSequences, records::kFileProducts,       records::kFileServices,
    records::kFileCustomers,     records::kFileVendors,        records::kFileTaxCodes,
    records::kFileBillingHeaders, records::kFileBillingLines,  records::kFilePurchasingHeaders,
    records::kFilePurchasingLines, records::kFileReceivablesOpenInvoices, records::kFileReceivablesOpenInvoiceHeaders,
    records::kFilePayablesOpenInvoices, records::kFilePayablesOpenInvoiceHeaders, records::kFileCheckRegister,
    records::kFileInventoryTransactions, records::kFileSalesHistory, records::kFileBackOrders,
    records::kFileSettings};

// A stored code or number without the blanks around it.
using posting::ShownText;
template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return ShownText(field, N);
}

class BiPoPostingTest : public posttest::PostingTest {
 protected:
  static fixture::Json Company() {
    return ReadFixture(std::string(QX_GL_POSTING_FIXTURES) + "/bipo_post_company.json");
  }
  // The company without its unposted purchase: billing may post March.
  static fixture::Json BillingCompany() {
    fixture::Json company = Company();
    Drop(company, "purchasing_headers", "2001");
    return company;
  }

  // Runs command 325 (billing) or 324 (purchasing) with the key script
  // `keys`, today `today` (0: the tests' today); the transcript of the run,
  // its lines joined.
  std::string Post(int purchasing, const std::string& keys, std::int32_t today = 0) {
    Start(keys);
    if (today != 0) DateSetToday(today);
    SharedAppBlockGet()->currentCommand = purchasing ? 324 : 325;
    RunBiPoPost(purchasing);
    return qxtest::Flat(Transcript());
  }

  static void Patch(fixture::Json& company, const char* file, const std::string& number, const fixture::Json& patch) {
    posttest::PatchTransaction(company, file, number, patch);
  }
  static void PatchCode(fixture::Json& company, const char* file, const std::string& field, const std::string& code,
                        const fixture::Json& patch) {
    for (auto& r : company["files"][file])
      if (r[field] == code) r.update(patch);
  }
  static void Drop(fixture::Json& company, const char* file, const std::string& number) {
    posttest::DropTransaction(company, file, number);
  }
  static void SetInterface(fixture::Json& company, const fixture::Json& patch) {
    for (auto& s : company["files"]["settings"])
      if (s["key"] == "0Interface") s.update(patch);
  }

  std::map<std::string, TagProduct> Products() {
    std::map<std::string, TagProduct> out;
    for (const TagProduct& p : All<TagProduct>(records::kFileProducts)) out[Text(p.number)] = p;
    return out;
  }
  std::map<std::string, CustVendRecord> Parties(int fileNo) {
    std::map<std::string, CustVendRecord> out;
    for (const CustVendRecord& r : All<CustVendRecord>(fileNo)) out[Text(r.code)] = r;
    return out;
  }
  std::map<std::string, double> Balances() {
    std::map<std::string, double> out;
    for (const GLAccount& a : All<GLAccount>(records::kFileGLAccounts)) out[Text(a.code)] = a.currentBalance;
    return out;
  }
  std::map<std::string, char> Marks(int fileNo) {
    std::map<std::string, char> out;
    for (const TagBiPoHeader& h : All<TagBiPoHeader>(fileNo)) out[Text(h.transactionNumber)] = h.postedFlag;
    return out;
  }
  std::map<int, TagOpenInvoice> OpenItems(int fileNo) {
    std::map<int, TagOpenInvoice> out;
    for (const TagOpenInvoice& o : All<TagOpenInvoice>(fileNo)) out[o.itemNumber] = o;
    return out;
  }
  // The G/L lines of journal `journal`, per account and side ("1100 D").
  std::map<std::string, double> LinesOf(const std::string& journal) {
    std::map<std::string, double> out;
    for (const GLLine& l : All<GLLine>(records::kFileGLLines))
      if (records::Trimmed(l.journalCode) == journal) out[Text(l.account) + (l.IsDebit() ? " D" : " C")] += l.amount;
    for (auto& [k, v] : out) v = std::round(v * 100) / 100;
    return out;
  }
  fixture::CompanyImage Books() { return Snapshot(kBooks); }

  // The accountant's invariants: every G/L transaction balances; the
  // receivables, payables and inventory control accounts of the account
  // interface hold what the customers, vendors and products hold; and what
  // each customer owes and each vendor is owed is what its posted open
  // invoices add up to.
  void ExpectInvariants() {
    std::map<std::string, double> net;  // per transaction, debits less credits
    for (const GLLine& l : All<GLLine>(records::kFileGLLines))
      net[Text(l.journalCode) + " " + Text(l.transactionNumber)] += l.IsDebit() ? l.amount : -l.amount;
    for (const auto& [tran, n] : net) EXPECT_NEAR(0, n, 0.001) << "G/L transaction " << tran << " balances";
    records::InterfaceRecord iface{};
    ASSERT_EQ(0, SettingsRecordRead(kSettingsRead, 0, sizeof iface, "0Interface", &iface));
    const auto balances = Balances();
    double stock = 0;
    for (const auto& [code, p] : Products())
      if (p.CarriesStock()) stock += p.valueOnHand;
    EXPECT_NEAR(stock, balances.at(Text(iface.inventoryAccount)), 0.001) << "inventory";
    for (const auto& [parties, items, control] :
         {std::tuple{records::kFileCustomers, records::kFileReceivablesOpenInvoices, Text(iface.receivablesAccount)},
          std::tuple{records::kFileVendors, records::kFilePayablesOpenInvoices, Text(iface.payablesAccount)}}) {
      std::map<std::string, double> open;
      for (const auto& [item, o] : OpenItems(items))
        if (AgingIsPosted(o)) open[Text(o.code)] += AgingLineEffect(items, o);
      double total = 0;
      for (const auto& [code, p] : Parties(parties)) {
        total += p.balance;
        EXPECT_NEAR(open[code], p.balance, 0.001) << code << ": its posted open invoices";
      }
      EXPECT_NEAR(total, balances.at(control), 0.001) << "control account " << control;
    }
  }
};

// ---- The accountant's check --------------------------------------------------------------

// A customer's or vendor's figures.
struct Party {
  double balance, periodDebits, periodCredits;
  int invoices;
  double gross, costOfGoods, payments;
};
Party PartyOf(const CustVendRecord& r) {
  return {r.balance, r.periodDebits, r.periodCredits, r.invoiceCounts[kThisYear], r.grossAmounts[kThisYear],
          r.costOfGoods[kThisYear], r.payments[kThisYear]};
}
void ExpectParty(const Party& want, const Party& got) {
  EXPECT_NEAR(want.balance, got.balance, 0.001) << "balance";
  EXPECT_NEAR(want.periodDebits, got.periodDebits, 0.001) << "period debits";
  EXPECT_NEAR(want.periodCredits, got.periodCredits, 0.001) << "period credits";
  EXPECT_EQ(want.invoices, got.invoices) << "invoices this year";
  EXPECT_NEAR(want.gross, got.gross, 0.001) << "gross this year";
  EXPECT_NEAR(want.costOfGoods, got.costOfGoods, 0.001) << "cost of goods this year";
  EXPECT_NEAR(want.payments, got.payments, 0.001) << "payments this year";
}

struct Stock {
  double quantity, value, average;
};

struct PostCase {
  const char* name;
  int purchasing;
  fixture::Json patch;  // of transaction 1001 or 2001
  std::map<std::string, double> lines;  // the run's G/L transaction
  Stock paper;
  std::string party;
  Party figures;
  char register_;      // the check-register entry's side, 0 none
  char openItemMark;   // of the linked open invoice
  const char* summary;
};

const PostCase kPostCases[] = {
    {"a billing invoice",
     kBilling,
     fixture::Json::object(),
     {{"1100 D", 42.80}, {"4000 C", 35.00}, {"5000 D", 6.00}, {"1300 C", 6.00}, {"2300 C", 1.75}, {"2310 C", 1.05},
      {"4200 C", 5.00}},
     {8, 24.00, 3.00},
     "C1",
     {142.80, 42.80, 0, 1, 35.00, 6.00, 0},
     0,
     'P',
     "1 transactions posted. Debits 48.80, credits 48.80."},
    // Paid at entry, a sale leaves the customer nothing open: entry links it
    // to no open invoice.
    {"a billing invoice paid at entry",
     kBilling,
     {{"amountPaid", 42.80}, {"netToPay", 0.0}, {"checkNumberText", "5521"}, {"paymentReference", "Check"},
      {"firstLinkedInvoice", 0}},
     {{"1000 D", 42.80}, {"4000 C", 35.00}, {"5000 D", 6.00}, {"1300 C", 6.00}, {"2300 C", 1.75}, {"2310 C", 1.05},
      {"4200 C", 5.00}},
     {8, 24.00, 3.00},
     "C1",
     {100.00, 42.80, 42.80, 1, 35.00, 6.00, 42.80},
     'D',
     'N',
     "Debits 48.80, credits 48.80."},
    {"a purchase",
     kPurchasing,
     fixture::Json::object(),
     {{"1300 D", 25.00}, {"2000 C", 25.00}},
     {20, 55.00, 2.75},
     "V1",
     {525.00, 0, 25.00, 1, 25.00, 0, 0},
     0,
     'P',
     "1 transactions posted. Debits 25.00, credits 25.00."},
    {"a purchase paid at entry",
     kPurchasing,
     {{"amountPaid", 25.0}, {"paymentAccount", "1010"}, {"checkNumberText", "3107"}, {"firstLinkedInvoice", 0}},
     {{"1300 D", 25.00}, {"1010 C", 25.00}},
     {20, 55.00, 2.75},
     "V1",
     {500.00, 25.00, 25.00, 1, 25.00, 0, 25.00},
     'C',
     'N',
     "Debits 25.00, credits 25.00."},
    {"a purchase not on the vendor's account",
     kPurchasing,
     {{"onAccountFlag", "N"}, {"offsetAccount", "1000"}},
     {{"1300 D", 25.00}, {"1000 C", 25.00}},
     {20, 55.00, 2.75},
     "V1",
     {500.00, 0, 0, 0, 0, 0, 0},
     0,
     'N',
     "Debits 25.00, credits 25.00."},
};

TEST_F(BiPoPostingTest, TheAccountantsCheck) {
  for (const PostCase& c : kPostCases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = c.purchasing ? Company() : BillingCompany();
    Patch(company, c.purchasing ? "purchasing_headers" : "billing_headers", c.purchasing ? "2001" : "1001", c.patch);
    LoadCompany(company);
    const std::string t = Post(c.purchasing, "Tab \"MARCH RUN\" F10 Enter");
    EXPECT_NE(std::string::npos, t.find(c.summary)) << t;
    ExpectInvariants();

    const std::string journal = c.purchasing ? "PO" : "BI";
    EXPECT_EQ(c.lines, LinesOf(journal));
    const auto headers = All<TagGLHeader>(records::kFileGLHeaders);
    ASSERT_EQ(1u, headers.size());
    EXPECT_EQ(journal, records::Trimmed(headers[0].journalCode));
    EXPECT_EQ(c.purchasing ? "801" : "701", Text(headers[0].transactionNumber));
    EXPECT_EQ('Y', headers[0].postedFlag);
    EXPECT_EQ(DateMake(2025, 3, 15), headers[0].date);
    EXPECT_EQ("MARCH RUN", Text(headers[0].reference));

    const TagProduct paper = Products().at("P1");
    EXPECT_NEAR(c.paper.quantity, paper.quantityOnHand, 0.001);
    EXPECT_NEAR(c.paper.quantity, paper.secondQuantityOnHand, 0.001);
    EXPECT_NEAR(c.paper.value, paper.valueOnHand, 0.001);
    EXPECT_NEAR(c.paper.average, paper.averageCost, 0.00001);
    ExpectParty(c.figures, PartyOf(Parties(c.purchasing ? records::kFileVendors : records::kFileCustomers).at(c.party)));

    // The activity record of the paper line.
    const auto activity = All<InventoryTransaction>(records::kFileInventoryTransactions);
    ASSERT_EQ(1u, activity.size());
    const InventoryTransaction& a = activity[0];
    EXPECT_EQ(c.purchasing ? '1' : '5', a.kind);
    EXPECT_EQ(c.purchasing ? 'M' : 'B', a.source);
    EXPECT_EQ('I', a.secondSource);
    EXPECT_NEAR(c.purchasing ? 10 : -2, a.quantity, 0.001);
    EXPECT_NEAR(c.purchasing ? 25.00 : -6.00, a.extendedAmount, 0.001);
    EXPECT_NEAR(c.purchasing ? 2.50 : 3.00, a.unitCost, 0.001);
    EXPECT_EQ("1", Text(a.transactionNumber)) << "numbered from the activity sequence";
    EXPECT_EQ(c.purchasing ? "2001" : "1001", Text(a.sourceTransaction));
    EXPECT_EQ("MARCH RUN", Text(a.reference));
    EXPECT_EQ('Y', a.postedFlag);

    // The header is marked, with its cost of goods; its lines are marked.
    const int headerFile = c.purchasing ? records::kFilePurchasingHeaders : records::kFileBillingHeaders;
    for (const TagBiPoHeader& h : All<TagBiPoHeader>(headerFile)) {
      const std::string n = Text(h.transactionNumber);
      EXPECT_EQ(n == "2002" ? 'N' : 'Y', h.postedFlag) << n << ": the order is passed over";
      if (n == "1001") {
        EXPECT_NEAR(6.00, h.costOfGoods, 0.001);
      }
    }
    for (const BiPoLine& l : All<BiPoLine>(c.purchasing ? records::kFilePurchasingLines : records::kFileBillingLines))
      EXPECT_EQ(Text(l.transactionNumber) == "2002" ? 'N' : 'Y', l.postedFlag);

    const auto items = OpenItems(c.purchasing ? records::kFilePayablesOpenInvoices : records::kFileReceivablesOpenInvoices);
    const TagOpenInvoice& linked = items.at(c.purchasing ? 601 : 501);
    EXPECT_EQ(c.openItemMark, linked.status);
    if (!c.purchasing && c.openItemMark == 'P') {
      EXPECT_NEAR(6.00, linked.costOfGoods, 0.001);
    }

    const auto entries = All<TagCheckRegister>(records::kFileCheckRegister);
    ASSERT_EQ(c.register_ ? 1u : 0u, entries.size());
    if (c.register_) {
      const TagCheckRegister& e = entries[0];
      EXPECT_EQ(c.register_, e.entrySide);
      EXPECT_EQ(c.purchasing ? "1010" : "1000", Text(e.bankAccount));
      EXPECT_EQ(c.purchasing ? "3107" : "5521", Text(e.checkNumber));
      EXPECT_EQ(c.party, Text(e.code));
      EXPECT_NEAR(c.purchasing ? 25.00 : 42.80, e.amount, 0.001);
      EXPECT_EQ('Y', e.state);
      EXPECT_EQ('B', e.kind);
    }

    if (!c.purchasing) {
      // The service, the tax code and the sales history.
      const auto services = All<records::ServiceRecord>(records::kFileServices);
      EXPECT_NEAR(15.00, services[0].salesDollars[kThisYear], 0.001);
      EXPECT_NEAR(1, services[0].salesUnits[kThisYear], 0.001);
      const TaxCode tax = All<TaxCode>(records::kFileTaxCodes)[0];
      EXPECT_NEAR(35.00, tax.billingTaxable[kMarch], 0.001);
      EXPECT_NEAR(2.80, tax.billingTax[kMarch], 0.001);
      EXPECT_NEAR(14.00, paper.grossProfit[kThisYear], 0.001);
      EXPECT_NEAR(-2, -paper.salesUnits[kThisYear], 0.001);
      EXPECT_EQ(2u, All<records::SalesHistory>(records::kFileSalesHistory).size());
    }

    // A rerun posts nothing.
    const auto books = Books();
    const std::string again = Post(c.purchasing, "F10 Enter");
    EXPECT_NE(std::string::npos, again.find("Nothing was selected")) << again;
    EXPECT_TRUE(books.files == Books().files) << "the rerun changed the books";
  }
}


// A purchase of paper (25.00) with a service line of 40.00 (setup labour):
// the vendor is owed the whole 65.00, the service is booked to the cost of
// goods, so that payables keep equal to the vendors' balances.  Without that
// account in the chart the purchase is asked about and, skipped, left whole.
// A payment taken at entry by a check the register holds marks that entry
// posted, but only an entry of its own side: a customer's check numbered
// like one of the company's own checks leaves that check unposted and is
// entered as a deposit; a vendor's payment marks the check printed for it.
TEST_F(BiPoPostingTest, APaidChecksNumberMarksOnlyAnEntryOfItsOwnSide) {
  const fixture::Json ownCheck = {{"bankAccount", "1010"}, {"checkNumber", "5521"}, {"entrySide", "C"},
                                  {"amount", 300.0}, {"state", "N"}, {"status", "O"}, {"date", "2025-03-10"}};
  for (const bool purchasing : {false, true}) {
    SCOPED_TRACE(purchasing ? "purchasing" : "billing");
    fixture::Json company = purchasing ? Company() : BillingCompany();
    company["files"]["check_register"] = fixture::Json::array({ownCheck});
    Patch(company, purchasing ? "purchasing_headers" : "billing_headers", purchasing ? "2001" : "1001",
          purchasing ? fixture::Json{{"amountPaid", 25.0}, {"paymentAccount", "1010"}, {"checkNumber", 5521},
                                     {"firstLinkedInvoice", 0}}
                     : fixture::Json{{"amountPaid", 42.80}, {"netToPay", 0.0}, {"checkNumber", 5521},
                                     {"firstLinkedInvoice", 0}});
    LoadCompany(company);
    const std::string t = Post(purchasing, "Tab \"MARCH RUN\" F10 Enter");
    ExpectInvariants();
    const auto entries = All<TagCheckRegister>(records::kFileCheckRegister);
    if (purchasing) {
      ASSERT_EQ(1u, entries.size()) << t;
      EXPECT_EQ('Y', entries[0].state) << "the vendor's check printed before its payment is posted";
    } else {
      ASSERT_EQ(2u, entries.size()) << t;
      for (const TagCheckRegister& e : entries) {
        if (e.entrySide == 'C') {
          EXPECT_EQ('N', e.state) << "the company's own check stays unposted";
        } else {
          EXPECT_EQ('D', e.entrySide);
          EXPECT_NEAR(42.80, e.amount, 0.001);
          EXPECT_EQ('Y', e.state);
        }
      }
    }
  }
}

// The customer's latest payment keeps its date and amount together: a sale
// paid at entry dated before the payment on record leaves both.
TEST_F(BiPoPostingTest, ThePaymentOnRecordKeepsItsDateAndAmountTogether) {
  const struct {
    const char* name;
    const char* onRecord;  // the customer's last payment date
    int day;               // of March 2025, expected after the run
    double amount;
  } cases[] = {
      {"an earlier payment on record", "2025-03-01", 12, 42.80},
      {"a payment of the same day", "2025-03-12", 12, 42.80},
      {"a later payment on record", "2025-03-14", 14, 500.00},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = BillingCompany();
    Patch(company, "billing_headers", "1001",
          {{"date", "2025-03-12"}, {"amountPaid", 42.80}, {"netToPay", 0.0}, {"firstLinkedInvoice", 0}});
    PatchCode(company, "customers", "code", "C1", {{"lastPaymentDate", c.onRecord}, {"lastPaymentAmount", 500.0}});
    LoadCompany(company);
    const std::string t = Post(false, "Tab \"MARCH RUN\" F10 Enter");
    const CustVendRecord customer = Parties(records::kFileCustomers).at("C1");
    EXPECT_EQ(DateMake(2025, 3, c.day), customer.lastPaymentDate) << t;
    EXPECT_NEAR(c.amount, customer.lastPaymentAmount, 0.001);
  }
}

TEST_F(BiPoPostingTest, APurchasedServiceIsOwedToTheVendorAndBookedAsACost) {
  struct Case {
    const char* name;
    fixture::Json patch;  // of purchase 2001
    bool withoutCostAccount;
    const char* keys;
    std::map<std::string, double> lines;
    double vendorBalance;
  };
  const Case cases[] = {
      {"on the vendor's account", fixture::Json::object(), false, "F10 Enter",
       {{"1300 D", 25.00}, {"5000 D", 40.00}, {"2000 C", 65.00}}, 565.00},
      {"not on the vendor's account", {{"onAccountFlag", "N"}, {"offsetAccount", "1000"}}, false, "F10 Enter",
       {{"1300 D", 25.00}, {"5000 D", 40.00}, {"1000 C", 65.00}}, 500.00},
      {"without the cost-of-goods account, skipped", fixture::Json::object(), true, "F10 Right Enter Enter", {},
       500.00},
  };
  for (const bool checkFirst : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (checkFirst ? ", checked first" : ", posted without the check"));
      fixture::Json company = Company();
      company["files"]["purchasing_lines"].push_back(
          {{"typeLetter", "I"}, {"transactionNumber", "2001"}, {"sequence", 2}, {"lineKind", 6}, {"item", "S1"},
           {"description", "Setup labour"}, {"department", "01"}, {"salesFraction", 1}, {"periodKey", 45716},
           {"quantity", 2}, {"amount", 40.0}, {"postedFlag", "N"}});
      fixture::Json header = {{"grossAmount", 65.0}, {"total", 65.0}, {"netToPay", 65.0}};
      header.update(c.patch);
      Patch(company, "purchasing_headers", "2001", header);
      PatchCode(company, "ap_open_invoices", "invoiceNumber", "V-2001", {{"amount", 65.0}});
      PatchCode(company, "ap_open_invoice_headers", "invoiceNumber", "V-2001", {{"amount", 65.0}, {"balance", 65.0}});
      if (c.withoutCostAccount) {
        fixture::Json kept = fixture::Json::array();
        for (const auto& a : company["files"]["gl_accounts"])
          if (a["code"] != "5000") kept.push_back(a);
        company["files"]["gl_accounts"] = kept;
      }
      LoadCompany(company, {{.ledger = kLedgerPurchasing, .checkFirst = checkFirst ? 'Y' : 'N'}});
      const auto before = Books();
      const std::string t = Post(kPurchasing, c.keys);
      ExpectInvariants();
      EXPECT_NEAR(c.vendorBalance, Parties(records::kFileVendors).at("V1").balance, 0.001);
      if (c.withoutCostAccount) {
        EXPECT_NE(std::string::npos, t.find("Interface account 5000")) << t;
        EXPECT_TRUE(before.files == Books().files) << "the skipped purchase is left whole";
        continue;
      }
      EXPECT_NE(std::string::npos, t.find("1 transactions posted. Debits 65.00, credits 65.00.")) << t;
      EXPECT_EQ(c.lines, LinesOf("PO"));
    }
  }
}

// ---- Refusals ------------------------------------------------------------------------------

// An invoice line of fixture form.
struct Item {
  int kind;
  const char* item;
  double quantity, amount;
};

// Adds billing invoice `number` of customer `customer` with `items`, of tax
// code EX (no tax), to `company`, with the open invoice entry made for it.
void AddInvoice(fixture::Json& company, const std::string& number, const char* customer, const std::vector<Item>& items,
                const std::string& date = "2025-03-11") {
  double gross = 0;
  int sequence = 0;
  for (const Item& i : items) {
    gross += i.amount;
    company["files"]["billing_lines"].push_back({{"typeLetter", "I"}, {"transactionNumber", number},
                                                 {"sequence", ++sequence}, {"lineKind", i.kind}, {"item", i.item},
                                                 {"description", "Item"}, {"department", "01"}, {"salesFraction", 1},
                                                 {"quantity", i.quantity}, {"amount", i.amount}, {"postedFlag", "N"}});
  }
  const int item = 100000 + std::stoi(number);
  company["files"]["ar_open_invoices"].push_back(
      {{"code", customer}, {"invoiceNumber", number}, {"precedence", "1"}, {"reference", "Entered"},
       {"lineType", "I"}, {"status", "N"}, {"precedenceCode", "1"}, {"itemNumber", item}, {"dueDate", date},
       {"invoiceDate", date}, {"amount", gross}, {"precedenceByte", "1"}});
  company["files"]["ar_open_invoice_headers"].push_back({{"code", customer}, {"invoiceNumber", number},
                                                          {"invoiceDate", date}, {"dueDate", date},
                                                          {"amount", gross}, {"balance", gross}});
  company["files"]["billing_headers"].push_back(
      {{"typeLetter", "I"}, {"transactionNumber", number}, {"custVendCode", customer}, {"closedFlag", "N"},
       {"entryFlag", "Y"}, {"journalPrinted", "Y"}, {"postedFlag", "N"}, {"date", date}, {"taxCode", "EX"},
       {"firstLinkedInvoice", item}, {"grossAmount", gross}, {"total", gross}, {"netToPay", gross},
       {"name", "Customer"}});
}

TEST_F(BiPoPostingTest, WhatIsRefusedIsToldAndNothingIsWritten) {
  using Change = void (*)(fixture::Json&);
  struct Case {
    const char* name;
    int purchasing;
    Change change;
    const char* keys;
    const char* message;
    // Without the check first, an account is met when the G/L line is
    // booked to it (null: the same message).
    const char* unchecked = nullptr;
  };
  const Case cases[] = {
      {"a date that is not a date", kBilling, nullptr, "\"133125\" F10 Enter", "The date is not valid."},
      {"a date in no period", kBilling, nullptr, "\"061526\" F10 Enter", "does not fall within a fiscal period"},
      {"billing while purchasing of the period is unposted", kBilling, [](fixture::Json& c) { c = Company(); },
       "F10 Enter Enter",
       "Purchasing transactions of this period are still unposted."},
      {"a customer not on file", kBilling,
       [](fixture::Json& c) { Patch(c, "billing_headers", "1001", {{"custVendCode", "NOBODY"}}); }, "F10 Enter",
       "Customer NOBODY of Invoice 1001 is not on file."},
      {"a product not on file", kBilling,
       [](fixture::Json& c) { PatchCode(c, "billing_lines", "item", "P1", {{"item", "P9"}}); }, "F10 Enter",
       "Product P9 of Invoice 1001 is not on file."},
      {"a service not on file", kBilling,
       [](fixture::Json& c) { PatchCode(c, "billing_lines", "item", "S1", {{"item", "S9"}}); }, "F10 Enter",
       "Service S9 of Invoice 1001 is not on file."},
      {"a billing code not on file", kBilling,
       [](fixture::Json& c) { PatchCode(c, "billing_lines", "item", "S1", {{"item", "  NOPE"}, {"lineKind", 4}}); },
       "F10 Enter", "Billing code NOPE of Invoice 1001 is not on file."},
      {"a billing code's account not on file", kBilling,
       [](fixture::Json& c) {
         PatchCode(c, "billing_lines", "item", "S1", {{"item", "  SETUP"}, {"lineKind", 4}});
         PatchCode(c, "billing_codes", "code", "SETUP", {{"glAccount", "4599"}});
       },
       "F10 Enter", "The account of billing code SETUP (Invoice 1001) is not in the chart of accounts."},
      {"a tax code not on file", kBilling,
       [](fixture::Json& c) { Patch(c, "billing_headers", "1001", {{"taxCode", "ZZ"}}); }, "F10 Enter",
       "Tax code ZZ of Invoice 1001 is not on file."},
      {"a tax account not on file", kBilling,
       [](fixture::Json& c) {
         c["files"]["tax_codes"][0]["billingAccounts"][1]["account"] = "2399";
       },
       "F10 Enter", "Tax account 2399 (Invoice 1001) is not in the chart of accounts.",
       "Account 2399 of transaction 1001 (journal BI) is not in the chart of accounts."},
      {"the customer's account not on file", kBilling,
       [](fixture::Json& c) { PatchCode(c, "customers", "code", "C1", {{"glAccount", "1199"}}); }, "F10 Enter",
       "Customer account 1199 (Invoice 1001) is not in the chart of accounts.",
       "Account 1199 of transaction 1001 (journal BI) is not in the chart of accounts."},
      {"the vendor's account not on file", kPurchasing,
       [](fixture::Json& c) { PatchCode(c, "vendors", "code", "V1", {{"glAccount", "2099"}}); }, "F10 Enter",
       "Vendor account 2099 (Purchase 2001) is not in the chart of accounts.",
       "Account 2099 of transaction 2001 (journal PO) is not in the chart of accounts."},
      {"the account a purchase goes to instead of the vendor's", kPurchasing,
       [](fixture::Json& c) { Patch(c, "purchasing_headers", "2001", {{"onAccountFlag", "N"}, {"offsetAccount", "1099"}}); },
       "F10 Enter", "Account 1099 (Purchase 2001) is not in the chart of accounts.",
       "Account 1099 of transaction 2001 (journal PO) is not in the chart of accounts."},
      {"the freight account not on file", kBilling,
       [](fixture::Json& c) { SetInterface(c, {{"freightAccount", "4299"}}); }, "F10 Enter",
       "Freight account 4299 (Invoice 1001) is not in the chart of accounts.",
       "Account 4299 of transaction 1001 (journal BI) is not in the chart of accounts."},
      {"an interface account not on file", kBilling,
       [](fixture::Json& c) { SetInterface(c, {{"inventoryAccount", "1399"}}); }, "F10 Enter",
       "The inventory account of the account interface, 1399, is not in the chart of accounts."},
      {"an interface account that is a summary account", kPurchasing,
       [](fixture::Json& c) { SetInterface(c, {{"payablesAccount", "1999"}}); }, "F10 Enter",
       "The payables account of the account interface, 1999, is a summary account."},
      // Its tax could reach only the customer's side: the tax code is named.
      {"a tax code without a tax account", kBilling,
       [](fixture::Json& c) { Patch(c, "billing_headers", "1001", {{"taxCode", "EX"}}); }, "F10 Enter",
       "Tax code EX of Invoice 1001 names no billing tax account, so its tax cannot be booked."},
  };
  for (const Case& c : cases) {
    for (char checkFirst : {'Y', 'N'}) {
      SCOPED_TRACE(std::string(c.name) + (checkFirst == 'Y' ? ", checked first" : ", not checked first"));
      fixture::Json company = c.purchasing ? Company() : BillingCompany();
      if (c.change) c.change(company);
      const int ledger = c.purchasing ? kLedgerPurchasing : kLedgerBilling;
      LoadCompany(company, {{.ledger = ledger, .checkFirst = checkFirst}});
      const auto books = Books();
      const std::string t = Post(c.purchasing, c.keys);
      EXPECT_NE(std::string::npos, t.find(checkFirst == 'N' && c.unchecked ? c.unchecked : c.message)) << t;
      EXPECT_EQ(std::string::npos, t.find("transactions posted")) << t;
      EXPECT_TRUE(books.files == Books().files) << "nothing is written";
    }
  }
}

// The unposted purchasing transactions that keep billing from posting are listed.
TEST_F(BiPoPostingTest, BillingListsThePurchasingTransactionsItWaitsFor) {
  LoadCompany(Company());
  const std::string t = Post(kBilling, "F10 Enter Enter");
  EXPECT_NE(std::string::npos, t.find("Unposted transactions:")) << t;
  EXPECT_NE(std::string::npos, t.find("Purchasing")) << t;
  // The open purchase order 2002 alone does not hold billing back.
  fixture::Json company = BillingCompany();
  LoadCompany(company);
  EXPECT_NE(std::string::npos, Post(kBilling, "F10 Enter").find("1 transactions posted.")) << "billing posts";
}

// ---- Stops, conflicts and kills ------------------------------------------------------------

TEST_F(BiPoPostingTest, AStopLeavesTheTransactionInHandAndTheRestUntouched) {
  fixture::Json company = BillingCompany();
  AddInvoice(company, "1002", "C2", {{1, "P9", 12, 60.00}});  // a product not on file
  AddInvoice(company, "1003", "C1", {{1, "P1", 1, 10.00}});
  LoadCompany(company, {{.ledger = kLedgerBilling, .checkFirst = 'N'}});
  const std::string t = Post(kBilling, "F10 Enter");
  EXPECT_NE(std::string::npos, t.find("Product P9 of Invoice 1002 is not on file.")) << t;
  EXPECT_EQ(std::string::npos, t.find("transactions posted")) << t;
  EXPECT_EQ((std::map<std::string, char>{{"1001", 'Y'}, {"1002", 'N'}, {"1003", 'N'}}), Marks(32));
  EXPECT_NEAR(8, Products().at("P1").quantityOnHand, 0.001) << "only 1001 took paper";
  EXPECT_NEAR(142.80, Parties(records::kFileCustomers).at("C1").balance, 0.001);
  EXPECT_NEAR(250.00, Parties(records::kFileCustomers).at("C2").balance, 0.001);
  ExpectInvariants();
}

// A skipped transaction is left whole; the others post and the period stays pending.
TEST_F(BiPoPostingTest, ASkippedTransactionIsLeftWhole) {
  fixture::Json company = BillingCompany();
  AddInvoice(company, "1002", "C2", {{1, "P2", 12, 60.00}, {1, "P9", 1, 5.00}});
  AddInvoice(company, "1003", "C1", {{1, "P1", 1, 10.00}});
  LoadCompany(company, {{.ledger = kLedgerBilling, .checkFirst = 'N'}});
  const std::string t = Post(kBilling, "F10 Right Enter Enter");
  EXPECT_NE(std::string::npos, t.find("2 transactions posted.")) << t;
  EXPECT_EQ((std::map<std::string, char>{{"1001", 'Y'}, {"1002", 'N'}, {"1003", 'Y'}}), Marks(32));
  EXPECT_NEAR(48, Products().at("P2").quantityOnHand, 0.001) << "1002 moved no pens";
  EXPECT_NEAR(250.00, Parties(records::kFileCustomers).at("C2").balance, 0.001);
  for (const BiPoLine& l : All<BiPoLine>(31)) EXPECT_EQ(Text(l.transactionNumber) == "1002" ? 'N' : 'Y', l.postedFlag);
  ExpectInvariants();
}

// Three invoices of the fixture's company, for the runs below.
fixture::Json ThreeInvoiceCompany(fixture::Json company) {
  AddInvoice(company, "1002", "C2", {{1, "P2", 12, 60.00}, {6, "S1", 2, 30.00}});
  AddInvoice(company, "1003", "C1", {{1, "P1", 1, 10.00}});
  return company;
}

// A conflict on any write stops the run in the middle of a transaction; a
// rerun posts the rest.  Every figure then equals that of one uninterrupted
// run: nothing half posted, nothing posted twice.
TEST_F(BiPoPostingTest, AConflictStopsTheRunAndARerunCompletesIt) {
  const fixture::Json company = ThreeInvoiceCompany(BillingCompany());
  LoadCompany(company);
  Post(kBilling, "F10 Enter");
  const auto wantBalances = Balances();
  const auto wantCustomers = Parties(records::kFileCustomers);
  const auto wantProducts = Products();
  const auto wantLines = LinesOf("BI");
  const auto wantItems = OpenItems(records::kFileReceivablesOpenInvoices);
  const std::size_t wantHistory = All<records::SalesHistory>(records::kFileSalesHistory).size();
  const std::size_t wantActivity = All<InventoryTransaction>(records::kFileInventoryTransactions).size();

  const char* writes[] = {"3:products",      "3:services",        "3:customers",      "3:tax_codes",
                          "3:gl_accounts",   "2:gl_lines",        "3:billing_lines",  "3:billing_headers",
                          "2:inventory_transactions", "2:sales_history", "3:ar_open_invoices",
                          "3:transaction_numbers"};
  for (const char* write : writes) {
    for (int n : {1, 2, 3}) {
      const std::string fail = std::string("fail=") + write + ":" + std::to_string(n) + ":84";
      SCOPED_TRACE(fail);
      LoadCompany(company);
      ASSERT_EQ(0, BtrvTestSwitch(fail.c_str()));
      Post(kBilling, "F10 Enter Enter");
      BtrvTestSwitch("");
      ExpectInvariants();
      Post(kBilling, "F10 Enter");
      const auto balances = Balances();
      for (const auto& [code, b] : wantBalances) EXPECT_NEAR(b, balances.at(code), 0.001) << code;
      for (const auto& [code, c] : wantCustomers) ExpectParty(PartyOf(c), PartyOf(Parties(records::kFileCustomers).at(code)));
      for (const auto& [code, p] : wantProducts) {
        EXPECT_NEAR(p.quantityOnHand, Products().at(code).quantityOnHand, 0.001) << code;
        EXPECT_NEAR(p.valueOnHand, Products().at(code).valueOnHand, 0.001) << code;
        EXPECT_NEAR(p.salesDollars[kThisYear], Products().at(code).salesDollars[kThisYear], 0.001) << code;
      }
      EXPECT_EQ(wantLines, LinesOf("BI"));
      EXPECT_EQ(wantHistory, All<records::SalesHistory>(records::kFileSalesHistory).size());
      EXPECT_EQ(wantActivity, All<InventoryTransaction>(records::kFileInventoryTransactions).size());
      const auto items = OpenItems(records::kFileReceivablesOpenInvoices);
      for (const auto& [item, o] : wantItems) EXPECT_EQ(o.status, items.at(item).status) << item;
      for (const auto& [number, mark] : Marks(32)) EXPECT_EQ('Y', mark) << number;
    }
  }
}

// `count` invoices over the two customers, of paper, pens and labour.
fixture::Json ManyInvoices(fixture::Json company, int count) {
  company["files"]["billing_headers"] = fixture::Json::array();
  company["files"]["billing_lines"] = fixture::Json::array();
  for (auto& p : company["files"]["products"]) {
    p["quantityOnHand"] = 10000;
    p["secondQuantityOnHand"] = 10000;
    p["valueOnHand"] = p["number"] == "P1" ? 30000.0 : p["number"] == "P2" ? 25000.0 : 0.0;
  }
  for (auto& a : company["files"]["gl_accounts"])
    if (a["code"] == "1300") a["currentBalance"] = 55000.0;
  for (int i = 0; i < count; ++i) {
    const double paper = 1 + i % 7, pens = 12 * (1 + i % 3);
    char date[32];
    std::snprintf(date, sizeof date, "2025-03-%02d", 1 + i * 28 / count);
    AddInvoice(company, std::to_string(5000 + i), i % 2 ? "C2" : "C1",
               {{1, "P1", paper, paper * 4.50}, {1, "P2", pens, pens * 3.25}, {6, "S1", 1, 12.00}}, date);
  }
  return company;
}

// The process is killed at random moments of a run; each time the books
// are those of the transactions marked posted, whole, and a rerun completes
// them to the figures of one run without a kill.
TEST_F(BiPoPostingTest, AKilledRunLeavesNothingHalfPostedAndARerunCompletesIt) {
  constexpr int kInvoices = 150;
  const fixture::Json company = ManyInvoices(BillingCompany(), kInvoices);
  auto runChild = [&](long killAfter) {
    return qxtest::RunKilledChild(325, "F10 Enter", dir_ + "/child.txt", killAfter, [] { RunBiPoPost(0); });
  };
  LoadCompany(company);
  const qxtest::ChildRun whole = runChild(-1);
  ASSERT_FALSE(whole.killed);
  const auto expected = Balances();
  const auto expectedProducts = Products();
  for (const auto& [number, mark] : Marks(32)) ASSERT_EQ('Y', mark) << number;

  const int killedInTheRun = qxtest::KillAtRandomMoments(8, whole.micros, [&] { LoadCompany(company); }, runChild, [&] {
    // Nothing half posted: each marked transaction's lines are marked, each
    // unmarked one's are not, and the books agree with themselves.
    std::map<std::string, char> marks = Marks(32);
    long marked = 0;
    for (const BiPoLine& l : All<BiPoLine>(31)) EXPECT_EQ(marks.at(Text(l.transactionNumber)), l.postedFlag);
    for (const auto& [number, mark] : marks) marked += mark == 'Y';
    EXPECT_EQ(static_cast<std::size_t>(2 * marked), All<InventoryTransaction>(62).size());
    ExpectInvariants();
    // The rerun completes the books, posting nothing twice.
    Post(kBilling, "F10 Enter");
    const auto after = Balances();
    for (const auto& [code, b] : expected) EXPECT_NEAR(b, after.at(code), 0.001) << code;
    for (const auto& [code, p] : expectedProducts) EXPECT_NEAR(p.valueOnHand, Products().at(code).valueOnHand, 0.001);
  });
  EXPECT_GT(killedInTheRun, 0) << "at least one kill fell inside a run";
}

// ---- On line ---------------------------------------------------------------------------------

// The general ledger on line: each transaction has a G/L transaction of its
// own with the lines a batch run books, posted at once.
TEST_F(BiPoPostingTest, OnLineEachTransactionBooksTheBatchFiguresAtOnce) {
  const fixture::Json batchCompany = ThreeInvoiceCompany(BillingCompany());
  LoadCompany(batchCompany);
  Post(kBilling, "F10 Enter");
  const auto batchLines = LinesOf("BI");
  const auto batchBalances = Balances();

  fixture::Json company = batchCompany;
  for (auto& r : company["files"]["settings"])
    if (r["key"] == "0SysPrefs") r["glOnLine"] = "Y";
  LoadCompany(company);
  // The first G/L line of the second invoice (the first has seven) cannot be
  // written: it is skipped.
  ASSERT_EQ(0, BtrvTestSwitch("fail=2:gl_lines:8:2"));
  const std::string t = Post(kBilling, "F10 Right Enter Enter");
  BtrvTestSwitch("");
  EXPECT_NE(std::string::npos, t.find("could not be posted to the general ledger.")) << t;
  EXPECT_NE(std::string::npos, t.find("2 transactions posted.")) << t;
  const auto marks = Marks(32);
  EXPECT_EQ((std::map<std::string, char>{{"1001", 'Y'}, {"1002", 'N'}, {"1003", 'Y'}}), marks);
  ExpectInvariants();
  // The rerun posts the skipped one; the posted ones are only marked again.
  EXPECT_NE(std::string::npos, Post(kBilling, "F10 Enter").find("1 transactions posted.")) ;
  const auto headers = All<TagGLHeader>(records::kFileGLHeaders);
  EXPECT_EQ(3u, headers.size()) << "one G/L transaction per invoice";
  for (const TagGLHeader& h : headers) {
    EXPECT_EQ('Y', h.postedFlag);
    EXPECT_EQ("Invoice", Text(h.reference));
  }
  EXPECT_EQ(batchLines, LinesOf("BI"));
  const auto balances = Balances();
  for (const auto& [code, b] : batchBalances) EXPECT_NEAR(b, balances.at(code), 0.001) << code;
  // A third run changes no G/L.
  const auto books = Books();
  Post(kBilling, "F10 Enter");
  EXPECT_EQ(books.files.at(records::kFileGLLines), Books().files.at(records::kFileGLLines));
  EXPECT_EQ(books.files.at(records::kFileGLAccounts), Books().files.at(records::kFileGLAccounts));
}

// ---- Options and questions -------------------------------------------------------------------

TEST_F(BiPoPostingTest, DeletingAfterPostingIsWarnedAboutInPurchasing) {
  struct Case {
    const char* name;
    const char* keys;
    bool posted;
  };
  const Case cases[] = {
      {"declined: nothing is posted, the screen stays", "Tab Tab \"Y\" F10 Right Right Enter", false},
      {"accepted: posted and deleted", "Tab Tab \"Y\" F10 Enter Enter", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadCompany(Company());
    const auto books = Books();
    const std::string t = Post(kPurchasing, c.keys);
    EXPECT_NE(std::string::npos, t.find("The purchasing transactions are deleted once they are posted")) << t;
    if (!c.posted) {
      EXPECT_TRUE(books.files == Books().files);
      continue;
    }
    EXPECT_NE(std::string::npos, t.find("1 transactions posted.")) << t;
    EXPECT_EQ((std::map<std::string, char>{{"2002", 'N'}}), Marks(41)) << "the order stays";
    ASSERT_EQ(1u, All<BiPoLine>(40).size());
    EXPECT_EQ('P', OpenItems(records::kFilePayablesOpenInvoices).at(601).status) << "the open invoice stays, posted";
    ExpectInvariants();
  }
  // Billing deletes without asking.
  LoadCompany(BillingCompany());
  const std::string t = Post(kBilling, "Tab Tab \"Y\" F10 Enter");
  EXPECT_EQ(std::string::npos, t.find("deleted once they are posted")) << t;
  EXPECT_TRUE(All<TagBiPoHeader>(32).empty());
}

TEST_F(BiPoPostingTest, UnprintedAndUnreadyTransactionsAreAskedAbout) {
  struct Case {
    const char* name;
    posttest::LedgerOptions options;
    fixture::Json patch;
    const char* keys;
    const char* message;
    bool summary;
  };
  const Case cases[] = {
      {"not printed, skipped", {.ledger = kLedgerBilling, .confirmUnprinted = 'Y'}, {{"journalPrinted", "N"}},
       "F10 Right Enter Enter", "Invoice 1001 has not been printed in the journal.", false},
      {"not printed, stopped", {.ledger = kLedgerBilling, .confirmUnprinted = 'Y'}, {{"journalPrinted", "N"}},
       "F10 Enter", "Invoice 1001 has not been printed in the journal.", false},
      {"not ready, skipped", {.ledger = kLedgerBilling, .askIfUnflagged = 'Y'}, {{"entryFlag", "N"}},
       "F10 Right Enter Enter", "Invoice 1001 has not been marked ready for posting.", false},
      {"printed and ready", {.ledger = kLedgerBilling, .confirmUnprinted = 'Y', .askIfUnflagged = 'Y'},
       fixture::Json::object(), "F10 Enter", "1 transactions posted.", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Json company = BillingCompany();
    Patch(company, "billing_headers", "1001", c.patch);
    LoadCompany(company, {c.options});
    const std::string t = Post(kBilling, c.keys);
    EXPECT_NE(std::string::npos, t.find(c.message)) << t;
    EXPECT_EQ(c.summary ? 'Y' : 'N', Marks(32).at("1001"));
  }
}

// Billing and purchasing post one period after the other: a run that posts
// every transaction of a period that is over moves the pending period on,
// and a date of another period is refused until it is posted.
TEST_F(BiPoPostingTest, ThePeriodsArePostedOneAfterTheOther) {
  LoadCompany(Company());
  const std::int32_t may = DateMake(2025, 5, 2);
  const std::string march = "\"033125\" F10 Enter";
  EXPECT_NE(std::string::npos, Post(kBilling, march + " Enter", may).find("still unposted"));
  // Purchasing posts March; billing of March is still to come, so March stays.
  EXPECT_NE(std::string::npos, Post(kPurchasing, march, may).find("1 transactions posted."));
  EXPECT_NE(std::string::npos, Post(kBilling, march, may).find("1 transactions posted."));
  // April is pending now: the screen starts on it, and March is refused.
  std::string t = Post(kBilling, march, may);
  EXPECT_NE(std::string::npos, t.find("Posting date                       04/30/25")) << t;
  EXPECT_NE(std::string::npos, t.find("posted to period 4 first (ending 04/30/25)")) << t;
  // April holds nothing: posting it moves on to May.
  t = Post(kBilling, "F10 Enter", may);
  EXPECT_NE(std::string::npos, t.find("Nothing was selected")) << t;
  t = Post(kPurchasing, "Esc", may);
  EXPECT_NE(std::string::npos, t.find("Posting date                       05/02/25")) << t;
  // Before a period is over, posting all of it leaves it pending.
  LoadCompany(Company());
  Post(kPurchasing, "F10 Enter");
  Post(kBilling, "F10 Enter");
  records::FiscalPeriodInfo info{};
  ASSERT_EQ(0, FiscalPeriodOfDate(kPeriodFillOnly, DateMake(2025, 3, 15), &info));
  EXPECT_EQ(0, info.pendingPeriod);
}

// A pending period closed since (its billing was all posted, then the
// general ledger closed it) can take no posting: the next open period is
// pending instead, so that billing goes on with March instead of being
// sent back to February, whose date is refused.
TEST_F(BiPoPostingTest, AClosedPendingPeriodGivesWayToTheNextOpenOne) {
  fixture::Json company = BillingCompany();
  company["files"]["settings"].push_back({{"key", "0BiPoPeriod"}, {"firstDay", "2025-02-01"}});
  LoadCompany(company);
  const std::string t = Post(kBilling, "F10 Enter");
  EXPECT_NE(std::string::npos, t.find("Posting date                       03/15/25")) << t;
  EXPECT_NE(std::string::npos, t.find("1 transactions posted.")) << t;
  EXPECT_EQ('Y', Marks(32).at("1001"));
}

// ---- The sample company ----------------------------------------------------------------------

// The sample company's billing and purchasing transactions of March post
// cleanly: every one is posted, the invariants hold, and a rerun posts
// nothing.
TEST_F(BiPoPostingTest, TheSampleCompanyPostsCleanly) {
  WriteImage(qxtest::SampleCompany(Today()));
  SettingsRefresh(0, 0);
  ExpectInvariants();
  EXPECT_NE(std::string::npos, Post(kPurchasing, "F10 Enter").find("4 transactions posted.")) << "purchasing";
  EXPECT_NE(std::string::npos, Post(kBilling, "F10 Enter").find("5 transactions posted.")) << "billing";
  ExpectInvariants();
  for (int file : {records::kFileBillingHeaders, records::kFilePurchasingHeaders})
    for (const TagBiPoHeader& h : All<TagBiPoHeader>(file)) EXPECT_EQ('Y', h.postedFlag) << Text(h.transactionNumber);
  const auto books = Books();
  for (int purchasing : {kPurchasing, kBilling})
    EXPECT_NE(std::string::npos, Post(purchasing, "F10 Enter").find("Nothing was selected"));
  EXPECT_TRUE(books.files == Books().files) << "a rerun changes nothing";
}
}  // namespace
