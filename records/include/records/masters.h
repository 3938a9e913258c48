// The master records of the company: G/L accounts, customers and vendors,
// products, services, priced codes, tax codes, open-invoice lines, the
// smaller code files that the commands look codes up in, the records that
// belong to a master record (notes, user-defined data, pictures) and the
// promotions.
//
// Each struct is the record's byte image as stored: little-endian, exactly
// the record's length, numbers as Unaligned<T> (records/unaligned.h).  Texts
// are code page 437; a code of "up to n characters" is stored NUL-ended in
// n + 1 bytes; dates are int32 day numbers; money and quantities are doubles
// unless a field says otherwise.  Bytes that no field names (QX_UNNAMED)
// belong to the entry screens and the base library: a command reads a record
// whole, changes the fields it names and writes the whole record back, so
// they are carried through unchanged.
//
// Statistics groups are five numbers of one type, slots 0-4: 0 the year
// before last, 1 last year, 2 the current year, 3 the forecast, 4 the slot
// posting updates in place of slot 2 while the fiscal year flag is set
// (FiscalPeriodInfo::StatisticsSlot).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/field.h"
#include "records/record_image.h"

namespace records {

inline constexpr int kStatisticsSlots = 5;
inline constexpr int kStatisticsForecastSlot = 3;

// G/L account (file 1).  Key 0 is the account code.
struct GLAccount {
  char code[11];
  char parentCode[11];  // the account tree
  char name[41];
  QX_UNNAMED(63, 12);
  char level;           // '1' = top of the account tree
  QX_UNNAMED(76, 1);
  std::uint8_t kind;    // 1, 5, 7 debit-balance kinds; 3 closing account; 4, 5 income statement
  char type;            // 'D' detail, 'G' summary
  char activeFlag;      // 'N' = the account may not be used
  QX_UNNAMED(80, 8);
  F64 beginningBalance;
  F64 currentBalance;
  F64 lastYearBeginningBalance;
  F64 lastYearEndingBalance;
  F64 lastYearFirstAmount;   // last year's value of firstAmount
  F64 lastYearSecondAmount;  // last year's value of secondAmount
  F64 firstAmount;
  F64 secondAmount;
  F64 periodAmounts[26];     // by period entry: 0-12 this year, 13-25 next year
  F64 lastYearPeriodAmounts[13];
  F64 budget[13];            // periods 1-13 of this year
  QX_UNNAMED(568, 1);

  bool IsDebitBalanceKind() const { return kind == 1 || kind == 5 || kind == 7; }
  bool IsDetail() const { return type == 'D'; }
  bool IsSummary() const { return type == 'G'; }
  bool MayBeUsed() const { return activeFlag != 'N'; }
};

// Customer (file 22) and vendor (file 66): one layout.  Key 0 is the code.
struct CustVendRecord {
  char code[11];
  char termsCode[6];
  // The tax code (file 58) and message code (file 35) the account is
  // billed with: places of ours.
  char taxCode[6];
  char messageCode[6];
  QX_UNNAMED(29, 11);
  char department[6];   // customers: department; also the G/L account segment (5 characters)
  char salesperson[6];  // customers
  char territory[6];    // vendors
  char vendorType[6];   // vendors
  char billingGroup[6];
  char idNumber[15];    // vendors: identification number printed on the 1099 forms
  QX_UNNAMED(85, 16);
  char noteFile[17];    // name of the record's note file in the company folder
  char accountType;     // 'O' open item (anything but 'B' and 'C'), 'B' balance forward, 'C' cash
  QX_UNNAMED(119, 1);
  char form1099;        // vendors: 'Y' = a 1099 vendor
  QX_UNNAMED(121, 1);
  F32 financeChargeRate;  // customers: percent per 30 days
  I32 lastInvoiceDate;  // last activity: sales for customers, purchases for vendors
  I32 lastPaymentDate;
  F64 creditLimit;
  F64 periodStartBalance;
  F64 periodDebits;   // a customer's charges; a vendor's payments and returns
  F64 periodCredits;  // a customer's payments and returns; a vendor's purchases
  F64 balance;
  F64 lastInvoiceAmount;
  F64 lastPaymentAmount;
  I32 invoiceCounts[5];  // statistics: number of invoices ('I' transactions)
  I32 otherCounts[5];    // statistics: number of other transactions
  F64 grossAmounts[5];         // statistics: gross (invoice) amounts
  F64 costOfGoods[5];          // statistics: cost of goods
  F64 payments[5];             // statistics: payments
  char name[41];                  // first line of the address block
  char addressLines[3][41];       // the address block's lines 2-4
  QX_UNNAMED(514, 61);
  char zipCode[11];
  char phone1[16];
  char phone2[16];
  char fax[16];
  QX_UNNAMED(634, 41);
  char contact[32];    // the person to ask for, printed under the address
  char glAccount[11];  // the customer's receivables or the vendor's payables account
  QX_UNNAMED(718, 69);
  F64 minimumFinanceCharge;  // customers

