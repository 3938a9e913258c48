// The menu bar tables of the main program and the building of the bar.
#include "shell/menu_tables.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "qxhlpmnu.h"
#include "ravadodo.h"

namespace qxa {
namespace {

constexpr char kSeparatorHot = static_cast<char>(0xC4);

// ---- Drop-down lists and sub-menus ------------------------------------------
// Entry: row, column, command id, level, key code, hot letter, caption,
// children.  A list ends with an entry of id -1 (or 0 and no caption) that
// carries row 1 and the column of the title or pop-up entry owning it.

// "File": stored width 17.
constexpr TagMenuItem kFileList[] = {
    {1, 1, 110, 0, 0, 'O', " Open            ", nullptr},
    {2, 1, 111, 0, 0, 'E', " Express Setup   ", nullptr},
    {3, 1, 112, 4, 0, 'C', " Copy            ", nullptr},
    {4, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?", nullptr},
    {5, 1, 602, 3, 0, 'B', " Backup/Restore  ", nullptr},
    {6, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?", nullptr},
    {7, 1, 113, 5, 0, 'I', " Import          ", nullptr},
    {8, 1, 114, 5, 0, 'T', " Export TAL      ", nullptr},
    {9, 1, 117, 5, 0, 'N', " CoNsolidate     ", nullptr},
    {10, 1, 115, 5, 0, 'B', " Export Billing  ", nullptr},
    {11, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?", nullptr},
    {12, 1, 116, 1, 0, 'U', " Utilities       ", nullptr},
    {13, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?", nullptr},
    {14, 1, 118, 1, 0, 'X', " EXit            ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// "Edit": stored width 18.
constexpr TagMenuItem kEditList[] = {
    {1, 1, 120, 3, 0, 'A', " Accounts         ", nullptr},
    {2, 1, 121, 3, 0, 'C', " Customers        ", nullptr},
    {3, 1, 122, 3, 0, 'V', " Vendors          ", nullptr},
    {4, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {5, 1, 250, 3, 0, 'P', " Products         ", nullptr},
    {6, 1, 124, 3, 0, 'S', " Services         ", nullptr},
    {7, 1, 123, 3, 0, 'M', " Master Items     ", nullptr},
    {8, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {9, 1, 125, 3, 0, 'F', " Fixed Assets     ", nullptr},
    {10, 1, 126, 3, 0, 'H', " PurcHasing Codes ", nullptr},
    {11, 1, 127, 3, 0, 'B', " Billing Codes    ", nullptr},
    {12, 1, 128, 3, 0, 'L', " SaLespeople      ", nullptr},
    {13, 1, 129, 3, 0, 'N', " Serial Number    ", nullptr},
    {14, 1, 130, 3, 0, 'O', " PrOmotional Prices ", nullptr},
    {15, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {16, 1, 131, 1, 0, 'T', " Tables           ", nullptr},
    {17, 1, 140, 1, 0, 'D', " Defaults         ", nullptr},
    {1, 7, -1, 0, 0, 0, nullptr, nullptr},
};

// "Transactions": stored width 20.
constexpr TagMenuItem kTransactionsList[] = {
    {1, 1, 201, 2, 0, 'G', " General Ledger     ", nullptr},
    {2, 1, 202, 1, 0, 'R', " Receivables Ledger ", nullptr},
    {3, 1, 203, 1, 0, 'P', " Payables Ledger    ", nullptr},
    {4, 1, 210, 1, 0, 'C', " Cash Entry         ", nullptr},
    {5, 1, 314, 1, 0, 'S', " CaSh Print         ", nullptr},
    {6, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {7, 1, 220, 1, 0, 'H', " PurcHasing Entry   ", nullptr},
    {8, 1, 223, 1, 0, 'U', " PUrchasing Print   ", nullptr},
    {9, 1, 230, 1, 0, 'B', " Billing Entry      ", nullptr},
    {10, 1, 236, 1, 0, 'Z', " BiLling Print      ", nullptr},
    {11, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {12, 1, 204, 3, 0, 'A', " Assembly           ", nullptr},
    {13, 1, 391, 3, 0, 'I', " Physical Inventory ", nullptr},
    {17, 1, 205, 3, 0, 'Y', " InventorY Adjustments ", nullptr},
    {14, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {15, 1, 240, 1, 0, 'N', " RecurriNg Entry    ", nullptr},
    {16, 1, 243, 1, 0, 'T', " Recurring GeneraTion ", nullptr},
    {1, 12, -1, 0, 0, 0, nullptr, nullptr},
};

// "Journals": stored width 20.
constexpr TagMenuItem kJournalsList[] = {
    {1, 1, 301, 2, 0, 'G', " General Ledger     ", nullptr},
    {2, 1, 302, 1, 0, 'R', " Receivables Ledger ", nullptr},
    {3, 1, 303, 1, 0, 'P', " Payables Ledger    ", nullptr},
    {4, 1, 310, 1, 0, 'C', " Cash               ", nullptr},
    {5, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {6, 1, 304, 1, 0, 'H', " PurcHasing         ", nullptr},
    {7, 1, 305, 1, 0, 'B', " Billing            ", nullptr},
    {8, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {9, 1, 306, 3, 0, 'A', " Assembly           ", nullptr},
    {10, 1, 307, 3, 0, 'I', " Physical Inventory ", nullptr},
    {1, 25, -1, 0, 0, 0, nullptr, nullptr},
};

// "Posting": stored width 24.
constexpr TagMenuItem kPostingList[] = {
    {1, 1, 320, 3, 0, 'G', " General Ledger         ", nullptr},
    {2, 1, 321, 3, 0, 'R', " Receivables Ledger     ", nullptr},
    {3, 1, 322, 3, 0, 'P', " Payables Ledger        ", nullptr},
    {4, 1, 323, 3, 0, 'C', " Cash                   ", nullptr},
    {5, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {6, 1, 324, 3, 0, 'H', " PurcHasing             ", nullptr},
    {7, 1, 325, 3, 0, 'B', " Billing                ", nullptr},
    {8, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {9, 1, 326, 3, 0, 'A', " Assembly               ", nullptr},
    {10, 1, 327, 3, 0, 'I', " Physical Inventory     ", nullptr},
    {1, 34, 0, 0, 0, 0, nullptr, nullptr},
};

// "Reports": stored width 18.
constexpr TagMenuItem kReportsList[] = {
    {1, 1, 410, 1, 0, 'G', " General Ledger   ", nullptr},
    {2, 1, 336, 1, 0, 'R', " Receivables      ", nullptr},
    {3, 1, 343, 1, 0, 'P', " Payables         ", nullptr},
    {4, 1, 350, 1, 0, 'I', " Inventory        ", nullptr},
    {4, 1, 357, 1, 0, 'A', " Assembly         ", nullptr},
    {5, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {6, 1, 403, 4, 0, 'B', " Business Analysis ", nullptr},
    {7, 1, 363, 1, 0, 'T', " PromoTional Price ", nullptr},
    {8, 1, 394, 1, 0, 'D', " Audit Trail Log  ", nullptr},
    {1, 42, -1, 0, 0, 0, nullptr, nullptr},
};

// "Qurl Access": stored width 20.
constexpr TagMenuItem kQurlAccessList[] = {
    {1, 1, 401, 4, 0, 'F', " Financial Reporter ", nullptr},
    {2, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {3, 1, 501, 4, 0, 'Q', " Query              ", nullptr},
    {4, 1, 502, 4, 0, 'P', " Publisher          ", nullptr},
    {1, 50, -1, 0, 0, 0, nullptr, nullptr},
};

// "PerioDic": stored width 16.
constexpr TagMenuItem kPeriodicList[] = {
    {1, 1, 360, 1, 0, 'G', " General Ledger ", nullptr},
    {2, 1, 364, 1, 0, 'R', " Receivables    ", nullptr},
    {3, 1, 370, 1, 0, 'P', " Payables       ", nullptr},
    {4, 1, 151, 1, 0, 'I', " Inventory      ", nullptr},
    {5, 1, 390, 4, 0, 'E', " PurgE          ", nullptr},
    {6, 1, 393, 4, 0, 'C', " Global Changes ", nullptr},
    {1, 60, 0, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 131 "Tables": stored width 18.
constexpr TagMenuItem kTablesList[] = {
    {1, 1, 131, 3, 0, 'M', " Messages         ", nullptr},
    {2, 1, 251, 3, 0, 'P', " Price Breaks     ", nullptr},
    {3, 1, 136, 3, 0, 'S', " Shipping Methods ", nullptr},
    {4, 1, 133, 3, 0, 'T', " Terms            ", nullptr},
    {5, 1, 134, 3, 0, 'X', " TaX              ", nullptr},
    {6, 1, 135, 3, 0, 'W', " Warehouses       ", nullptr},
    {7, 1, 137, 3, 0, 'U', " Weight Units     ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 140 "Defaults": stored width 21.
constexpr TagMenuItem kDefaultsList[] = {
    {1, 1, 140, 5, 0, 'I', " Company Information ", nullptr},
    {2, 1, 141, 4, 0, 'S', " System Preferences  ", nullptr},
    {3, 1, 143, 4, 0, 'A', " Account Interface   ", nullptr},
    {4, 1, 153, 3, 0, 'M', " CustoM Field Labels ", nullptr},
    {5, 1, 144, 3, 0, 'D', " Customer Defaults   ", nullptr},
    {6, 1, 145, 3, 0, 'V', " Vendor Defaults     ", nullptr},
    {7, 1, 146, 3, 0, 'P', " Product Defaults    ", nullptr},
    {8, 1, 148, 3, 0, 'T', " PrinTers            ", nullptr},
    {9, 1, 149, 6, 0, 'W', " PassWords           ", nullptr},
    {10, 1, 152, 6, 0, 'U', " User Access Rights  ", nullptr},
    {11, 1, 150, 3, 0, 'F', " Forms Setup         ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 210 "Cash Entry": stored width 16.
constexpr TagMenuItem kCashEntryList[] = {
    {1, 1, 210, 1, 0, 'R', " Receipts       ", nullptr},
    {2, 1, 216, 1, 0, 'U', " AUtoPay        ", nullptr},
    {3, 1, 211, 1, 0, 'P', " Payments       ", nullptr},
    {4, 1, 212, 1, 0, 'A', " Adjustments    ", nullptr},
    {5, 1, 392, 3, 0, 'N', " ReconciliatioN ", nullptr},
    {6, 1, 214, 3, 0, 'V', " Void Checks    ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 314 "Cash Print": stored width 17.
constexpr TagMenuItem kCashPrintList[] = {
    {1, 1, 215, 2, 0, 'D', " Deposit Slips   ", nullptr},
    {2, 1, 313, 2, 0, 'P', " Checks to Print ", nullptr},
    {3, 1, 314, 2, 0, 'R', " Register        ", nullptr},
    {4, 1, 213, 2, 0, 'C', " Checks          ", nullptr},
    {5, 1, 316, 2, 0, 'O', " On Line Balance ", nullptr},
    {1, 8, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 220 "Purchasing Entry": stored width 22.
constexpr TagMenuItem kPurchasingEntryList[] = {
    {1, 1, 227, 1, 0, 'U', " Auto Purchase Orders ", nullptr},
    {2, 1, 220, 1, 0, 'P', " Purchase Orders      ", nullptr},
    {3, 1, 221, 1, 0, 'M', " Merchandise Received ", nullptr},
    {4, 1, 222, 1, 0, 'R', " Purchase Returns     ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 223 "Purchasing Print": stored width 23.
constexpr TagMenuItem kPurchasingPrintList[] = {
    {1, 1, 223, 1, 0, 'P', " Purchase Orders       ", nullptr},
    {2, 1, 308, 1, 0, 'S', " Purchase Order Status ", nullptr},
    {3, 1, 225, 1, 0, 'M', " Merchandise Received  ", nullptr},
    {4, 1, 226, 1, 0, 'R', " Purchase Returns      ", nullptr},
    {5, 1, 420, 1, 0, 'V', " Vendor Labels         ", nullptr},
    {6, 1, 421, 1, 0, 'L', " Product Labels        ", nullptr},
    {1, 8, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 230 "Billing Entry": stored width 18.
constexpr TagMenuItem kBillingEntryList[] = {
    {1, 1, 230, 1, 0, 'I', " Invoices         ", nullptr},
    {2, 1, 231, 1, 0, 'B', " Fill Backorders  ", nullptr},
    {3, 1, 232, 4, 0, 'P', " Purge Backorders ", nullptr},
    {4, 1, 233, 1, 0, 'S', " Sales Returns    ", nullptr},
    {5, 1, 238, 1, 0, 'Q', " Sales Quotes     ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 236 "Billing Print": stored width 20.
constexpr TagMenuItem kBillingPrintList[] = {
    {1, 1, 236, 1, 0, 'I', " Invoices           ", nullptr},
    {2, 1, 340, 1, 0, 'B', " Backorder Status   ", nullptr},
    {3, 1, 237, 1, 0, 'S', " Sales Returns      ", nullptr},
    {4, 1, 422, 1, 0, 'C', " Customer Labels    ", nullptr},
    {5, 1, 423, 1, 0, 'P', " Product Labels     ", nullptr},
    {6, 1, 239, 1, 0, 'Q', " Print Sales Quotes ", nullptr},
    {1, 8, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 240 "Recurring Entry": stored width 16.
constexpr TagMenuItem kRecurringEntryList[] = {
    {1, 1, 240, 2, 0, 'G', " General Ledger ", nullptr},
    {2, 1, 241, 2, 0, 'P', " Payments       ", nullptr},
    {3, 1, 234, 2, 0, 'I', " Invoices       ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 243 "Recurring Generation": stored width 16.
constexpr TagMenuItem kRecurringGenerationList[] = {
    {1, 1, 243, 2, 0, 'G', " General Ledger ", nullptr},
    {2, 1, 244, 2, 0, 'P', " Payments       ", nullptr},
    {3, 1, 235, 2, 0, 'I', " Invoices       ", nullptr},
    {4, 1, 395, 2, 0, 'F', " Fixed Assets   ", nullptr},
    {1, 8, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 310 "Cash": stored width 22.
constexpr TagMenuItem kCashJournalList[] = {
    {1, 1, 310, 1, 0, 'J', " Cash Journal         ", nullptr},
    {2, 1, 311, 1, 0, 'R', " Receipts Report      ", nullptr},
    {3, 1, 312, 1, 0, 'D', " Disbursements Report ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 410 "General Ledger": stored width 19.
constexpr TagMenuItem kGLReportsList[] = {
    {1, 1, 410, 2, 0, 'C', " Chart of Accounts ", nullptr},
    {2, 1, 411, 4, 0, 'A', " Activity Report   ", nullptr},
    {3, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4", nullptr},
    {4, 1, 412, 4, 0, 'T', " Trial Balance     ", nullptr},
    {5, 1, 413, 4, 0, 'B', " Balance Sheet     ", nullptr},
    {6, 1, 414, 4, 0, 'I', " Income Statement  ", nullptr},
    {7, 1, 415, 4, 0, 'R', " Cash Flow Report  ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 336 "Receivables": stored width 12.
constexpr TagMenuItem kReceivablesReportsList[] = {
    {1, 1, 336, 2, 0, 'S', " Statements ", nullptr},
    {2, 1, 337, 2, 0, 'A', " Aging      ", nullptr},
    {3, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {4, 1, 338, 2, 0, 'D', " Directory  ", nullptr},
    {5, 1, 339, 2, 0, 'L', " Labels     ", nullptr},
    {6, 1, 341, 2, 0, 'T', " LeTters    ", nullptr},
    {7, 1, 396, 2, 0, 'M', " Mail Merge ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 343 "Payables": stored width 12.
constexpr TagMenuItem kPayablesReportsList[] = {
    {1, 1, 343, 2, 0, 'S', " Statements ", nullptr},
    {2, 1, 344, 2, 0, 'A', " Aging      ", nullptr},
    {3, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {4, 1, 345, 2, 0, 'D', " Directory  ", nullptr},
    {5, 1, 346, 2, 0, 'L', " Labels     ", nullptr},
    {6, 1, 349, 2, 0, 'T', " LeTters    ", nullptr},
    {7, 1, 397, 2, 0, 'M', " Mail Merge ", nullptr},
    {7, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {8, 1, 347, 2, 0, 'P', " Payments   ", nullptr},
    {9, 1, 348, 2, 0, '1', " 1099's     ", nullptr},
    {10, 1, 375, 2, 0, '6', " 1096       ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 350 "Inventory": stored width 21.
constexpr TagMenuItem kInventoryReportsList[] = {
    {1, 1, 350, 2, 0, 'P', " Product Listing     ", nullptr},
    {2, 1, 351, 2, 0, 'S', " Service Listing     ", nullptr},
    {3, 1, 352, 2, 0, 'L', " Price List          ", nullptr},
    {4, 1, 353, 2, 0, 'B', " Price Breaks        ", nullptr},
    {5, 1, 426, 2, 0, 'D', " ProDuct Labels      ", nullptr},
    {6, 1, 398, 2, 0, 'M', " Master Item Activity ", nullptr},
    {7, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?   ", nullptr},
    {8, 1, 354, 2, 0, 'A', " Activity Report     ", nullptr},
    {9, 1, 359, 2, 0, 'T', " AcTivity Detail     ", nullptr},
    {10, 1, 355, 2, 0, 'R', " Alert Report        ", nullptr},
    {11, 1, 356, 2, 0, 'C', " Count Sheets        ", nullptr},
    {12, 1, 399, 3, 0, 'I', " Inventory Adjustments ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 357 "Assembly": stored width 20.
constexpr TagMenuItem kAssemblyReportsList[] = {
    {1, 1, 357, 2, 0, 'A', " Assembly Report    ", nullptr},
    {2, 1, 358, 2, 0, 'C', " Component Analysis ", nullptr},
    {1, 12, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 360 "General Ledger": stored width 12.
constexpr TagMenuItem kGLPeriodicList[] = {
    {1, 1, 360, 4, 0, 'P', " Period End ", nullptr},
    {2, 1, 361, 4, 0, 'B', " Budget     ", nullptr},
    {3, 1, 362, 4, 0, 'Y', " Year End   ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 364 "Receivables": stored width 26.
constexpr TagMenuItem kReceivablesPeriodicList[] = {
    {1, 1, 364, 4, 0, 'G', " Generate Finance Charges ", nullptr},
    {2, 1, 365, 4, 0, 'P', " Period End               ", nullptr},
    {3, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4 ", nullptr},
    {4, 1, 366, 4, 0, 'F', " Print Forecast           ", nullptr},
    {5, 1, 367, 4, 0, 'C', " Forecast Calculation     ", nullptr},
    {6, 1, 368, 4, 0, 'S', " Print Statistical YTD    ", nullptr},
    {7, 1, 369, 4, 0, 'Y', " Year End                 ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 370 "Payables": stored width 23.
constexpr TagMenuItem kPayablesPeriodicList[] = {
    {1, 1, 370, 4, 0, 'P', " Period End            ", nullptr},
    {2, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?", nullptr},
    {3, 1, 371, 4, 0, 'F', " Print Forecast        ", nullptr},
    {4, 1, 372, 4, 0, 'C', " Forecast Calculation  ", nullptr},
    {5, 1, 373, 4, 0, 'S', " Print Statistical YTD ", nullptr},
    {6, 1, 374, 4, 0, 'Y', " Year End              ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// sub-menu of 151 "Inventory": stored width 27.
constexpr TagMenuItem kInventoryPeriodicList[] = {
    {1, 1, 151, 3, 0, 'A', " Component List Adjustment ", nullptr},
    {2, 1, 380, 3, 0, 'P', " Price Assignment          ", nullptr},
    {3, 1, 0, 0, 0, kSeparatorHot, " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?", nullptr},
    {4, 1, 381, 4, 0, 'F', " Print Forecast            ", nullptr},
    {5, 1, 382, 4, 0, 'C', " Forecast Calculation      ", nullptr},
    {6, 1, 383, 4, 0, 'S', " Print Statistical YTD     ", nullptr},
    {7, 1, 384, 4, 0, 'Y', " Year End                  ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};

// ---- Top-level table ----------------------------------------------------------

constexpr TagMenuItem kTopLevel[] = {
    {0, 2, 0, 0, 0x2100, 'F', "File", kFileList},
    {0, 7, 0, 0, 0x1200, 'E', "Edit", kEditList},
    {0, 12, 0, 0, 0x1400, 'T', "Transactions", kTransactionsList},
    {0, 25, 0, 0, 0x2400, 'J', "Journals", kJournalsList},
    {0, 34, 0, 0, 0x1900, 'P', "Posting", kPostingList},
    {0, 42, 0, 0, 0x1300, 'R', "Reports", kReportsList},
    {0, 50, 0, 0, 0x1E00, 'A', "Qurl Access", kQurlAccessList},
    {0, 60, 0, 0, 0x2000, 'D', "PerioDic", kPeriodicList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};

// ---- Pop-up tables ----------------------------------------------------------------
// Each entry's command id is that of an item of a drop-down list; its
// children become the item's sub-menu.

constexpr TagMenuItem kPopup131[] = {
    {0, 2, 131, 0, 0x1400, 'T', "Tables", kTablesList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup140[] = {
    {0, 2, 140, 0, 0x2000, 'D', "Defaults", kDefaultsList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup210[] = {
    {0, 2, 210, 0, 0x1200, 'C', "Cash Entry", kCashEntryList},
    {0, 8, 314, 0, 0x1900, 's', "Cash Print", kCashPrintList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup220[] = {
    {0, 2, 220, 0, 0x1200, 'h', "Purchasing Entry", kPurchasingEntryList},
    {0, 8, 223, 0, 0x1900, 't', "Purchasing Print", kPurchasingPrintList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup230[] = {
    {0, 2, 230, 0, 0x1200, 'B', "Billing Entry", kBillingEntryList},
    {0, 8, 236, 0, 0x1900, 'l', "Billing Print", kBillingPrintList},
    {0, 0, 0, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup240[] = {
    {0, 2, 240, 0, 0x1200, 'n', "Recurring Entry", kRecurringEntryList},
    {0, 8, 243, 0, 0x2200, 'u', "Recurring Generation", kRecurringGenerationList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup310[] = {
    {0, 2, 310, 0, 0x2400, 'J', "Cash", kCashJournalList},
    {0, 0, 0, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup410[] = {
    {0, 2, 410, 0, 0x2200, 'G', "General Ledger", kGLReportsList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup336[] = {
    {0, 2, 336, 0, 0x1300, 'R', "Receivables", kReceivablesReportsList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup343[] = {
    {0, 2, 343, 0, 0x1900, 'P', "Payables", kPayablesReportsList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup350[] = {
    {0, 2, 350, 0, 0x1700, 'I', "Inventory", kInventoryReportsList},
    {0, 12, 357, 0, 0x1E00, 'A', "Assembly", kAssemblyReportsList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup360[] = {
    {0, 2, 360, 0, 0x2200, 'G', "General Ledger", kGLPeriodicList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup364[] = {
    {0, 2, 364, 0, 0x1300, 'R', "Receivables", kReceivablesPeriodicList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup370[] = {
    {0, 2, 370, 0, 0x1900, 'P', "Payables", kPayablesPeriodicList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
constexpr TagMenuItem kPopup151[] = {
    {0, 2, 151, 0, 0x1700, 'I', "Inventory", kInventoryPeriodicList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};

struct PopupTable {
  int id;
  const TagMenuItem* table;
};
constexpr PopupTable kPopups[] = {
    {131, kPopup131}, {140, kPopup140}, {151, kPopup151}, {210, kPopup210}, {220, kPopup220},
    {230, kPopup230}, {240, kPopup240}, {310, kPopup310}, {336, kPopup336}, {343, kPopup343},
    {350, kPopup350}, {360, kPopup360}, {364, kPopup364}, {370, kPopup370}, {410, kPopup410},
};

}  // namespace

const TagMenuItem* TopLevelMenu() { return kTopLevel; }

bool FindPopupTable(int popupId, const TagMenuItem** table) {
  for (const PopupTable& p : kPopups) {
    if (p.id == popupId) {
      *table = p.table;
      return true;
    }
  }
  return false;
}

void BuildMenuBar() {
  if (AppIsCommandOnly()) {
    HelpMenuAdd(AppGetMainWindow(), "QXABASE.DLL");
    return;
  }
  // The titles' columns leave one blank after the title before; a column
  // that would let two titles overlap ("Qurl Access" is longer than the
  // column of "PerioDic" allows) moves right.  The bar is built from the
  // laid-out copy, which lives as long as the bar.
  static TagMenuItem laidOut[std::size(kTopLevel)];
  std::copy(std::begin(kTopLevel), std::end(kTopLevel), laidOut);
  unsigned free = 0;
  for (TagMenuItem& title : laidOut) {
    if (!title.caption) break;
    title.column = std::max(title.column, free);
    free = title.column + static_cast<unsigned>(std::strlen(title.caption)) + 1;
  }
  MenuBuild(laidOut);
  for (int id : kPopupIds) {
    const TagMenuItem* table = nullptr;
    if (FindPopupTable(id, &table)) MenuAttachPopup(table, id);
  }
  HelpMenuAdd(AppGetMainWindow(), "QXABASE.DLL");
  MenuBarDraw();
}

}  // namespace qxa
