// The posting frame: the options screen that every posting command shows
// before it posts.  The screen holds the posting date, the fiscal period of
// that date and the delete-after-posting choice; F9 leaves for Backup/Restore
// (command 602) and comes back to the screen with the date kept; F10 runs the
// unit's posting run; Esc leaves with nothing posted.
//
// A unit describes its screen in a PostingScreen (its form definition, its
// files, its ledger and its run) and calls RunPostingScreen.  Its run (the
// F10 handler) finds everything the screen holds in the PostingFrame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "entry_date.h"
#include "qxabase.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/settings.h"

namespace posting {

// ORed into a file number of a screen's file list: the file is opened with
// the posting open mode (shared, 0x100, when the system setting says so,
// else exclusive, 0x400).  Other modes in the list are kept as given.
inline constexpr int kPostingMode = 0x800;

struct PostingFrame;

// The unit's posting run (F10).  Returns 1 to leave the screen (after the
// run, whatever came of it), 0x20 to stay on it.
using PostingRun = int (*)(PostingFrame* frame);

// What a unit makes ready once its files are open and before the screen
// runs (an object over its open files).  Non-zero: the screen is not shown
// (the unit has said why); everything opened is closed again.
using PostingPrepare = int (*)(PostingFrame* frame);

struct PostingScreen {
  int formNumber;        // form definition (data/forms/form-NNN.txt): field 1 the
                         // posting date, field 2 the period, `deleteField` the choice
  const char* reportId;  // "RSGLPost"
  int ledger;            // kLedgerGeneral, ...: the ledger of the posting options
  int deleteField;       // the delete-after-posting field ("No,Yes")
  const int* files;      // the file set, ended by 0 (kPostingMode marks)
  PostingRun run;
  PostingPrepare prepare;  // may be null
  // The screen starts on the pending posting period of billing and
  // purchasing (FiscalPeriodInfo::pendingDate) when there is one and
  // today lies in another period.
  bool startsOnPendingPeriod = false;
};

// What the screen holds while it runs.
struct PostingFrame {
  const PostingScreen* screen = nullptr;
  Form form{};
  Window window{};
  FileSet files;
  records::FiscalPeriodInfo period{};  // of the posting date shown
  EntryDateField date;                 // the posting date's check (field 1)
  void* unit = nullptr;                // the unit's own state

  // The handle of file `fileNo` of the set (0 when the set has none).
  BtrvHandle Handle(int fileNo) const { return files.HandleOf(fileNo); }
};

// Runs the options screen of `screen` until F9, F10 or Esc leaves it.  The
// files are open while it runs and closed on every way out; a file that
// another program holds (another posting of the company) is waited for a
// few seconds before it is reported.  Returns 0 (also when the form, the
// files or the window could not be had: the cause has been shown).
int RunPostingScreen(const PostingScreen& screen, void* unit);

// The posting date shown, checked again as the run starts: a valid date in
// an open period (EntryDateField; the period record is filled for it).
// Returns the day number, or 0 after the cause was shown (the cursor goes to
// the date).
std::int32_t PostingDateChecked(PostingFrame* frame);

// What a posting walk asks of a postable transaction before it posts it,
// as the ledger's options say.  When unprinted journals are to be confirmed
// (`confirmUnprinted`) and the transaction's journal was never printed
// (`journalPrinted` 0), `askUnprinted()` shows the question and returns the
// answer: kPostStop stops the run, any other answer leaves the transaction
// unposted, and no check is made.  Otherwise, when transactions are checked
// first (`checkFirst`), `check()` returns kPostStop, kPostSkip or anything
// else to post.  Returns kPostStop, kPostSkip or kPostGoOn.
template <class AskUnprinted, class Check>
int CheckBeforePosting(bool confirmUnprinted, std::int32_t journalPrinted, AskUnprinted askUnprinted,
                       bool checkFirst, Check check) {
  if (confirmUnprinted && journalPrinted == 0) return askUnprinted() == kPostStop ? kPostStop : kPostSkip;
  if (!checkFirst) return kPostGoOn;
  const int result = check();
  return result == kPostStop || result == kPostSkip ? result : kPostGoOn;
}

// --- The walk of a posting run ----------------------------------------------------------
//
// A run that walks its headers with PostTranRead shares these steps of the
// walk; its own work on each transaction lies between them.

inline constexpr int kMsgNothingToPost = 197;  // "Nothing was selected or printed."

// The first read of the walk: 0 when a header is in hand.  Otherwise
// "nothing to post" (message 197) is shown when the walk is empty (9 or 4),
// the record-manager error for any other status (a conflict, an I/O error:
// the user is told, not left guessing); the status is returned.
inline int FirstHeaderRead(int status, const TagPostWork& work, int headerFileNo) {
  if (status == kStatusOk) return status;
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound)
    MsgShow(kMsgNothingToPost, 1);
  else
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, work.operation, headerFileNo, 0);
  return status;
}
inline bool NothingToPost(int status) { return status == kStatusEndOfFile || status == kStatusKeyNotFound; }

