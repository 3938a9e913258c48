// The sample company's builder: the state the generator shares between the
// master records, the posted history and the unposted transactions.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fixture/company.h"
#include "records/dictionary.h"
#include "records/settings.h"
#include "sample/sample_company.h"

namespace sample {

using fixture::Json;

// A small deterministic generator (splitmix64), the same on every platform,
// so that a seed gives the same company everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // An integer in [lo, hi].
  int Between(int lo, int hi);
  // An amount in [lo, hi], in cents.
  double Amount(double lo, double hi);
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Between(0, static_cast<int>(items.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

double Cents(double value);
std::string DateText(std::int32_t day);
// A transaction number as the journals keep it: right-justified in 10.
std::string TranNo(long number);

// The account codes the company uses.
namespace acct {
inline constexpr const char* kCash = "1010";
inline constexpr const char* kPayrollCash = "1020";
inline constexpr const char* kReceivables = "1100";
inline constexpr const char* kInventory = "1200";
inline constexpr const char* kPrepaid = "1300";
inline constexpr const char* kEquipment = "1500";
inline constexpr const char* kDepreciation = "1510";
inline constexpr const char* kPayables = "2100";
inline constexpr const char* kSalesTax = "2200";
inline constexpr const char* kCityTax = "2210";
inline constexpr const char* kAccrued = "2300";
inline constexpr const char* kLoan = "2500";
inline constexpr const char* kCapital = "3100";
inline constexpr const char* kRetained = "3900";
inline constexpr const char* kSales = "4100";
inline constexpr const char* kServiceSales = "4150";
inline constexpr const char* kReturns = "4200";
inline constexpr const char* kFinanceCharges = "4300";
inline constexpr const char* kFreight = "4400";
inline constexpr const char* kPurchaseDiscounts = "4500";
inline constexpr const char* kCostOfGoods = "5100";
inline constexpr const char* kAssemblyLabour = "5150";
inline constexpr const char* kAdjustments = "5200";
inline constexpr const char* kFreightIn = "5300";
inline constexpr const char* kSalesDiscounts = "5400";
inline constexpr const char* kRent = "6100";
inline constexpr const char* kWages = "6200";
inline constexpr const char* kUtilities = "6300";
inline constexpr const char* kOfficeSupplies = "6400";
inline constexpr const char* kAdvertising = "6500";
inline constexpr const char* kInsurance = "6600";
inline constexpr const char* kBankCharges = "6700";
inline constexpr const char* kProfessionalFees = "6800";
inline constexpr const char* kDepreciationExpense = "6900";
}  // namespace acct

struct Account {
  std::string code, parent, name;
  char level = '2';
  int kind = 1;
  char type = 'D';
  double beginning = 0;
  std::array<double, 26> periods{};
  std::array<double, 13> lastYearPeriods{};
  std::array<double, 13> budget{};
  double lastYearBeginning = 0;

  bool DebitKind() const { return kind == 1 || kind == 5 || kind == 7; }
};

struct Terms {
  std::string code;
  int discountDays = 0;
  int dueDays = 30;
  double discountPercent = 0;
};

// A customer or vendor, with the figures its open invoices give it.
struct Party {
  std::string code, name, address, cityLine, zip, phone;
  char accountType = 'O';
  std::string terms = "N30";
  std::string salesperson;
  double creditLimit = 0;
  bool form1099 = false;
  // From the posted open-invoice lines.
  double balance = 0, periodDebits = 0, periodCredits = 0;
  std::int32_t lastInvoiceDate = 0, lastPaymentDate = 0;
  double lastInvoiceAmount = 0, lastPaymentAmount = 0;
  int invoicesThisYear = 0;
  double grossThisYear = 0, paymentsThisYear = 0;
  std::vector<std::string> openInvoices;  // invoice numbers with a balance
};

struct Product {
  std::string number, description, unit, department, bin, vendor, warehouse = "MAI";
  std::string sellingMeasure, vendorPartNumber;
  int minimum = 0;  // whole sales units: at or below it the product is reordered
  int reorder = 0;  // whole purchase units to order
  int type = 1;
  int purchaseFactor = 1;  // stock units per purchase unit: costs are per this many units
  int salesFactor = 1;     // stock units per sales unit: prices are per this many units
  double cost = 0;         // per purchaseFactor units
  double price = 0;        // per salesFactor units
  double quantity = 0;     // on hand, in stock units
  bool assembly = false;
  double averageCost = 0;  // per purchaseFactor units
  double historyQuantity = 0, historyValue = 0;  // of the posted activity records
  double soldThisYear = 0, salesThisYear = 0, boughtThisYear = 0, purchasesThisYear = 0;
  std::int32_t lastSale = 0, lastPurchase = 0;

  double UnitCost() const { return averageCost / purchaseFactor; }
  double Value() const { return Cents(quantity * UnitCost()); }
};

struct Service {
  std::string code, description, unit, department;
  double rate = 0;  // price per unit
  double cost = 0;  // cost per unit (assembly labour)
};

struct BomLine {
  std::string assembly, component;
  double units = 0;
};

// Whether an open-invoice line raises what the customer owes (receivables)
// or what is owed to the vendor (payables), as posting and aging take it:
// invoices raise both; a debit raises a customer's and lowers a vendor's;
// a credit lowers a customer's and raises a vendor's; payments lower both.
bool RaisesBalance(bool receivables, char lineType);
// A line's effect on that balance: its amount when it raises it, else its
// amount and its discount taken off.
double LineEffect(bool receivables, char lineType, double amount, double discount);

// An open invoice of a customer or vendor, as the transactions see it.
struct OpenItem {
  std::string party, invoiceNumber;
  std::int32_t itemNumber = 0;
  double balance = 0;
  std::int32_t invoiceDate = 0;
};

// A cash transaction as cash posting takes it: what it moves in the books.
// Cash posting is not part of this system, so the sample's cash comes
// posted, with what posting wrote (Builder::PostCashTransactions).
struct CashPosting {
  // An open invoice the transaction pays.
  struct Application {
    std::string invoice;
    std::int32_t invoiceDate = 0;
    double paid = 0, discount = 0;
  };
  std::string journal;            // "CR" receipts (the bank debited), "CD" payments (credited)
  std::string transactionNumber;  // as the journal keeps it
  std::string bank;               // the bank's G/L account
  std::string number;             // deposit or check number; "" none yet
  std::string reference, payee;
  char distribution = 'G';  // 'R' a customer's invoices, 'P' a vendor's, 'G' G/L accounts
  std::string party;        // the customer or vendor of 'R' and 'P'
  std::int32_t date = 0;
  double amount = 0;
  std::vector<Application> applications;                        // 'R' and 'P'
  std::vector<std::pair<std::string, double>> distributionLines;  // 'G': account, amount
};

class Builder {
 public:
  Builder(const Options& options, fixture::CompanyImage* company);
  bool Build(std::string* error);

 private:
  // sample_masters.cpp
  void MakePeriods();
  void AddSettings();
  void MakeChart();
  void AddReferenceFiles();
  void MakeParties();
  void MakeProducts();
  void AddOpenInvoices();
  void AddInventoryHistory();
  void AddCheckRegisterAndLogs();
  void Add1099Cases(int lastYearForms, double lastYearTotal);
  void MakeLedgerHistory();
  void AddAccounts();
  void AddParties();
  void AddProducts();
  void AddSequences();

  // sample_stock.cpp
  void AddActivityHistory();
  // The master items that group products (the A4 paper of two warehouses).
  void AddMasterItems();
  // The codes and flags global change sets: a customer's or vendor's tax
  // and message codes, a product's sale flags, a salesperson's commission.
  static void AddBillingCodes(Json* record, const Party& party, bool customer, int index);
  static void AddSaleFlags(Json* record, const Product& product);
  static void AddCommission(Json* record, int index);
  // A posted activity record of `p` (file 62), added into its history.
  void AddPostedActivity(Product& p, long number, std::int32_t date, char kind, char source, char second,
                         double quantity, double unitCost, double extended, const Json& document,
                         const std::string& reference);

  // sample_purge.cpp
  // The records the purge of files clears, of the files nothing else fills.
  void AddPurgeableRecords();
  // The note name of the `index`-th master of a kind (a field of `width`
  // bytes), its file added to the company; "" for masters without a note.
  std::string NoteOf(const std::string& code, int index, std::size_t width);

  // sample_ledgers.cpp
  void AddUnpostedTransactions();
  void AddGLTransaction(int index);
  void AddRecPayTransaction(bool receivables, int index);
  void AddCashTransaction(int index);
  void AddPayrollBankAndUnnumberedReceipt();
  void AddBillingTransaction(int index);
  void AddPurchasingTransaction(int index);
  void AddPurchaseOrders();
  void AddInventoryAdjustment(int index);
  void AddAssembly(int index);
  void AddPhysicalCounts();
  // Books what cash posting wrote for each cash transaction: the bank and
  // the accounts it moves, the invoices it pays and their customers or
  // vendors, the check register, and one posted G/L transaction per cash
  // journal.  Runs after the ledger history, whose balances it moves on.
  void PostCashTransactions();
  // A posted payment of `a` on an invoice of `party`, dated `date`: its
  // open-invoice line, the invoice's balance and the party's figures.
  void AddPostedPayment(bool receivables, Party& party, const CashPosting::Application& a, std::int32_t date,
                        const std::string& reference);
  // A new open-invoice line entered with a transaction, not yet posted.
  std::int32_t AddEnteredOpenItem(bool receivables, const Party& party, const std::string& invoice,
                                  char lineType, double amount, std::int32_t date);

  // Shared helpers.
  void Add(int file, const Json& record);
  // An open-invoice line of `party`'s invoice (dated `invoiceDate`): its
  // due dates follow the invoice; the line itself is dated `date`.  Takes
  // the next item number.
  Json OpenItemLine(const Party& party, const std::string& invoice, std::int32_t invoiceDate, char type,
                    double amount, std::int32_t date, double discount, const std::string& reference, char status);
  // What a posted open-invoice line changes in its customer's or vendor's
  // balance, period figures, last invoice or payment and year's statistics.
  void TakeIntoParty(bool receivables, char type, double amount, double discount, std::int32_t date, Party* party);
  // The part of month entry `m` that has passed: 1 for a closed month.
  double MonthShare(int m) const;
  std::int32_t Day(int daysBack) const;      // today minus days
  std::int32_t PeriodDay();                  // a day of the current period up to today
  std::int32_t PeriodKey(std::int32_t date) const;
  long NextNumber(const std::string& journal);
  Account& AccountOf(const std::string& code);
  void Book(const std::string& account, int entry, double debit);  // debit > 0, credit < 0
  const Terms& TermsOf(const std::string& code) const;
  Product* FindProduct(const std::string& number);
  Party* FindParty(std::vector<Party>& parties, const std::string& code);

  Options options_;
  fixture::CompanyImage* company_;
  Random random_;
  std::string error_;

  std::int32_t today_ = 0;
  int year_ = 0;
  int month_ = 0;  // 1-12: the current period
  std::int32_t periodStart_ = 0;
  records::PeriodsRecord periods_{};

  std::vector<Account> accounts_;
  std::map<std::string, std::size_t> accountIndex_;
  std::vector<Terms> terms_;
  std::vector<Party> customers_, vendors_;
  std::vector<Product> products_;
  std::vector<Service> services_;
  std::vector<BomLine> bom_;
  std::vector<OpenItem> receivableItems_, payableItems_;
  std::size_t receivableCursor_ = 0, payableCursor_ = 0;  // the first invoice that may be open
  std::map<std::string, long> sequences_;  // G/L journals' transaction numbers (file 23)
  std::int32_t nextItemNumber_ = 1;           // open-invoice lines
  // Where each open invoice's header lies in its file: file, party, invoice.
  std::map<std::tuple<int, std::string, std::string>, std::size_t> openInvoiceHeaderAt_;
  std::vector<CashPosting> cashPostings_;
  long nextInvoice_ = 24000;                  // customers' invoices and credit notes
  long nextDocument_ = 7000;                  // purchases, adjustments, assemblies
  double monthlyTax_[13] = {};  // billing tax per period entry (code "ST")
};

}  // namespace sample
