// The purge rules per file: one routine per family of files, each deciding
// record by record what may go, removing it with the records that belong
// to it, and showing the record in hand in the purge's status box (its
// lines 0 and 1).
//
// A purge changes no balance and no open item: it removes records only.
// Each removal is one record-manager transaction (a transaction with its
// lines, a history document with its details, a master record with its
// user-defined data and picture, one promotion's details and customers and
// its mark, a product-history record with its product's purged totals), so
// a failure or a kill keeps what was removed before and never half of one.
// A note file goes only once its record's removal is committed.
//
// Each routine returns kPurged when something was removed, kNothingPurged
// when nothing qualified (the caller says so), 3 or −1 when an object it
// needs could not be set up, or the failing record-manager status after the
// error box (the walk ends there).  Everything runs on the UI thread.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "btrvc.h"

inline constexpr int kPurged = 0;
inline constexpr int kNothingPurged = 9;

// A window of dates, both ends included.
struct PurgeWindow {
  std::int32_t from = 0;
  std::int32_t through = 0;
};

// --- Transactions in a window of dates -----------------------------------------------------
//
// Each walks its header file in date order from From and stops at the first
// header dated after Through.

// General ledger (27, lines 26): posted transactions and those deleted in
// entry.
int PurgeGLTransactions(BtrvHandle headers, BtrvHandle lines, PurgeWindow window);
// Receivables (7, details 6) or payables (4, details 3): posted or deleted.
int PurgeRecPayTransactions(int fileNo, BtrvHandle headers, BtrvHandle details, PurgeWindow window);
// Cash (18, lines 17): posted or deleted.
int PurgeCashTransactions(BtrvHandle headers, BtrvHandle lines, PurgeWindow window);
// Billing (32, lines 31) and purchasing (41, lines 40): posted ('Y') or
// closed ('Y'); purchase orders (39, lines 38): closed, or complete (no
// line with a link still waiting for more than it received).
int PurgeBiPoTransactions(int fileNo, BtrvHandle headers, BtrvHandle lines, PurgeWindow window);
// Assembly (11, components 10): posted or deleted.
int PurgeAssemblyTransactions(BtrvHandle headers, BtrvHandle components, PurgeWindow window);
// Sales analysis (53): every record of the window.
int PurgeSalesAnalysis(BtrvHandle history, PurgeWindow window);
// Serial numbers (54, movements 55): the units no longer in stock.
int PurgeSerialNumbers(BtrvHandle serials, BtrvHandle movements, PurgeWindow window);
// Customer (20, details 19) or vendor (60, details 59) history: every
// document of the window with its details.
int PurgeCustVendHistory(int fileNo, BtrvHandle headers, BtrvHandle details, PurgeWindow window);
// Quotes (81, lines 82): every quote of the window; the quotes object opens
// its own tables (their failure is its status).
int PurgeQuotes(PurgeWindow window);

// --- Master records up to a cut-off date ---------------------------------------------------

// The codes that work not yet posted still names.  A master one of them
// names stays whatever its dates: without it that work could no longer be
// posted.  Codes compare as the system compares texts (letter case and
// trailing blanks aside).
class PendingCodes {
 public:
  void Add(std::string_view code);
  bool Names(std::string_view code) const;

 private:
  std::set<std::string> codes_;
};

// The handles a gathering reads; 0 where the kind does not read that file.
struct PendingFiles {
  BtrvHandle receivables = 0, payables = 0;        // transaction headers 7, 4
  BtrvHandle billing = 0, billingLines = 0;        // 32, 31
  BtrvHandle purchasing = 0, purchasingLines = 0;  // 41, 40
  BtrvHandle orders = 0, orderLines = 0;           // 39, 38
  BtrvHandle assemblies = 0, components = 0;       // 11, 10
  BtrvHandle activity = 0;                         // 62
};

// Gathers into *out the customers or vendors (`accounts`: 22 or 66) that
// unposted receivables or payables transactions, billing or purchasing, and
// purchase orders still open name; or the products and services (43 or 52)
// that their lines, the assemblies not posted (the assembled product and
// each component) and unposted stock activity name.  Returns 0, or the
// failing status after the error box.
int GatherPendingCodes(int accounts, const PendingFiles& files, PendingCodes* out);

// Customers (22, user data 67) or vendors (66, 68): active last on or
// before the cut-off, with no amount on their account, no open item left
// (`openItems`: file 5 or 2) and named by no work still to post.
int PurgeCustVendAccounts(int fileNo, BtrvHandle accounts, BtrvHandle userData, BtrvHandle openItems,
                          const PendingCodes& pending, std::int32_t cutOff);
// Services (52, user data 70): last sold on or before the cut-off, in no
// bill of materials (8) and named by no work still to post.
int PurgeServices(int fileNo, BtrvHandle services, BtrvHandle bills, BtrvHandle userData,
                  const PendingCodes& pending, std::int32_t cutOff);

// The date a product is purged by.
enum class ProductPurgeDate { kLastPurchase, kLastSale };
// Products (43, bills of materials 8, user data 69, and the picture table):
// the date on or before the cut-off, no stock and no value, not an
// assembly, in no bill of materials and named by no work still to post.
// −1 when the picture table does not open.
int PurgeProducts(int fileNo, BtrvHandle products, BtrvHandle bills, BtrvHandle userData,
                  const PendingCodes& pending, std::int32_t cutOff, ProductPurgeDate by);
// Product history detail (62, products 43): posted stock activity dated on
// or before the cut-off; its quantity and amount stay in the product's
// purged totals.
int PurgeProductHistoryDetail(int fileNo, BtrvHandle details, BtrvHandle products, std::int32_t cutOff);
// Audit trail log (75): the entries dated on or before the cut-off.
int PurgeAuditTrailLog(int fileNo, BtrvHandle log, std::int32_t cutOff);

// --- The others -----------------------------------------------------------------------------

// Promotional prices (77, details 78, customers 79): the details inside the
// window; a promotion all of whose details went loses its customers inside
// the window, is marked, and a marked promotion inside the window goes.
int PurgePromotionalPrices(int fileNo, BtrvHandle headers, BtrvHandle details, BtrvHandle customers,
                           PurgeWindow window);
// Empty notes: in customers, vendors, products, services and notes (the
// handles and file numbers, both ending with 0), a note name whose file is
// missing is cleared.  Every record read counts.
int PurgeEmptyNotes(const BtrvHandle* handles, const int* fileNos);
