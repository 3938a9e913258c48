// The sample company: written, dumped and loaded again it is the same byte
// for byte; its books balance; and every ledger has work waiting.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "daynumber.h"
#include "fixture/company.h"
#include "qxabase/aging.h"
#include "same_company.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "sample/sample_company.h"

namespace sample {
namespace {

namespace fs = std::filesystem;
using namespace records;

const std::int32_t kToday = daynum::FromCivil(2025, 4, 17);

Options Small() {
  Options o;
  o.today = kToday;
  return o;
}

fixture::CompanyImage Build(const Options& options) {
  fixture::CompanyImage company;
  std::string error;
  EXPECT_TRUE(BuildSampleCompany(options, &company, &error)) << error;
  return company;
}

template <class Record>
std::vector<Record> RecordsOf(const fixture::CompanyImage& company, int file) {
  std::vector<Record> out;
  auto it = company.files.find(file);
  if (it == company.files.end()) return out;
  for (const auto& image : it->second) {
    Record r{};
    EXPECT_TRUE(FromImage(image, &r)) << "file " << file;
    out.push_back(r);
  }
  return out;
}

template <class Record>
Record Settings(const fixture::CompanyImage& company, const char* name) {
  const SettingsKey key = MakeSettingsKey(name);
  for (const auto& image : company.files.at(kFileSettings)) {
    Record r{};
    if (std::memcmp(image.data(), key.text, sizeof key.text) == 0 && FromImage(image, &r)) return r;
  }
  ADD_FAILURE() << "no settings record " << name;
  return {};
}

bool Same(double a, double b) { return std::fabs(a - b) < 0.005; }

class Scratch {
 public:
  Scratch() {
    root_ = fs::temp_directory_path() / ("qx-sample-" + std::to_string(::getpid()));
    fs::remove_all(root_);
  }
  ~Scratch() { fs::remove_all(root_); }
  fs::path operator/(const std::string& name) const { return root_ / name; }