  bool IsBalanceForward() const { return accountType == 'B'; }
  bool IsCash() const { return accountType == 'C'; }
  bool IsOpenItem() const { return !IsBalanceForward() && !IsCash(); }
  // The 6-character G/L account segment, blank-padded in memory.
  std::array<char, 6> AccountSegment() const { return BlankPadded(department); }
};

// Product (file 43, `TagProduct`).  Key 0 is the product number.
struct TagProduct {
  char number[15];
  char description[31];
  QX_UNNAMED(46, 12);
  char bin[9];
  char unitOfMeasure[9];   // the buying measure: the unit the purchase-unit factor counts in
  char sellingMeasure[9];  // the unit the sales-unit factor counts in
  char department[6];  // G/L department: the 6-character account segment, the adjustment account suffix
  QX_UNNAMED(91, 11);
  char vendor[11];
  char vendorPartNumber[15];  // the vendor's own number for the product
  // The price-break tables (file 42) of price levels A to F: a table code each.
  char priceTableA[6];
  char priceTableB[6];
  char priceTableC[6];
  char priceTableD[6];
  char priceTableE[6];
  char priceTableF[6];
  char taxCode;            // the sales-tax code letter; 0 or blank = none
  F64 quantityOnOrder;     // ordered from the vendor and not yet received, in stock units
  QX_UNNAMED(173, 73);
  char noteFile[16];
  char assemblyFlag;   // 'Y' = an assembly (the purge keeps it)
  // Places of ours: 'Y' or 'N' (commission is paid on its sales; each unit
  // carries a serial number), and what a sale recalls it by: 'Y' our own
  // number, 'V' the vendor's, 'B' both.
  char commissionable;
  char serialized;
  char recallBy;
  QX_UNNAMED(266, 2);
  std::uint8_t productType;  // 1 and 3 carry stock; 2 = non-inventory product
  QX_UNNAMED(269, 1);
  I16 purchaseUnitFactor;  // the unit divisor: stock units per purchase unit
  I16 salesUnitFactor;     // stock units per sales unit
  U32 minimumQuantity;     // whole sales units: below it the product is reordered
  U32 reorderQuantity;     // whole purchase units to order
  I32 lastSaleDate;
  I32 lastPurchaseDate;    // the date of the last cost
  F64 sellingPrice;
  QX_UNNAMED(298, 8);
  F64 lastCost;       // per divisor units, like every cost of the record; the purchase price
  F64 standardCost;
  F64 averageCost;
  F64 valueOnHand;
  F64 quantityOnHand;        // perpetual, in stock units
  F64 secondQuantityOnHand;  // the committed quantity of the warehouse reports
  F64 purgeHold;             // the purge keeps a product while it is not zero
  F64 quantityAvailable;
  F64 purchaseUnits[5];      // statistics, in stock units
  F64 salesUnits[5];
  F64 purchaseDollars[5];
  F64 salesDollars[5];
  F64 costOfSales[5];
  F64 grossProfit[5];
  F64 purgedQuantity;  // total quantity of purged history records
  F64 purgedAmount;    // total amount of purged history records
  QX_UNNAMED(626, 11);
  char warehouse[4];
  QX_UNNAMED(641, 27);

  static constexpr std::uint8_t kNonInventory = 2;
  // Types 1 and 3 keep a quantity and a value on hand; every other type
  // (2, a non-inventory product) keeps none.  The one rule of every
  // posting: a product that carries no stock never moves its stock and never
  // touches the inventory account, and the inventory account equals the
  // value on hand of the products that do.
  bool CarriesStock() const { return productType == 1 || productType == 3; }
  std::array<char, 6> AccountSegment() const { return BlankPadded(department); }
  // The cost that the costing letter (the system's code 8) chooses: 'L' last,
  // 'S' standard, anything else average.
  double CostByMethod(char costing) const {
    return costing == 'L' ? lastCost : costing == 'S' ? standardCost : averageCost;
  }
};

// Service (file 52).  Key 0 is the service code.
struct ServiceRecord {
  char code[15];
  char description[31];
  char department[6];  // the 6-character account segment (5 characters)
  char unitOfMeasure[9];
  QX_UNNAMED(61, 12);
  char noteFile[16];
  QX_UNNAMED(89, 4);
  I16 unitFactor;
  I32 lastSaleDate;
  F64 price;           // the selling price per unit of measure
  QX_UNNAMED(107, 8);
  F64 salesDollars[5];
  F64 salesUnits[5];
  QX_UNNAMED(195, 1);

