// The data dictionary: one entry per record file of a company.
//
// The commands never state a key's segment types or whether it allows
// duplicates; each key below takes them from how the commands read it, and
// the comment beside it says why.  String segments of master codes are
// compared without case (kKeyFlagNoCase) where the commands look a code up as
// the user types it; the system's keys are otherwise compared as stored.
// Every identity key (one record per value) is unique and may not change on
// an update; every other key allows duplicates and may change.
#include "records/dictionary.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "btrvc.h"
#include "records/masters.h"
#include "records/report_mru.h"
#include "records/settings.h"
#include "records/support.h"
#include "records/transactions.h"

namespace records {
namespace {

// ---- Key building -------------------------------------------------------------

// Text compared as stored (trailing NULs equal blanks).
consteval KeySegment Str(std::uint16_t offset, std::uint16_t length) {
  return {offset, length, kKeyTypeString, false};
}
// A code the user types: compared without case.
consteval KeySegment Code(std::uint16_t offset, std::uint16_t length) {
  return {offset, length, kKeyTypeString, true};
}
// A signed little-endian number: dates (day numbers) and period keys.
consteval KeySegment Int(std::uint16_t offset, std::uint16_t length) {
  return {offset, length, kKeyTypeInteger, false};
}
consteval KeySegment Unsigned(std::uint16_t offset, std::uint16_t length) {
  return {offset, length, kKeyTypeUnsigned, false};
}

enum class KeyUse { kIdentity, kShared };

template <class... Segments>
consteval KeyDef Key(KeyUse use, Segments... segments) {
  static_assert(sizeof...(Segments) >= 1 && sizeof...(Segments) <= kMaxKeySegments);
  KeyDef key{static_cast<std::uint8_t>(sizeof...(Segments)), {segments...}, false, false};
  key.duplicates = key.modifiable = use == KeyUse::kShared;
  return key;
}
// An identity key: one record per value; an update may not change it.
template <class... Segments>
consteval KeyDef Unique(Segments... segments) {
  return Key(KeyUse::kIdentity, segments...);
}
// A key that several records may share and an update may change.
template <class... Segments>
consteval KeyDef Shared(Segments... segments) {
  return Key(KeyUse::kShared, segments...);
}
// Holds the number of a key that no command reads, so that the keys after it
// stand where the commands expect them: key 0's order, duplicates allowed.
consteval KeyDef Placeholder(const KeyDef& key0) {
  KeyDef key = key0;
  key.duplicates = key.modifiable = true;
  return key;
}

// ---- Keys of each file ------------------------------------------------------------

constexpr KeyDef kSettingsKeys[] = {
    Unique(Str(0, 15)),  // "0" and the name, blank-padded: read by get-equal
};

constexpr KeyDef kGLAccountKeys[] = {
    Unique(Code(0, 11)),  // the account code, looked up as typed (pick lists, range fields)
};

constexpr KeyDef kCustVendKeys[] = {
    Unique(Code(0, 11)),  // the customer or vendor code, looked up as typed
};

constexpr KeyDef kProductKey0 = Unique(Code(0, 15));  // the product number, looked up as typed
// The product reports select by these keys and test the records against the
// range without case, so the keys order them without case too.
constexpr KeyDef kProductKeys[] = {
    kProductKey0,
    Shared(Code(15, 31)),   // 1: description (products share descriptions)
    Placeholder(kProductKey0),
    Shared(Code(102, 11)),  // 3: vendor
    Shared(Code(85, 6)),    // 4: G/L department
    Placeholder(kProductKey0),
    Shared(Code(637, 4)),   // 6: warehouse code
};

constexpr KeyDef kServiceKeys[] = {
    Unique(Code(0, 15)),  // the service code, looked up as typed
};

constexpr KeyDef kShortCodeKeys[] = {
    Unique(Code(0, 6)),  // a 5-character code, looked up as typed
};

constexpr KeyDef kTermsKeys[] = {
    Unique(Code(0, 6)),  // the terms code that customers and vendors hold
};

constexpr KeyDef kOpenInvoiceKeys[] = {
    Shared(Code(0, 11), Str(11, 11)),           // 0: the lines of one invoice
    Shared(Code(0, 11), Str(11, 11), Str(22, 1)),  // 1: code, invoice, precedence; payments share one
    Shared(Code(0, 11), Int(46, 4)),            // 2: an account's lines by due date
    Shared(Int(42, 4)),                         // 3: the open item's number; new lines carry 0 until numbered
};

constexpr KeyDef kOpenInvoiceHeaderKeys[] = {
    Unique(Code(0, 11), Str(11, 11)),  // one header per invoice of an account
    Shared(Code(0, 11), Int(26, 4)),   // an account's invoices by due date
};

constexpr KeyDef kRecPayHeaderKey0 = Unique(Str(0, 11));  // the transaction number
constexpr KeyDef kRecPayHeaderKeys[] = {
    kRecPayHeaderKey0,  // the G/L summary and the on-line balance read a detail's header by it
    Placeholder(kRecPayHeaderKey0),
    Shared(Int(53, 4)),  // 2: the date (posting, end of period, purge)
    Shared(Int(73, 4)),  // 3: the period key ("Journal" mode)
};

constexpr KeyDef kRecPayDetailKeys[] = {
    Shared(Str(0, 7), Str(7, 11)),  // ledger code + transaction number: a transaction's lines together
    Shared(Str(20, 11)),            // 1: the account (G/L summary, on-line balance)
};

constexpr KeyDef kGLHeaderKeys[] = {
    Unique(Str(0, 7), Str(7, 11)),  // journal code + transaction number
    Shared(Int(18, 4)),             // 1: the date (posting, end of period, purge)
};

constexpr KeyDef kGLLineKeys[] = {
    Shared(Str(0, 7), Str(7, 11)),                  // a transaction's lines together
    Shared(Str(0, 7), Str(7, 11), Unsigned(18, 2)),  // 1: ... in the order postings number them
    Shared(Str(20, 11)),                            // 2: the account (on-line balance)
};

constexpr KeyDef kCashHeaderKey0 = Unique(Str(0, 18));  // the 18-byte transaction key
constexpr KeyDef kCashHeaderKeys[] = {
    kCashHeaderKey0,
    Placeholder(kCashHeaderKey0),
    Shared(Int(108, 4)),                  // 2: the date (end of period, purge)
    Shared(Str(18, 11)),                  // 3: the bank account (bank summary, checks to print)
    Shared(Str(101, 1), Str(18, 11)),     // 4: side letter, then bank (receipts and disbursements)
    Placeholder(kCashHeaderKey0),
    Placeholder(kCashHeaderKey0),
    Shared(Str(106, 1), Str(0, 18)),      // 7: posted flag first: read from 'N' (on-line balance)
    Placeholder(kCashHeaderKey0),
    Placeholder(kCashHeaderKey0),
    Placeholder(kCashHeaderKey0),
    Shared(Int(120, 4)),                  // 11: the period key ("Journal" mode)
};

constexpr KeyDef kCashLineKeys[] = {
    Shared(Str(0, 18)),   // the header's 18-byte key: a transaction's lines together
    Shared(Str(7, 11)),   // 1: the transaction number (on-line balance)
    Shared(Str(45, 11)),  // 2: the G/L account (the journal's G/L summary)
};

// Billing, purchasing and purchase-order headers.
constexpr KeyDef kBiPoHeaderKey0 = Unique(Str(0, 1), Str(1, 11), Int(12, 4));  // type, number, third part
constexpr KeyDef kBiPoHeaderKeys[] = {
    kBiPoHeaderKey0,
    Placeholder(kBiPoHeaderKey0),
    Shared(Int(397, 4)),  // 2: the date (posting, end of period, purge)
    // 3: the period key, then department and type: "Journal" mode prints by
    // department and type with subtotals.
    Shared(Int(393, 4), Str(111, 6), Str(0, 1), Str(1, 11)),
    Shared(Str(387, 1), Int(397, 4)),  // 4: posted flag first: the unposted scans read from 'N'
    Placeholder(kBiPoHeaderKey0),
    Shared(Str(111, 6), Str(0, 1), Str(1, 11)),  // 6: department and type ("Listing" mode)
    Placeholder(kBiPoHeaderKey0),
    Shared(Code(16, 11), Int(397, 4)),  // 8: customer then date (purchase history)
};

// Billing lines.  The item section sums lines by department, kind and item.
constexpr KeyDef kBiPoLineKey0 =
    Shared(Str(0, 1), Str(1, 11), Int(12, 4), Unsigned(16, 2));  // the header's 16 bytes, then sequence
constexpr KeyDef kBiPoLineByPeriod =
    Shared(Int(127, 4), Str(84, 6), Unsigned(18, 1), Code(28, 15));  // "Journal" mode item section
constexpr KeyDef kBiPoLineByItem = Shared(Str(84, 6), Unsigned(18, 1), Code(28, 15));  // "Listing" mode
constexpr KeyDef kBillingLineKeys[] = {
    kBiPoLineKey0, kBiPoLineByPeriod, Placeholder(kBiPoLineKey0), Placeholder(kBiPoLineKey0),
    Placeholder(kBiPoLineKey0),
    kBiPoLineByItem,  // 5: the billing journal's "Listing" mode
};
constexpr KeyDef kPurchasingLineKeys[] = {
    kBiPoLineKey0, kBiPoLineByPeriod, Placeholder(kBiPoLineKey0), Placeholder(kBiPoLineKey0),
    kBiPoLineByItem,      // 4: the purchasing journal's "Listing" mode
    Shared(Int(131, 4)),  // 5: the order line a receipt belongs to (purchase-order status)
};

constexpr KeyDef kAssemblyHeaderKey0 = Unique(Str(0, 11));  // the transaction number
constexpr KeyDef kAssemblyHeaderKeys[] = {
    kAssemblyHeaderKey0,
    Placeholder(kAssemblyHeaderKey0),
    Shared(Int(37, 4)),                // 2: the date (posting, end of period, purge)
    Shared(Int(45, 4)),                // 3: the period key ("Journal" mode)
    Shared(Str(49, 1), Int(37, 4)),    // 4: posted flag first: the unposted scan reads from 'N'
};

constexpr KeyDef kAssemblyComponentKeys[] = {
    Shared(Str(0, 11)),  // read from the transaction number onward while it matches
};

constexpr KeyDef kInventoryTransactionKeys[] = {
    Shared(Code(0, 15), Str(15, 11)),  // a product's records by transaction number
    Shared(Code(0, 15), Int(31, 4)),   // 1: a product's transactions in date order (activity detail)
    Shared(Str(173, 1), Int(31, 4)),   // 2: posted flag, date: posting reads from 'N' up to its date
    Shared(Str(15, 11)),               // 3: the transaction number (the journal's search list)
};

constexpr KeyDef kPhysicalCountKeys[] = {
    Unique(Code(0, 15)),  // one count per product
};

constexpr KeyDef kCheckRegisterKey0 = Shared(Str(0, 11), Str(11, 9));  // bank account, check number
constexpr KeyDef kCheckRegisterKeys[] = {
    kCheckRegisterKey0,
    Placeholder(kCheckRegisterKey0),
    Placeholder(kCheckRegisterKey0),
    Shared(Str(0, 11), Str(119, 1)),  // 3: account then state: an account's open entries
};

constexpr KeyDef kBackOrderKeys[] = {
    Shared(Code(67, 11)),  // the customer (back-order report by customer)
    Shared(Code(11, 15)),  // 1: the product (back-order report by product)
};

constexpr KeyDef kSalesHistoryKey0 = Shared(Str(0, 1), Str(1, 11), Unsigned(12, 2));
constexpr KeyDef kSalesHistoryKeys[] = {
    kSalesHistoryKey0,  // type, transaction number, line sequence
    Placeholder(kSalesHistoryKey0),
    Shared(Int(146, 4)),  // 2: the date (purge)
};

constexpr KeyDef kTranSequenceKeys[] = {
    Unique(Str(0, 7)),  // the journal code, blank-padded
};

constexpr KeyDef kBillOfMaterialsKeys[] = {
    Unique(Code(0, 15), Code(17, 15)),  // assembly then component: a product's entry by its code
    Shared(Code(17, 15), Code(0, 15)),  // 1: component then assembly (component report)
};

constexpr KeyDef kAlternateAddressKeys[] = {
    Shared(Code(0, 11)),  // the account's addresses follow each other
};

constexpr KeyDef kVendor1099Keys[] = {
    Unique(Code(0, 11), Int(11, 4)),  // vendor code and tax year
};

constexpr KeyDef kUserKeys[] = {
    Unique(Code(0, 15)),  // the user id, picked as typed
};

constexpr KeyDef kAuditLogKeys[] = {
    Unique(Int(0, 4)),              // the entry number
    Shared(Int(19, 4), Int(23, 4)),  // 1: date and time
};

constexpr KeyDef kBatch1099Keys[] = {
    Unique(Code(0, 12)),  // the batch name, typed by the user
};

constexpr KeyDef kMasterItemKeys[] = {
    Unique(Code(0, 11)),  // the master item code, picked as typed
};

constexpr KeyDef kMasterItemMemberKeys[] = {
    Unique(Code(0, 11), Code(11, 15)),  // master item, then its products
    Shared(Code(11, 15)),               // 1: the master item of a product
};

constexpr KeyDef kReportMruKeys[] = {
    // User, report key, field: one user's set for one report reads in field
    // order; user and key are compared without case as the user types them.
    Unique(Code(0, 32), Code(32, 32), Unsigned(64, 1)),
};

constexpr KeyDef kNoteKeys[] = {
    Unique(Code(0, 16)),  // the note's code
};

constexpr KeyDef kHistoryHeaderKeys[] = {
    Unique(Code(0, 11), Str(11, 11)),  // the account, then the document
    Shared(Int(37, 4)),                // 1: the date (purge)
};

constexpr KeyDef kHistoryDetailKeys[] = {
    Shared(Code(0, 11), Str(11, 11), Unsigned(22, 2)),  // a document's lines together, in line order
};

constexpr KeyDef kSerialNumberKey0 = Unique(Code(0, 15), Str(15, 21));  // the product, then the serial number
constexpr KeyDef kSerialNumberKeys[] = {
    kSerialNumberKey0,
    Placeholder(kSerialNumberKey0),
    Shared(Str(36, 1), Int(37, 4)),  // 2: in stock or not, then the date (purge)
};

constexpr KeyDef kSerialMovementKeys[] = {
    Shared(Code(0, 15), Str(15, 21), Int(36, 4)),  // a unit's movements in date order
};

constexpr KeyDef kUserDefinedDataKeys[] = {
    Unique(Code(0, 16), Unsigned(16, 2)),  // the master record's code, then the field: its data together
};

constexpr KeyDef kPromotionKeys[] = {
    Unique(Code(0, 11)),  // the promotion's code
};

constexpr KeyDef kPromotionEntryKeys[] = {
    Unique(Code(0, 11), Int(11, 2)),  // the promotion, then the entry: a promotion's entries together
};

constexpr KeyDef kQuoteLineKeys[] = {
    kBiPoLineKey0,  // the header's 16 bytes, then the sequence
};

constexpr KeyDef kAutoCompleteKeys[] = {
    Unique(Int(0, 2), Code(2, 41)),  // the field, then the text as typed
};

constexpr KeyDef kProductPictureKeys[] = {
    Unique(Code(0, 15)),  // the product number
};

template <class Record>
constexpr std::uint16_t LengthOf() {
  return static_cast<std::uint16_t>(sizeof(Record));
}

// ---- The table ----------------------------------------------------------------------
//
// Lengths are the records' stated lengths.  Where none is stated the length
// is what the known fields need (the stated records are not rounded either);
// the entry says so.  A file whose layout only the entry screens know yet
// (alternate addresses, message codes, users, master items, open-invoice
// headers, sequences) carries the fields the commands use and says so.

constexpr FileDef kFiles[] = {
    {kFileGLAccounts, "gl_accounts", LengthOf<GLAccount>(), false, kGLAccountKeys,
     &kGLAccountLayout, {}},
    {kFilePayablesOpenInvoices, "ap_open_invoices", LengthOf<TagOpenInvoice>(), false,
     kOpenInvoiceKeys, &kOpenInvoiceLayout, {}},
    {kFilePayablesDetails, "ap_details", LengthOf<RecPayDetail>(), false, kRecPayDetailKeys,
     &kRecPayDetailLayout, {}},
    // Length not stated: the fields end at 101.
    {kFilePayablesHeaders, "ap_headers", LengthOf<TagRecPayHeader>(), false, kRecPayHeaderKeys,
     &kRecPayHeaderLayout, {}},
    {kFileReceivablesOpenInvoices, "ar_open_invoices", LengthOf<TagOpenInvoice>(), false,
     kOpenInvoiceKeys, &kOpenInvoiceLayout, {}},
    {kFileReceivablesDetails, "ar_details", LengthOf<RecPayDetail>(), false, kRecPayDetailKeys,
     &kRecPayDetailLayout, {}},
    // Length not stated: the fields end at 101.
    {kFileReceivablesHeaders, "ar_headers", LengthOf<TagRecPayHeader>(), false, kRecPayHeaderKeys,
     &kRecPayHeaderLayout, {}},
    // Length not stated: the units required end at 40.
    {kFileBillsOfMaterials, "bills_of_materials", LengthOf<BillOfMaterials>(), false,
     kBillOfMaterialsKeys, &kBillOfMaterialsLayout, {}},
    {kFileNotes, "notes", LengthOf<NoteRecord>(), false, kNoteKeys, &kNoteLayout, {}},
    {kFileAssemblyComponents, "assembly_components", LengthOf<AssemblyComponent>(), false,
     kAssemblyComponentKeys, &kAssemblyComponentLayout, {}},
    // Length not stated: the assembly letter ends the fields at 70.
    {kFileAssemblyHeaders, "assembly_headers", LengthOf<AssemblyHeader>(), false,
     kAssemblyHeaderKeys, &kAssemblyHeaderLayout, {}},
    // Length not stated: the price ends the fields at 81.
    {kFileBillingCodes, "billing_codes", LengthOf<PricedCode>(), false, kShortCodeKeys,
     &kPricedCodeLayout, {}},
    {kFileBackOrders, "back_orders", LengthOf<BackOrder>(), false, kBackOrderKeys,
     &kBackOrderLayout, {}},
    {kFileCheckRegister, "check_register", LengthOf<TagCheckRegister>(), false, kCheckRegisterKeys,
     &kCheckRegisterLayout, {}},
    // Length not stated: the invoice amount ends the fields at 104.
    {kFileCashLines, "cash_lines", LengthOf<CashLine>(), false, kCashLineKeys, &kCashLineLayout, {}},
    {kFileCashHeaders, "cash_headers", LengthOf<CashHeader>(), false, kCashHeaderKeys,
     &kCashHeaderLayout, {}},
    {kFileCustomerHistoryDetails, "customer_history_details", LengthOf<HistoryDetail>(), false,
     kHistoryDetailKeys, &kHistoryDetailLayout, {}},
    {kFileCustomerHistory, "customer_history", LengthOf<HistoryHeader>(), false, kHistoryHeaderKeys,
     &kHistoryHeaderLayout, {}},
    // Layout of the entry screens: code, four address lines and three phones.
    {kFileCustomerAddresses, "customer_addresses", LengthOf<AlternateAddress>(), false,
     kAlternateAddressKeys, &kAlternateAddressLayout, {}},
    {kFileCustomers, "customers", LengthOf<CustVendRecord>(), false, kCustVendKeys,
     &kCustVendLayout, {}},
    // Layout of the base library: the journal code and the last number given out.
    {kFileTranSequences, "transaction_numbers", LengthOf<TranSequence>(), false, kTranSequenceKeys,
     &kTranSequenceLayout, {}},
    {kFileGLLines, "gl_lines", LengthOf<GLLine>(), false, kGLLineKeys, &kGLLineLayout, {}},
    {kFileGLHeaders, "gl_headers", LengthOf<TagGLHeader>(), false, kGLHeaderKeys,
     &kGLHeaderLayout, {}},
    // Variable length: each settings record has its own length; the longest is "0Company".
    {kFileSettings, "settings", LengthOf<CompanyRecord>(), true, kSettingsKeys, nullptr,
     kSettingsVariants},
    // Length not stated: the posted flag ends the fields at 261.
    {kFileBillingLines, "billing_lines", LengthOf<BiPoLine>(), false, kBillingLineKeys,
     &kBiPoLineLayout, {}},
    {kFileBillingHeaders, "billing_headers", LengthOf<TagBiPoHeader>(), false, kBiPoHeaderKeys,
     &kBiPoHeaderLayout, {}},
    // Layout of the entry screens: the code and its message text.
    {kFileMessageCodes, "message_codes", LengthOf<MessageCode>(), false, kShortCodeKeys,
     &kMessageCodeLayout, {}},
    // Length not stated: the counted quantity ends the fields at 24.
    {kFilePhysicalCounts, "physical_counts", LengthOf<PhysicalCount>(), false, kPhysicalCountKeys,
     &kPhysicalCountLayout, {}},
    // Length not stated: the price ends the fields at 81.
    {kFilePurchasingCodes, "purchasing_codes", LengthOf<PricedCode>(), false, kShortCodeKeys,
     &kPricedCodeLayout, {}},
    // Length not stated: the posted flag ends the fields at 261.
    {kFileOrderLines, "order_lines", LengthOf<BiPoLine>(), false, kPurchasingLineKeys,
     &kBiPoLineLayout, {}},
    {kFileOrderHeaders, "order_headers", LengthOf<TagBiPoHeader>(), false, kBiPoHeaderKeys,
     &kBiPoHeaderLayout, {}},
    // Length not stated: the posted flag ends the fields at 261.
    {kFilePurchasingLines, "purchasing_lines", LengthOf<BiPoLine>(), false, kPurchasingLineKeys,
     &kBiPoLineLayout, {}},
    {kFilePurchasingHeaders, "purchasing_headers", LengthOf<TagBiPoHeader>(), false,
     kBiPoHeaderKeys, &kBiPoHeaderLayout, {}},
    // Length not stated: the amount ends the fields at 87.
    {kFilePriceBreaks, "price_breaks", LengthOf<PriceBreak>(), false, kShortCodeKeys,
     &kPriceBreakLayout, {}},
    {kFileProducts, "products", LengthOf<TagProduct>(), false, kProductKeys, &kProductLayout, {}},
    {kFileServices, "services", LengthOf<ServiceRecord>(), false, kServiceKeys, &kServiceLayout, {}},
    {kFileSalesHistory, "sales_history", LengthOf<SalesHistory>(), false, kSalesHistoryKeys,
     &kSalesHistoryLayout, {}},
    {kFileSerialNumbers, "serial_numbers", LengthOf<SerialNumber>(), false, kSerialNumberKeys,
     &kSerialNumberLayout, {}},
    {kFileSerialMovements, "serial_movements", LengthOf<SerialMovement>(), false, kSerialMovementKeys,
     &kSerialMovementLayout, {}},
    {kFileSalespersons, "salespersons", LengthOf<Salesperson>(), false, kShortCodeKeys,
     &kSalespersonLayout, {}},
    // Length not stated: the due days end the fields at 34.
    {kFileTerms, "terms", LengthOf<TermsRecord>(), false, kTermsKeys, &kTermsLayout, {}},
    {kFileTaxCodes, "tax_codes", LengthOf<TaxCode>(), false, kShortCodeKeys, &kTaxCodeLayout, {}},
    {kFileVendorHistoryDetails, "vendor_history_details", LengthOf<HistoryDetail>(), false, kHistoryDetailKeys,
     &kHistoryDetailLayout, {}},
    {kFileVendorHistory, "vendor_history", LengthOf<HistoryHeader>(), false, kHistoryHeaderKeys,
     &kHistoryHeaderLayout, {}},
    // Layout of the entry screens: code, four address lines and three phones.
    {kFileVendorAddresses, "vendor_addresses", LengthOf<AlternateAddress>(), false,
     kAlternateAddressKeys, &kAlternateAddressLayout, {}},
    {kFileInventoryTransactions, "inventory_transactions", LengthOf<InventoryTransaction>(), false,
     kInventoryTransactionKeys, &kInventoryTransactionLayout, {}},
    {kFileVendor1099Amounts, "vendor_1099_amounts", LengthOf<Vendor1099AmountRecord>(), false,
     kVendor1099Keys, &kVendor1099Layout, {}},
    // Layout of the base library: the user id and name.
    {kFileUsers, "users", LengthOf<UserRecord>(), false, kUserKeys, &kUserLayout, {}},
    {kFileVendors, "vendors", LengthOf<CustVendRecord>(), false, kCustVendKeys, &kCustVendLayout, {}},
    {kFileCustomerUserData, "customer_user_data", LengthOf<UserDefinedData>(), false, kUserDefinedDataKeys,
     &kUserDefinedDataLayout, {}},
    {kFileVendorUserData, "vendor_user_data", LengthOf<UserDefinedData>(), false, kUserDefinedDataKeys,
     &kUserDefinedDataLayout, {}},
    {kFileProductUserData, "product_user_data", LengthOf<UserDefinedData>(), false, kUserDefinedDataKeys,
     &kUserDefinedDataLayout, {}},
    {kFileServiceUserData, "service_user_data", LengthOf<UserDefinedData>(), false, kUserDefinedDataKeys,
     &kUserDefinedDataLayout, {}},
    // Layout of the base library: one header per open invoice, kept in step with its lines.
    {kFilePayablesOpenInvoiceHeaders, "ap_open_invoice_headers", LengthOf<OpenInvoiceHeader>(),
     false, kOpenInvoiceHeaderKeys, &kOpenInvoiceHeaderLayout, {}},
    {kFileReceivablesOpenInvoiceHeaders, "ar_open_invoice_headers", LengthOf<OpenInvoiceHeader>(),
     false, kOpenInvoiceHeaderKeys, &kOpenInvoiceHeaderLayout, {}},
    // Length not stated: the reference ends the fields at 86.
    {kFileAuditLog, "audit_log", LengthOf<AuditLogEntry>(), false, kAuditLogKeys, &kAuditLogLayout,
     {}},
    {kFilePromotions, "promotions", LengthOf<Promotion>(), false, kPromotionKeys, &kPromotionLayout, {}},
    {kFilePromotionDetails, "promotion_details", LengthOf<PromotionDetail>(), false, kPromotionEntryKeys,
     &kPromotionDetailLayout, {}},
    {kFilePromotionCustomers, "promotion_customers", LengthOf<PromotionCustomer>(), false, kPromotionEntryKeys,
     &kPromotionCustomerLayout, {}},
    // Quotes keep the layouts of billing transactions.
    {kFileQuoteHeaders, "quote_headers", LengthOf<TagBiPoHeader>(), false, kBiPoHeaderKeys, &kBiPoHeaderLayout,
     {}},
    {kFileQuoteLines, "quote_lines", LengthOf<BiPoLine>(), false, kQuoteLineKeys, &kBiPoLineLayout, {}},
    {kFile1099Batches, "form_1099_batches", LengthOf<TagBatchForm1099>(), false, kBatch1099Keys,
     &kBatch1099Layout, {}},
    // Layout of the base library: a master item and one of its products.
    {kFileMasterItemMembers, "master_item_members", LengthOf<MasterItemMember>(), false,
     kMasterItemMemberKeys, &kMasterItemMemberLayout, {}},
    // Length not stated: the description ended the fields at 42; the bin,
    // department and vendor the warehouse reports select by follow it.
    {kFileMasterItems, "master_items", LengthOf<TagMasterItem>(), false, kMasterItemKeys,
     &kMasterItemLayout, {}},
    // Layout of the base library: one remembered value of a report's selection screen.
    {kFileReportMru, "report_mru", LengthOf<ReportMruRecord>(), false, kReportMruKeys,
     &kReportMruLayout, {}},
    {kFileAutoComplete, "autocomplete", LengthOf<AutoCompleteEntry>(), false, kAutoCompleteKeys,
     &kAutoCompleteLayout, {}},
    {kFileProductPictures, "product_pictures", LengthOf<ProductPicture>(), false, kProductPictureKeys,
     &kProductPictureLayout, {}},
};

constexpr std::size_t kPageSize = 4096;

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
           return up(x) == up(y);
         });
}

