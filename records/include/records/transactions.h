// The transaction records of every ledger: general ledger, receivables and
// payables, cash, billing and purchasing (and purchase orders), assembly,
// inventory transactions, physical counts, the check register, back orders,
// sales history, the customers' and vendors' histories, serial numbers and
// the transaction-number sequences.
//
// Each struct is the record's byte image as stored: little-endian, exactly
// the record's length, numbers as Unaligned<T> (records/unaligned.h).  Bytes
// that no field names belong to the entry screens and the base library and
// are carried through every rewrite.
//
// Header conventions.  Every transaction header carries a one-byte posted
// flag: 'N' while the transaction is unposted, 'Y' once a posting posted it.
// Which other values count as unposted is each reader's rule; the two rules
// the system uses are UnpostedForPosting and PostedForPurge below.  A header
// whose reference holds the text "DELETED" is a transaction deleted in
// entry.  Most headers also carry a journal-printed field (set by the
// ledger's journal in "Journal" mode) and a period key (an int32 the base
// library computes from the date and "0Periods"), by which the journals'
// "Journal" mode selects.  kHeaderTraits lists, per header
// file, where these fields are and which key reads the file in date order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "records/field.h"
#include "records/record_image.h"

namespace records {

// The posted-flag rules.  Journals, postings and the end of period: 'N', 'n'
// or a zero byte is unposted.  The purge: 'Y', 'y' or the value 1 is posted.
constexpr bool UnpostedForPosting(char flag) { return flag == 'N' || flag == 'n' || flag == 0; }
constexpr bool PostedForPurge(char flag) { return flag == 'Y' || flag == 'y' || flag == 1; }
// A yes/no byte set by an option or a screen: 'Y', 'y' or 1.
constexpr bool IsYes(char flag) { return flag == 'Y' || flag == 'y' || flag == 1; }

inline constexpr std::string_view kDeletedMarker = "DELETED";

// True when a reference field marks a transaction deleted in entry: its text
// (up to the first NUL, trailing blanks ignored) is "DELETED".
template <std::size_t N>
bool IsDeletedMarker(const char (&reference)[N]) {
  return Trimmed(reference) == kDeletedMarker;
}

// General-ledger transaction header (`TagGLHeader`, file 27).
struct TagGLHeader {
  char journalCode[7];  // blank-padded ("AR", "AP", "BI", "PO", "IA", "AS", "IN" from postings)
  char transactionNumber[11];
  I32 date;
  char reference[27];   // "DELETED" marks a deleted transaction
  char postedFlag;
  char sourceFlag;      // 'N' in the headers that postings create
  char checkFlag;       // 'Y', 'y' or 1: a check, also entered in the check register
  I32 journalPrinted;  // date the G/L journal printed it; 0 = not printed
  F64 amount;        // filled by some writers (finance charges, inventory posting)
  QX_UNNAMED(64, 4);
  char holdText[11];    // not blank: not printed in "Journal" mode, not posted, not counted

  bool IsDeleted() const { return IsDeletedMarker(reference); }
  bool IsOnHold() const { return !IsBlank(holdText); }
  bool IsCheck() const { return IsYes(checkFlag); }
};

// General-ledger transaction line (file 26).
struct GLLine {
  char journalCode[7];
  char transactionNumber[11];
  U16 lineNumber;
  char account[11];
  char description[25];
  char side;      // 'D' debit; readers take anything else as credit
  F64 amount;  // never negative as the postings write it
  I32 date;
  QX_UNNAMED(69, 15);

  bool IsDebit() const { return side == 'D'; }
};

// Receivables and payables transaction header (`TagRecPayHeader`, file 7
// receivables, file 4 payables).
struct TagRecPayHeader {
  char transactionNumber[11];  // its detail lines carry it at their offset 7
  char custVendCode[11];
  char invoiceNumber[11];
  QX_UNNAMED(33, 6);
  char reference[11];          // "DELETED" marks a deleted transaction
  char typeLetter;
  char postedFlag;
  QX_UNNAMED(52, 1);
  I32 date;
  I32 journalPrinted;  // journal date of the ledger's journal; 0 = not printed
  I32 invoiceDate;
  I32 dueDate;
  QX_UNNAMED(69, 4);
  I32 periodKey;
  I32 openItemNumber;  // the open invoice the transaction applies to
  QX_UNNAMED(81, 12);
  F64 discountAvailable;

  bool IsDeleted() const { return IsDeletedMarker(reference); }
};

// Receivables and payables transaction detail (file 6 receivables, file 3
// payables).  Offsets 0, 7, 20, 31, 56, 57 and 65 hold the fields of GLLine:
// posting hands a detail on as a G/L line.
struct RecPayDetail {
  char ledgerCode[7];  // "AR" or "AP", blank-padded
  char transactionNumber[11];
  QX_UNNAMED(18, 2);
  char account[11];
  char description[25];
  char side;           // 'D' debit, anything else credit
  F64 amount;
  I32 date;
  I32 checkNumber;  // above 0: a check that posting enters in the check register
  QX_UNNAMED(73, 11);

  bool IsDebit() const { return side == 'D'; }
};

// Cash transaction header (file 18).  Bytes 0-17 are the transaction key,
// which the transaction's lines begin with.
struct CashHeader {
  char journalCode[7];
  char transactionNumber[11];
  char bankAccount[11];
  char depositNumber[9];  // deposit or check number
  char reference[11];     // "DELETED" marks a deleted transaction
  char paidToCode[11];    // a customer, vendor or G/L account
  QX_UNNAMED(60, 41);
  char side;              // 'R' receipt (bank debited), 'P' payment (credited), 'A'
  char typeLetter;        // 'C', 'M', 'D' (deposit)
  char paidToType;        // 'C' customer, 'V' vendor, 'G' G/L account
  char distribution;      // 'G' G/L lines, 'R' receivable applications, 'P' payable applications
  QX_UNNAMED(105, 1);
  char postedFlag;
  QX_UNNAMED(107, 1);
  I32 date;
  I32 journalPrinted;  // the journal date the cash journal stores in "Journal" mode
  I32 checkPrinted;  // 0 = a check not yet printed
  I32 periodKey;
  F64 amount;
  F64 discount;
  char payeeName[41];
  QX_UNNAMED(181, 344);