  std::array<char, 6> AccountSegment() const { return BlankPadded(department); }
};

// Priced code of kind-4 transaction lines (file 12 billing, 37 purchasing).
// Key 0 is the 5-character code.
struct PricedCode {
  char code[6];
  char description[41];
  char glAccount[11];
  QX_UNNAMED(58, 15);
  F64 price;
};

// A tax account of a tax code, with its rate in percent.
struct TaxAccount {
  char account[11];
  F32 rate;
};

// Tax code (file 58).  Key 0 is the tax code.  The period arrays are indexed
// by period entry like PeriodsRecord::entries (0-12 this year, 13-25 next).
struct TaxCode {
  char code[6];
  QX_UNNAMED(6, 13);
  F32 billingRate;     // total rate, percent
  F32 purchasingRate;  // total rate, percent
  TaxAccount billingAccounts[8];
  TaxAccount purchasingAccount;
  F64 billingTaxable[26];
  F64 purchasingTaxable[26];
  F64 billingTax[26];
  F64 purchasingTax[26];
  QX_UNNAMED(994, 1);
};

// Open-invoice line (`TagOpenInvoice`, file 5 receivables, file 2 payables).
// The lines of one invoice share the customer or vendor code and the invoice
// number; key 1 is bytes 0-22 (code, invoice number, precedence).
struct TagOpenInvoice {
  char code[11];
  char invoiceNumber[11];
  char precedence;       // third key part: '1' first, '5' the highest used
  QX_UNNAMED(23, 5);
  char reference[11];    // "BALFORWARD" on a balance-forward line
  char lineType;         // 'I' invoice, 'C' credit, 'D' debit, 'P' payment, 'F' finance charge
  char status;           // 'P', 'F'
  char precedenceCode;   // '1' on a balance-forward line, '5' on a finance-charge line
  I32 itemNumber;  // the open item's number; kept when a line is rewritten
  I32 dueDate;
  I32 secondDate;
  I32 invoiceDate;  // every period test uses this date
  QX_UNNAMED(58, 12);
  F64 costOfGoods;    // written by billing posting on the first linked invoice
  F64 amount;
  F64 secondAmount;
  F64 discount;       // taken on payments
  I32 orderNumber;       // the order-entry order the line came from; 0 none
  // The entry the line was made by: its transaction or document number, the
  // ledger it was entered in ('A' receivables/payables, 'C' cash, 'I' and
  // 'O' billing/purchasing, 'S' general ledger; the period end writes 'B' on
  // a balance-forward line, finance charges 'F') and its record number.  The
  // reference and the record number are zero on lines of the period end and
  // finance charges.
  char sourceReference[11];
  char origin;
  I32 recordNumber;
  char precedenceByte;

