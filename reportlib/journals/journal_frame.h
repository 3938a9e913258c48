// The journal frame: what the receivables, payables, purchasing, billing,
// assembly and cash journals (commands 302-306 and 310) share.
//
// A journal prints the transaction headers of its ledger for checking before
// they are posted, in one of two modes chosen on its selection window:
//   "Journal"  the unposted headers of the fiscal period that holds the
//              journal date, in the order of the header file's period key;
//              the journal marks every header it prints as printed;
//   "Listing"  the headers that pass up to three from/to criteria on columns
//              the user picks from the column dictionary, in key-0 order;
//              nothing is written back.
//
// A journal entry owns a JournalContext (with its header record buffer and
// its form) for the command and calls, in this order:
//   BuildJournalContext   opens the column dictionary, the data dictionary
//                         and the settings file, reads the settings, sets up
//                         the criteria and opens the selection window;
//   ShowJournalForm       runs the selection window (F10 prints, Esc leaves);
//   the print walk        PrintJournalWalk with the journal's JournalPrinter
//                         (or a walk of its own): ReadJournalRecord ("Journal"
//                         mode) or ReadSelectedJournalRecord ("Listing" mode)
//                         for each header, PrintJournalSelectionHeader on each
//                         page, AccountCodeMissing for each detail line;
//   CloseJournalFiles     closes what BuildJournalContext opened (the
//                         destructor does it too, on every way out).
//
// The print walk's contract: open the report; read the first header with op
// 12; for each header check the user break, print the page heading when the
// page is full or before the first header (title, the selection lines,
// column headings), print a header whose reference says "DELETED" as a
// deleted line and any other with its lines and totals; in "Journal" mode
// mark the header printed and rewrite it (op 3): status 80 or 84 (in use) is
// remembered and the walk goes on, any other failure shows the record-manager
// error box, closes the report and ends; read the next header with op 6.
// With no header printed show message 197; otherwise the grand totals (and
// in "Journal" mode the journal's G/L summary), close the report, and show
// message 551 when a header was in use.
//
// Everything runs on the UI thread; the selection window's callbacks reach
// the context through Form::context, set by ShowJournalForm.  Nothing here
// throws.
#pragma once

#include <cstdint>

#include "btrvc.h"
#include "qxabase/dictionary.h"
#include "qxabase/journal_services.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/settings.h"

namespace journals {

// One from/to criterion of the selection window: the column's dictionary
// record, its field definition and the base library's from/to test.
struct JournalCriterion {
  JournalColumnRecord column{};
  DictFieldDef field{};
  CriterionBlock block{};
};

inline constexpr int kJournalCriteria = 3;
inline constexpr int kJournalFormFieldCount = 13;  // 12 fields and the end entry

// Fields of the selection window.
enum JournalField : int {
  kFieldMode = 1,           // "Journal,Listing"
  kFieldJournalDate = 2,
  kFieldPeriod = 3,
  kFieldPrintComments = 4,  // "Yes,No": journals 302, 303 and 310
  kFieldColumn1 = 5,        // criterion 1: column, from, to
  kFieldFrom1 = 6,
  kFieldTo1 = 7,
  kFieldColumn2 = 8,        // criterion 2
  kFieldFrom2 = 9,
  kFieldTo2 = 10,
  kFieldBillingKind = 11,   // criterion 3 of the billing journal
  kFieldPurchasingKind = 12,  // criterion 3 of the purchasing journal
};

// The state of one journal run.  Not copyable and not movable: the window
// and the form's callbacks point into it.  BuildJournalContext starts it
// afresh; the destructor closes what is still open.
struct JournalContext {
  JournalContext() = default;
  JournalContext(const JournalContext&) = delete;
  JournalContext& operator=(const JournalContext&) = delete;
  ~JournalContext();

  bool ended = false;        // a reader passed the last selectable header or met the file's end
  void* record = nullptr;    // the journal's header record buffer (the journal owns it)
  char title[65] = {};       // the window's title (texts 561-566)
  char dictTable[13] = {};   // the column dictionary's table, blank-padded to 12 ("Apth        ")
  char fileTable[17] = {};   // the header file's table in the data dictionary, padded to 16
  char key[255] = {};        // key buffer of the header walk
  int commandId = 0;
  int headerFileNo = 0;
  BtrvHandle headerHandle = 0;    // the journal's
  BtrvHandle columnHandle = 0;    // WQXACCOL.DB
  BtrvHandle dictHandle = 0;      // the data dictionary (DictQueryInit)
  BtrvHandle settingsHandle = 0;  // file 29
  int selectionLines = 0;    // 0 "Journal" mode (one "Select:" line), 1 "Listing" mode (two)
  int periodNumber = 0;
  std::int32_t journalDate = 0;
  std::int32_t periodKey = 0;     // the period key of the journal date ("Journal" mode)
  JournalCriterion criteria[kJournalCriteria];
  records::InterfaceRecord interfaceSettings{};
  records::FiscalPeriodInfo period{};  // of the journal date
  records::TransInfoRecord transInfo{};
  records::PeriodsRecord periods{};
  const records::TransInfoEntry* transInfoEntry = nullptr;  // entry 4 (billing) or 1
  Window window{};           // the selection window
  TagFormField fields[kJournalFormFieldCount] = {};  // the run's copy of the form table
  bool printComments = false;  // field 4 "Yes" (302, 303, 310)