// The end of a transaction the run has handled: `mark()` marks it posted or
// deletes it (false after telling why it could not), and its unit is
// committed (a failed commit is told: nothing of the unit is kept), and with
// `onDisk` its group too, for a run that tells something outside the books
// next.  False: the run stops.
template <class Mark>
bool MarkAndCommit(Mark mark, TagPostWork* work, int headerFileNo, bool onDisk = false) {
  if (!mark()) return false;
  int committed = PostUnitCommit(work);
  if (committed == kStatusOk && onDisk) committed = PostGroupCommit(work);
  if (committed != kStatusOk) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, committed, work->operation, headerFileNo, 0);
    return false;
  }
  return true;
}

// After the walk: a read that failed in the middle of it (or the commit of
// the unit before it) ends the run as a stop, not as its end.  True after
// telling it.
inline bool WalkReadFailed(int status, const TagPostWork& work) {
  if (status == kStatusOk || status == kStatusEndOfFile) return false;
  MsgRecordErrorPost(kButtonsStopOnly, 1, status, work.operation, work.fileNo, 0);
  return true;
}

// Ends a posting run's command work on every way out (CommandFinish): a
// posting unit still open is abandoned, so the transaction in hand is left
// as it was.
struct RunEnd {
  RunEnd() = default;
  RunEnd(const RunEnd&) = delete;
  RunEnd& operator=(const RunEnd&) = delete;
  ~RunEnd() { CommandFinish(); }
};

// A stored code or number as messages and status boxes show it: up to its
// NUL, without the blanks around it (numbers are stored right-aligned).
inline std::string ShownText(const char* field, std::size_t width) {
  std::string s(field, strnlen(field, width));
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}
template <std::size_t N>
std::string ShownText(const char (&field)[N]) {
  return ShownText(field, N);
}

// The progress box of a posting run: text `title`, `width` columns, the
// unit's status lines (`lines`, `size` bytes) labelled `label` (and
// `secondLabel` on the second row, when given); closed on every way out.
class PostingStatusBox {
 public:
  PostingStatusBox(int title, int width, const TagFormField* lines, int size, const char* label,
                   const char* secondLabel = nullptr) {
    StatusBoxOpen(5, -1, -1, 3, width, 0);
    StatusBoxTitle(title);
    StatusBoxFields(lines, size);
    StatusBoxShow(0);
    StatusBoxLabel(1, label);
    if (secondLabel != nullptr) StatusBoxLabel(2, secondLabel);
  }
  ~PostingStatusBox() { StatusBoxClose(); }
  PostingStatusBox(const PostingStatusBox&) = delete;
  PostingStatusBox& operator=(const PostingStatusBox&) = delete;
};

}  // namespace posting