  static constexpr std::string_view kBalanceForward = "BALFORWARD";
};

// Open-invoice header (file 72 receivables, 71 payables): one per open
// invoice, kept in step with its lines by the base library.
struct OpenInvoiceHeader {
  char code[11];
  char invoiceNumber[11];
  I32 invoiceDate;
  I32 dueDate;
  F64 amount;   // the invoice's original amount
  F64 balance;  // what is still open
};

// Salesperson (file 56).  Key 0 is the code.
struct Salesperson {
  char code[6];
  char name[41];
  // Places of ours: the commission rate (percent) and a fixed commission
  // amount.
  F32 rate;
  F64 amount;
  QX_UNNAMED(59, 56);
  F64 lastYearSales[13];
  F64 sales[13];
  F64 lastYearCommissions[13];
  F64 commissions[13];
  QX_UNNAMED(531, 41);
};

// Terms code (file 57).  Key 0 is the code that customers and vendors hold
// after their own code.
struct TermsRecord {
  char code[6];
  QX_UNNAMED(6, 18);
  char type;            // 'D': a day count of 99 means the last day
  QX_UNNAMED(25, 1);
  char termsText[4];
  I16 discountDays;
  I16 dueDays;
};

// Bill of materials (file 8): one record per assembly and component pair.
struct BillOfMaterials {
  char assemblyNumber[15];
  QX_UNNAMED(15, 2);
  char componentNumber[15];
  F64 unitsRequired;
};

// One break level of a price-break table.
struct PriceBreakLevel {
  U32 limit;  // quantity limit
  F32 percent;
};

// Price-break table (file 42).  Key 0 is the table code.
struct PriceBreak {
  char tableCode[6];
  char description[31];
  char rounding;  // '$' dollar, 'D' dime, 'N' nickel, 'P' penny, else none
  PriceBreakLevel levels[5];
  char type;      // 'Q' quantity, 'D' dollar, 'P' percent, 'F' flat
  F64 amount;  // dollar, percent and flat tables
};

// Master item (file 86, `TagMasterItem`): groups the products kept per
// warehouse (its sub-items, file 85).  The bin, G/L department and vendor
// after the description are places of ours: the warehouse reports select
// and sort master items by them.
struct TagMasterItem {
  char code[11];
  char description[31];
  char bin[9];
  char department[6];
  char vendor[11];
};

// A product of a master item (file 85).
struct MasterItemMember {
  char masterItem[11];
  char productNumber[15];
};

// Alternate address of a customer (file 21) or vendor (file 61).
struct AlternateAddress {
  char code[11];
  char addressLines[4][41];
  char phones[3][16];
};

// Message code (file 35), named by customers and vendors.
struct MessageCode {
  char code[6];
  char text[41];
};

// Note (file 9): a note of the company's own, with the name of its note file
// in the company folder.  Key 0 is the code.
struct NoteRecord {
  char code[16];
  char description[41];
  QX_UNNAMED(57, 32);
  char noteFile[16];
};

// User-defined data of a master record (file 67 customers, 68 vendors, 69
// products, 70 services): one record per user field the record has a value
// for, found by the master record's code.  Key 0 is the code and the field.
struct UserDefinedData {
  char code[16];   // the master record's code: 10 characters for accounts, 14 for products and services
  U16 fieldNumber;
  char value[61];
};

// The picture of a product (file 105, a file of ours): the name of its
// picture file.  Key 0 is the product number.
struct ProductPicture {
  char productNumber[15];
  char pictureFile[81];
};

// Promotion (file 77): special prices of products in a window of dates.
// Key 0 is the code.
struct Promotion {
  char code[11];
  I32 startDate;
  I32 endDate;
  char description[41];
  QX_UNNAMED(60, 26);
  char purgeMark;  // 'Y' once the purge has taken its details and customers
};

// A product of a promotion (file 78), with its own dates.  Key 0 is the
// promotion's code and the detail's number.
struct PromotionDetail {
  char code[11];
  I16 number;
  char productCode[15];
  I32 firstDate;
  I32 lastDate;
  F64 price;
};

// A customer a promotion is for (file 79).  Key 0 is the promotion's code
// and the entry's number.
struct PromotionCustomer {
  char code[11];
  I16 number;
  char customerCode[11];
};

static_assert(sizeof(GLAccount) == 569);
static_assert(sizeof(CustVendRecord) == 795);
static_assert(sizeof(TagProduct) == 668);
static_assert(sizeof(ServiceRecord) == 196);
static_assert(sizeof(PricedCode) == 81);
static_assert(sizeof(TaxAccount) == 15);
static_assert(sizeof(TaxCode) == 995);
static_assert(sizeof(TagOpenInvoice) == 123);
static_assert(sizeof(OpenInvoiceHeader) == 46);
static_assert(sizeof(Salesperson) == 572);
static_assert(sizeof(TermsRecord) == 34);
static_assert(sizeof(BillOfMaterials) == 40);
static_assert(sizeof(PriceBreakLevel) == 8);
static_assert(sizeof(PriceBreak) == 87);
static_assert(sizeof(TagMasterItem) == 68);
static_assert(sizeof(MasterItemMember) == 26);
static_assert(sizeof(AlternateAddress) == 223);
static_assert(sizeof(MessageCode) == 47);
static_assert(sizeof(NoteRecord) == 105);
static_assert(sizeof(UserDefinedData) == 79);
static_assert(sizeof(ProductPicture) == 96);
static_assert(sizeof(Promotion) == 87);
static_assert(sizeof(PromotionDetail) == 44);
static_assert(sizeof(PromotionCustomer) == 24);

// ---- Field tables ---------------------------------------------------------

inline constexpr FieldDef kGLAccountFields[] = {
    QX_TEXT(GLAccount, code, 0),
    QX_TEXT(GLAccount, parentCode, 11),
    QX_TEXT(GLAccount, name, 22),
    QX_CHAR(GLAccount, level, 75),
    QX_NUMBER(GLAccount, kind, 77),
    QX_CHAR(GLAccount, type, 78),
    QX_CHAR(GLAccount, activeFlag, 79),
    QX_NUMBER(GLAccount, beginningBalance, 88),
    QX_NUMBER(GLAccount, currentBalance, 96),
    QX_NUMBER(GLAccount, lastYearBeginningBalance, 104),
    QX_NUMBER(GLAccount, lastYearEndingBalance, 112),
    QX_NUMBER(GLAccount, lastYearFirstAmount, 120),
    QX_NUMBER(GLAccount, lastYearSecondAmount, 128),
    QX_NUMBER(GLAccount, firstAmount, 136),
    QX_NUMBER(GLAccount, secondAmount, 144),
    QX_NUMBER(GLAccount, periodAmounts, 152),
    QX_NUMBER(GLAccount, lastYearPeriodAmounts, 360),
    QX_NUMBER(GLAccount, budget, 464),
};
inline constexpr Layout kGLAccountLayout{"GLAccount", sizeof(GLAccount), kGLAccountFields};

inline constexpr FieldDef kCustVendFields[] = {
    QX_TEXT(CustVendRecord, code, 0),
    QX_TEXT(CustVendRecord, termsCode, 11),
    QX_TEXT(CustVendRecord, taxCode, 17),
    QX_TEXT(CustVendRecord, messageCode, 23),
    QX_TEXT(CustVendRecord, department, 40),
    QX_TEXT(CustVendRecord, salesperson, 46),
    QX_TEXT(CustVendRecord, territory, 52),
    QX_TEXT(CustVendRecord, vendorType, 58),
    QX_TEXT(CustVendRecord, billingGroup, 64),
    QX_TEXT(CustVendRecord, idNumber, 70),
    QX_TEXT(CustVendRecord, noteFile, 101),
    QX_CHAR(CustVendRecord, accountType, 118),
    QX_CHAR(CustVendRecord, form1099, 120),
    QX_NUMBER(CustVendRecord, financeChargeRate, 122),
    QX_DATE(CustVendRecord, lastInvoiceDate, 126),
    QX_DATE(CustVendRecord, lastPaymentDate, 130),
    QX_NUMBER(CustVendRecord, creditLimit, 134),
    QX_NUMBER(CustVendRecord, periodStartBalance, 142),
    QX_NUMBER(CustVendRecord, periodDebits, 150),
    QX_NUMBER(CustVendRecord, periodCredits, 158),
    QX_NUMBER(CustVendRecord, balance, 166),
    QX_NUMBER(CustVendRecord, lastInvoiceAmount, 174),
    QX_NUMBER(CustVendRecord, lastPaymentAmount, 182),
    QX_NUMBER(CustVendRecord, invoiceCounts, 190),
    QX_NUMBER(CustVendRecord, otherCounts, 210),
    QX_NUMBER(CustVendRecord, grossAmounts, 230),
    QX_NUMBER(CustVendRecord, costOfGoods, 270),
    QX_NUMBER(CustVendRecord, payments, 310),
    QX_TEXT(CustVendRecord, name, 350),
    QX_TEXT(CustVendRecord, addressLines, 391),
    QX_TEXT(CustVendRecord, zipCode, 575),
    QX_TEXT(CustVendRecord, phone1, 586),
    QX_TEXT(CustVendRecord, phone2, 602),
    QX_TEXT(CustVendRecord, fax, 618),
    QX_TEXT(CustVendRecord, contact, 675),
    QX_TEXT(CustVendRecord, glAccount, 707),
    QX_NUMBER(CustVendRecord, minimumFinanceCharge, 787),
};
inline constexpr Layout kCustVendLayout{"CustVendRecord", sizeof(CustVendRecord), kCustVendFields};

inline constexpr FieldDef kProductFields[] = {
    QX_TEXT(TagProduct, number, 0),
    QX_TEXT(TagProduct, description, 15),
    QX_TEXT(TagProduct, bin, 58),
    QX_TEXT(TagProduct, unitOfMeasure, 67),
    QX_TEXT(TagProduct, sellingMeasure, 76),
    QX_TEXT(TagProduct, department, 85),
    QX_TEXT(TagProduct, vendor, 102),
    QX_TEXT(TagProduct, vendorPartNumber, 113),
    QX_TEXT(TagProduct, priceTableA, 128),
    QX_TEXT(TagProduct, priceTableB, 134),
    QX_TEXT(TagProduct, priceTableC, 140),
    QX_TEXT(TagProduct, priceTableD, 146),
    QX_TEXT(TagProduct, priceTableE, 152),
    QX_TEXT(TagProduct, priceTableF, 158),
    QX_CHAR(TagProduct, taxCode, 164),
    QX_NUMBER(TagProduct, quantityOnOrder, 165),
    QX_TEXT(TagProduct, noteFile, 246),
    QX_CHAR(TagProduct, assemblyFlag, 262),
    QX_CHAR(TagProduct, commissionable, 263),
    QX_CHAR(TagProduct, serialized, 264),
    QX_CHAR(TagProduct, recallBy, 265),
    QX_NUMBER(TagProduct, productType, 268),
    QX_NUMBER(TagProduct, purchaseUnitFactor, 270),
    QX_NUMBER(TagProduct, salesUnitFactor, 272),
    QX_NUMBER(TagProduct, minimumQuantity, 274),
    QX_NUMBER(TagProduct, reorderQuantity, 278),
    QX_DATE(TagProduct, lastSaleDate, 282),
    QX_DATE(TagProduct, lastPurchaseDate, 286),
    QX_NUMBER(TagProduct, sellingPrice, 290),
    QX_NUMBER(TagProduct, lastCost, 306),
    QX_NUMBER(TagProduct, standardCost, 314),
    QX_NUMBER(TagProduct, averageCost, 322),
    QX_NUMBER(TagProduct, valueOnHand, 330),
    QX_NUMBER(TagProduct, quantityOnHand, 338),
    QX_NUMBER(TagProduct, secondQuantityOnHand, 346),
    QX_NUMBER(TagProduct, purgeHold, 354),
    QX_NUMBER(TagProduct, quantityAvailable, 362),
    QX_NUMBER(TagProduct, purchaseUnits, 370),
    QX_NUMBER(TagProduct, salesUnits, 410),
    QX_NUMBER(TagProduct, purchaseDollars, 450),
    QX_NUMBER(TagProduct, salesDollars, 490),
    QX_NUMBER(TagProduct, costOfSales, 530),
    QX_NUMBER(TagProduct, grossProfit, 570),
    QX_NUMBER(TagProduct, purgedQuantity, 610),
    QX_NUMBER(TagProduct, purgedAmount, 618),
    QX_TEXT(TagProduct, warehouse, 637),
};
inline constexpr Layout kProductLayout{"TagProduct", sizeof(TagProduct), kProductFields};

inline constexpr FieldDef kServiceFields[] = {
    QX_TEXT(ServiceRecord, code, 0),
    QX_TEXT(ServiceRecord, description, 15),
    QX_TEXT(ServiceRecord, department, 46),
    QX_TEXT(ServiceRecord, unitOfMeasure, 52),
    QX_TEXT(ServiceRecord, noteFile, 73),
    QX_NUMBER(ServiceRecord, unitFactor, 93),
    QX_DATE(ServiceRecord, lastSaleDate, 95),
    QX_NUMBER(ServiceRecord, price, 99),
    QX_NUMBER(ServiceRecord, salesDollars, 115),
    QX_NUMBER(ServiceRecord, salesUnits, 155),
};
inline constexpr Layout kServiceLayout{"ServiceRecord", sizeof(ServiceRecord), kServiceFields};

inline constexpr FieldDef kPricedCodeFields[] = {
    QX_TEXT(PricedCode, code, 0),
    QX_TEXT(PricedCode, description, 6),
    QX_TEXT(PricedCode, glAccount, 47),
    QX_NUMBER(PricedCode, price, 73),
};
inline constexpr Layout kPricedCodeLayout{"PricedCode", sizeof(PricedCode), kPricedCodeFields};

inline constexpr FieldDef kTaxAccountFields[] = {
    QX_TEXT(TaxAccount, account, 0),
    QX_NUMBER(TaxAccount, rate, 11),
};
inline constexpr Layout kTaxAccountLayout{"TaxAccount", sizeof(TaxAccount), kTaxAccountFields};

inline constexpr FieldDef kTaxCodeFields[] = {
    QX_TEXT(TaxCode, code, 0),
    QX_NUMBER(TaxCode, billingRate, 19),
    QX_NUMBER(TaxCode, purchasingRate, 23),
    QX_GROUP(TaxCode, billingAccounts, 27, kTaxAccountLayout),
    QX_GROUP(TaxCode, purchasingAccount, 147, kTaxAccountLayout),
    QX_NUMBER(TaxCode, billingTaxable, 162),
    QX_NUMBER(TaxCode, purchasingTaxable, 370),
    QX_NUMBER(TaxCode, billingTax, 578),
    QX_NUMBER(TaxCode, purchasingTax, 786),
};
inline constexpr Layout kTaxCodeLayout{"TaxCode", sizeof(TaxCode), kTaxCodeFields};

inline constexpr FieldDef kOpenInvoiceFields[] = {
    QX_TEXT(TagOpenInvoice, code, 0),
    QX_TEXT(TagOpenInvoice, invoiceNumber, 11),
    QX_CHAR(TagOpenInvoice, precedence, 22),
    QX_TEXT(TagOpenInvoice, reference, 28),
    QX_CHAR(TagOpenInvoice, lineType, 39),
    QX_CHAR(TagOpenInvoice, status, 40),
    QX_CHAR(TagOpenInvoice, precedenceCode, 41),
    QX_NUMBER(TagOpenInvoice, itemNumber, 42),
    QX_DATE(TagOpenInvoice, dueDate, 46),
    QX_DATE(TagOpenInvoice, secondDate, 50),
    QX_DATE(TagOpenInvoice, invoiceDate, 54),
    QX_NUMBER(TagOpenInvoice, costOfGoods, 70),
    QX_NUMBER(TagOpenInvoice, amount, 78),
    QX_NUMBER(TagOpenInvoice, secondAmount, 86),
    QX_NUMBER(TagOpenInvoice, discount, 94),
    QX_NUMBER(TagOpenInvoice, orderNumber, 102),
    QX_TEXT(TagOpenInvoice, sourceReference, 106),
    QX_CHAR(TagOpenInvoice, origin, 117),
    QX_NUMBER(TagOpenInvoice, recordNumber, 118),
    QX_CHAR(TagOpenInvoice, precedenceByte, 122),
};
inline constexpr Layout kOpenInvoiceLayout{"TagOpenInvoice", sizeof(TagOpenInvoice),
                                           kOpenInvoiceFields};

inline constexpr FieldDef kOpenInvoiceHeaderFields[] = {
    QX_TEXT(OpenInvoiceHeader, code, 0),
    QX_TEXT(OpenInvoiceHeader, invoiceNumber, 11),
    QX_DATE(OpenInvoiceHeader, invoiceDate, 22),
    QX_DATE(OpenInvoiceHeader, dueDate, 26),
    QX_NUMBER(OpenInvoiceHeader, amount, 30),
    QX_NUMBER(OpenInvoiceHeader, balance, 38),
};
inline constexpr Layout kOpenInvoiceHeaderLayout{"OpenInvoiceHeader", sizeof(OpenInvoiceHeader),
                                                 kOpenInvoiceHeaderFields};

inline constexpr FieldDef kSalespersonFields[] = {
    QX_TEXT(Salesperson, code, 0),
    QX_TEXT(Salesperson, name, 6),
    QX_NUMBER(Salesperson, rate, 47),
    QX_NUMBER(Salesperson, amount, 51),
    QX_NUMBER(Salesperson, lastYearSales, 115),
    QX_NUMBER(Salesperson, sales, 219),
    QX_NUMBER(Salesperson, lastYearCommissions, 323),
    QX_NUMBER(Salesperson, commissions, 427),
};
inline constexpr Layout kSalespersonLayout{"Salesperson", sizeof(Salesperson), kSalespersonFields};

inline constexpr FieldDef kTermsFields[] = {
    QX_TEXT(TermsRecord, code, 0),
    QX_CHAR(TermsRecord, type, 24),
    QX_TEXT(TermsRecord, termsText, 26),
    QX_NUMBER(TermsRecord, discountDays, 30),
    QX_NUMBER(TermsRecord, dueDays, 32),
};
inline constexpr Layout kTermsLayout{"TermsRecord", sizeof(TermsRecord), kTermsFields};

inline constexpr FieldDef kBillOfMaterialsFields[] = {
    QX_TEXT(BillOfMaterials, assemblyNumber, 0),
    QX_TEXT(BillOfMaterials, componentNumber, 17),
    QX_NUMBER(BillOfMaterials, unitsRequired, 32),
};
inline constexpr Layout kBillOfMaterialsLayout{"BillOfMaterials", sizeof(BillOfMaterials),
                                               kBillOfMaterialsFields};

inline constexpr FieldDef kPriceBreakLevelFields[] = {
    QX_NUMBER(PriceBreakLevel, limit, 0),
    QX_NUMBER(PriceBreakLevel, percent, 4),
};
inline constexpr Layout kPriceBreakLevelLayout{"PriceBreakLevel", sizeof(PriceBreakLevel),
                                               kPriceBreakLevelFields};

inline constexpr FieldDef kPriceBreakFields[] = {
    QX_TEXT(PriceBreak, tableCode, 0),
    QX_TEXT(PriceBreak, description, 6),
    QX_CHAR(PriceBreak, rounding, 37),
    QX_GROUP(PriceBreak, levels, 38, kPriceBreakLevelLayout),
    QX_CHAR(PriceBreak, type, 78),
    QX_NUMBER(PriceBreak, amount, 79),
};
inline constexpr Layout kPriceBreakLayout{"PriceBreak", sizeof(PriceBreak), kPriceBreakFields};

inline constexpr FieldDef kMasterItemFields[] = {
    QX_TEXT(TagMasterItem, code, 0),
    QX_TEXT(TagMasterItem, description, 11),
    QX_TEXT(TagMasterItem, bin, 42),
    QX_TEXT(TagMasterItem, department, 51),
    QX_TEXT(TagMasterItem, vendor, 57),
};
inline constexpr Layout kMasterItemLayout{"TagMasterItem", sizeof(TagMasterItem), kMasterItemFields};

inline constexpr FieldDef kMasterItemMemberFields[] = {
    QX_TEXT(MasterItemMember, masterItem, 0),
    QX_TEXT(MasterItemMember, productNumber, 11),
};
inline constexpr Layout kMasterItemMemberLayout{"MasterItemMember", sizeof(MasterItemMember),
                                                kMasterItemMemberFields};

inline constexpr FieldDef kAlternateAddressFields[] = {
    QX_TEXT(AlternateAddress, code, 0),
    QX_TEXT(AlternateAddress, addressLines, 11),
    QX_TEXT(AlternateAddress, phones, 175),
};
inline constexpr Layout kAlternateAddressLayout{"AlternateAddress", sizeof(AlternateAddress),
                                                kAlternateAddressFields};

inline constexpr FieldDef kMessageCodeFields[] = {
    QX_TEXT(MessageCode, code, 0),
    QX_TEXT(MessageCode, text, 6),
};
inline constexpr Layout kMessageCodeLayout{"MessageCode", sizeof(MessageCode), kMessageCodeFields};

inline constexpr FieldDef kNoteFields[] = {
    QX_TEXT(NoteRecord, code, 0),
    QX_TEXT(NoteRecord, description, 16),
    QX_TEXT(NoteRecord, noteFile, 89),
};
inline constexpr Layout kNoteLayout{"NoteRecord", sizeof(NoteRecord), kNoteFields};

inline constexpr FieldDef kUserDefinedDataFields[] = {
    QX_TEXT(UserDefinedData, code, 0),
    QX_NUMBER(UserDefinedData, fieldNumber, 16),
    QX_TEXT(UserDefinedData, value, 18),
};
inline constexpr Layout kUserDefinedDataLayout{"UserDefinedData", sizeof(UserDefinedData), kUserDefinedDataFields};

inline constexpr FieldDef kProductPictureFields[] = {
    QX_TEXT(ProductPicture, productNumber, 0),
    QX_TEXT(ProductPicture, pictureFile, 15),
};
inline constexpr Layout kProductPictureLayout{"ProductPicture", sizeof(ProductPicture), kProductPictureFields};

inline constexpr FieldDef kPromotionFields[] = {
    QX_TEXT(Promotion, code, 0),
    QX_DATE(Promotion, startDate, 11),
    QX_DATE(Promotion, endDate, 15),
    QX_TEXT(Promotion, description, 19),
    QX_CHAR(Promotion, purgeMark, 86),
};
inline constexpr Layout kPromotionLayout{"Promotion", sizeof(Promotion), kPromotionFields};

inline constexpr FieldDef kPromotionDetailFields[] = {
    QX_TEXT(PromotionDetail, code, 0),
    QX_NUMBER(PromotionDetail, number, 11),
    QX_TEXT(PromotionDetail, productCode, 13),
    QX_DATE(PromotionDetail, firstDate, 28),
    QX_DATE(PromotionDetail, lastDate, 32),
    QX_NUMBER(PromotionDetail, price, 36),
};
inline constexpr Layout kPromotionDetailLayout{"PromotionDetail", sizeof(PromotionDetail), kPromotionDetailFields};

inline constexpr FieldDef kPromotionCustomerFields[] = {
    QX_TEXT(PromotionCustomer, code, 0),
    QX_NUMBER(PromotionCustomer, number, 11),
    QX_TEXT(PromotionCustomer, customerCode, 13),
};
inline constexpr Layout kPromotionCustomerLayout{"PromotionCustomer", sizeof(PromotionCustomer),
                                                 kPromotionCustomerFields};

static_assert(ValidLayout(kGLAccountLayout));
static_assert(ValidLayout(kCustVendLayout));
static_assert(ValidLayout(kProductLayout));
static_assert(ValidLayout(kServiceLayout));
static_assert(ValidLayout(kPricedCodeLayout));
static_assert(ValidLayout(kTaxCodeLayout));
static_assert(ValidLayout(kOpenInvoiceLayout));
static_assert(ValidLayout(kOpenInvoiceHeaderLayout));
static_assert(ValidLayout(kSalespersonLayout));
static_assert(ValidLayout(kTermsLayout));
static_assert(ValidLayout(kBillOfMaterialsLayout));
static_assert(ValidLayout(kPriceBreakLayout));
static_assert(ValidLayout(kMasterItemLayout));
static_assert(ValidLayout(kMasterItemMemberLayout));
static_assert(ValidLayout(kAlternateAddressLayout));
static_assert(ValidLayout(kMessageCodeLayout));
static_assert(ValidLayout(kNoteLayout));
static_assert(ValidLayout(kUserDefinedDataLayout));
static_assert(ValidLayout(kProductPictureLayout));
static_assert(ValidLayout(kPromotionLayout));
static_assert(ValidLayout(kPromotionDetailLayout));
static_assert(ValidLayout(kPromotionCustomerLayout));

}  // namespace records
