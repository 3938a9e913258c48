// The data dictionary of fields: for each table, the fields the selection
// screens, journals, sort indexes and report parameter strings name by
// number, with their place in the record, type, caption and print format.
//
// Places come from the stored layouts of records/ (offsetof), so a layout
// that moves a field moves its definition with it.  A statistics group's
// field is its current-year slot (2).  Tables are named as the data
// dictionary of records/ names the files; files that share a layout are read
// with one table (DictTableOf).
#include "field_dictionary.h"

#include <cstddef>
#include <cstring>

#include "btrvc.h"
#include "oemtext.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/support.h"
#include "records/transactions.h"
#include "records/work_files.h"

namespace qxb {
namespace {

using namespace records;

constexpr int kCurrentYearSlot = 2;

constexpr FieldEntry Entry(int number, std::size_t offset, std::size_t length, DictValueType type,
                           const char* caption, const char* format) {
  return FieldEntry{number, static_cast<std::uint16_t>(offset), static_cast<std::uint16_t>(length), type,
                    caption, format};
}

// A member as a whole; a slot of a statistics group.
#define QXD(number, Rec, member, type, caption, format) \
  Entry(number, offsetof(Rec, member), sizeof(Rec::member), type, caption, format)
#define QXD_SLOT(number, Rec, member, type, caption, format)                                     \
  Entry(number, offsetof(Rec, member) + kCurrentYearSlot * sizeof(Rec::member[0]), sizeof(Rec::member[0]), \
        type, caption, format)
// A field of the customer/vendor record inside a selection-file record.
#define QXD_AT(number, base, Rec, member, type, caption, format) \
  Entry(number, (base) + offsetof(Rec, member), sizeof(Rec::member), type, caption, format)

constexpr FieldEntry kGLAccountFields[] = {
    QXD(1, GLAccount, code, kDictText, "Account", "%-10s"),
    QXD(2, GLAccount, parentCode, kDictText, "Parent Account", "%-10s"),
    QXD(3, GLAccount, name, kDictText, "Account Name", "%-40s"),
    QXD(4, GLAccount, level, kDictChar, "Level", "%c"),
    QXD(8, GLAccount, type, kDictChar, "Type", "%c"),
    QXD(9, GLAccount, currentBalance, kDictAmount, "Current Balance", "%14.2f"),
    QXD(10, GLAccount, activeFlag, kDictChar, "Active", "%c"),
    QXD(11, GLAccount, beginningBalance, kDictAmount, "Beginning Balance", "%14.2f"),
    Entry(60, offsetof(GLAccount, budget) + 0 * 8, 8, kDictAmount, "Budget 1", "%12.2f"),
    Entry(61, offsetof(GLAccount, budget) + 1 * 8, 8, kDictAmount, "Budget 2", "%12.2f"),
    Entry(62, offsetof(GLAccount, budget) + 2 * 8, 8, kDictAmount, "Budget 3", "%12.2f"),
    Entry(63, offsetof(GLAccount, budget) + 3 * 8, 8, kDictAmount, "Budget 4", "%12.2f"),
    Entry(64, offsetof(GLAccount, budget) + 4 * 8, 8, kDictAmount, "Budget 5", "%12.2f"),
    Entry(65, offsetof(GLAccount, budget) + 5 * 8, 8, kDictAmount, "Budget 6", "%12.2f"),
    Entry(66, offsetof(GLAccount, budget) + 6 * 8, 8, kDictAmount, "Budget 7", "%12.2f"),
    Entry(67, offsetof(GLAccount, budget) + 7 * 8, 8, kDictAmount, "Budget 8", "%12.2f"),
    Entry(68, offsetof(GLAccount, budget) + 8 * 8, 8, kDictAmount, "Budget 9", "%12.2f"),
    Entry(69, offsetof(GLAccount, budget) + 9 * 8, 8, kDictAmount, "Budget 10", "%12.2f"),
    Entry(70, offsetof(GLAccount, budget) + 10 * 8, 8, kDictAmount, "Budget 11", "%12.2f"),
    Entry(71, offsetof(GLAccount, budget) + 11 * 8, 8, kDictAmount, "Budget 12", "%12.2f"),
    Entry(72, offsetof(GLAccount, budget) + 12 * 8, 8, kDictAmount, "Budget 13", "%12.2f"),
};
static_assert(sizeof(GLAccount::budget) == 13 * 8);

// Customers and vendors (and the first 795 bytes of a selection-file record).
#define QXD_CV(base)                                                                                   \
  QXD_AT(1, base, CustVendRecord, code, kDictText, "Code", "%-10s"),                                   \
      QXD_AT(2, base, CustVendRecord, taxCode, kDictText, "Tax Code", "%-5s"),                         \
      QXD_AT(3, base, CustVendRecord, termsCode, kDictText, "Terms Code", "%-5s"),                     \
      QXD_AT(4, base, CustVendRecord, messageCode, kDictText, "Message Code", "%-5s"),                 \
      QXD_AT(6, base, CustVendRecord, department, kDictText, "G/L Department", "%-5s"),                \
      QXD_AT(7, base, CustVendRecord, salesperson, kDictText, "Salesperson", "%-5s"),                  \
      QXD_AT(8, base, CustVendRecord, territory, kDictText, "Territory", "%-5s"),                      \
      QXD_AT(9, base, CustVendRecord, vendorType, kDictText, "Vendor Type", "%-5s"),                   \
      QXD_AT(10, base, CustVendRecord, billingGroup, kDictText, "Billing Group", "%-5s"),              \
      QXD_AT(11, base, CustVendRecord, idNumber, kDictText, "Id Number", "%-14s"),                     \
      QXD_AT(14, base, CustVendRecord, accountType, kDictChar, "Account Type", "%c"),                  \
      QXD_AT(18, base, CustVendRecord, financeChargeRate, kDictFloat, "Finance Charge", "%6.2f"),      \
      QXD_AT(19, base, CustVendRecord, lastInvoiceDate, kDictDate, "Last Sales Date", "%-8s"),         \
      QXD_AT(20, base, CustVendRecord, lastPaymentDate, kDictDate, "Last Payment Date", "%-8s"),       \
      QXD_AT(21, base, CustVendRecord, creditLimit, kDictAmount, "Credit Limit", "%12.2f"),            \
      QXD_AT(25, base, CustVendRecord, balance, kDictAmount, "Current Balance", "%12.2f"),             \
      Entry(30, (base) + offsetof(CustVendRecord, invoiceCounts) + kCurrentYearSlot * 4, 4, kDictInt32, \
            "Invoice Count", "%6d"),                                                                   \
      Entry(40, (base) + offsetof(CustVendRecord, grossAmounts) + kCurrentYearSlot * 8, 8, kDictAmount, \
            "Sales Dollars", "%12.2f"),                                                                \
      QXD_AT(53, base, CustVendRecord, name, kDictText, "Name", "%-40s"),                              \
      Entry(54, (base) + offsetof(CustVendRecord, addressLines) + 0 * 41, 41, kDictText, "Address 1",  \
            "%-40s"),                                                                                  \
      Entry(55, (base) + offsetof(CustVendRecord, addressLines) + 1 * 41, 41, kDictText, "Address 2",  \
            "%-40s"),                                                                                  \
      Entry(56, (base) + offsetof(CustVendRecord, addressLines) + 2 * 41, 41, kDictText, "Address 3",  \
            "%-40s"),                                                                                  \
      QXD_AT(60, base, CustVendRecord, zipCode, kDictText, "Zip Code", "%-10s"),                       \
      QXD_AT(61, base, CustVendRecord, phone1, kDictText, "Phone", "%-15s"),                           \
      QXD_AT(62, base, CustVendRecord, phone2, kDictText, "Phone 2", "%-15s"),                         \
      QXD_AT(63, base, CustVendRecord, fax, kDictText, "Fax", "%-15s"),                                \
      QXD_AT(67, base, CustVendRecord, glAccount, kDictText, "Account", "%-10s"),                      \
      QXD_AT(72, base, CustVendRecord, minimumFinanceCharge, kDictAmount, "Minimum Finance Charge", "%12.2f")

constexpr FieldEntry kCustVendFields[] = {QXD_CV(0)};

// The selection file "TEMPCSVD.DB": the customer/vendor record, the
// computed account block after it, the mark and the copies.
constexpr std::size_t kBlock = sizeof(CustVendRecord);
constexpr FieldEntry kSelectionFields[] = {
    QXD_CV(0),
    Entry(77, kBlock + 21, 4, kDictDate, "Last Sales Date", "%-8s"),
    Entry(78, kBlock + 25, 4, kDictDate, "Last Payment Date", "%-8s"),
    Entry(79, kBlock + 29, 8, kDictAmount, "Closing Date Balance", "%12.2f"),
    Entry(81, kBlock + 45, 8, kDictAmount, "Total Past Due", "%12.2f"),
    Entry(83, kBlock + 61, 8, kDictAmount, "Credit Available", "%12.2f"),
    Entry(86, kBlock + 81, 8, kDictAmount, "Past Due 1-30", "%12.2f"),
    Entry(88, kBlock + 93, 8, kDictAmount, "Past Due 31-60", "%12.2f"),
    Entry(90, kBlock + 105, 8, kDictAmount, "Past Due >60", "%12.2f"),
    Entry(105, kBlock + 197, 1, kDictChar, "Mark", "%c"),
    Entry(106, kBlock + 198, 2, kDictInt16, "Copies", "%3d"),
};
static_assert(kBlock + 200 == 995, "a selection-file record is 995 bytes");

constexpr FieldEntry kProductFields[] = {
    QXD(1, TagProduct, number, kDictText, "Product Number", "%-14s"),
    QXD(2, TagProduct, description, kDictText, "Description", "%-30s"),
    QXD(3, TagProduct, unitOfMeasure, kDictText, "Unit", "%-8s"),
    QXD(5, TagProduct, bin, kDictText, "Bin", "%-8s"),
    QXD(8, TagProduct, department, kDictText, "G/L Department", "%-5s"),
    QXD(10, TagProduct, vendor, kDictText, "Vendor", "%-10s"),
    QXD(27, TagProduct, commissionable, kDictChar, "Commissionable", "%c"),
    QXD(29, TagProduct, serialized, kDictChar, "Serialized", "%c"),
    QXD(31, TagProduct, productType, kDictChar, "Inventory Type", "%d"),
    QXD(32, TagProduct, recallBy, kDictChar, "Recall By", "%c"),
    QXD(37, TagProduct, lastSaleDate, kDictDate, "Last Sales Date", "%-8s"),
    QXD(38, TagProduct, lastPurchaseDate, kDictDate, "Last Purchase Date", "%-8s"),
    QXD(40, TagProduct, sellingPrice, kDictDouble, "Selling Price", "%12.4f"),
    QXD(41, TagProduct, lastCost, kDictDouble, "Last Cost", "%12.4f"),
    QXD(42, TagProduct, standardCost, kDictDouble, "Standard Cost", "%12.4f"),
    QXD(43, TagProduct, averageCost, kDictDouble, "Average Cost", "%12.4f"),
    QXD(44, TagProduct, quantityOnHand, kDictDouble, "On Hand", "%12.4f"),
    QXD_SLOT(51, TagProduct, purchaseUnits, kDictDouble, "Purchase Units", "%12.4f"),
    QXD_SLOT(56, TagProduct, salesUnits, kDictDouble, "Sales Units", "%12.4f"),
    QXD_SLOT(61, TagProduct, purchaseDollars, kDictAmount, "Purchase Dollars", "%12.2f"),
    QXD_SLOT(66, TagProduct, salesDollars, kDictAmount, "Sales Dollars", "%12.2f"),
    QXD(82, TagProduct, warehouse, kDictText, "Warehouse", "%-3s"),
};

constexpr FieldEntry kServiceFields[] = {
    QXD(1, ServiceRecord, code, kDictText, "Service Code", "%-14s"),
    QXD(2, ServiceRecord, description, kDictText, "Description", "%-30s"),
    QXD(3, ServiceRecord, department, kDictText, "G/L Department", "%-5s"),
    QXD(4, ServiceRecord, unitOfMeasure, kDictText, "Unit", "%-8s"),
    QXD(13, ServiceRecord, lastSaleDate, kDictDate, "Last Sales Date", "%-8s"),
    QXD_SLOT(18, ServiceRecord, salesDollars, kDictAmount, "Sales Dollars", "%12.2f"),
    QXD_SLOT(23, ServiceRecord, salesUnits, kDictDouble, "Sales Units", "%12.4f"),
};

constexpr FieldEntry kInventoryTransactionFields[] = {
    QXD(1, InventoryTransaction, productCode, kDictText, "Item Number", "%-14s"),
    QXD(2, InventoryTransaction, transactionNumber, kDictText, "Transaction Number", "%-10s"),
    QXD(5, InventoryTransaction, date, kDictDate, "Transaction Date", "%-8s"),
    QXD(6, InventoryTransaction, kind, kDictChar, "Type", "%c"),
    QXD(7, InventoryTransaction, source, kDictChar, "Source", "%c"),
    QXD(10, InventoryTransaction, reference, kDictText, "Reference", "%-10s"),
    QXD(11, InventoryTransaction, department, kDictText, "Department", "%-5s"),
    QXD(12, InventoryTransaction, quantity, kDictDouble, "Quantity", "%12.4f"),
    QXD(13, InventoryTransaction, unitCost, kDictDouble, "Unit Cost", "%12.4f"),
    QXD(14, InventoryTransaction, extendedAmount, kDictAmount, "Extended", "%12.2f"),
    QXD(18, InventoryTransaction, masterItem, kDictText, "Master Item", "%-10s"),
    QXD(19, InventoryTransaction, warehouse, kDictText, "Warehouse", "%-3s"),
    QXD(21, InventoryTransaction, glAccount, kDictText, "GL Account", "%-10s"),
};

constexpr FieldEntry kAuditLogFields[] = {
    QXD(1, AuditLogEntry, entryNumber, kDictInt32, "Entry", "%8d"),
    QXD(2, AuditLogEntry, userId, kDictText, "User Id", "%-14s"),
    QXD(3, AuditLogEntry, date, kDictDate, "Transaction Date", "%-8s"),
    QXD(4, AuditLogEntry, time, kDictInt32, "Time", "%8d"),
    QXD(5, AuditLogEntry, entityType, kDictInt32, "Entity Id", "%6d"),
    QXD(6, AuditLogEntry, changeType, kDictInt16, "Action", "%4d"),
    QXD(7, AuditLogEntry, reference, kDictText, "Reference", "%-40s"),
};

constexpr FieldEntry kOpenInvoiceFields[] = {
    QXD(1, TagOpenInvoice, code, kDictText, "Code", "%-10s"),
    QXD(2, TagOpenInvoice, invoiceNumber, kDictText, "Invoice Number", "%-10s"),
    QXD(3, TagOpenInvoice, precedence, kDictChar, "Precedence", "%c"),
    QXD(4, TagOpenInvoice, reference, kDictText, "Reference", "%-10s"),
    QXD(5, TagOpenInvoice, lineType, kDictChar, "Line Type", "%c"),
    QXD(6, TagOpenInvoice, status, kDictChar, "Status", "%c"),
    QXD(7, TagOpenInvoice, itemNumber, kDictInt32, "Item Number", "%8d"),
    QXD(8, TagOpenInvoice, invoiceDate, kDictDate, "Invoice Date", "%-8s"),
    QXD(9, TagOpenInvoice, dueDate, kDictDate, "Due Date", "%-8s"),
    QXD(10, TagOpenInvoice, secondDate, kDictDate, "Discount Date", "%-8s"),
    QXD(11, TagOpenInvoice, amount, kDictAmount, "Amount", "%12.2f"),
    QXD(12, TagOpenInvoice, discount, kDictAmount, "Discount", "%12.2f"),
};

constexpr FieldEntry kRecPayHeaderFields[] = {
    QXD(1, TagRecPayHeader, transactionNumber, kDictText, "Transaction No.", "%-10s"),
    QXD(2, TagRecPayHeader, custVendCode, kDictText, "Account Code", "%-10s"),
    QXD(3, TagRecPayHeader, invoiceNumber, kDictText, "Invoice No.", "%-10s"),
    QXD(4, TagRecPayHeader, reference, kDictText, "Reference", "%-10s"),
    QXD(5, TagRecPayHeader, typeLetter, kDictChar, "Type", "%c"),
    QXD(6, TagRecPayHeader, postedFlag, kDictChar, "Posted", "%c"),
    QXD(9, TagRecPayHeader, date, kDictDate, "Date", "%-8s"),
    QXD(10, TagRecPayHeader, journalPrinted, kDictDate, "Journal Date", "%-8s"),
    QXD(11, TagRecPayHeader, invoiceDate, kDictDate, "Invoice Date", "%-8s"),
    QXD(12, TagRecPayHeader, dueDate, kDictDate, "Due Date", "%-8s"),
    QXD(13, TagRecPayHeader, discountAvailable, kDictAmount, "Disc. Available", "%12.2f"),
};

constexpr FieldEntry kBiPoHeaderFields[] = {
    QXD(1, TagBiPoHeader, typeLetter, kDictChar, "Type", "%c"),
    QXD(2, TagBiPoHeader, transactionNumber, kDictText, "Number", "%-10s"),
    QXD(3, TagBiPoHeader, keyPart, kDictInt32, "Sequence", "%5d"),
    QXD(4, TagBiPoHeader, custVendCode, kDictText, "Account Code", "%-10s"),
    QXD(5, TagBiPoHeader, documentCode, kDictText, "Document Code", "%-5s"),
    QXD(6, TagBiPoHeader, department, kDictText, "Department", "%-5s"),
    QXD(32, TagBiPoHeader, date, kDictDate, "Date", "%-8s"),
    QXD(33, TagBiPoHeader, taxCode, kDictText, "Tax Code", "%-10s"),
    QXD(34, TagBiPoHeader, total, kDictAmount, "Total", "%12.2f"),
    QXD(35, TagBiPoHeader, name, kDictText, "Name", "%-40s"),
};

constexpr FieldEntry kAssemblyHeaderFields[] = {
    QXD(1, AssemblyHeader, transactionNumber, kDictText, "Transaction No.", "%-10s"),
    QXD(2, AssemblyHeader, productCode, kDictText, "Product Number", "%-14s"),
    QXD(3, AssemblyHeader, reference, kDictText, "Reference", "%-10s"),
    QXD(4, AssemblyHeader, date, kDictDate, "Date", "%-8s"),
    QXD(5, AssemblyHeader, quantity, kDictDouble, "Quantity", "%12.4f"),
    QXD(6, AssemblyHeader, value, kDictAmount, "Value", "%12.2f"),
};

constexpr FieldEntry kCashHeaderFields[] = {
    QXD(1, CashHeader, journalCode, kDictText, "Journal", "%-6s"),
    QXD(2, CashHeader, transactionNumber, kDictText, "Transaction No.", "%-10s"),
    QXD(3, CashHeader, bankAccount, kDictText, "Bank Account", "%-10s"),
    QXD(4, CashHeader, depositNumber, kDictText, "Check/Deposit", "%-8s"),
    QXD(5, CashHeader, reference, kDictText, "Reference", "%-10s"),
    QXD(6, CashHeader, paidToCode, kDictText, "Paid To", "%-10s"),
    QXD(7, CashHeader, side, kDictChar, "Side", "%c"),
    QXD(8, CashHeader, typeLetter, kDictChar, "Type", "%c"),
    QXD(15, CashHeader, date, kDictDate, "Date", "%-8s"),
    QXD(17, CashHeader, amount, kDictAmount, "Amount", "%12.2f"),
    QXD(18, CashHeader, payeeName, kDictText, "Payee Name", "%-40s"),
};

constexpr FieldEntry kSalespersonFields[] = {
    QXD(1, Salesperson, code, kDictText, "Salesperson Code", "%-5s"),
    QXD(2, Salesperson, name, kDictText, "Name", "%-40s"),
    QXD(10, Salesperson, rate, kDictFloat, "Rate", "%6.2f"),
    QXD(11, Salesperson, amount, kDictAmount, "Amount", "%12.2f"),
};

constexpr FieldEntry kMasterItemFields[] = {
    QXD(1, TagMasterItem, code, kDictText, "Master Item Code", "%-10s"),
    QXD(2, TagMasterItem, description, kDictText, "Description", "%-30s"),
    QXD(5, TagMasterItem, bin, kDictText, "Bin", "%-8s"),
    QXD(8, TagMasterItem, department, kDictText, "G/L Department", "%-5s"),
    QXD(10, TagMasterItem, vendor, kDictText, "Vendor", "%-10s"),
};

constexpr FieldEntry kUserFields[] = {
    QXD(1, UserRecord, userId, kDictText, "User Id", "%-14s"),
    QXD(2, UserRecord, name, kDictText, "Name", "%-40s"),
};

// "TEMPCUST.DB", the finance charges' selection list: one line per
// chargeable invoice.
constexpr FieldEntry kFinanceChargeListFields[] = {
    QXD(1, FinanceChargeListLine, customerCode, kDictText, "Customer Code", "%-10s"),
    QXD(2, FinanceChargeListLine, invoiceNumber, kDictText, "Invoice Number", "%-10s"),
    QXD(3, FinanceChargeListLine, customerName, kDictText, "Customer Name", "%-40s"),
    QXD(4, FinanceChargeListLine, mark, kDictChar, "Mark", "%c"),
    QXD(5, FinanceChargeListLine, invoiceDate, kDictDate, "Invoice Date", "%-8s"),
    QXD(6, FinanceChargeListLine, dueDate, kDictDate, "Due Date", "%-8s"),
    QXD(7, FinanceChargeListLine, previousBalance, kDictAmount, "Previous Balance", "%12.2f"),
    QXD(8, FinanceChargeListLine, financeCharge, kDictAmount, "Finance Charge", "%12.2f"),
    QXD(9, FinanceChargeListLine, newBalance, kDictAmount, "New Balance", "%12.2f"),
};

#undef QXD
#undef QXD_SLOT
#undef QXD_AT
#undef QXD_CV

constexpr TableEntry kTables[] = {
    {"gl_accounts", kGLAccountFields},
    {"customers", kCustVendFields},
    {"products", kProductFields},
    {"services", kServiceFields},
    {"inventory_transactions", kInventoryTransactionFields},
    {"audit_log", kAuditLogFields},
    {"ap_open_invoices", kOpenInvoiceFields},
    {"ap_headers", kRecPayHeaderFields},
    {"billing_headers", kBiPoHeaderFields},
    {"assembly_headers", kAssemblyHeaderFields},
    {"cash_headers", kCashHeaderFields},
    {"salespersons", kSalespersonFields},
    {"master_items", kMasterItemFields},
    {"users", kUserFields},
    {"TEMPCSVD.DB", kSelectionFields},
    {"TEMPCUST.DB", kFinanceChargeListFields},
};

// Files read with the table of another file of the same layout.
constexpr struct {
  int file;
  int tableOf;
} kSharedLayouts[] = {
    {kFileVendors, kFileCustomers},
    {kFileReceivablesOpenInvoices, kFilePayablesOpenInvoices},
    {kFileReceivablesHeaders, kFilePayablesHeaders},
    {kFilePurchasingHeaders, kFileBillingHeaders},
    {kFileOrderHeaders, kFileBillingHeaders},
};

bool SameName(std::string_view a, std::string_view b) {
  while (!a.empty() && (a.back() == ' ' || a.back() == '\0')) a.remove_suffix(1);
  while (!b.empty() && (b.back() == ' ' || b.back() == '\0')) b.remove_suffix(1);
  return oem::CompareText(a, b) == 0 && a.size() == b.size();
}

}  // namespace

std::span<const TableEntry> FieldTables() { return kTables; }

const TableEntry* FindTable(std::string_view name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
  for (const TableEntry& t : kTables)
    if (SameName(t.name, name)) return &t;
  // A file whose layout another file's table describes ("vendors").
  if (const FileDef* f = FindFile(name)) {
    const char* shared = TableNameOfFile(f->number);
    if (*shared && !SameName(shared, name)) return FindTable(shared);
  }
  return nullptr;
}

const char* TableNameOfFile(int fileNo) {
  for (const auto& s : kSharedLayouts)
    if (s.file == fileNo) fileNo = s.tableOf;
  const FileDef* f = FindFile(fileNo);
  return f ? f->name : "";
}

const FieldEntry* FindField(const TableEntry& table, int number) {
  for (const FieldEntry& e : table.fields)
    if (e.number == number) return &e;
  return nullptr;
}

std::uint8_t KeyTypeOf(DictValueType type, std::uint16_t length) {
  switch (type) {
    case kDictDate:
    case kDictInt16:
    case kDictInt32: return kKeyTypeInteger;
    case kDictFloat:
    case kDictAmount:
    case kDictDouble: return kKeyTypeFloat;
    case kDictChar: return length == 1 ? kKeyTypeString : kKeyTypeUnsigned;
    case kDictText:
    default: return kKeyTypeString;
  }
}

void FillDefinition(const TableEntry& table, const FieldEntry& e, DictFieldDef* def) {
  std::memset(def, 0, sizeof *def);
  std::strncpy(def->tableName, table.name, sizeof def->tableName - 1);
  def->fieldNumber = static_cast<std::int16_t>(e.number);
  def->keyType = KeyTypeOf(e.type, e.length);
  def->flags = e.type == kDictText ? kDictNoCase : 0;
  def->decimals = e.type == kDictAmount ? 2 : e.type == kDictDouble ? 4 : 0;
  def->offset = static_cast<std::int16_t>(e.offset);
  def->length = static_cast<std::int16_t>(e.length);
  def->valueType = e.type;
  std::strncpy(def->caption, e.caption, sizeof def->caption - 1);
  std::strncpy(def->format, e.format, sizeof def->format - 1);
}

}  // namespace qxb