 private:
  fs::path root_;
};

TEST(SampleCompany, LoadedDumpedAndReloadedGivesTheSameRecordBytes) {
  const fixture::CompanyImage built = Build(Small());
  Scratch scratch;
  fixture::Problem problem;
  ASSERT_TRUE(fixture::WriteCompany(built, scratch / "first", {}, &problem)) << problem.Text();
  fixture::CompanyImage first;
  ASSERT_TRUE(fixture::ReadCompany(scratch / "first", {}, &first, &problem)) << problem.Text();
  EXPECT_TRUE(fixture::SameCompany(first, built));

  std::ostringstream dump;
  fixture::WriteFixture(first, dump);
  fixture::CompanyImage reparsed;
  ASSERT_TRUE(fixture::ParseFixture(fixture::Json::parse(dump.str()), &reparsed, &problem)) << problem.Text();
  ASSERT_TRUE(fixture::WriteCompany(reparsed, scratch / "second", {}, &problem)) << problem.Text();
  fixture::CompanyImage second;
  ASSERT_TRUE(fixture::ReadCompany(scratch / "second", {}, &second, &problem)) << problem.Text();
  EXPECT_TRUE(fixture::SameCompany(second, built));
}

TEST(SampleCompany, IsAFunctionOfItsOptions) {
  const fixture::CompanyImage a = Build(Small());
  EXPECT_TRUE(fixture::SameCompany(Build(Small()), a));
  Options otherSeed = Small();
  otherSeed.seed = 21;
  EXPECT_FALSE(fixture::SameCompany(Build(otherSeed), a));
  Options otherDay = Small();
  otherDay.today = kToday + 40;
  EXPECT_FALSE(fixture::SameCompany(Build(otherDay), a));
}

TEST(SampleCompany, RefusesSizesOutOfRange) {
  fixture::CompanyImage company;
  std::string error;
  Options o = Small();
  o.customers = -1;
  EXPECT_FALSE(BuildSampleCompany(o, &company, &error));
  EXPECT_NE(error.find("negative"), std::string::npos);
}

// The checks of a company's books, for the small company and a scaled one.
void ExpectBalancedBooks(const fixture::CompanyImage& company) {
  const auto accounts = RecordsOf<GLAccount>(company, kFileGLAccounts);
  std::map<std::string, GLAccount> byCode;
  double debits = 0, credits = 0, openDebits = 0, openCredits = 0;
  for (const GLAccount& a : accounts) {
    byCode[std::string(Text(a.code))] = a;
    if (!a.IsDetail()) continue;
    double sum = a.beginningBalance;
    for (int m = 0; m < 12; ++m) sum += a.periodAmounts[m];
    EXPECT_TRUE(Same(sum, a.currentBalance)) << Text(a.code);
    (a.IsDebitBalanceKind() ? debits : credits) += a.currentBalance;
    (a.IsDebitBalanceKind() ? openDebits : openCredits) += a.beginningBalance;
  }
  EXPECT_TRUE(Same(debits, credits)) << debits << " " << credits;
  EXPECT_TRUE(Same(openDebits, openCredits)) << openDebits << " " << openCredits;

  // Every interface account is a detail account of the chart.
  const auto interface = Settings<InterfaceRecord>(company, "Interface");
  for (int i = 0; i < InterfaceRecord::kAccountCount; ++i) {
    const std::string code = interface.Account(i);
    ASSERT_TRUE(byCode.count(code)) << code;
    EXPECT_TRUE(byCode[code].IsDetail()) << code;
  }

  // The control accounts agree with the customers, vendors and products.
  double receivables = 0, payables = 0, inventory = 0;
  for (const auto& c : RecordsOf<CustVendRecord>(company, kFileCustomers)) receivables += c.balance;
  for (const auto& v : RecordsOf<CustVendRecord>(company, kFileVendors)) payables += v.balance;
  for (const auto& p : RecordsOf<TagProduct>(company, kFileProducts)) inventory += p.valueOnHand;
  EXPECT_TRUE(Same(byCode[std::string(Text(interface.receivablesAccount))].currentBalance, receivables));
  EXPECT_TRUE(Same(byCode[std::string(Text(interface.payablesAccount))].currentBalance, payables));
  EXPECT_TRUE(Same(byCode[std::string(Text(interface.inventoryAccount))].currentBalance, inventory));

  // Every G/L and receivables/payables transaction balances.
  std::map<std::string, double> net;
  for (const auto& l : RecordsOf<GLLine>(company, kFileGLLines)) {
    net["GL" + std::string(l.journalCode, 7) + std::string(l.transactionNumber, 11)] += l.IsDebit() ? l.amount : -l.amount;
  }
  for (int file : {kFileReceivablesDetails, kFilePayablesDetails}) {
    for (const auto& l : RecordsOf<RecPayDetail>(company, file)) {
      net[std::to_string(file) + std::string(l.transactionNumber, 11)] += l.IsDebit() ? l.amount : -l.amount;
    }
  }
  for (const auto& [transaction, difference] : net) EXPECT_TRUE(Same(difference, 0)) << transaction;

  // Documents add up.
  std::map<std::string, double> cashLines, billingLines;
  for (const auto& l : RecordsOf<CashLine>(company, kFileCashLines)) cashLines[std::string(l.journalCode, 18)] += l.amount;
  for (const auto& h : RecordsOf<CashHeader>(company, kFileCashHeaders)) {
    EXPECT_TRUE(Same(h.amount, cashLines[std::string(h.journalCode, 18)])) << Text(h.transactionNumber);
  }
  for (const auto& l : RecordsOf<BiPoLine>(company, kFileBillingLines)) billingLines[std::string(l.transactionNumber, 11)] += l.amount;
  for (const auto& h : RecordsOf<TagBiPoHeader>(company, kFileBillingHeaders)) {
    EXPECT_TRUE(Same(h.grossAmount, billingLines[std::string(h.transactionNumber, 11)]));
    EXPECT_TRUE(Same(h.total, h.grossAmount + h.tax + h.freight));
    EXPECT_TRUE(Same(h.netToPay, h.total - h.amountPaid));
  }
  std::map<std::string, double> componentCosts;
  for (const auto& c : RecordsOf<AssemblyComponent>(company, kFileAssemblyComponents)) {
    componentCosts[std::string(c.transactionNumber, 11)] += c.cost;
  }
  for (const auto& h : RecordsOf<AssemblyHeader>(company, kFileAssemblyHeaders)) {
    EXPECT_TRUE(Same(h.value, componentCosts[std::string(h.transactionNumber, 11)]));
  }

  // A product's activity history starts from its purged totals and ends at
  // what it has on hand.
  std::map<std::string, double> history;
  for (const auto& t : RecordsOf<InventoryTransaction>(company, kFileInventoryTransactions)) {
    if (t.postedFlag == 'Y') history[std::string(Text(t.productCode))] += t.quantity;
  }
  for (const auto& p : RecordsOf<TagProduct>(company, kFileProducts)) {
    EXPECT_TRUE(Same(p.purgedQuantity + history[std::string(Text(p.number))], p.quantityOnHand)) << Text(p.number);
  }

  // Links to open invoices name lines that exist.
  std::set<std::int32_t> receivableItems, payableItems;
  for (const auto& o : RecordsOf<TagOpenInvoice>(company, kFileReceivablesOpenInvoices)) receivableItems.insert(o.itemNumber);
  for (const auto& o : RecordsOf<TagOpenInvoice>(company, kFilePayablesOpenInvoices)) payableItems.insert(o.itemNumber);
  for (const auto& h : RecordsOf<TagRecPayHeader>(company, kFileReceivablesHeaders)) EXPECT_TRUE(receivableItems.count(h.openItemNumber));
  for (const auto& h : RecordsOf<TagRecPayHeader>(company, kFilePayablesHeaders)) EXPECT_TRUE(payableItems.count(h.openItemNumber));
  for (const auto& h : RecordsOf<TagBiPoHeader>(company, kFileBillingHeaders)) {
    EXPECT_TRUE(h.firstLinkedInvoice == 0 || receivableItems.count(h.firstLinkedInvoice));
  }
  for (const auto& h : RecordsOf<TagBiPoHeader>(company, kFilePurchasingHeaders)) EXPECT_TRUE(payableItems.count(h.firstLinkedInvoice));
}

TEST(SampleCompany, BooksBalanceAndAgreeWithTheLedgers) {
  ExpectBalancedBooks(Build(Small()));
  // A company whose today is in the first days of the year has no closed
  // period; the balances still agree.
  Options newYear = Small();
  newYear.today = daynum::FromCivil(2026, 1, 2);
  ExpectBalancedBooks(Build(newYear));
}

// What a customer owes and what is owed to a vendor is what its posted
// open-invoice lines add up to, each line signed as posting and aging sign
// it (a vendor's credit raises what is owed, a debit memo lowers it); each
// open invoice's balance is what all its lines add up to; and a purchase
// return lowers what is owed to its vendor.
void ExpectLinesAddUpToTheBalances(const fixture::CompanyImage& company) {
  const struct {
    const char* ledger;
    int lines, parties, headers;
  } ledgers[] = {
      {"receivables", kFileReceivablesOpenInvoices, kFileCustomers, kFileReceivablesOpenInvoiceHeaders},
      {"payables", kFilePayablesOpenInvoices, kFileVendors, kFilePayablesOpenInvoiceHeaders},
  };
  std::map<std::int32_t, double> payablesEffect;  // by line's item number
  for (const auto& l : ledgers) {
    SCOPED_TRACE(l.ledger);
    std::map<std::string, double> owed, invoiceBalance;
    for (const auto& line : RecordsOf<TagOpenInvoice>(company, l.lines)) {
      const double effect = AgingLineEffect(l.lines, line);
      if (AgingIsPosted(line)) owed[std::string(Text(line.code))] += effect;
      invoiceBalance[std::string(Text(line.code)) + "/" + std::string(Text(line.invoiceNumber))] += effect;
      if (l.lines == kFilePayablesOpenInvoices) payablesEffect[line.itemNumber] = effect;
    }
    for (const auto& p : RecordsOf<CustVendRecord>(company, l.parties))
      EXPECT_TRUE(Same(p.balance, owed[std::string(Text(p.code))])) << Text(p.code) << " " << p.balance;
    for (const auto& h : RecordsOf<OpenInvoiceHeader>(company, l.headers)) {
      const std::string invoice = std::string(Text(h.code)) + "/" + std::string(Text(h.invoiceNumber));
      EXPECT_TRUE(Same(h.balance, invoiceBalance[invoice])) << invoice << " " << h.balance;
    }
  }
  int returns = 0;
  for (const auto& h : RecordsOf<TagBiPoHeader>(company, kFilePurchasingHeaders)) {
    if (h.typeLetter != 'R') continue;
    ++returns;
    EXPECT_LT(payablesEffect[h.firstLinkedInvoice], 0) << "return " << Text(h.transactionNumber);
  }
  EXPECT_GT(returns, 0);
}

TEST(SampleCompany, OpenInvoiceLinesAddUpToTheBalancesAsTheLedgersSignThem) {
  ExpectLinesAddUpToTheBalances(Build(Small()));
  Options scaled = Small();
  scaled.customers = 40;
  scaled.openItems = 300;
  scaled.transactions = 150;
  ExpectLinesAddUpToTheBalances(Build(scaled));
}

// Every ledger with a posting run has work of the month waiting; the
// month's cash comes posted (cash posting is not part of this system), with
// the G/L transactions its posting wrote, so that the month can be closed.
TEST(SampleCompany, EveryLedgerHasTheMonthsTransactionsUnpostedButTheCash) {
  const fixture::CompanyImage company = Build(Small());
  const auto periods = Settings<PeriodsRecord>(company, "Periods");
  const std::int32_t periodStart = daynum::FromCivil(2025, 4, 1);
  for (const HeaderTraits& traits : kHeaderTraits) {
    if (traits.file == kFileOrderHeaders) continue;  // open orders are not posted
    SCOPED_TRACE(traits.file);
    int unposted = 0, posted = 0;
    for (const auto& image : company.files.at(traits.file)) {
      const HeaderView h{traits, image};
      // Posted activity, and the entered adjustments posted months ago.
      if (traits.file == kFileInventoryTransactions && (image[36] != 'T' || h.PostedFlag() == 'Y')) continue;
      const bool cash = traits.file == kFileCashHeaders ||
                        (traits.file == kFileGLHeaders && std::string(reinterpret_cast<const char*>(image.data()), 2) != "GJ");
      if (traits.postedFlag >= 0) {
        EXPECT_EQ(h.PostedFlag(), cash ? 'Y' : 'N');
        EXPECT_GE(h.Date(), periodStart);
        EXPECT_LE(h.Date(), kToday);
      }
      if (h.PeriodKey()) {
        EXPECT_EQ(*h.PeriodKey(), PeriodKeyOf(periods, h.Date()));
      }
      (cash ? posted : unposted) += 1;
    }
    EXPECT_GT(traits.file == kFileCashHeaders ? posted : unposted, 0);
  }
  // The cases a new user meets: a deleted G/L entry and a check; no entry
  // is held, since nothing in this system releases one.
  int deleted = 0, held = 0, checks = 0;
  for (const auto& h : RecordsOf<TagGLHeader>(company, kFileGLHeaders)) {
    deleted += h.IsDeleted();
    held += h.IsOnHold();
    checks += h.IsCheck();
  }
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(held, 0);
  EXPECT_EQ(checks, 1);
}

TEST(SampleCompany, HasEveryAccountTypeAndInvoicesOfSeveralAges) {
  const fixture::CompanyImage company = Build(Small());
  std::set<char> types;
  for (const auto& c : RecordsOf<CustVendRecord>(company, kFileCustomers)) types.insert(c.accountType);
  EXPECT_EQ(types, (std::set<char>{'O', 'B', 'C'}));
  std::set<int> buckets;  // 0-30, 31-60, 61-90, over 90 days
  for (const auto& o : RecordsOf<TagOpenInvoice>(company, kFileReceivablesOpenInvoices)) {
    if (o.lineType == 'I' && o.status == 'P') buckets.insert(std::min(3, (kToday - o.invoiceDate - 1) / 30));
  }
  EXPECT_EQ(buckets.size(), 4u);
  // The fiscal year is the calendar year; the months before today's are closed.
  const auto periods = Settings<PeriodsRecord>(company, "Periods");
  EXPECT_EQ(periods.periodsPerYear, 12);
  EXPECT_EQ(periods.nextOpenPeriod, 4);
  EXPECT_EQ(periods.entries[2].status, 'C');
  EXPECT_EQ(periods.entries[3].status, 'O');
  EXPECT_EQ(periods.entries[13].startDate, daynum::FromCivil(2026, 1, 1));
}

TEST(SampleCompany, ScalesToTheSizesAsked) {
  Options o = Small();
  o.customers = 50;
  o.products = 60;
  o.openItems = 400;
  o.transactions = 200;
  const fixture::CompanyImage company = Build(o);
  EXPECT_EQ(company.files.at(kFileCustomers).size(), 50u);
  EXPECT_EQ(company.files.at(kFileProducts).size(), 60u);
  std::size_t posted = 0;
  for (const auto& line : RecordsOf<TagOpenInvoice>(company, kFileReceivablesOpenInvoices)) {
    posted += line.status != 'N' && line.origin != 'B';
  }
  EXPECT_GE(posted, 400u);
  std::size_t transactions = company.files.at(kFileInventoryTransactions).size();
  for (const auto& t : RecordsOf<InventoryTransaction>(company, kFileInventoryTransactions))
    transactions -= !(t.IsEntered() && t.postedFlag == 'N');
  for (int file : {kFileReceivablesHeaders, kFilePayablesHeaders, kFileCashHeaders, kFileBillingHeaders,
                   kFilePurchasingHeaders, kFileAssemblyHeaders}) {
    transactions += company.files.at(file).size();
  }
  // Not the G/L transactions the cash posting wrote.
  for (const auto& h : RecordsOf<TagGLHeader>(company, kFileGLHeaders)) transactions += h.postedFlag != 'Y';
  EXPECT_EQ(transactions, 200u);
  ExpectBalancedBooks(company);
}

}  // namespace
}  // namespace sample