  bool IsDeleted() const { return IsDeletedMarker(reference); }
};

// Cash transaction line (file 17).
struct CashLine {
  char journalCode[7];  // with transactionNumber: the header's first 18 bytes
  char transactionNumber[11];
  QX_UNNAMED(18, 2);
  char text[25];        // reference of an application line, description of a G/L line
  char glAccount[11];   // G/L distribution lines
  char invoiceNumber[11];
  QX_UNNAMED(67, 11);
  char side;            // 'R' receipts
  QX_UNNAMED(79, 1);
  F64 amount;        // paid amount, or the G/L line's amount
  F64 discount;      // discount taken
  F64 invoiceAmount;
};

// Billing and purchasing transaction header (`TagBiPoHeader`, file 32
// billing, 41 purchasing, 39 purchase orders, 81 quotes).  Identified by its
// type letter, transaction number and third key part, which its lines repeat
// (LineTypeLetter).
struct TagBiPoHeader {
  char typeLetter;  // 'I' invoice or purchase, 'R' return, 'O' order, others
  char transactionNumber[11];
  I32 keyPart;  // third key part
  char custVendCode[11];
  QX_UNNAMED(27, 78);
  char documentCode[6];   // first column of the purchasing journal; copied to back orders and history
  char department[6];
  QX_UNNAMED(117, 31);
  char paymentAccount[11];  // blank = the interface cash account
  char checkNumberText[9];  // copied to the check-register entry
  char paymentReference[11];  // copied to the check-register entry
  QX_UNNAMED(179, 205);
  char closedFlag;      // posted only while 'N', 'n' or zero; 'Y' = not unposted, purged
  char entryFlag;       // asked about by a posting option
  char journalPrinted;  // 'Y' once the journal printed it in "Journal" mode
  char postedFlag;
  QX_UNNAMED(388, 3);
  char historyMark;     // copied to the sales history of the lines
  QX_UNNAMED(392, 1);
  I32 periodKey;
  I32 date;
  QX_UNNAMED(401, 8);
  I32 firstLinkedInvoice;   // 0 none
  I32 secondLinkedInvoice;  // 0 none
  char taxCode[11];
  F64 taxableAmount;
  F64 tax;
  QX_UNNAMED(444, 19);
  F64 secondTax;
  F64 costOfGoods;  // written by posting
  F64 grossAmount;
  QX_UNNAMED(487, 24);
  F64 total;
  F64 amountPaid;
  F64 netToPay;
  char name[41];
  QX_UNNAMED(576, 123);
  char criterionText1[41];  // compared by the journals' selection criteria
  QX_UNNAMED(740, 316);
  char criterionText2[41];
  QX_UNNAMED(1097, 168);
  F64 freight;           // billing
  char onAccountFlag;       // purchasing: 'N' = not on the vendor's account
  char offsetAccount[11];   // purchasing: credited instead of the vendor when onAccountFlag is 'N'
  QX_UNNAMED(1285, 22);
  I32 checkNumber;  // below 1: none

  // Unposted as the postings and unposted scans take it: both the posted
  // flag and the closed flag are 'N', 'n' or zero.
  bool IsUnposted() const { return UnpostedForPosting(postedFlag) && UnpostedForPosting(closedFlag); }
  // The type letter under which the lines of this header, a record of
  // header file `headerFileNo`, are stored: the header's own, except that
  // the billing and purchasing files (32, 41) keep the lines of an 'O'
  // header under 'I'.  Purchase orders (39) and quotes (81) keep their own.
  char LineTypeLetter(int headerFileNo) const;
};

// The line file of billing, purchasing, purchase-order or quote header file
// `headerFileNo` (32 -> 31, 41 -> 40, 39 -> 38, 81 -> 82); 0 for any other.
int BiPoLineFileOf(int headerFileNo);

// Billing and purchasing transaction line (file 31 billing, 40 purchasing,
// 38 purchase orders, 82 quotes).  The lines of a header carry its line type
// letter (TagBiPoHeader::LineTypeLetter), transaction number and third key
// part: key 0 is those 16 bytes, then the sequence.
struct BiPoLine {
  char typeLetter;
  char transactionNumber[11];
  I32 keyPart;
  U16 sequence;  // copied to sales history
  std::uint8_t lineKind;   // 1, 2, 3 product; 4 priced code; 6 service; 5, 7, 8 no effect
  QX_UNNAMED(19, 9);
  char item[15];           // product or service code; a kind-4 line's code at 30 (CodeOfKindFour)
  char description[41];
  char department[6];
  QX_UNNAMED(90, 26);
  U16 salesFraction;     // copied to back orders and sales history
  U16 quantityDecimals;  // copied to back orders
  char entryMark1;       // this and the texts below: the entry screens', copied by billing posting
  char entryMark2;
  QX_UNNAMED(122, 5);
  I32 periodKey;
  I32 receiptLink;  // purchasing: the order line a receipt belongs to; order lines: the link their receipts carry
  char entryText1[20];   // copied to sales history
  char entryText2[20];
  char entryCode[13];    // copied to back orders and sales history
  F64 extendedCost;       // written by billing posting on product lines
  F64 amount;
  F64 secondQuantity;     // purchase orders: the quantity ordered
  F64 quantity;
  F64 backOrderedQuantity;
  F64 purchaseUnitCost;
  F64 unitCost;           // written by billing posting on product lines
  QX_UNNAMED(244, 16);
  char postedFlag;           // 'Y' once posted

