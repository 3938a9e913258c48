// The periodic frame: the pieces the period-end and periodic units share.
//
//   Failure          the failing record-manager step of a run, shown once
//                    where the run stops;
//   PostingOpenMode  how a run opens the files nobody may post to meanwhile;
//   ReadPeriods      the company's fiscal periods;
//   StatusBoxGuard   a run's status box, closed on every way out;
//   FormHasFields    the check that a form definition holds the fields a
//                    unit reads and writes;
//   OpenScreen       a unit's form opened in its window and set up;
//   date screen      field 1 a date, field 2 its fiscal period (shown only):
//                    ShowPeriod, TakeDate, TakeClosingDate, SuggestToday;
//   IsUnposted       which transaction headers stand in the way of closing
//                    a period or a year.
//
// Everything runs on the UI thread; failures are shown here, once, and the
// callers only learn whether to go on.
#pragma once

#include <cstdint>
#include <vector>

#include "btrvc.h"
#include "entry_date.h"
#include "qxabase/messages.h"
#include "qxabase/status_box.h"
#include "ravadodo.h"
#include "records/settings.h"
#include "records/transactions.h"

class CUnpostTransCount;

namespace periodic {

// --- Failures ----------------------------------------------------------------------------

// A failing step: its record-manager status, operation and file.  The empty
// value is success.
struct Failure {
  int status = kStatusOk;
  int operation = 0;
  int fileNo = 0;

  bool Failed() const { return status != kStatusOk; }
  // The record-manager error box of the step.
  void Show() const { MsgRecordError(status, 1, operation, fileNo, 0); }
};

// --- Files -------------------------------------------------------------------------------

// The open mode of the files a run posts to or closes: shared when the
// system setting allows posting while others work, else exclusive.
int PostingOpenMode();

// --- Settings ----------------------------------------------------------------------------

// Reads "0Periods" into *periods.  False after the error box when the
// company has none or it cannot be read.
bool ReadPeriods(records::PeriodsRecord* periods);

// --- Status boxes ------------------------------------------------------------------------

// How a run's status box looks.  Its title is text `title` of the text
// store, or `titleText` when `title` is 0.
struct StatusBoxLayout {
  int top = 5;
  int left = -1;  // -1 centres the box
  int lines = 3;
  int width = 50;
  int title = 0;
  const char* titleText = nullptr;
  const char* reportId = nullptr;       // the report id the box belongs to (null: none)
  const TagFormField* fields = nullptr; // its lines, ended by an entry of number 0
};

// The status box of a run: opened and shown by the constructor, closed by
// Close or, at the latest, on every way out.
class StatusBoxGuard {
 public:
  explicit StatusBoxGuard(const StatusBoxLayout& layout);
  ~StatusBoxGuard() { Close(); }
  StatusBoxGuard(const StatusBoxGuard&) = delete;
  StatusBoxGuard& operator=(const StatusBoxGuard&) = delete;

  // Closes the box now (once; later calls do nothing).
  void Close();

 private:
  bool open_ = true;
};

// --- Screens -----------------------------------------------------------------------------

// True when the fields copied from form definition `definition` hold every
// field of `numbers`; otherwise false after an error box that names the
// first one missing and asks for a re-installation.
bool FormHasFields(int definition, const std::vector<TagFormField>& fields, const std::vector<int>& numbers);

// Where a unit's window opens on the screen.
struct ScreenPlace {
  int top = 0;
  int left = 0;
  int rows = 0;
  int columns = 0;
};

// Opens a begun `form` over `fields` (which the form reads until FormEnd) in
// `window` at `place`, framed and shadowed, under `title`; gives it the
// fixed texts of `definition`, `reportId` and `context`, and sets it up.
// False when the fields or the window could not be had (said by the screen
// library); the caller's guards end the form and close the window.
bool OpenScreen(Form* form, Window* window, std::vector<TagFormField>* fields, const FormDef& definition,
                ScreenPlace place, const char* title, const char* reportId, void* context);

// --- The date screen ---------------------------------------------------------------------
//
// The closing screens hold a date in field 1 and, shown only, the fiscal
// period of that date in field 2.

inline constexpr int kDateField = 1;
inline constexpr int kPeriodField = 2;

// Shows `period` in field 2 (blank when it is not a period number).
void ShowPeriod(Form* form, int period);

// Reads the date in field 1 as the date of the entries the run writes: a
// valid date of an open period of `periods` (EntryDateField, which the
// screen keeps).  True with its period in *info, its day number in *date,
// and the period shown; false after the message that says why, the cursor
// kept on the field.
bool TakeDate(Form* form, const records::PeriodsRecord& periods, EntryDateField* field,
              records::FiscalPeriodInfo* info, std::int32_t* date);

// Reads the date in field 1 as the date up to which periods are closed: a
// valid date of any period of `periods`, a closed one too (closing up to it
// again writes nothing into a closed period).  True and false as TakeDate.
bool TakeClosingDate(Form* form, const records::PeriodsRecord& periods, records::FiscalPeriodInfo* info,
                     std::int32_t* date);

// Today into field 1 as a suggestion, and its period, if any, into field 2;
// then redraws the form.  Nothing is checked: the date's exit check does that.
void SuggestToday(Form* form, const records::PeriodsRecord& periods);

// --- Unposted transactions ---------------------------------------------------------------
//
// A header that stands in the way of closing the periods it is dated in.  In
// the general ledger, receivables, payables, cash and assembly it is what
// their postings would post ('N', 'n' or no flag): a closed period must hold
// nothing a posting could still post into it.  A transaction deleted in
// entry ("DELETED") never is.

inline bool IsUnposted(const records::TagGLHeader& h) {
  return records::UnpostedForPosting(h.postedFlag) && !h.IsDeleted();
}
inline bool IsUnposted(const records::TagRecPayHeader& h) {
  return records::UnpostedForPosting(h.postedFlag) && !h.IsDeleted();
}
inline bool IsUnposted(const records::CashHeader& h) {
  return records::UnpostedForPosting(h.postedFlag) && !h.IsDeleted();
}
inline bool IsUnposted(const records::AssemblyHeader& h) {
  return records::UnpostedForPosting(h.postedFlag) && !h.IsDeleted();
}
// Billing and purchasing: neither posted nor closed ('Y'), and not an 'O'
// document, whose lines stand under its 'I' document.
inline bool IsUnposted(const records::TagBiPoHeader& h) {
  return h.postedFlag != 'Y' && h.closedFlag != 'Y' && h.typeLetter != 'O';
}

// An entered inventory adjustment (file 62, source 'T') that the inventory
// posting would post: unposted ('N') and not marked to go without posting
// (second source 'D').  That posting refuses a date in a closed period, so
// one left in a closed period could never be posted.
inline bool IsUnposted(const records::InventoryTransaction& t) {
  return t.IsEntered() && t.postedFlag == 'N' && t.secondSource != 'D';
}

// Counts into *counter the unposted adjustments of `adjustments` (an open
// handle of file 62) dated from `from` to `to`, reading them as the
// inventory posting does (key 2: the unposted ones by date); each one read
// is shown in status-box field `statusLine` (StatusBoxRecord's index; 0:
// not shown).  The handle's key is
// put back.  Returns 0, or the record-manager status after its error box.
int CountUnpostedAdjustments(BtrvHandle adjustments, std::int32_t from, std::int32_t to,
                             CUnpostTransCount* counter, int statusLine = 0);

}  // namespace periodic
