// Posting services of billing and purchasing (commands 325 and 324) beyond
// those every posting run shares (qxabase/posting.h): the kinds of
// transaction, the general-ledger lines one transaction books, the unposted
// scan of a period, and the removal of a transaction.
//
// What a transaction books.  Each billing or purchasing transaction turns
// into G/L lines in two ways at once.  Its customer or vendor side, its
// payment, freight, inventory, cost of goods, sales and returns gather in ten
// distribution slots (BiPoDistribution): each adds a debit and a credit, and
// a slot nets what it receives (AddToDistSlot), so that a payment taken at
// entry and the invoice it pays leave nothing on the customer's slot.  Tax,
// priced codes, purchased services and products that carry no stock and, in
// distribution mode 'I', each product and service line are booked line by
// line against the slots.  A product that carries no stock never reaches the
// inventory account.  BiPoLedgerLines gathers the lines of one transaction
// in the order the posting writes them; the batch run adds them to its "BI"
// or "PO" transaction and the general ledger on line
// (CBaseGL::UpdateFromBiTran, UpdateFromPoTran) to a transaction of their
// own, so that both book the same figures.
//
// Amounts are doubles rounded with NumRound to cents.  Everything runs on the
// UI thread; nothing here throws.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "btrvc.h"
#include "qxabase/posting.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

class CUnpostTransCount;
class QxOIHeader;

// --- Kinds of transaction ------------------------------------------------------------------

enum BiPoKind : int {
  kBiPoNotPosted = 1,        // purchasing, any type but 'I' and 'R' (orders 'O'): never posted
  kBiPoPurchase = 2,         // purchasing 'I'
  kBiPoPurchaseReturn = 3,   // purchasing 'R'
  kBiPoInvoice = 4,          // billing 'I'
  kBiPoBillingReturn = 5,    // billing, any other type ('R' returns, 'O', ...)
};

// The kind of a header of the purchasing (`purchasing` true) or billing file.
int BiPoKindOf(bool purchasing, char typeLetter);

// True for a purchase or purchase return whose vendor side goes to the
// header's own account (onAccountFlag 'N': offsetAccount) instead of the
// vendor's payables; the vendor and its open invoices are then not touched.
bool BiPoOffAccount(int kind, const records::TagBiPoHeader& header);

// --- Distribution slots ------------------------------------------------------------------

inline constexpr int kBiPoSlotCount = 10;
enum BiPoSlot : int {
  kSlotParty = 0,        // the customer's receivables or the vendor's payables
  kSlotCash = 1,         // payments
  kSlotInventory = 2,
  kSlotCostOfGoods = 3,  // billing product costs
  kSlotReturns = 4,      // billing returns: product and service amounts
  kSlotSales = 6,        // billing invoices: product and service amounts
  kSlotFreight = 8,      // billing freight
  kSlotOffAccount = 9,   // the vendor side of a purchase not on the vendor's account
};

// The slots of one transaction: of each G/L line only the account, the side
// ('D', 'C', blank for an empty slot) and the amount (never negative) count.
struct BiPoDistribution {
  records::GLLine slot[kBiPoSlotCount];
};

// With `iface`: every slot zeroed and the accounts set from the account
// interface (party: receivables for billing, payables for purchasing; cash,
// inventory, cost of goods, sales returns, sales, freight).  Without: only
// the sides and amounts are cleared, the accounts stay.
void InitBiPoDistribution(bool purchasing, BiPoDistribution* distribution, const records::InterfaceRecord* iface);

// Adds `amount` on `side` to slot `slot`: a negative amount counts on the
// other side; an empty slot takes side and amount; the same side adds; the
// other side subtracts, the slot turning to the other side when the result
// is negative and emptying when it is zero at cents.
void AddToDistSlot(BiPoDistribution* distribution, char side, double amount, int slot);

// --- The G/L lines of one transaction -----------------------------------------------------

class BiPoLedgerLines {
 public:
  // `iface` is the account interface ("0Interface"); its distribution mode
  // (glMode) chooses the accounts: 'C' the sales, returns and cost-of-goods
  // accounts take the customer's segment, 'I' (billing) each product and
  // service line is booked to its item's accounts, any other letter the
  // interface accounts as they stand.
  BiPoLedgerLines(bool purchasing, const records::InterfaceRecord& iface);

  // Starts transaction `header` of kind `kind` (2-5): the lines of the one
  // before are dropped and the slots emptied.  `party` is its customer or
  // vendor (null when it is not on file): its account (glAccount) takes the
  // party side, the interface's when it has none.
  void Begin(int kind, const records::TagBiPoHeader& header, const records::CustVendRecord* party);

