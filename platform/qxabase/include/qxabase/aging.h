// Aging of open items: what an open-invoice line adds to what an account
// owes, the net of an invoice as of a date, and the account-aging block that
// statements, letters and the customer/vendor selection compute per account.
//
// Open items are the lines of the open-invoice files (records::TagOpenInvoice):
// file 5 holds the customers' (receivables), file 2 the vendors' (payables).
// The lines of one invoice share the account code and the invoice number.  A
// line's amount is stored positive; its line type says which way it moves
// the balance, by ledger:
//   receivables  'I' invoice, 'D' debit memo, 'F' finance charge add;
//                'C' credit memo and 'P' payment subtract;
//   payables     'I' invoice, 'C' credit memo, 'F' finance charge add;
//                'D' debit memo and 'P' payment subtract;
// and a discount taken (TagOpenInvoice::discount, on payments) always
// subtracts.  "Add" means the account owes more (a customer owes us, or we
// owe a vendor).  A line whose transaction date (invoiceDate) lies after a
// report's as-of date does not exist yet for that report.
//
// Everything runs on the UI thread; nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "btrvc.h"
#include "records/masters.h"

// --- One line -------------------------------------------------------------------

// True for the payables open-item file (2); every other number is read as
// receivables (5).
bool AgingIsPayables(int openItemFileNo);

// The line's amount signed by its type in the ledger of `openItemFileNo`
// (positive: the account owes more).  The discount is not included.
double AgingSignedAmount(int openItemFileNo, const records::TagOpenInvoice& item);

// What the line changes in total: the signed amount less the discount taken.
double AgingLineEffect(int openItemFileNo, const records::TagOpenInvoice& item);

// True when the line's source letter (TagOpenInvoice::status) says it was
// posted: 'P' posted, 'F' carried forward by the period end.
bool AgingIsPosted(const records::TagOpenInvoice& item);

// True when the line belongs to an invoice and may be netted with the other
// lines of that invoice: it names an invoice (a non-blank invoice number).
bool AgingRecordCheck(const records::TagOpenInvoice* item);

// --- Netting the lines of an invoice ----------------------------------------------

// The running net of the lines of one invoice, and the kinds met on the way.
struct AgingNet {
  double net = 0;          // sum of AgingLineEffect, at cents
  std::int64_t cents = 0;  // the same in cents (amounts are kept at cents)
  int lines = 0;
  bool invoice = false;    // an 'I' line was met
  bool payment = false;    // a 'P' line
  bool credit = false;     // a 'C' line
  bool debit = false;      // a 'D' line
  bool finance = false;    // an 'F' line
  bool notPosted = false;  // a line that was not posted (AgingIsPosted false)
};

// An amount kept at cents (as every stored amount is) in whole cents; 0 for
// one that is not sound (records/amounts.h): the reader of a record refuses
// such a record before its amounts are summed (RecordRead, tables.h).
std::int64_t AgingCents(double amount);

// Adds one line to the net.  A null net or item does nothing.
void AgingDetailStep(AgingNet* net, const records::TagOpenInvoice* item, int openItemFileNo);

// The balance of the invoice of `item` as of `asOfDate`: reads every line of
// the same account and invoice through `handle` (the open-item file
// `openItemFileNo`, by its key 0), adds the effect of each line dated on or
// before the date, and writes the net into item->amount (0: fully paid).
// `keyBuffer` (255 bytes) may be null.  The handle's current key and record
// are as they were before the call, so a caller walking the file goes on
// where it stood.  Returns 0, or the record-manager status after the error
// box (item->amount is then unchanged).
int AgingItemAge(int openItemFileNo, BtrvHandle handle, std::int32_t asOfDate, void* keyBuffer,
                 records::TagOpenInvoice* item);

// --- Balance-forward accounts --------------------------------------------------------
//
// A balance-forward account ('B', records::CustVendRecord::IsBalanceForward)
// owes one running balance, not a set of invoices: a payment, a credit or a
// discount is not set against an invoice of its own but pays what the
// account owes, the oldest first.  Its aging is that of what is left.
// Open-item accounts age each line where it falls.

// Pays the charges of `count` slots, ordered from the oldest to the newest,
// with the credits of all of them: the oldest charges first.  `charges`
// and `credits` are whole cents, neither below 0 (a slot's charges are what
// raised the balance, its credits what lowered it).  net[i] receives what
// slot i still owes: its charges less what paid them, and, when the credits
// come to more than every charge, less the credits left unspent, which are
// the newest (the latest payment is the one not used up).  The nets add up
// to the charges less the credits.
void AgingApplyOldestFirst(const std::int64_t* charges, const std::int64_t* credits, std::int64_t* net, int count);