  static constexpr std::uint8_t kCodeLine = 4;
  static constexpr std::uint8_t kServiceLine = 6;
  // A purchase-order line that keeps its order open: one its receipts are
  // linked to (the link its receipts carry; 0: none), that ordered more
  // (secondQuantity) than has been received (quantity).
  bool AwaitsReceipts() const { return receiptLink != 0 && secondQuantity > 0 && quantity < secondQuantity; }
  bool IsProductLine() const { return lineKind >= 1 && lineKind <= 3; }
  bool HasNoEffect() const { return lineKind == 5 || lineKind == 7 || lineKind == 8; }
  // The 5-character code of a kind-4 line (bytes 30-34 of the record).
  std::string_view CodeOfKindFour() const;
};

// Assembly header (file 11).
struct AssemblyHeader {
  char transactionNumber[11];  // the component lines carry it at their offset 0
  char productCode[15];        // the assembled item
  char reference[11];          // "DELETED" marks a deleted transaction
  I32 date;
  I32 journalPrinted;  // day the assembly journal printed it; 0 = not printed
  I32 periodKey;
  char postedFlag;
  QX_UNNAMED(50, 1);
  F64 quantity;  // of the assembled item, in units of its divisor
  F64 value;     // of that quantity (the non-override dollars)
  I16 quantityDivisor;  // by which the journal's criteria divide the quantity
  char assemblyLetter;           // 'A' assembly; any other letter disassembly

  bool IsDeleted() const { return IsDeletedMarker(reference); }
  bool IsAssembly() const { return assemblyLetter == 'A'; }
};

// Assembly component line (file 10).
struct AssemblyComponent {
  char transactionNumber[11];
  QX_UNNAMED(11, 2);
  char componentCode[15];  // a product of file 43, else a service of file 52
  char overrideFlag;       // 'Y' override; 'N', 'n' or zero: a shortage may not be taken from stock
  char consumeLetter;      // 'A' consumed by an assembly; else returned by a disassembly
  F64 quantityAvailable;
  F64 quantityNeeded;
  F64 quantityShort;
  F64 newQuantityOnHand;
  F64 cost;             // the shifted dollars
  U16 quantityDecimals;
};

// Inventory transaction (file 62): the entered inventory adjustments and the
// stock activity that postings hand to the base library.
struct InventoryTransaction {
  char productCode[15];
  char transactionNumber[11];
  char activityFlag;  // 'P' in the activity records postings write
  I32 periodKey;
  I32 date;
  char kind;          // '1' stock in ... '8'; '5' stock out priced from the product
  char source;        // 'T' entered; 'A' assembly; 'I' physical inventory; 'B', 'S' billing; 'M', 'R' purchasing
  char secondSource;  // 'A', 'P', the header's type letter; 'D' on an entered one: marked without posting
  // The source document: its number (10 characters, NUL-ended, at the
  // start) and, for a purchase receipt, the receipt's number as a text in
  // the last 4 bytes (DocumentNumber, ReceiptNumber).
  char sourceTransaction[15];
  char reference[11];
  char department[6];
  F64 quantity;        // negative for stock out
  F64 unitCost;        // per divisor units
  F64 extendedAmount;  // negative for stock out
  U16 salesUnitFactor;
  I16 unitDivisor;
  F64 formattedQuantity;  // the quantity as formatted for the divisor and read back
  char masterItem[11];
  char warehouse[4];
  QX_UNNAMED(121, 41);
  char glAccount[11];
  char postedFlag;  // 'N' unposted, 'Y' posted
  QX_UNNAMED(174, 1);

  bool IsEntered() const { return source == 'T'; }

  // The source document as shown: the text of sourceTransaction up to its
  // first NUL, trailing blanks dropped.
  std::string_view SourceDocument() const {
    std::string_view v(sourceTransaction, strnlen(sourceTransaction, sizeof sourceTransaction));
    while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
    return v;
  }
  // The document number: at most the first 10 characters of it, as an
  // entry screen takes it.
  std::string_view DocumentNumber() const { return SourceDocument().substr(0, kDocumentNumberChars); }
  // The receipt number: the text of the last 4 bytes read as a whole
  // number (leading blanks skipped, the digits up to the first other
  // character); 0 when it holds none.
  int ReceiptNumber() const {
    int n = 0;
    std::size_t i = kReceiptNumberOffset;
    while (i < sizeof sourceTransaction && sourceTransaction[i] == ' ') ++i;
    for (; i < sizeof sourceTransaction && sourceTransaction[i] >= '0' && sourceTransaction[i] <= '9'; ++i)
      n = n * 10 + (sourceTransaction[i] - '0');
    return n;
  }

  static constexpr std::size_t kDocumentNumberChars = 10;
  static constexpr std::size_t kReceiptNumberOffset = 11;  // within sourceTransaction
};

// Physical count (file 36), one per product.
struct PhysicalCount {
  char productCode[15];
  char printedFlag;  // 'N' as count entry writes it; 'Y' once printed
  F64 countedQuantity;
};

// Check-register entry (`TagCheckRegister`, file 14).
struct TagCheckRegister {
  char bankAccount[11];
  char checkNumber[9];
  char transactionNumber[15];
  char code[11];       // customer or vendor
  char name[41];
  char reference[11];
  char status;         // 'O' as the postings write it; printed by the register, read by nothing here
  QX_UNNAMED(99, 1);
  char entrySide;      // 'D' debit, 'V' void (not counted), anything else credit
  QX_UNNAMED(101, 1);
  I32 date;
  F64 amount;
  QX_UNNAMED(114, 4);
  char kind;           // 'O' and 'S' are counted by the on-line balance; postings write 'B'
  char state;          // the posted flag: 'Y' once posting booked the entry

