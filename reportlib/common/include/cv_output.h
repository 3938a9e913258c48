// The output options and the record selection of customer and vendor
// statements (commands 336, 343), mailing labels (339, 346) and form letters
// (341, 349).
//
// A run:
//   CustVendOutputParams p{};  (presets: menu id, copies, run date, files)
//   CustVendSelectInit(&p.recordArea.block, p.runDate, 30, 3);
//   CustVendOutputOptions(&p)           -> 0: the selection is open and the
//                                          first chosen account is in p.recordArea
//   ... print it; ReadSelectedCustVend(6, &p) for the next one ...
//   CloseCustVendSelection(&p)          on every way out
//
// The options screen asks for the run date, how the accounts are chosen
// (a range of two criteria, or picked one by one from a list of those in
// the range) and the copies of each; statements add their messages (kept in
// the settings record "0Statements") and whether fully paid invoices print;
// labels the stock and the fonts.  Keys: F10 prints, F3 edits the text the
// document is merged from, F9 the form settings, F7 (labels) the stock's
// layout, F5 looks a value up, Shift+F9 puts the defaults back, Esc leaves.
// The screen is remembered per user and document ("CustStatement",
// "VendStatement", "CustLabel", "VendLabel", "CustLetter", "VendLetter").
//
// Choosing.  With two criteria on fields of the record (code, name,
// department, salesperson, territory, vendor type, zip code, billing group,
// credit limit, invoice count, sales dollars, account) the file is read in
// the order of the first criterion's field (through a temporary index; the
// second criterion's field leads instead when the first is the code or the
// name and the second is neither), each record tested as it is read.  With
// a criterion on a computed account value (balances and past-due amounts as
// of the run date, credit available, last sales and payment dates), or in
// "Select" mode, the accounts that pass are first copied with their
// computed values into the temporary file "TEMPCSVD.DB" (in the temporary
// folder; deleted on every way out); in "Select" mode the user then marks
// them and sets their copies in the " Record Selection " list (F3 marks or
// unmarks, F7 one copy less, F8 one more, up to 99, F10 prints).
#pragma once

#include <cstdint>
#include <type_traits>

#include "btrvc.h"
#include "qxabase/aging.h"
#include "qxabase/letters.h"
#include "range_criteria.h"
#include "records/settings.h"

struct Window;

inline constexpr int kMenuCustomerStatements = 336;
inline constexpr int kMenuCustomerLabels = 339;
inline constexpr int kMenuCustomerLetters = 341;
inline constexpr int kMenuVendorStatements = 343;
inline constexpr int kMenuVendorLabels = 346;
inline constexpr int kMenuVendorLetters = 349;

// The label stock entry a label run uses.
inline constexpr int kLabelStockEntryIndex = 3;
inline constexpr int kLabelStockEntries = 4;

// Selection fields of the criteria (ids of the record, and of the computed
// account values).
enum SelectionFieldId : int {
  kSelCode = 1,
  kSelDepartment = 6,
  kSelSalesperson = 7,
  kSelTerritory = 8,
  kSelVendorType = 9,
  kSelBillingGroup = 10,
  kSelCreditLimit = 21,
  kSelInvoiceCount = 30,
  kSelSalesDollars = 40,
  kSelName = 53,
  kSelZipCode = 60,
  kSelAccount = 67,
  kSelLastSalesDate = 77,
  kSelLastPaymentDate = 78,
  kSelClosingBalance = 79,
  kSelTotalPastDue = 81,
  kSelCreditAvailable = 83,
  kSelPastDue30 = 86,
  kSelPastDue60 = 88,
  kSelPastDueOver60 = 90,
  kSelMark = 105,
  kSelCopies = 106,
};

