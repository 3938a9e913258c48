// The sample company's transactions of the current period: something to
// print and post in every ledger that has a journal or a posting run, and
// the cash, which comes posted (cash posting is not part of this system, and
// the month could not be closed with cash waiting for it).  All are dated in
// the current period, up to today.  The small company's transactions are the
// cases a new user meets (an invoice with freight, a cash sale, a return, a
// receipt with a discount, a check to print, a deleted entry); a scaled
// company adds generic ones of the same kinds.
#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "builder.h"
#include "daynumber.h"

namespace sample {
namespace {

// How a scaled company shares its transactions among the ledgers, in percent.
struct Share {
  int gl = 25, receivables = 10, payables = 10, cash = 15, billing = 20, purchasing = 10,
      inventory = 5, assembly = 5;
};

// One line of a billing or purchasing document before it is written.
struct DocLine {
  int kind = 1;            // 1 product, 4 priced code, 6 service
  std::string item;        // product, code or service
  std::string description;
  std::string department;
  double quantity = 0;     // stock units (products), hours or units (services)
  double amount = 0;
  double unitCost = 0;     // purchasing: cost per purchase unit
  int salesFraction = 1;
  std::int32_t receiptLink = 0;
};

}  // namespace

// ---- Entry -------------------------------------------------------------------------------

void Builder::AddUnpostedTransactions() {
  int gl = 6, receivables = 4, payables = 3, cash = 5, billing = 5, purchasing = 4, inventory = 4,
      assembly = 2;
  if (options_.transactions) {
    const Share share;
    const int n = options_.transactions;
    receivables = n * share.receivables / 100;
    payables = n * share.payables / 100;
    cash = n * share.cash / 100;
    billing = n * share.billing / 100;
    purchasing = n * share.purchasing / 100;
    inventory = n * share.inventory / 100;
    assembly = n * share.assembly / 100;
    gl = n - receivables - payables - cash - billing - purchasing - inventory - assembly;
  }
  for (int i = 0; i < gl; ++i) AddGLTransaction(i);
  for (int i = 0; i < receivables; ++i) AddRecPayTransaction(true, i);
  for (int i = 0; i < payables; ++i) AddRecPayTransaction(false, i);
  for (int i = 0; i < cash; ++i) AddCashTransaction(i);
  // A scaled company keeps to the number of transactions asked.
  if (!options_.transactions) AddPayrollBankAndUnnumberedReceipt();
  AddPurchaseOrders();
  for (int i = 0; i < billing; ++i) AddBillingTransaction(i);
  for (int i = 0; i < purchasing; ++i) AddPurchasingTransaction(i);
  for (int i = 0; i < inventory; ++i) AddInventoryAdjustment(i);
  for (int i = 0; i < assembly; ++i) AddAssembly(i);
  AddPhysicalCounts();
  // The small company's last adjustments come after everything else, so that
  // the records made before them keep their dates and amounts.
  if (!options_.transactions) {
    AddInventoryAdjustment(4);
    AddInventoryAdjustment(5);
  }
}

// ---- General ledger ---------------------------------------------------------------------

void Builder::AddGLTransaction(int index) {
  const long number = NextNumber("GJ");
  const std::int32_t date = PeriodDay();
  struct Line {
    const char* account;
    const char* description;
    char side;
    double amount;
  };
  std::vector<Line> lines;
  Json header{{"journalCode", "GJ"}, {"transactionNumber", TranNo(number)}, {"date", DateText(date)}};
  switch (index) {
    case 0:
      header["reference"] = "Depreciation";
      lines = {{acct::kDepreciationExpense, "Monthly depreciation", 'D', 350.00},
               {acct::kDepreciation, "Monthly depreciation", 'C', 350.00}};
      break;
    case 1:
      header["reference"] = "Insurance";
      lines = {{acct::kInsurance, "Insurance expired", 'D', 250.00},
               {acct::kPrepaid, "Insurance expired", 'C', 250.00}};
      break;
    case 2: {
      const double wages = random_.Amount(3800, 4600);
      header["reference"] = "Payroll accrual";
      lines = {{acct::kWages, "Wages earned, not paid", 'D', wages},
               {acct::kAccrued, "Wages earned, not paid", 'C', wages}};
      break;
    }
    case 3: {
      // A check written from the journal: posting also enters it in the
      // check register.
      const double postage = random_.Amount(40, 90), fee = random_.Amount(10, 25);
      header["reference"] = "Check 3140";
      header["checkFlag"] = "Y";
      lines = {{acct::kOfficeSupplies, "Postage", 'D', postage},
               {acct::kBankCharges, "Wire fee", 'D', fee},
               {acct::kCash, "Check 3140", 'C', Cents(postage + fee)}};
      break;
    }
    case 4:
      // Deleted in entry: printed as a deleted entry, marked by posting.
      header["reference"] = "DELETED";
      break;
    case 5: {
      const double amount = random_.Amount(400, 900);
      header["reference"] = "Ad campaign";
      lines = {{acct::kAdvertising, "Spring campaign", 'D', amount},
               {acct::kAccrued, "Spring campaign", 'C', amount}};
      break;
    }
    default: {
      const char* kExpenses[] = {acct::kUtilities, acct::kOfficeSupplies, acct::kProfessionalFees,
                                 acct::kAdvertising, acct::kBankCharges};
      const char* account = kExpenses[random_.Between(0, 4)];
      const double amount = random_.Amount(20, 1500);
      header["reference"] = "Accrual";
      lines = {{account, "Expense accrued", 'D', amount}, {acct::kAccrued, "Expense accrued", 'C', amount}};
      break;
    }
  }
  header["postedFlag"] = "N";
  header["sourceFlag"] = "N";
  if (!header.contains("checkFlag")) header["checkFlag"] = "N";
  Add(records::kFileGLHeaders, header);
  int lineNumber = 0;
  for (const Line& l : lines) {
    Add(records::kFileGLLines, Json{{"journalCode", "GJ"},
                                    {"transactionNumber", TranNo(number)},
                                    {"lineNumber", ++lineNumber},
                                    {"account", l.account},
                                    {"description", l.description},
                                    {"side", std::string(1, l.side)},
                                    {"amount", l.amount},
                                    {"date", DateText(date)}});
  }
}

// ---- Receivables and payables ------------------------------------------------------------

std::int32_t Builder::AddEnteredOpenItem(bool receivables, const Party& party, const std::string& invoice,
                                         char lineType, double amount, std::int32_t date) {
  const Terms& terms = TermsOf(party.terms);
  // Entered with its transaction and not yet posted (status 'N'): posting
  // brings it into the customer's or vendor's balance.
  const Json line = OpenItemLine(party, invoice, date, lineType, amount, date, 0, "Entered", 'N');
  const std::int32_t item = line["itemNumber"].get<std::int32_t>();
  Add(receivables ? records::kFileReceivablesOpenInvoices : records::kFilePayablesOpenInvoices, line);
  const bool raises = RaisesBalance(receivables, lineType);
  Add(receivables ? records::kFileReceivablesOpenInvoiceHeaders : records::kFilePayablesOpenInvoiceHeaders,
      Json{{"code", party.code},
           {"invoiceNumber", invoice},
           {"invoiceDate", DateText(date)},
           {"dueDate", DateText(date + terms.dueDays)},
           {"amount", raises ? amount : 0.0},
           {"balance", LineEffect(receivables, lineType, amount, 0)}});
  return item;
}

void Builder::AddRecPayTransaction(bool receivables, int index) {
  const std::string ledger = receivables ? "AR" : "AP";
  std::vector<Party>& parties = receivables ? customers_ : vendors_;
  std::vector<Party*> eligible;
  for (Party& p : parties) {
    if (p.accountType != 'C') eligible.push_back(&p);
  }
  if (eligible.empty()) return;
  Party& party = *eligible[static_cast<std::size_t>(index) % eligible.size()];
  const long number = NextNumber(ledger);
  const std::int32_t date = PeriodDay();

  char type = 'I';
  double amount = random_.Amount(150, 1800);
  std::string debit, credit, description;
  if (receivables) {
    switch (index % 4) {
      case 1:
        type = 'D';
        amount = 25.00;
        debit = acct::kReceivables, credit = acct::kFinanceCharges, description = "Late payment fee";
        break;
      case 2:
        type = 'C';
        amount = random_.Amount(30, 120);
        debit = acct::kReturns, credit = acct::kReceivables, description = "Allowance for damage";
        break;
      default:
        debit = acct::kReceivables, credit = acct::kServiceSales, description = "Consulting services";
        break;
    }
  } else {
    const std::string account = party.code == "RIVERPROP" ? acct::kRent
                                : party.code == "CITYUTIL" ? acct::kUtilities
                                : party.code == "BYTEWISE" ? acct::kProfessionalFees
                                                           : acct::kOfficeSupplies;
    if (party.code == "RIVERPROP") amount = 2500.00;
    debit = account, credit = acct::kPayables, description = "Vendor invoice";
  }
  const std::string invoice = receivables ? std::to_string(++nextInvoice_)
                                          : fmt::format("{}-{}", party.code.substr(0, 3), 60000 + number);
  const std::int32_t item = AddEnteredOpenItem(receivables, party, invoice, type, amount, date);
  const Terms& terms = TermsOf(party.terms);

  Json header{{"transactionNumber", TranNo(number)},
              {"custVendCode", party.code},
              {"invoiceNumber", invoice},
              {"reference", type == 'C' ? "Credit" : type == 'D' ? "Debit" : "Invoice"},
              {"typeLetter", std::string(1, type)},
              {"postedFlag", "N"},
              {"date", DateText(date)},
              {"invoiceDate", DateText(date)},
              {"dueDate", DateText(date + terms.dueDays)},
              {"periodKey", PeriodKey(date)},
              {"openItemNumber", item}};
  if (terms.discountPercent > 0 && type == 'I') {
    header["discountAvailable"] = Cents(amount * terms.discountPercent / 100);
  }
  Add(receivables ? records::kFileReceivablesHeaders : records::kFilePayablesHeaders, header);
  for (const auto& [account, side] : {std::pair{debit, 'D'}, std::pair{credit, 'C'}}) {
    Add(receivables ? records::kFileReceivablesDetails : records::kFilePayablesDetails,
        Json{{"ledgerCode", ledger},
             {"transactionNumber", TranNo(number)},
             {"account", account},
             {"description", description},
             {"side", std::string(1, side)},
             {"amount", amount},
             {"date", DateText(date)}});
  }
}

// ---- Cash ------------------------------------------------------------------------------------

void Builder::AddCashTransaction(int index) {
  // Invoices are paid in the order they were made; a cursor per ledger keeps
  // the search short in a large company.
  auto open = [](const OpenItem& o) { return o.balance > 0.005; };
  auto advance = [&](std::vector<OpenItem>& items, std::size_t& cursor) {
    while (cursor < items.size() && !open(items[cursor])) ++cursor;
    return cursor < items.size();
  };
  // When every open invoice is paid already, a receipt or a check becomes a
  // payment to G/L accounts.
  int kind = index < 5 ? index : random_.Between(0, 3);
  if ((kind == 0 || kind == 1) && !advance(receivableItems_, receivableCursor_)) kind = 3;
  if (kind == 2 && !advance(payableItems_, payableCursor_)) kind = 3;
  const bool receipt = kind == 0 || kind == 1;
  const std::string journal = receipt ? "CR" : "CD";
  const long number = NextNumber(journal);
  const std::int32_t date = PeriodDay();
  Json header{{"journalCode", journal}, {"transactionNumber", TranNo(number)}, {"bankAccount", acct::kCash}};
  Json lines = Json::array();
  double total = 0, discountTotal = 0;
  CashPosting posting;
  posting.journal = journal;
  posting.bank = acct::kCash;
  posting.date = date;

  auto line = [&](const std::string& text, const std::string& account, const std::string& invoice,
                  char side, double amount, double discount, double invoiceAmount) {
    Json l{{"journalCode", journal}, {"transactionNumber", TranNo(number)}, {"text", text}};
    if (!account.empty()) l["glAccount"] = account;
    if (!invoice.empty()) l["invoiceNumber"] = invoice;
    l["side"] = std::string(1, side);
    l["amount"] = amount;
    if (discount != 0) l["discount"] = discount;
    if (invoiceAmount != 0) l["invoiceAmount"] = invoiceAmount;
    lines.push_back(std::move(l));
    total += amount;
    discountTotal += discount;
    if (!account.empty()) posting.distributionLines.emplace_back(account, amount);
  };
  // Pays the next open invoices of one party.  With `withDiscount`, a party
  // whose terms give a discount is preferred, among the next few hundred.
  auto applyTo = [&](std::vector<OpenItem>& items, std::size_t cursor, std::vector<Party>& parties,
                     int invoices, bool withDiscount, char side) -> Party* {
    std::size_t first = cursor;
    if (withDiscount) {
      for (std::size_t i = cursor; i < items.size() && i < cursor + 500; ++i) {
        if (open(items[i]) && TermsOf(FindParty(parties, items[i].party)->terms).discountPercent > 0) {
          first = i;
          break;
        }
      }
    }
    Party* party = FindParty(parties, items[first].party);
    const Terms& terms = TermsOf(party->terms);
    // A party's invoices follow each other in the list.
    for (std::size_t i = first; i < items.size() && invoices > 0 && items[i].party == party->code; ++i) {
      OpenItem& item = items[i];
      if (!open(item)) continue;
      const double discount = withDiscount && terms.discountPercent > 0 ? Cents(item.balance * terms.discountPercent / 100) : 0;
      const double paid = Cents(item.balance - discount);
      line("Payment", "", item.invoiceNumber, side, paid, discount, item.balance);
      posting.applications.push_back({item.invoiceNumber, item.invoiceDate, paid, discount});
      item.balance = 0;
      --invoices;
    }
    return party;
  };

  Party* party = nullptr;
  switch (kind) {
    case 0:
    case 1:
      party = applyTo(receivableItems_, receivableCursor_, customers_, kind == 0 ? 2 : 1, kind == 1, 'R');
      header["depositNumber"] = fmt::format("D{}", number);
      header["reference"] = "Deposit";
      header["paidToCode"] = party->code;
      header["side"] = "R";
      header["typeLetter"] = "D";
      header["paidToType"] = "C";
      header["distribution"] = "R";
      header["payeeName"] = party->name;
      break;
    case 2:
      // A check to print: type 'C', not yet printed.
      party = applyTo(payableItems_, payableCursor_, vendors_, 1, false, 'P');
      header["reference"] = "Payment";
      header["paidToCode"] = party->code;
      header["side"] = "P";
      header["typeLetter"] = "C";
      header["paidToType"] = "V";
      header["distribution"] = "P";
      header["payeeName"] = party->name;
      break;
    case 3:
      // A payment straight to G/L accounts, by hand-written check.
      line("Postage", acct::kOfficeSupplies, "", 'P', random_.Amount(30, 80), 0, 0);
      line("Bank service fee", acct::kBankCharges, "", 'P', random_.Amount(10, 30), 0, 0);
      header["depositNumber"] = std::to_string(3150 + number % 100);
      header["reference"] = "Petty cash";
      header["paidToCode"] = acct::kOfficeSupplies;
      header["side"] = "P";
      header["typeLetter"] = "M";
      header["paidToType"] = "G";
      header["distribution"] = "G";
      header["payeeName"] = "Port Alden Post Office";
      break;
    default:
      // Deleted in entry.
      header["reference"] = "DELETED";
      header["side"] = "R";
      header["typeLetter"] = "D";
      header["paidToType"] = "C";
      header["distribution"] = "R";
      break;
  }
  // Posted already, as a deleted one is marked by posting too.
  header["postedFlag"] = "Y";
  header["date"] = DateText(date);
  header["periodKey"] = PeriodKey(date);
  header["amount"] = Cents(total);
  if (discountTotal != 0) header["discount"] = Cents(discountTotal);
  Add(records::kFileCashHeaders, header);
  for (const Json& l : lines) Add(records::kFileCashLines, l);
  if (kind == 4) return;
  posting.transactionNumber = TranNo(number);
  posting.number = header.value("depositNumber", "");
  posting.reference = header["reference"].get<std::string>();
  posting.payee = header["payeeName"].get<std::string>();
  posting.distribution = header["distribution"].get<std::string>()[0];
  if (party) posting.party = party->code;
  posting.amount = Cents(total);
  cashPostings_.push_back(std::move(posting));
}

// The cash of the payroll bank account, and a receipt not yet put on a
// deposit slip (no deposit number): a transfer in from the operating
// account, the wages paid from it by a hand-written check, and a refund
// received into the operating account.  Fixed amounts and dates, so that
// the transactions drawn at random before stay as they were.
void Builder::AddPayrollBankAndUnnumberedReceipt() {
  struct Cash {
    const char* journal;
    const char* bank;
    const char* number;  // deposit or check number; "" none yet
    char side, type;
    const char* reference;
    const char* payee;
    const char* account;  // the G/L account of its one line
    const char* text;
    double amount;
    int daysBack;
  };
  const Cash kCash[] = {
      {"CR", acct::kPayrollCash, "T-0301", 'R', 'D', "Transfer", "Transfer from operating", acct::kCash,
       "Transfer from operating", 6400.00, 12},
      {"CD", acct::kPayrollCash, "9001", 'P', 'M', "Payroll", "Payroll for the first half", acct::kWages,
       "Wages, first half", 6125.40, 11},
      {"CR", acct::kCash, "", 'R', 'D', "Refund", "Harbor Mutual Insurance", acct::kInsurance,
       "Premium refund", 84.50, 3},
  };
  for (const Cash& c : kCash) {
    const long number = NextNumber(c.journal);
    // In the current period, as every transaction of the sample.
    const std::int32_t date = std::max(periodStart_, Day(c.daysBack));
    Json header{{"journalCode", c.journal}, {"transactionNumber", TranNo(number)}, {"bankAccount", c.bank},
                {"reference", c.reference}, {"paidToCode", c.account}, {"side", std::string(1, c.side)},
                {"typeLetter", std::string(1, c.type)}, {"paidToType", "G"}, {"distribution", "G"},
                {"payeeName", c.payee}, {"postedFlag", "Y"}, {"date", DateText(date)},
                {"periodKey", PeriodKey(date)}, {"amount", c.amount}};
    if (*c.number) header["depositNumber"] = c.number;
    Add(records::kFileCashHeaders, header);
    Add(records::kFileCashLines, Json{{"journalCode", c.journal}, {"transactionNumber", TranNo(number)},
                                      {"text", c.text}, {"glAccount", c.account},
                                      {"side", std::string(1, c.side)}, {"amount", c.amount}});
    CashPosting posting;
    posting.journal = c.journal;
    posting.transactionNumber = TranNo(number);
    posting.bank = c.bank;
    posting.number = c.number;
    posting.reference = c.reference;
    posting.payee = c.payee;
    posting.date = date;
    posting.amount = c.amount;
    posting.distributionLines.emplace_back(c.account, c.amount);
    cashPostings_.push_back(std::move(posting));
  }
}

// Cash posting as it would have run at the end of the sample's entry: each
// transaction's bank and accounts moved in the current period, the invoices
// it pays settled with their customers and vendors, its deposit or check
// in the check register, and the lines of each cash journal summed into one
// posted G/L transaction, numbered from the journal's sequence and dated
// today, as the other postings of the system write theirs.
void Builder::PostCashTransactions() {
  const int entry = month_ - 1;  // every cash transaction is dated in the current period
  std::map<std::string, std::map<std::pair<std::string, char>, double>> summed;  // journal: account, side
  auto book = [&](const std::string& journal, const std::string& account, double debit) {
    if (Cents(debit) == 0) return;
    Book(account, entry, debit);
    summed[journal][{account, debit > 0 ? 'D' : 'C'}] += std::fabs(debit);
  };
  for (const CashPosting& p : cashPostings_) {
    // A receipt debits the bank and credits what it was received for; a
    // payment the other way round.
    const bool receipt = p.journal == "CR";
    const double sign = receipt ? 1 : -1;
    book(p.journal, p.bank, sign * p.amount);
    if (p.distribution == 'G') {
      for (const auto& [account, amount] : p.distributionLines) book(p.journal, account, -sign * amount);
    } else {
      const bool receivables = p.distribution == 'R';
      Party* party = FindParty(receivables ? customers_ : vendors_, p.party);
      for (const CashPosting::Application& a : p.applications) {
        // The invoice is settled by what was paid and the discount taken.
        book(p.journal, receivables ? acct::kReceivables : acct::kPayables, -sign * Cents(a.paid + a.discount));
        book(p.journal, receivables ? acct::kSalesDiscounts : acct::kPurchaseDiscounts, sign * a.discount);
        AddPostedPayment(receivables, *party, a, p.date, "Payment");
      }
    }
    if (p.number.empty()) continue;  // no deposit slip or check number yet
    Json entryRecord{{"bankAccount", p.bank},
                     {"checkNumber", p.number},
                     {"transactionNumber", p.transactionNumber}};
    if (!p.party.empty()) entryRecord["code"] = p.party;
    entryRecord["name"] = p.payee;
    entryRecord["reference"] = p.reference;
    entryRecord["status"] = "O";
    entryRecord["entrySide"] = receipt ? "D" : "C";
    entryRecord["date"] = DateText(p.date);
    entryRecord["amount"] = p.amount;
    entryRecord["kind"] = receipt ? "D" : "H";  // the register's source "CH"
    entryRecord["state"] = "Y";
    Add(records::kFileCheckRegister, entryRecord);
  }
  for (const auto& [journal, lines] : summed) {
    const long number = NextNumber(journal);
    Add(records::kFileGLHeaders, Json{{"journalCode", journal},
                                      {"transactionNumber", TranNo(number)},
                                      {"date", DateText(today_)},
                                      {"postedFlag", "Y"},
                                      {"sourceFlag", "N"},
                                      {"checkFlag", "N"},
                                      {"journalPrinted", DateText(today_)}});
    // Debits numbered from 1, credits from 10000, as posting numbers them.
    int debitLine = 0, creditLine = 9999;
    for (const auto& [accountAndSide, amount] : lines) {
      const auto& [account, side] = accountAndSide;
      Add(records::kFileGLLines, Json{{"journalCode", journal},
                                      {"transactionNumber", TranNo(number)},
                                      {"lineNumber", side == 'D' ? ++debitLine : ++creditLine},
                                      {"account", account},
                                      {"description", "Summary " + journal + " Post"},
                                      {"side", std::string(1, side)},
                                      {"amount", Cents(amount)},
                                      {"date", DateText(today_)}});
    }
  }
}

void Builder::AddPostedPayment(bool receivables, Party& party, const CashPosting::Application& a,
                               std::int32_t date, const std::string& reference) {
  const int lineFile = receivables ? records::kFileReceivablesOpenInvoices : records::kFilePayablesOpenInvoices;
  const int headerFile =
      receivables ? records::kFileReceivablesOpenInvoiceHeaders : records::kFilePayablesOpenInvoiceHeaders;
  Add(lineFile, OpenItemLine(party, a.invoice, a.invoiceDate, 'P', a.paid, date, a.discount, reference, 'P'));
  TakeIntoParty(receivables, 'P', a.paid, a.discount, date, &party);
  // The invoice's header keeps the balance of all its lines.
  const auto at = openInvoiceHeaderAt_.find({headerFile, party.code, a.invoice});
  const records::FileDef* def = records::FindFile(headerFile);
  if (at == openInvoiceHeaderAt_.end() || !def) {
    error_ = fmt::format("sample payment of {} {}: the invoice has no header", party.code, a.invoice);
    return;
  }
  std::vector<std::uint8_t>& image = company_->files[headerFile][at->second];
  Json header = fixture::DecodeRecord(*def, image);
  header["balance"] = Cents(header.value("balance", 0.0) + LineEffect(receivables, 'P', a.paid, a.discount));
  fixture::FieldProblem problem;
  if (!fixture::EncodeRecord(*def, header, &image, &problem))
    error_ = fmt::format("sample open-invoice header refused: {}: {}", problem.field, problem.message);
}

// ---- Billing and purchasing ---------------------------------------------------------------

void Builder::AddPurchaseOrders() {
  struct OrderLine {
    const char* product;
    double quantity;
  };
  const struct {
    const char* vendor;
    std::vector<OrderLine> lines;
  } kOrders[] = {{"HARDLINE", {{"DRL-18V", 6}, {"SCR-ASST-200", 12}}}, {"CLEANPRO", {{"TWL-PPR-CS", 10}}}};
  std::int32_t link = 7001;
  for (const auto& order : kOrders) {
    const Party* vendor = FindParty(vendors_, order.vendor);
    if (!vendor) continue;
    const long number = ++nextDocument_;
    const std::int32_t date = Day(random_.Between(3, 12));
    double gross = 0;
    int sequence = 0;
    for (const OrderLine& ol : order.lines) {
      const Product* p = FindProduct(ol.product);
      if (!p) continue;
      const double amount = Cents(ol.quantity / p->purchaseFactor * p->cost);
      gross += amount;
      Add(records::kFileOrderLines, Json{{"typeLetter", "O"},
                                         {"transactionNumber", TranNo(number)},
                                         {"sequence", ++sequence},
                                         {"lineKind", 1},
                                         {"item", p->number},
                                         {"description", p->description},
                                         {"department", p->department},
                                         {"salesFraction", p->salesFactor},
                                         {"periodKey", PeriodKey(date)},
                                         {"receiptLink", link++},
                                         {"amount", amount},
                                         {"secondQuantity", ol.quantity},
                                         {"purchaseUnitCost", p->cost},
                                         {"postedFlag", "N"}});
    }
    Add(records::kFileOrderHeaders, Json{{"typeLetter", "O"},
                                         {"transactionNumber", TranNo(number)},
                                         {"custVendCode", vendor->code},
                                         {"closedFlag", "N"},
                                         {"postedFlag", "N"},
                                         {"periodKey", PeriodKey(date)},
                                         {"date", DateText(date)},
                                         {"taxCode", "EX"},
                                         {"grossAmount", Cents(gross)},
                                         {"total", Cents(gross)},
                                         {"netToPay", Cents(gross)},
                                         {"name", vendor->name}});
  }
}

void Builder::AddBillingTransaction(int index) {
  struct Pick {
    const char* item;
    double quantity;
  };
  struct Template {
    const char* customer;
    char type;
    const char* taxCode;
    double taxRate;
    std::vector<Pick> products;
    const char* service;
    double hours;
    bool freightCode;
    double freight;
  };
  static const Template kTemplates[] = {
      {"DUNMORE", 'I', "ST", 6.5, {{"PAP-A4-500", 10}, {"TNR-LJ-85A", 2}}, "INSTALL", 1.5, true, 0},
      {"GRANITE", 'I', "CT", 8.25, {{"DRL-18V", 2}, {"SCR-ASST-200", 4}, {"TAPE-MSK-24", 12}}, nullptr, 0, false, 15.00},
      {"KESTREL", 'I', "ST", 6.5, {{"GLV-NIT-100", 2}, {"CLN-ALL-1G", 1}}, nullptr, 0, false, 0},
      {"FOXGLOVE", 'R', "ST", 6.5, {{"STAPLER-HD", 1}}, nullptr, 0, false, 0},
      {"HOLLOWAY", 'I', "ST", 6.5, {{"KIT-DESK", 2}, {"GIFTWRAP", 2}}, "DELIVERY", 1, false, 0},
  };
  const Template* t = index < 5 ? &kTemplates[index] : nullptr;
  Party* customer = t ? FindParty(customers_, t->customer) : nullptr;
  if (!customer) customer = &customers_[static_cast<std::size_t>(random_.Between(0, static_cast<int>(customers_.size()) - 1))];
  const char type = t ? t->type : 'I';
  const std::int32_t date = PeriodDay();
  const long number = ++nextInvoice_;

  std::vector<DocLine> lines;
  double taxable = 0;
  auto addProduct = [&](const Product& p, double quantity) {
    DocLine l;
    l.kind = 1;
    l.item = p.number;
    l.description = p.description;
    l.department = p.department;
    l.quantity = quantity;
    l.amount = Cents(quantity / p.salesFactor * p.price);
    l.salesFraction = p.salesFactor;
    taxable += l.amount;
    lines.push_back(l);
  };
  if (t) {
    for (const Pick& pick : t->products) {
      if (const Product* p = FindProduct(pick.item)) addProduct(*p, pick.quantity * p->salesFactor);
    }
  }
  if (lines.empty()) {
    const int count = random_.Between(1, 4);
    for (int k = 0; k < count && !products_.empty(); ++k) {
      const Product& p = products_[static_cast<std::size_t>(random_.Between(0, static_cast<int>(products_.size()) - 1))];
      addProduct(p, p.salesFactor * static_cast<double>(random_.Between(1, 10)));
    }
  }
  if (t && t->service) {
    auto s = std::find_if(services_.begin(), services_.end(), [&](const Service& sv) { return sv.code == t->service; });
    if (s != services_.end()) {
      DocLine l;
      l.kind = 6;
      l.item = s->code;
      l.description = s->description;
      l.department = s->department;
      l.quantity = t->hours;
      l.amount = Cents(t->hours * s->rate);
      lines.push_back(l);
    }
  }
  if (t && t->freightCode) {
    // A priced code line keeps its 5-character code at offset 30, two
    // places into the item field.
    DocLine l;
    l.kind = 4;
    l.item = "  FRT";
    l.description = "Freight charge";
    l.department = "OF";
    l.quantity = 1;
    l.amount = 12.50;
    lines.push_back(l);
  }
  double gross = 0;
  for (const DocLine& l : lines) gross += l.amount;
  gross = Cents(gross);
  const double rate = t ? t->taxRate : 6.5;
  const double tax = Cents(taxable * rate / 100);
  const double freight = t ? t->freight : 0;
  const double total = Cents(gross + tax + freight);
  const bool cashSale = customer->accountType == 'C';
  const double paid = cashSale ? total : 0;

  std::int32_t linked = 0;
  if (!cashSale) linked = AddEnteredOpenItem(true, *customer, std::to_string(number), type == 'R' ? 'C' : 'I', total, date);

  Json header{{"typeLetter", std::string(1, type)},
              {"transactionNumber", TranNo(number)},
              {"custVendCode", customer->code},
              {"documentCode", customer->salesperson},
              {"department", lines.empty() ? std::string("OF") : lines.front().department}};
  if (cashSale) {
    header["checkNumberText"] = "1043";
    header["paymentReference"] = "Check";
  }
  header["closedFlag"] = "N";
  header["entryFlag"] = "Y";
  header["journalPrinted"] = "N";
  header["postedFlag"] = "N";
  header["periodKey"] = PeriodKey(date);
  header["date"] = DateText(date);
  if (linked) header["firstLinkedInvoice"] = linked;
  header["taxCode"] = t ? t->taxCode : "ST";
  header["taxableAmount"] = Cents(taxable);
  header["tax"] = tax;
  header["grossAmount"] = gross;
  header["total"] = total;
  header["amountPaid"] = paid;
  header["netToPay"] = Cents(total - paid);
  header["name"] = customer->name;
  if (freight != 0) header["freight"] = freight;
  Add(records::kFileBillingHeaders, header);

  int sequence = 0;
  for (const DocLine& l : lines) {
    Add(records::kFileBillingLines, Json{{"typeLetter", std::string(1, type)},
                                         {"transactionNumber", TranNo(number)},
                                         {"sequence", ++sequence},
                                         {"lineKind", l.kind},
                                         {"item", l.item},
                                         {"description", l.description},
                                         {"department", l.department},
                                         {"salesFraction", l.salesFraction},
                                         {"periodKey", PeriodKey(date)},
                                         {"amount", l.amount},
                                         {"quantity", l.quantity},
                                         {"postedFlag", "N"}});
  }
}

void Builder::AddPurchasingTransaction(int index) {
  struct Pick {
    const char* item;
    double purchaseUnits;  // in purchase units (cartons, dozens)
  };
  struct Template {
    const char* vendor;
    char type;
    std::vector<Pick> products;
    std::int32_t receiptLink;  // an open order's line the receipt fills
  };
  static const Template kTemplates[] = {
      {"PAPERMILL", 'I', {{"PAP-A4-500", 20}, {"PAP-LTR-500", 10}}, 0},
      {"INKWELL", 'I', {{"PEN-BLK-12", 4}, {"PEN-BLU-12", 2}, {"MRK-WB-4", 2}}, 0},
      {"CLEANPRO", 'R', {{"CLN-GLS-32", 1}}, 0},
      {"HARDLINE", 'I', {{"DRL-18V", 4}}, 7001},
  };
  const Template* t = index < 4 ? &kTemplates[index] : nullptr;
  Party* vendor = t ? FindParty(vendors_, t->vendor) : nullptr;
  if (!vendor) vendor = &vendors_[static_cast<std::size_t>(random_.Between(0, static_cast<int>(vendors_.size()) - 1))];
  const char type = t ? t->type : 'I';
  const std::int32_t date = PeriodDay();
  const long number = ++nextDocument_;

  std::vector<DocLine> lines;
  auto addProduct = [&](const Product& p, double purchaseUnits, std::int32_t link) {
    DocLine l;
    l.item = p.number;
    l.description = p.description;
    l.department = p.department;
    l.quantity = purchaseUnits * p.purchaseFactor;
    l.unitCost = p.cost;
    l.amount = Cents(purchaseUnits * p.cost);
    l.salesFraction = p.salesFactor;
    l.receiptLink = link;
    lines.push_back(l);
  };
  if (t) {
    for (const Pick& pick : t->products) {
      if (const Product* p = FindProduct(pick.item)) addProduct(*p, pick.purchaseUnits, t->receiptLink);
    }
  }
  if (lines.empty()) {
    const int count = random_.Between(1, 3);
    for (int k = 0; k < count && !products_.empty(); ++k) {
      const Product& p = products_[static_cast<std::size_t>(random_.Between(0, static_cast<int>(products_.size()) - 1))];
      if (p.type != 2) addProduct(p, random_.Between(1, 12), 0);
    }
  }
  double gross = 0;
  for (const DocLine& l : lines) gross += l.amount;
  gross = Cents(gross);
  const std::string invoice = fmt::format("{}-{}", vendor->code.substr(0, 3), number);
  // A return is a debit memo: posting it debits payables, lowering what is owed.
  const std::int32_t linked = AddEnteredOpenItem(false, *vendor, invoice, type == 'R' ? 'D' : 'I', gross, date);

  Add(records::kFilePurchasingHeaders, Json{{"typeLetter", std::string(1, type)},
                                            {"transactionNumber", TranNo(number)},
                                            {"custVendCode", vendor->code},
                                            {"documentCode", "MR"},
                                            {"department", lines.empty() ? std::string("OF") : lines.front().department},
                                            {"closedFlag", "N"},
                                            {"entryFlag", "Y"},
                                            {"journalPrinted", "N"},
                                            {"postedFlag", "N"},
                                            {"periodKey", PeriodKey(date)},
                                            {"date", DateText(date)},
                                            {"firstLinkedInvoice", linked},
                                            {"taxCode", "EX"},
                                            {"grossAmount", gross},
                                            {"total", gross},
                                            {"netToPay", gross},
                                            {"name", vendor->name},
                                            {"onAccountFlag", "Y"}});
  int sequence = 0;
  for (const DocLine& l : lines) {
    Json r{{"typeLetter", std::string(1, type)},
           {"transactionNumber", TranNo(number)},
           {"sequence", ++sequence},
           {"lineKind", 1},
           {"item", l.item},
           {"description", l.description},
           {"department", l.department},
           {"salesFraction", l.salesFraction},
           {"periodKey", PeriodKey(date)},
           {"amount", l.amount},
           {"secondQuantity", l.quantity},
           {"quantity", l.quantity},
           {"purchaseUnitCost", l.unitCost},
           {"postedFlag", "N"}};
    if (l.receiptLink) r["receiptLink"] = l.receiptLink;
    Add(records::kFilePurchasingLines, r);
  }
}

// ---- Inventory ------------------------------------------------------------------------------

void Builder::AddInventoryAdjustment(int index) {
  struct Template {
    const char* product;
    char kind;          // '1' quantity in, '5' quantity out, '8' value down
    double quantity;    // stock units, negative out
    double amount;      // kind '8': the value change
    const char* account;
    const char* reference;
    char secondSource = 0;  // 'D': entered twice, marked posted without posting
  };
  static const Template kTemplates[] = {
      {"PAP-A4-500", '1', 10, 0, acct::kAdjustments, "Found"},
      {"CLN-GLS-32", '5', -3, 0, acct::kAdjustments, "Damaged"},
      {"TNR-LJ-85A", '5', -1, 0, acct::kOfficeSupplies, "Own use"},
      {"NOTE-3X3", '8', 0, -12.00, acct::kAdjustments, "Faded"},
      // Half a box of twelve given away: priced at half the box's cost.
      {"PEN-BLK-12", '5', -6, 0, acct::kOfficeSupplies, "Samples"},
      {"PAP-A4-500", '1', 10, 0, acct::kAdjustments, "Found", 'D'},
  };
  constexpr int kTemplateCount = static_cast<int>(sizeof kTemplates / sizeof kTemplates[0]);
  Template generic{nullptr, '1', 0, 0, acct::kAdjustments, "Recount"};
  const Template* t = index < kTemplateCount ? &kTemplates[index] : &generic;
  const Product* p = t->product ? FindProduct(t->product) : nullptr;
  if (!p) {
    std::vector<const Product*> stocked;
    for (const Product& candidate : products_) {
      if (candidate.type != 2 && !candidate.assembly) stocked.push_back(&candidate);
    }
    if (stocked.empty()) return;
    p = stocked[static_cast<std::size_t>(random_.Between(0, static_cast<int>(stocked.size()) - 1))];
    generic.kind = random_.Chance(50) ? '1' : '5';
    generic.quantity = (generic.kind == '1' ? 1 : -1) * random_.Between(1, 5) * static_cast<double>(p->purchaseFactor);
    t = &generic;
  }
  const std::int32_t date = PeriodDay();
  Json r{{"productCode", p->number},
         {"transactionNumber", TranNo(++nextDocument_)},
         {"periodKey", PeriodKey(date)},
         {"date", DateText(date)},
         {"kind", std::string(1, t->kind)},
         {"source", "T"},
         {"reference", t->reference},
         {"department", p->department}};
  if (t->quantity != 0) r["quantity"] = t->quantity;
  // Stock coming in carries its cost; stock going out is priced from the
  // product when it is posted.
  if (t->kind == '1') {
    r["unitCost"] = p->cost;
    r["extendedAmount"] = Cents(t->quantity / p->purchaseFactor * p->cost);
  } else if (t->kind == '8') {
    r["extendedAmount"] = t->amount;
  }
  r["salesUnitFactor"] = p->salesFactor;
  r["unitDivisor"] = p->purchaseFactor;
  if (t->quantity != 0) r["formattedQuantity"] = t->quantity;
  r["warehouse"] = p->warehouse;
  r["glAccount"] = t->account;
  if (t->secondSource) r["secondSource"] = std::string(1, t->secondSource);
  r["postedFlag"] = "N";
  Add(records::kFileInventoryTransactions, r);
}

void Builder::AddAssembly(int index) {
  std::vector<const Product*> kits;
  for (const Product& p : products_) {
    if (p.assembly) kits.push_back(&p);
  }
  if (kits.empty()) return;
  const Product& kit = *kits[static_cast<std::size_t>(index) % kits.size()];
  // The second transaction of the small company takes a kit apart.
  const bool assemble = index != 1;
  const double quantity = assemble ? (index == 0 ? 3 : random_.Between(1, 4)) : 1;
  const long number = ++nextDocument_;
  const std::int32_t date = PeriodDay();

  double value = 0;
  std::vector<Json> components;
  for (const BomLine& b : bom_) {
    if (b.assembly != kit.number) continue;
    const double needed = b.units * quantity;
    Json c{{"transactionNumber", TranNo(number)},
           {"componentCode", b.component},
           {"overrideFlag", "N"},
           {"consumeLetter", assemble ? "A" : "D"},
           {"quantityNeeded", needed}};
    double cost = 0;
    if (const Product* p = FindProduct(b.component)) {
      cost = Cents(needed * p->UnitCost());
      c["quantityAvailable"] = p->quantity;
      c["newQuantityOnHand"] = assemble ? p->quantity - needed : p->quantity + needed;
      if (assemble && needed > p->quantity) c["quantityShort"] = needed - p->quantity;
    } else {
      auto s = std::find_if(services_.begin(), services_.end(), [&](const Service& sv) { return sv.code == b.component; });
      cost = Cents(needed * (s != services_.end() ? s->cost : 0));
      c["quantityDecimals"] = 2;
    }
    c["cost"] = cost;
    value += cost;
    components.push_back(std::move(c));
  }
  Add(records::kFileAssemblyHeaders, Json{{"transactionNumber", TranNo(number)},
                                          {"productCode", kit.number},
                                          {"reference", assemble ? "Build kits" : "Take apart"},
                                          {"date", DateText(date)},
                                          {"periodKey", PeriodKey(date)},
                                          {"postedFlag", "N"},
                                          {"quantity", quantity},
                                          {"value", Cents(value)},
                                          {"quantityDivisor", kit.purchaseFactor},
                                          {"assemblyLetter", assemble ? "A" : "D"}});
  for (const Json& c : components) Add(records::kFileAssemblyComponents, c);
}

void Builder::AddPhysicalCounts() {
  // A count of some stocked products: most agree with the books, some not.
  const struct {
    const char* product;
    double difference;  // counted less on hand, in stock units
  } kCounts[] = {{"PAP-A4-500", -2}, {"PEN-BLK-12", 0}, {"STAPLES-5M", 5},
                 {"CLN-ALL-1G", 0},  {"DRL-18V", -1},   {"TAPE-MSK-24", 0}};
  int made = 0;
  for (const auto& count : kCounts) {
    const Product* p = FindProduct(count.product);
    if (!p) continue;
    Add(records::kFilePhysicalCounts, Json{{"productCode", p->number},
                                           {"printedFlag", "N"},
                                           {"countedQuantity", std::max(0.0, p->quantity + count.difference)}});
    ++made;
  }
  // A scaled company without those products counts its first ones.
  for (std::size_t i = 0; made == 0 && i < products_.size() && i < 6; ++i) {
    if (products_[i].type == 2) continue;
    Add(records::kFilePhysicalCounts, Json{{"productCode", products_[i].number},
                                           {"printedFlag", "N"},
                                           {"countedQuantity", products_[i].quantity}});
  }
}

}  // namespace sample