  // Entered but not posted ('N', 'n' or zero): a check printed before its
  // payment is posted.  Whether the bank has cleared it is not kept here.
  bool IsOpen() const { return UnpostedForPosting(state); }
};

// Back order (file 13), written by billing posting.
struct BackOrder {
  char transactionNumber[11];
  char productCode[15];
  char description[41];
  char customerCode[11];
  char documentCode[6];
  U16 salesFraction;
  U16 quantityDecimals;
  I32 date;
  char entryCode[13];  // the line's
  F64 secondQuantity;  // the quantity ordered
  F64 quantity;
  F64 backOrderedQuantity;
  F64 purchaseUnitCost;
  QX_UNNAMED(137, 8);
};

// Sales history (file 53), written by billing posting.
struct SalesHistory {
  char typeLetter;
  char transactionNumber[11];
  U16 sequence;
  std::uint8_t lineKind;
  char item[15];
  char description[41];
  char department[6];
  char customerCode[11];
  char kindCode[6];  // the 5-character code of a kind-4 line
  char documentCode[6];
  char name[41];
  U16 salesFraction;
  char entryMark1;   // the line's
  char entryMark2;
  char historyMark;  // the header's
  I32 date;
  char entryText1[20];  // the line's
  char entryText2[20];
  char entryCode[13];
  F64 extendedCost;
  F64 amount;
  F64 secondQuantity;
  F64 quantity;
  F64 backOrderedQuantity;
  F64 purchaseUnitCost;
  F64 unitCost;
};

// A document of a customer's (file 20) or vendor's (file 60) history: an
// invoice, a payment or another document as its account saw it.  Key 0 is
// the code and the document number; key 1 the date.
struct HistoryHeader {
  char code[11];
  char documentNumber[11];
  char documentType;
  QX_UNNAMED(23, 14);
  I32 date;
  F64 amount;
};

// A line of a history document (file 19 customers, 59 vendors).  Key 0 is
// the code, the document number and the line number.
struct HistoryDetail {
  char code[11];
  char documentNumber[11];
  U16 lineNumber;
  char item[15];
  char description[31];
  F64 quantity;
  F64 amount;
};

// A serial-numbered unit of a product (file 54).  Key 0 is the product and
// the serial number; key 2 the in-stock flag, then the date.
struct SerialNumber {
  char productCode[15];
  char serialNumber[21];
  char inStock;  // 'Y' while the unit is in stock: the purge keeps it
  I32 date;      // of its last movement
  char documentNumber[11];
};

// A movement of a serial-numbered unit (file 55).  Key 0 is the product, the
// serial number and the date.
struct SerialMovement {
  char productCode[15];
  char serialNumber[21];
  I32 date;
  char documentNumber[11];
  char movement;  // 'R' received, 'S' sold, 'A' adjusted
};

// Transaction-number sequence of a journal (file 23), keyed by the journal
// code the G/L headers carry.
struct TranSequence {
  char journalCode[7];
  I32 lastNumber;  // the last number given out
};

static_assert(sizeof(TagGLHeader) == 79);
static_assert(sizeof(GLLine) == 84);
static_assert(sizeof(TagRecPayHeader) == 101);
static_assert(sizeof(RecPayDetail) == 84);
static_assert(sizeof(CashHeader) == 525);
static_assert(sizeof(CashLine) == 104);
static_assert(sizeof(TagBiPoHeader) == 1311);
static_assert(sizeof(BiPoLine) == 261);
static_assert(sizeof(AssemblyHeader) == 70);
static_assert(sizeof(AssemblyComponent) == 72);
static_assert(sizeof(InventoryTransaction) == 175);
static_assert(sizeof(PhysicalCount) == 24);
static_assert(sizeof(TagCheckRegister) == 120);
static_assert(sizeof(BackOrder) == 145);
static_assert(sizeof(SalesHistory) == 259);
static_assert(sizeof(TranSequence) == 11);
static_assert(sizeof(HistoryHeader) == 49);
static_assert(sizeof(HistoryDetail) == 86);
static_assert(sizeof(SerialNumber) == 52);
static_assert(sizeof(SerialMovement) == 52);
// A receivables or payables detail is handed on as a G/L line: the shared
// fields must stand where GLLine has them.
static_assert(offsetof(RecPayDetail, account) == offsetof(GLLine, account));
static_assert(offsetof(RecPayDetail, description) == offsetof(GLLine, description));
static_assert(offsetof(RecPayDetail, side) == offsetof(GLLine, side));
static_assert(offsetof(RecPayDetail, amount) == offsetof(GLLine, amount));
static_assert(offsetof(RecPayDetail, date) == offsetof(GLLine, date));

// ---- Header traits ----------------------------------------------------------

// How a journal marks a header as printed.
enum class PrintedMark : std::uint8_t {
  kNone,     // the file has no journal-printed field
  kDate,     // an int32 date; 0 = not printed
  kCharYes,  // a character, 'Y' once printed
};

// Where the header conventions stand in one header file.
struct HeaderTraits {
  int file;
  std::int16_t postedFlag;     // offset of the posted flag, -1 none
  std::int16_t deletedField;   // offset of the reference that may hold "DELETED", -1 none
  std::int16_t deletedWidth;
  std::int16_t date;           // offset of the int32 transaction date, -1 none
  std::int16_t journalPrinted; // offset of the journal-printed field, -1 none
  PrintedMark printedMark;
  std::int16_t periodKey;      // offset of the int32 period key, -1 none
  std::int8_t dateKey;         // the key that reads the file in date order, -1 none
};

inline constexpr HeaderTraits kHeaderTraits[] = {
    // file posted deleted width date printed  mark                    period dateKey
    {27, 49, 22, 27, 18, 52, PrintedMark::kDate, -1, 1},       // general ledger
    {7, 51, 39, 11, 53, 57, PrintedMark::kDate, 73, 2},        // receivables
    {4, 51, 39, 11, 53, 57, PrintedMark::kDate, 73, 2},        // payables
    {18, 106, 38, 11, 108, 112, PrintedMark::kDate, 120, 2},   // cash
    {32, 387, -1, 0, 397, 386, PrintedMark::kCharYes, 393, 2}, // billing
    {41, 387, -1, 0, 397, 386, PrintedMark::kCharYes, 393, 2}, // purchasing
    {39, 387, -1, 0, 397, 386, PrintedMark::kCharYes, 393, 2}, // purchase orders
    {11, 49, 26, 11, 37, 41, PrintedMark::kDate, 45, 2},       // assembly
    {62, 173, -1, 0, 31, -1, PrintedMark::kNone, 27, -1},      // inventory transactions
    {36, -1, -1, 0, -1, 15, PrintedMark::kCharYes, -1, -1},    // physical counts
};

// The traits of header file `file`, or null when it is not a header file.
const HeaderTraits* HeaderTraitsOf(int file);

// The conventions read from a header's byte image through its traits.  The
// image must be at least as long as the file's records.
struct HeaderView {
  const HeaderTraits& traits;
  std::span<const std::uint8_t> image;