struct CustVendOutputParams {
  char optionFlag;      // 'Y'/'N': close up blank address lines (the form makes 0 'N')
  char selectionMode;   // 'R' range, 'S' select from a list (the form makes 0 'R')
  std::int32_t copies;  // of each document, at least 1; in a selection file each record's own
  std::int32_t menuId;  // 336, 343, 339, 346, 341, 349
  BtrvHandle custVendHandle, openItemHandle, settingsHandle, fourthHandle;  // 22|66, 5|2, 29, 56
  std::int16_t custVendFileNo, openItemFileNo;  // 22 and 5, or 66 and 2
  std::int32_t reserved;                        // set to 0 by the form
  BtrvHandle selectionHandle;                   // "TEMPCSVD.DB" while it is open
  std::int32_t indexMade;                       // 1 while a temporary index is made on custVendHandle
  std::int32_t selectionFileUsed;               // 1 while the selection file exists
  std::int32_t runDate;                         // the as-of date of the computed values
  char selectionPath[260];
  char keyBuffer[255];
  CustVendSelectionRecord recordArea;           // the current account and its account block
  records::StatementsRecord statementsRecord;   // "0Statements" (receivable statements)
  FormSettings formSettings;
  Window* window;                               // the caller's open window (report id, title)
  RangeCriterion range1, range2;                // built on F10
  std::int32_t rankLeads;                       // the walk is in range2's order (range1 code or name)
  LabelLayoutBlock layoutBlock;
  LabelStockEntry stockEntries[kLabelStockEntries];
  const char* stockChoices;                     // field 56's choice list (labels), or null
  std::int32_t stockNumber;                     // stock chosen, 0-based
  std::int32_t stockEntryIndex;                 // the entry of stockEntries the run uses
};
static_assert(std::is_trivially_copyable_v<CustVendOutputParams>);

// True for the customer commands (336, 339, 341).
bool IsCustomerOutput(const CustVendOutputParams* params);
bool IsStatementOutput(const CustVendOutputParams* params);
bool IsLabelOutput(const CustVendOutputParams* params);
bool IsLetterOutput(const CustVendOutputParams* params);

// --- The options screen -------------------------------------------------------------------

// Runs the options screen in params->window.  Returns 0: print (the
// selection is open and the first account read); 27: left with Esc; 1 when
// the screen could not be prepared (after a message); any other value is
// SelectCustVendRecords' result, after which the selection is closed.
int CustVendOutputOptions(CustVendOutputParams* params);

// The screen's "include fully paid invoices" (statements): 1 yes, 0 no.
void SetStatementOptionFlag(int flag);
int GetStatementOptionFlag();

// --- The selection ---------------------------------------------------------------------------

// True for the computed account values (77, 78, 79, 81, 83, 86, 88, 90).
bool IsComputedCustVendField(int fieldId);

// Chooses the accounts.  0: at least one was chosen and the first is in
// params->recordArea; 9: none (message 197 shown); 27: the list was left
// with Esc (the selection is closed); another status has been shown (the
// selection is closed when the selection file could not be made or
// filled).  The caller closes the selection on every way out.
int SelectCustVendRecords(CustVendOutputParams* params);

// Reads the first (op 12, or 9) or the next (op 6) chosen account into
// params->recordArea (in a selection file, params->copies becomes its
// copies).  0, 9 at the end, or another status after the error box (shown
// with operation 6 and the customer/vendor file).
int ReadSelectedCustVend(int op, CustVendOutputParams* params);

// Drops the temporary index and closes and deletes the selection file.
// Clears what it undid, so a second call does nothing.  Returns 0.
int CloseCustVendSelection(CustVendOutputParams* params);

// The account block of the record in params->recordArea as of
// params->runDate: its open items up to then, aged; every account gets the
// closing step (credit available is its credit limit less its balance, also
// without open items).  0, 9 when it has no open item, or the status of a
// read that failed (after the error box).
int ComputeCustVendAccountBlock(CustVendOutputParams* params);

// True when the record in params->recordArea has a code and passes both
// criteria.
bool CustVendSelected(const CustVendOutputParams* params);

// True when the record (and its account block) passes `criterion`.  A
// criterion with both ends open, or on an id of no field, passes every
// record; a Closing Date Balance criterion from 0.01 with no to end passes
// every balance but zero.
bool CustVendCriterionMatches(const RangeCriterion* criterion, const CustVendSelectionRecord* record);

// Releases the selection on every way out.
struct CustVendSelectionGuard {
  CustVendOutputParams* params;
  ~CustVendSelectionGuard() { CloseCustVendSelection(params); }
};