// --- The account-aging block ----------------------------------------------------------
//
// What a customer or vendor owes as of a date, and how long it has been due:
// computed from the account's open items one line at a time.
//   CustVendSelectInit(block, asOf, periodDays, periodCount)   once per run
//   CustVendSelectStep(block, record)                           per account
//   CustVendAccountStep(block, item, fileNo)                    per open item
//   CustVendAccountStep(block, nullptr, fileNo)                 after the last
// Past-due periods are `periodDays` long (30): days past due 1-30 go to
// pastDue1, 31-60 to pastDue2, and the last period of `periodCount` (at
// most 3) takes everything older.  Days past due = as-of date − due date.
// On a balance-forward account the payments and credits pay the oldest
// amounts first (AgingApplyOldestFirst over the not yet due amounts and the
// three periods), so that the past-due amounts are what is left unpaid.
//
// The block is the base library's; its layout is part of the selection file
// "TEMPCSVD.DB" (records of 795 bytes of the customer/vendor record, then
// this block), whose data dictionary names the fields at the offsets below.

#pragma pack(push, 1)
struct CustVendAccountBlock {
  records::I16 periodDays;        // 0
  records::I16 periodCount;       // 2
  char code[11];                  // 4: the account being computed
  std::uint8_t finished;          // 15: 1 once the closing step ran
  std::uint8_t reserved16;
  records::I32 asOfDate;          // 17
  records::I32 lastSalesDate;     // 21 (last purchase date for vendors)
  records::I32 lastPaymentDate;   // 25
  records::F64 closingBalance;    // 29: lines dated on or before the as-of date
  records::F64 currentDue;        // 37: of which not yet past due
  records::F64 totalPastDue;      // 45
  records::F64 creditLimit;       // 53
  records::F64 creditAvailable;   // 61: credit limit − closing balance
  records::F64 balance;           // 69: every line, whatever its date
  records::I32 items;             // 77: lines counted into the closing balance
  records::F64 pastDue1;          // 81: past due 1 .. periodDays days
  records::I32 pastDueItems1;     // 89
  records::F64 pastDue2;          // 93: the next period
  records::I32 pastDueItems2;     // 101
  records::F64 pastDue3;          // 105: older (the last period is open-ended)
  records::I32 pastDueItems3;     // 113
  std::uint8_t balanceForward;    // 117: 1 for a balance-forward account
  // 118: what raised the balance (charges) and what lowered it (credits,
  // both positive) by age: not yet due, then past due 1, 2 and 3; a
  // balance-forward account's past-due amounts are worked from them.
  records::F64 charges[4];
  records::F64 credits[4];        // 150
  std::uint8_t reserved182[15];
};
#pragma pack(pop)

static_assert(sizeof(CustVendAccountBlock) == 197);
static_assert(offsetof(CustVendAccountBlock, asOfDate) == 17);
static_assert(offsetof(CustVendAccountBlock, lastSalesDate) == 21);
static_assert(offsetof(CustVendAccountBlock, lastPaymentDate) == 25);
static_assert(offsetof(CustVendAccountBlock, closingBalance) == 29);
static_assert(offsetof(CustVendAccountBlock, totalPastDue) == 45);
static_assert(offsetof(CustVendAccountBlock, creditAvailable) == 61);
static_assert(offsetof(CustVendAccountBlock, balance) == 69);
static_assert(offsetof(CustVendAccountBlock, pastDue1) == 81);
static_assert(offsetof(CustVendAccountBlock, pastDue2) == 93);
static_assert(offsetof(CustVendAccountBlock, pastDue3) == 105);
static_assert(offsetof(CustVendAccountBlock, balanceForward) == 117);
static_assert(offsetof(CustVendAccountBlock, credits) == 150);

#pragma pack(push, 1)
// One record of the selection file "TEMPCSVD.DB": the customer or vendor
// record as its file stores it, its account block, the mark ('Y' chosen)
// and the copies to print.
struct CustVendSelectionRecord {
  records::CustVendRecord record;  // 0
  CustVendAccountBlock block;      // 795
  char mark;                       // 992
  records::I16 copies;             // 993
};
#pragma pack(pop)
static_assert(sizeof(CustVendSelectionRecord) == 995);
static_assert(offsetof(CustVendSelectionRecord, block) == 795);
static_assert(offsetof(CustVendSelectionRecord, mark) == 992);
static_assert(offsetof(CustVendSelectionRecord, copies) == 993);

// Clears the block for a run: as-of date, period length (days, 30 when not
// above 0) and count (1..3; 3 otherwise).  Returns 0.
int CustVendSelectInit(CustVendAccountBlock* block, std::int32_t asOfDate, int periodDays, int periodCount);

// Starts an account: clears its amounts and takes its code, credit limit,
// last dates and kind (balance forward or open item) from the customer or
// vendor record.  Returns 0.
int CustVendSelectStep(CustVendAccountBlock* block, const records::CustVendRecord* record);

// Adds one open-item line of the account (`openItemFileNo` 5 or 2), or, with
// a null item, finishes the account: total past due and credit available.
// Returns 0; 1 for a null block.
int CustVendAccountStep(CustVendAccountBlock* block, const records::TagOpenInvoice* item, int openItemFileNo);