  bool Listing() const { return selectionLines != 0; }
};

// Starts `context` afresh for journal `commandId` whose header file is open
// on `headerHandle` with its record buffer `record`, opens the data
// dictionary, the column dictionary (in SharedAppBlock::dictFolder) and the
// settings file, reads "0Interface", "0TransInfo" and "0Periods", sets up the
// criteria of the journal's default columns and opens the selection window.
// Returns 0 when the context is ready; otherwise the status (the data
// dictionary's without a message; the others after the record-manager error
// box), and CloseJournalFiles releases what was opened.
int BuildJournalContext(JournalContext* context, void* record, int commandId, BtrvHandle headerHandle);

// Reads the column dictionary record of `column` of the journal's table into
// `criterion`, and its field definition into *field.  Returns 0; the
// record-manager status after the error box (file 94); 9 when the
// dictionary has no such column (after the error box with status 4).
int LoadJournalCriterionField(JournalContext* context, JournalCriterion* criterion, DictFieldDef* field,
                              int column);

// The date column "Journal" mode shows on its "Select:" line: 9 for 302 and
// 303, 32 for 304 and 305, 4 for 306, 15 for any other journal.
int DefaultDateColumn(const JournalContext* context);

// The header file's key path: the period key ("Journal" mode: key 3, key 11
// for the cash headers), or key 0 ("Listing" mode).
void SetJournalKeyPath(JournalContext* context);
void ResetJournalKeyPath(JournalContext* context);

// "Journal" mode reader: op 12 (or 9) starts at the period key, op 6 reads on.
// True when a selectable header stands in `record`; false at the end of the
// period or the file, and after the record-manager error box; the end flag
// is then set.
bool ReadJournalRecord(JournalContext* context, int op, void* record);

// "Listing" mode reader: op 12 starts at the first header, op 6 reads on.
// True when a header that passes the three criteria stands in `record`;
// false at the end of the file and after the error box (the end flag set).
bool ReadSelectedJournalRecord(JournalContext* context, int op, void* record);

// The reader of the context's mode (ReadSelectedJournalRecord in "Listing"
// mode, ReadJournalRecord in "Journal" mode), into the context's record.
bool ReadJournalHeader(JournalContext* context, int op);

// What one journal prints in the shared print walk (PrintJournalWalk).
// Each call writes on the walk's open report.
class JournalPrinter {
 public:
  virtual ~JournalPrinter() = default;
  // The page heading, on a new page (title, "Select:" lines, column headings).
  virtual void PageHeading() = 0;
  // The header that stands in the context's record: a deleted one as a
  // deleted line, any other with its lines and its totals or comments.
  virtual void PrintHeader() = 0;
  // "Journal" mode: marks the header in the record printed and rewrites it
  // (op 3).  Returns the record-manager status; no message is shown.
  virtual int StampHeader() = 0;
  // After the last header, when any was printed: the grand totals and, in
  // "Journal" mode, the journal's G/L summary.
  virtual void PrintEnd() = 0;
};

// The print walk of a journal of the frame, as the contract above says:
// opens `report` (landscape, page numbers and progress on) titled
// `reportTitle` with `selectionRow` as the row the user may select by, then
// reads the headers with ReadJournalHeader.  Before the first header and
// whenever the page is full the printer writes its page heading; then it
// prints the header, and in "Journal" mode stamps it: status 80 or 84 (in
// use) is remembered and the walk goes on; any other failure shows the
// record-manager error box and ends the run.  A user break ends it too.
// With no header printed message 197 is shown and the run is dropped;
// otherwise the printer ends the report, the report is closed (delivered)
// and message 551 follows when a header was in use.  The report is closed on
// every way out.
void PrintJournalWalk(JournalContext* context, TagRepInfo* report, const char* reportTitle,
                      const TagReportColumn* selectionRow, JournalPrinter* printer);

// True when `record` is an unposted header of the journal's period key (and,
// in the purchasing file, not a closed order 'O').  Sets the end flag when
// the record's period key is past the journal's.
bool JournalRecordInPeriod(JournalContext* context, const void* record);

// Writes the "Select:" lines at the top of a page: criterion 1 in "Journal"
// mode (then one empty line, so that both modes take two lines), criteria 1
// and 2 in "Listing" mode; an open end shows as "FIRST" or "LAST".
void PrintJournalSelectionHeader(const JournalContext* context, TagRepInfo* report);

// Runs the selection window of the context on `form` (begun by the caller)
// with the journal's report id.  Returns 0 when it was accepted with F10,
// 27 when it was left with Esc or could not be built.
int ShowJournalForm(JournalContext* context, Form* form, const char* reportId);

// The value of a dictionary column of a header record as text, into `out`
// (at least 256 bytes).  A type the dictionary does not print leaves `out`
// as it was.
void FormatDictFieldValue(char* out, const void* record, const DictFieldDef* field, int commandId);

// Closes the selection window and the three files BuildJournalContext
// opened; the header file is the journal's and stays open.  Safe to call
// more than once.
void CloseJournalFiles(JournalContext* context);

// True when a detail line's account `code` is a comment line's: a code that
// begins with 'C' and is not an active account of file 1 (read with get-equal
// on key 0).  Any other code, and a 'C' code read with any other status than
// 4 or 9 (a locked account, say), is not missing.  `accountHandle` is the
// caller's open account file (its key and position are put back), or 0 to
// have the file opened for the check.
bool AccountCodeMissing(const char* code, BtrvHandle accountHandle);

}  // namespace journals