  // The account a product or service line of a billing transaction books
  // its amount or cost to in mode 'I': interface account `index`
  // (kSalesIndex, kSalesReturnsIndex, kCostOfGoodsIndex of
  // records::InterfaceRecord) joined with the item's segment
  // (GLAccountWithSegment), into `out` (11 bytes).  Returns out.
  char* ItemAccount(char* out, int index, const char* segment) const;
  // The account index the amount of a billing item line goes to: sales for
  // an invoice, sales returns for any other kind.  The transaction's kind
  // decides, not the line's letter: an 'O' header's lines are stored as 'I'.
  int ItemSalesIndex() const;
  bool PerItem() const { return !purchasing_ && iface_.glMode == 'I'; }

  // A product line with its cost (billing: the extended cost; purchasing: 0,
  // unused) and its product (its segment for mode 'I'; whether it carries
  // stock).  A product that carries no stock (TagProduct::CarriesStock)
  // never touches the inventory account: its purchase (or purchase return)
  // is booked like a purchased service, against the interface's
  // cost-of-goods account, and its sale (or return) books the sales (or
  // returns) only, with no cost.
  void ProductLine(const records::BiPoLine& line, double cost, const records::TagProduct& product);
  // A service line and its service's segment.  A purchased service is
  // booked like a priced code: its amount on the vendor's side, the
  // interface's cost-of-goods account on the other (line by line).
  void ServiceLine(const records::BiPoLine& line, const char* segment);
  // A priced-code line (kind 4) and the code's account.
  void CodeLine(const records::BiPoLine& line, const char* account);
  // The header's tax (TagBiPoHeader::tax) over the accounts of `tax` (its
  // tax code): billing the eight billing accounts with their rates,
  // purchasing the purchasing account.  The base is the tax over the total
  // rate; each account of a non-zero rate takes its share at cents, and the
  // last of them what makes the lines sum to the tax; with every rate 0 the
  // first account takes the whole tax.  Without accounts (or without `tax`)
  // the tax reaches only the party side, and the transaction does not
  // balance.
  void Tax(const records::TaxCode* tax);
  // The amount paid at entry and the freight (billing) of the header.
  void PaymentAndFreight();
  // The slot lines, in the order the posting writes them: payment, freight,
  // party, inventory, then (billing outside mode 'I') sales, returns and
  // cost of goods.
  void Summary();

  // The lines gathered since Begin: account, description, side ('D' or
  // 'C') and amount (above zero at cents); the caller fills journal,
  // number and date.
  const std::vector<records::GLLine>& Lines() const { return lines_; }
  // Their debit and credit totals, at cents.
  double Debits() const;
  double Credits() const;
  // What the product, service and code lines, the tax and (billing) the
  // freight put on the customer's or vendor's side, at cents: the figure the
  // header's total must show, as the customer or vendor takes the total.
  double Booked() const;
  const BiPoDistribution& Distribution() const { return slots_; }

 private:
  void Add(const char* account, const char* description, char side, double amount);
  void AddSlot(int slot, const char* account, const char* description);
  void NonStockProductLine(const records::BiPoLine& line, const records::TagProduct& product);
  int PartySlot() const;
  const char* Text(const char* billing, const char* purchasing) const;

  bool purchasing_;
  records::InterfaceRecord iface_;
  BiPoDistribution slots_{};
  int kind_ = 0;
  records::TagBiPoHeader header_{};
  char partyAccount_[11] = {};
  std::vector<records::GLLine> lines_;
  double booked_ = 0;
};

// --- The period's unposted transactions -----------------------------------------------------

// True when the billing (file 32) or purchasing (file 41) file of `headers`
// (its handle; the file is told by the handle's file) holds unposted
// transactions dated from `fromDate` to `toDate`: posted flag and closed
// flag (384) 'N', 'n' or zero, type other than 'O' (an order, which is
// never posted).  Each one found is recorded in `counter` when given (with
// its date).  The handle keeps its key.  A failed read shows the
// record-manager error box and answers true: the run that asked must not go
// on as if the period were done.  `fileNo` names the file (32 or 41).
bool BiPoEndCheck(BtrvHandle headers, int fileNo, std::int32_t fromDate, std::int32_t toDate,
                  CUnpostTransCount* counter);

// --- Removing a transaction --------------------------------------------------------------------

// Removes a billing (`headerFileNo` 32), purchasing (41) or purchase-order
// (39) transaction: its lines (file 31, 40 or 38, as BiPoLineWalk of
// qxabase/bipo_lines.h finds them) and its header.  A header that the walk
// is on (PostTranRead) is deleted in place, so that the walk goes on after
// it; another is found by its key 0 (type letter, number, third key part).  The open invoices the transaction is
// linked to stay: posted, they are the account's open items.  `mode` (4),
// `openInvoices`, `products`, `reserved` and `oiHeader` are kept for the
// callers.  Returns 0, or the status with the work record filled.  The
// deletes belong to the posting unit that is open (or are a unit of their
// own).
int PostBiPoTranRemove(int mode, BtrvHandle headers, BtrvHandle lines, BtrvHandle openInvoices, BtrvHandle products,
                       int headerFileNo, int reserved, const records::TagBiPoHeader* header, TagPostWork* work,
                       QxOIHeader* oiHeader = nullptr);