std::string_view TrimKey(std::string_view key) {
  while (!key.empty() && (key.back() == ' ' || key.back() == '\0')) key.remove_suffix(1);
  return key;
}

void Put16(std::uint8_t* p, unsigned v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

std::span<const FileDef> AllFiles() { return kFiles; }

const FileDef* FindFile(int number) {
  // Looked up for every record read: a table by number, made once.
  static const auto byNumber = [] {
    std::array<const FileDef*, 256> table{};
    for (const FileDef& f : kFiles)
      if (f.number >= 0 && f.number < static_cast<int>(table.size()) && !table[static_cast<std::size_t>(f.number)])
        table[static_cast<std::size_t>(f.number)] = &f;
    return table;
  }();
  if (number >= 0 && number < static_cast<int>(byNumber.size())) return byNumber[static_cast<std::size_t>(number)];
  for (const FileDef& f : kFiles) {
    if (f.number == number) return &f;
  }
  return nullptr;
}

const FileDef* FindFile(std::string_view name) {
  for (const FileDef& f : kFiles) {
    if (EqualNoCase(f.name, name)) return &f;
  }
  return nullptr;
}

const Layout* VariantLayout(const FileDef& file, std::string_view key) {
  key = TrimKey(key);
  for (const RecordVariant& v : file.variants) {
    if (key == v.key) return v.layout;
  }
  return nullptr;
}

const Layout* LayoutOf(const FileDef& file, std::span<const std::uint8_t> image) {
  if (!file.variableLength) return file.layout;
  const std::size_t n = std::min<std::size_t>(image.size(), sizeof(SettingsHeader::key));
  return VariantLayout(file, std::string_view(reinterpret_cast<const char*>(image.data()), n));
}

std::vector<std::uint8_t> CreateSpecification(const FileDef& file) {
  std::size_t segments = 0;
  for (const KeyDef& k : file.keys) segments += k.segmentCount;
  std::vector<std::uint8_t> spec(kFileSpecSize + segments * kKeySegmentSize, 0);
  Put16(&spec[0], file.recordLength);
  Put16(&spec[2], kPageSize);
  spec[4] = static_cast<std::uint8_t>(file.keys.size());
  spec[5] = kFormatVersionCurrent;
  Put16(&spec[10], file.variableLength ? kFileFlagVariableLength : 0);
  std::uint8_t* p = spec.data() + kFileSpecSize;
  for (const KeyDef& key : file.keys) {
    for (std::size_t i = 0; i < key.segmentCount; ++i, p += kKeySegmentSize) {
      const KeySegment& s = key.segments[i];
      unsigned flags = kKeyFlagExtendedType;
      if (key.duplicates) flags |= kKeyFlagDuplicates;
      if (key.modifiable) flags |= kKeyFlagModifiable;
      if (s.noCase) flags |= kKeyFlagNoCase;
      if (i + 1 < key.segmentCount) flags |= kKeyFlagSegmented;
      Put16(p + 0, s.offset + 1u);  // the record manager counts positions from 1
      Put16(p + 2, s.length);
      Put16(p + 4, flags);
      p[10] = s.type;
    }
  }
  return spec;
}

bool DictionaryIsConsistent() {
  std::set<int> numbers;
  std::set<std::string> names;
  for (const FileDef& f : kFiles) {
    std::string lower(f.name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!numbers.insert(f.number).second || !names.insert(lower).second) return false;
    if (f.keys.empty() || f.keys.size() > 24) return false;
    if (f.variableLength != (f.layout == nullptr)) return false;
    if (f.layout && (f.layout->size != f.recordLength || !ValidLayout(*f.layout))) return false;
    for (const RecordVariant& v : f.variants) {
      if (v.layout->size > f.recordLength || !ValidLayout(*v.layout)) return false;
    }
    for (const KeyDef& k : f.keys) {
      if (k.segmentCount == 0 || k.Length() > 255) return false;
      for (const KeySegment& s : k.Segments()) {
        // Variable-length records are keyed within the shortest record's header.
        const std::size_t limit = f.variableLength ? sizeof(SettingsHeader) : f.recordLength;
        if (s.length == 0 || std::size_t{s.offset} + s.length > limit) return false;
        if (s.noCase && s.type != kKeyTypeString) return false;
        const bool sized = s.length == 1 || s.length == 2 || s.length == 4 || s.length == 8;
        if ((s.type == kKeyTypeInteger || s.type == kKeyTypeUnsigned) && !sized) return false;
      }
    }
  }
  return true;
}

}  // namespace records