  char PostedFlag() const;                // 0 when the file has none
  bool IsDeleted() const;                 // reference is "DELETED"
  std::int32_t Date() const;              // 0 when the file has none
  std::optional<std::int32_t> PeriodKey() const;
  bool IsJournalPrinted() const;          // date non-zero, or 'Y'
};

// ---- Field tables -----------------------------------------------------------

inline constexpr FieldDef kGLHeaderFields[] = {
    QX_PADDED(TagGLHeader, journalCode, 0),
    QX_TEXT(TagGLHeader, transactionNumber, 7),
    QX_DATE(TagGLHeader, date, 18),
    QX_TEXT(TagGLHeader, reference, 22),
    QX_CHAR(TagGLHeader, postedFlag, 49),
    QX_CHAR(TagGLHeader, sourceFlag, 50),
    QX_CHAR(TagGLHeader, checkFlag, 51),
    QX_DATE(TagGLHeader, journalPrinted, 52),
    QX_NUMBER(TagGLHeader, amount, 56),
    QX_TEXT(TagGLHeader, holdText, 68),
};
inline constexpr Layout kGLHeaderLayout{"TagGLHeader", sizeof(TagGLHeader), kGLHeaderFields};

inline constexpr FieldDef kGLLineFields[] = {
    QX_PADDED(GLLine, journalCode, 0),
    QX_TEXT(GLLine, transactionNumber, 7),
    QX_NUMBER(GLLine, lineNumber, 18),
    QX_TEXT(GLLine, account, 20),
    QX_TEXT(GLLine, description, 31),
    QX_CHAR(GLLine, side, 56),
    QX_NUMBER(GLLine, amount, 57),
    QX_DATE(GLLine, date, 65),
};
inline constexpr Layout kGLLineLayout{"GLLine", sizeof(GLLine), kGLLineFields};

inline constexpr FieldDef kRecPayHeaderFields[] = {
    QX_TEXT(TagRecPayHeader, transactionNumber, 0),
    QX_TEXT(TagRecPayHeader, custVendCode, 11),
    QX_TEXT(TagRecPayHeader, invoiceNumber, 22),
    QX_TEXT(TagRecPayHeader, reference, 39),
    QX_CHAR(TagRecPayHeader, typeLetter, 50),
    QX_CHAR(TagRecPayHeader, postedFlag, 51),
    QX_DATE(TagRecPayHeader, date, 53),
    QX_DATE(TagRecPayHeader, journalPrinted, 57),
    QX_DATE(TagRecPayHeader, invoiceDate, 61),
    QX_DATE(TagRecPayHeader, dueDate, 65),
    QX_NUMBER(TagRecPayHeader, periodKey, 73),
    QX_NUMBER(TagRecPayHeader, openItemNumber, 77),
    QX_NUMBER(TagRecPayHeader, discountAvailable, 93),
};
inline constexpr Layout kRecPayHeaderLayout{"TagRecPayHeader", sizeof(TagRecPayHeader),
                                            kRecPayHeaderFields};

inline constexpr FieldDef kRecPayDetailFields[] = {
    QX_PADDED(RecPayDetail, ledgerCode, 0),
    QX_TEXT(RecPayDetail, transactionNumber, 7),
    QX_TEXT(RecPayDetail, account, 20),
    QX_TEXT(RecPayDetail, description, 31),
    QX_CHAR(RecPayDetail, side, 56),
    QX_NUMBER(RecPayDetail, amount, 57),
    QX_DATE(RecPayDetail, date, 65),
    QX_NUMBER(RecPayDetail, checkNumber, 69),
};
inline constexpr Layout kRecPayDetailLayout{"RecPayDetail", sizeof(RecPayDetail), kRecPayDetailFields};

inline constexpr FieldDef kCashHeaderFields[] = {
    QX_PADDED(CashHeader, journalCode, 0),
    QX_TEXT(CashHeader, transactionNumber, 7),
    QX_TEXT(CashHeader, bankAccount, 18),
    QX_TEXT(CashHeader, depositNumber, 29),
    QX_TEXT(CashHeader, reference, 38),
    QX_TEXT(CashHeader, paidToCode, 49),
    QX_CHAR(CashHeader, side, 101),
    QX_CHAR(CashHeader, typeLetter, 102),
    QX_CHAR(CashHeader, paidToType, 103),
    QX_CHAR(CashHeader, distribution, 104),
    QX_CHAR(CashHeader, postedFlag, 106),
    QX_DATE(CashHeader, date, 108),
    QX_DATE(CashHeader, journalPrinted, 112),
    QX_NUMBER(CashHeader, checkPrinted, 116),
    QX_NUMBER(CashHeader, periodKey, 120),
    QX_NUMBER(CashHeader, amount, 124),
    QX_NUMBER(CashHeader, discount, 132),
    QX_TEXT(CashHeader, payeeName, 140),
};
inline constexpr Layout kCashHeaderLayout{"CashHeader", sizeof(CashHeader), kCashHeaderFields};

inline constexpr FieldDef kCashLineFields[] = {
    QX_PADDED(CashLine, journalCode, 0),
    QX_TEXT(CashLine, transactionNumber, 7),
    QX_TEXT(CashLine, text, 20),
    QX_TEXT(CashLine, glAccount, 45),
    QX_TEXT(CashLine, invoiceNumber, 56),
    QX_CHAR(CashLine, side, 78),
    QX_NUMBER(CashLine, amount, 80),
    QX_NUMBER(CashLine, discount, 88),
    QX_NUMBER(CashLine, invoiceAmount, 96),
};
inline constexpr Layout kCashLineLayout{"CashLine", sizeof(CashLine), kCashLineFields};

inline constexpr FieldDef kBiPoHeaderFields[] = {
    QX_CHAR(TagBiPoHeader, typeLetter, 0),
    QX_TEXT(TagBiPoHeader, transactionNumber, 1),
    QX_NUMBER(TagBiPoHeader, keyPart, 12),
    QX_TEXT(TagBiPoHeader, custVendCode, 16),
    QX_TEXT(TagBiPoHeader, documentCode, 105),
    QX_TEXT(TagBiPoHeader, department, 111),
    QX_TEXT(TagBiPoHeader, paymentAccount, 148),
    QX_TEXT(TagBiPoHeader, checkNumberText, 159),
    QX_TEXT(TagBiPoHeader, paymentReference, 168),
    QX_CHAR(TagBiPoHeader, closedFlag, 384),
    QX_CHAR(TagBiPoHeader, entryFlag, 385),
    QX_CHAR(TagBiPoHeader, journalPrinted, 386),
    QX_CHAR(TagBiPoHeader, postedFlag, 387),
    QX_CHAR(TagBiPoHeader, historyMark, 391),
    QX_NUMBER(TagBiPoHeader, periodKey, 393),
    QX_DATE(TagBiPoHeader, date, 397),
    QX_NUMBER(TagBiPoHeader, firstLinkedInvoice, 409),
    QX_NUMBER(TagBiPoHeader, secondLinkedInvoice, 413),
    QX_TEXT(TagBiPoHeader, taxCode, 417),
    QX_NUMBER(TagBiPoHeader, taxableAmount, 428),
    QX_NUMBER(TagBiPoHeader, tax, 436),
    QX_NUMBER(TagBiPoHeader, secondTax, 463),
    QX_NUMBER(TagBiPoHeader, costOfGoods, 471),
    QX_NUMBER(TagBiPoHeader, grossAmount, 479),
    QX_NUMBER(TagBiPoHeader, total, 511),
    QX_NUMBER(TagBiPoHeader, amountPaid, 519),
    QX_NUMBER(TagBiPoHeader, netToPay, 527),
    QX_TEXT(TagBiPoHeader, name, 535),
    QX_TEXT(TagBiPoHeader, criterionText1, 699),
    QX_TEXT(TagBiPoHeader, criterionText2, 1056),
    QX_NUMBER(TagBiPoHeader, freight, 1265),
    QX_CHAR(TagBiPoHeader, onAccountFlag, 1273),
    QX_TEXT(TagBiPoHeader, offsetAccount, 1274),
    QX_NUMBER(TagBiPoHeader, checkNumber, 1307),
};
inline constexpr Layout kBiPoHeaderLayout{"TagBiPoHeader", sizeof(TagBiPoHeader), kBiPoHeaderFields};

inline constexpr FieldDef kBiPoLineFields[] = {
    QX_CHAR(BiPoLine, typeLetter, 0),
    QX_TEXT(BiPoLine, transactionNumber, 1),
    QX_NUMBER(BiPoLine, keyPart, 12),
    QX_NUMBER(BiPoLine, sequence, 16),
    QX_NUMBER(BiPoLine, lineKind, 18),
    QX_TEXT(BiPoLine, item, 28),
    QX_TEXT(BiPoLine, description, 43),
    QX_TEXT(BiPoLine, department, 84),
    QX_NUMBER(BiPoLine, salesFraction, 116),
    QX_NUMBER(BiPoLine, quantityDecimals, 118),
    QX_CHAR(BiPoLine, entryMark1, 120),
    QX_CHAR(BiPoLine, entryMark2, 121),
    QX_NUMBER(BiPoLine, periodKey, 127),
    QX_NUMBER(BiPoLine, receiptLink, 131),
    QX_TEXT(BiPoLine, entryText1, 135),
    QX_TEXT(BiPoLine, entryText2, 155),
    QX_TEXT(BiPoLine, entryCode, 175),
    QX_NUMBER(BiPoLine, extendedCost, 188),
    QX_NUMBER(BiPoLine, amount, 196),
    QX_NUMBER(BiPoLine, secondQuantity, 204),
    QX_NUMBER(BiPoLine, quantity, 212),
    QX_NUMBER(BiPoLine, backOrderedQuantity, 220),
    QX_NUMBER(BiPoLine, purchaseUnitCost, 228),
    QX_NUMBER(BiPoLine, unitCost, 236),
    QX_CHAR(BiPoLine, postedFlag, 260),
};
inline constexpr Layout kBiPoLineLayout{"BiPoLine", sizeof(BiPoLine), kBiPoLineFields};

inline constexpr FieldDef kAssemblyHeaderFields[] = {
    QX_TEXT(AssemblyHeader, transactionNumber, 0),
    QX_TEXT(AssemblyHeader, productCode, 11),
    QX_TEXT(AssemblyHeader, reference, 26),
    QX_DATE(AssemblyHeader, date, 37),
    QX_DATE(AssemblyHeader, journalPrinted, 41),
    QX_NUMBER(AssemblyHeader, periodKey, 45),
    QX_CHAR(AssemblyHeader, postedFlag, 49),
    QX_NUMBER(AssemblyHeader, quantity, 51),
    QX_NUMBER(AssemblyHeader, value, 59),
    QX_NUMBER(AssemblyHeader, quantityDivisor, 67),
    QX_CHAR(AssemblyHeader, assemblyLetter, 69),
};
inline constexpr Layout kAssemblyHeaderLayout{"AssemblyHeader", sizeof(AssemblyHeader),
                                              kAssemblyHeaderFields};

inline constexpr FieldDef kAssemblyComponentFields[] = {
    QX_TEXT(AssemblyComponent, transactionNumber, 0),
    QX_TEXT(AssemblyComponent, componentCode, 13),
    QX_CHAR(AssemblyComponent, overrideFlag, 28),
    QX_CHAR(AssemblyComponent, consumeLetter, 29),
    QX_NUMBER(AssemblyComponent, quantityAvailable, 30),
    QX_NUMBER(AssemblyComponent, quantityNeeded, 38),
    QX_NUMBER(AssemblyComponent, quantityShort, 46),
    QX_NUMBER(AssemblyComponent, newQuantityOnHand, 54),
    QX_NUMBER(AssemblyComponent, cost, 62),
    QX_NUMBER(AssemblyComponent, quantityDecimals, 70),
};
inline constexpr Layout kAssemblyComponentLayout{"AssemblyComponent", sizeof(AssemblyComponent),
                                                 kAssemblyComponentFields};

inline constexpr FieldDef kInventoryTransactionFields[] = {
    QX_TEXT(InventoryTransaction, productCode, 0),
    QX_TEXT(InventoryTransaction, transactionNumber, 15),
    QX_CHAR(InventoryTransaction, activityFlag, 26),
    QX_NUMBER(InventoryTransaction, periodKey, 27),
    QX_DATE(InventoryTransaction, date, 31),
    QX_CHAR(InventoryTransaction, kind, 35),
    QX_CHAR(InventoryTransaction, source, 36),
    QX_CHAR(InventoryTransaction, secondSource, 37),
    QX_TEXT(InventoryTransaction, sourceTransaction, 38),
    QX_TEXT(InventoryTransaction, reference, 53),
    QX_TEXT(InventoryTransaction, department, 64),
    QX_NUMBER(InventoryTransaction, quantity, 70),
    QX_NUMBER(InventoryTransaction, unitCost, 78),
    QX_NUMBER(InventoryTransaction, extendedAmount, 86),
    QX_NUMBER(InventoryTransaction, salesUnitFactor, 94),
    QX_NUMBER(InventoryTransaction, unitDivisor, 96),
    QX_NUMBER(InventoryTransaction, formattedQuantity, 98),
    QX_TEXT(InventoryTransaction, masterItem, 106),
    QX_TEXT(InventoryTransaction, warehouse, 117),
    QX_TEXT(InventoryTransaction, glAccount, 162),
    QX_CHAR(InventoryTransaction, postedFlag, 173),
};
inline constexpr Layout kInventoryTransactionLayout{"InventoryTransaction",
                                                    sizeof(InventoryTransaction),
                                                    kInventoryTransactionFields};

inline constexpr FieldDef kPhysicalCountFields[] = {
    QX_TEXT(PhysicalCount, productCode, 0),
    QX_CHAR(PhysicalCount, printedFlag, 15),
    QX_NUMBER(PhysicalCount, countedQuantity, 16),
};
inline constexpr Layout kPhysicalCountLayout{"PhysicalCount", sizeof(PhysicalCount),
                                             kPhysicalCountFields};

inline constexpr FieldDef kCheckRegisterFields[] = {
    QX_TEXT(TagCheckRegister, bankAccount, 0),
    QX_TEXT(TagCheckRegister, checkNumber, 11),
    QX_TEXT(TagCheckRegister, transactionNumber, 20),
    QX_TEXT(TagCheckRegister, code, 35),
    QX_TEXT(TagCheckRegister, name, 46),
    QX_TEXT(TagCheckRegister, reference, 87),
    QX_CHAR(TagCheckRegister, status, 98),
    QX_CHAR(TagCheckRegister, entrySide, 100),
    QX_DATE(TagCheckRegister, date, 102),
    QX_NUMBER(TagCheckRegister, amount, 106),
    QX_CHAR(TagCheckRegister, kind, 118),
    QX_CHAR(TagCheckRegister, state, 119),
};
inline constexpr Layout kCheckRegisterLayout{"TagCheckRegister", sizeof(TagCheckRegister),
                                             kCheckRegisterFields};

inline constexpr FieldDef kBackOrderFields[] = {
    QX_TEXT(BackOrder, transactionNumber, 0),
    QX_TEXT(BackOrder, productCode, 11),
    QX_TEXT(BackOrder, description, 26),
    QX_TEXT(BackOrder, customerCode, 67),
    QX_TEXT(BackOrder, documentCode, 78),
    QX_NUMBER(BackOrder, salesFraction, 84),
    QX_NUMBER(BackOrder, quantityDecimals, 86),
    QX_DATE(BackOrder, date, 88),
    QX_TEXT(BackOrder, entryCode, 92),
    QX_NUMBER(BackOrder, secondQuantity, 105),
    QX_NUMBER(BackOrder, quantity, 113),
    QX_NUMBER(BackOrder, backOrderedQuantity, 121),
    QX_NUMBER(BackOrder, purchaseUnitCost, 129),
};
inline constexpr Layout kBackOrderLayout{"BackOrder", sizeof(BackOrder), kBackOrderFields};

inline constexpr FieldDef kSalesHistoryFields[] = {
    QX_CHAR(SalesHistory, typeLetter, 0),
    QX_TEXT(SalesHistory, transactionNumber, 1),
    QX_NUMBER(SalesHistory, sequence, 12),
    QX_NUMBER(SalesHistory, lineKind, 14),
    QX_TEXT(SalesHistory, item, 15),
    QX_TEXT(SalesHistory, description, 30),
    QX_TEXT(SalesHistory, department, 71),
    QX_TEXT(SalesHistory, customerCode, 77),
    QX_TEXT(SalesHistory, kindCode, 88),
    QX_TEXT(SalesHistory, documentCode, 94),
    QX_TEXT(SalesHistory, name, 100),
    QX_NUMBER(SalesHistory, salesFraction, 141),
    QX_CHAR(SalesHistory, entryMark1, 143),
    QX_CHAR(SalesHistory, entryMark2, 144),
    QX_CHAR(SalesHistory, historyMark, 145),
    QX_DATE(SalesHistory, date, 146),
    QX_TEXT(SalesHistory, entryText1, 150),
    QX_TEXT(SalesHistory, entryText2, 170),
    QX_TEXT(SalesHistory, entryCode, 190),
    QX_NUMBER(SalesHistory, extendedCost, 203),
    QX_NUMBER(SalesHistory, amount, 211),
    QX_NUMBER(SalesHistory, secondQuantity, 219),
    QX_NUMBER(SalesHistory, quantity, 227),
    QX_NUMBER(SalesHistory, backOrderedQuantity, 235),
    QX_NUMBER(SalesHistory, purchaseUnitCost, 243),
    QX_NUMBER(SalesHistory, unitCost, 251),
};
inline constexpr Layout kSalesHistoryLayout{"SalesHistory", sizeof(SalesHistory), kSalesHistoryFields};

inline constexpr FieldDef kTranSequenceFields[] = {
    QX_PADDED(TranSequence, journalCode, 0),
    QX_NUMBER(TranSequence, lastNumber, 7),
};
inline constexpr Layout kTranSequenceLayout{"TranSequence", sizeof(TranSequence), kTranSequenceFields};

inline constexpr FieldDef kHistoryHeaderFields[] = {
    QX_TEXT(HistoryHeader, code, 0),
    QX_TEXT(HistoryHeader, documentNumber, 11),
    QX_CHAR(HistoryHeader, documentType, 22),
    QX_DATE(HistoryHeader, date, 37),
    QX_NUMBER(HistoryHeader, amount, 41),
};
inline constexpr Layout kHistoryHeaderLayout{"HistoryHeader", sizeof(HistoryHeader), kHistoryHeaderFields};

inline constexpr FieldDef kHistoryDetailFields[] = {
    QX_TEXT(HistoryDetail, code, 0),
    QX_TEXT(HistoryDetail, documentNumber, 11),
    QX_NUMBER(HistoryDetail, lineNumber, 22),
    QX_TEXT(HistoryDetail, item, 24),
    QX_TEXT(HistoryDetail, description, 39),
    QX_NUMBER(HistoryDetail, quantity, 70),
    QX_NUMBER(HistoryDetail, amount, 78),
};
inline constexpr Layout kHistoryDetailLayout{"HistoryDetail", sizeof(HistoryDetail), kHistoryDetailFields};

inline constexpr FieldDef kSerialNumberFields[] = {
    QX_TEXT(SerialNumber, productCode, 0),
    QX_TEXT(SerialNumber, serialNumber, 15),
    QX_CHAR(SerialNumber, inStock, 36),
    QX_DATE(SerialNumber, date, 37),
    QX_TEXT(SerialNumber, documentNumber, 41),
};
inline constexpr Layout kSerialNumberLayout{"SerialNumber", sizeof(SerialNumber), kSerialNumberFields};

inline constexpr FieldDef kSerialMovementFields[] = {
    QX_TEXT(SerialMovement, productCode, 0),
    QX_TEXT(SerialMovement, serialNumber, 15),
    QX_DATE(SerialMovement, date, 36),
    QX_TEXT(SerialMovement, documentNumber, 40),
    QX_CHAR(SerialMovement, movement, 51),
};
inline constexpr Layout kSerialMovementLayout{"SerialMovement", sizeof(SerialMovement), kSerialMovementFields};

static_assert(ValidLayout(kGLHeaderLayout));
static_assert(ValidLayout(kGLLineLayout));
static_assert(ValidLayout(kRecPayHeaderLayout));
static_assert(ValidLayout(kRecPayDetailLayout));
static_assert(ValidLayout(kCashHeaderLayout));
static_assert(ValidLayout(kCashLineLayout));
static_assert(ValidLayout(kBiPoHeaderLayout));
static_assert(ValidLayout(kBiPoLineLayout));
static_assert(ValidLayout(kAssemblyHeaderLayout));
static_assert(ValidLayout(kAssemblyComponentLayout));
static_assert(ValidLayout(kInventoryTransactionLayout));
static_assert(ValidLayout(kPhysicalCountLayout));
static_assert(ValidLayout(kCheckRegisterLayout));
static_assert(ValidLayout(kBackOrderLayout));
static_assert(ValidLayout(kSalesHistoryLayout));
static_assert(ValidLayout(kTranSequenceLayout));
static_assert(ValidLayout(kHistoryHeaderLayout));
static_assert(ValidLayout(kHistoryDetailLayout));
static_assert(ValidLayout(kSerialNumberLayout));
static_assert(ValidLayout(kSerialMovementLayout));

}  // namespace records
