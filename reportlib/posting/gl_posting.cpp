// General-ledger posting: the transactions of file 27 dated in the fiscal
// period of the posting date are walked in date order (key 1); each unposted
// one that is not held is checked (when the ledger's option says so),
// posted into the accounts, entered in the check register when it is a
// check, and marked posted or deleted.  The summary counts the held ones it
// left unposted.  Each transaction is posted as one unit
// (qxabase/posting.h): a stop or a crash never leaves one half posted.
#include "posting/gl_posting.h"

#include <cstring>

#include "posting/posting_frame.h"
#include "qxabase.h"
#include "qxabase/posting.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/transactions.h"

namespace {

using posting::kPostingMode;
using posting::PostingFrame;
using records::TagGLHeader;

constexpr int kFormGLPost = 86;
constexpr int kDeleteField = 3;
constexpr int kFiles[] = {records::kFileGLHeaders | kPostingMode,  // walked in date order
                          records::kFileGLLines | kPostingMode, records::kFileTranSequences,
                          records::kFileGLAccounts | kPostingMode, 0};
constexpr int kDateKey = 1;

constexpr int kTitleGLPost = 510;
constexpr int kMsgNothingToPost = 197;
constexpr int kMsgSummary = 511;      // %1 posted, %2 debits, %3 credits
constexpr int kMsgSummaryHeld = 512;  // ... and %4 held transactions left unposted
constexpr int kMsgOnlyHeld = 516;     // %1 held transactions left unposted, nothing else to post
constexpr int kMsgNotPrinted = 1349;  // %1 journal, %2 transaction

// The status box: the journal code and the number of the transaction in hand.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 16, .mask = "%-7s"},
    {.number = 2, .row = 2, .column = 16, .mask = "%-10s"},
    {},
};

int PostGLTransactionLoop(PostingFrame* frame);

constexpr posting::PostingScreen kScreen = {
    kFormGLPost, "RSGLPost", kLedgerGeneral, kDeleteField, kFiles, PostGLTransactionLoop, nullptr};

}  // namespace

int RunGLPost() { return posting::RunPostingScreen(kScreen, nullptr); }

namespace {

struct Files {
  BtrvHandle headers, lines, sequences, accounts;
};

enum class Step { kGoOn, kStop };

// The journal code and number as texts for the status box and the messages.
struct Shown {
  char journal[8] = {};
  char number[12] = {};
};
Shown ShownOf(const TagGLHeader& h);
Step RegisterCheck(const Files& f, const records::FiscalPeriodInfo& period, TagGLHeader* header,
                   TagPostWork* work);
Step Mark(const Files& f, bool deleteAfter, TagGLHeader* header, TagPostWork* work);

// Ends the run's command work on every way out (an open unit is abandoned).
struct RunEnd {
  ~RunEnd() { CommandFinish(); }
};

// F10: the posting run.  Returns 1 (the screen is left), or 0x20 when the
// posting date is refused.
int PostGLTransactionLoop(PostingFrame* frame) {
  if (posting::PostingDateChecked(frame) == 0) return 0x20;
  const records::FiscalPeriodInfo& period = frame->period;
  const bool deleteAfter = records::IsYes(FormYesNoGet(&frame->form, kDeleteField));
  const bool checkFirst = LedgerCheckFlag(kLedgerGeneral) != 0;
  const bool confirmUnprinted = LedgerConfirmFlag(kLedgerGeneral) != 0;
  const Files f{frame->Handle(records::kFileGLHeaders), frame->Handle(records::kFileGLLines),
                frame->Handle(records::kFileTranSequences), frame->Handle(records::kFileGLAccounts)};

  TagPostWork work{};
  TagGLHeader header{};
  double debitTotal = 0, creditTotal = 0;
  long considered = 0, posted = 0, held = 0;
  PostRunStart();
  RunEnd runEnd;
  BtrvSetKey(f.headers, kDateKey, -1);
  const int deleteFlag = deleteAfter ? 'Y' : 'N';
  char key[255] = {};
  int status = PostTranRead(deleteFlag, kOpGetGreaterOrEqual, f.headers, records::kFileGLHeaders, key,
                            &header, &period, &work);
  if (status != kStatusOk) {
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound)
      MsgShow(kMsgNothingToPost, 1);
    else  // a conflict or an I/O error: the user is told, not left guessing
      MsgRecordErrorPost(kButtonsStopOnly, 1, status, work.operation, records::kFileGLHeaders, 0);
    return 1;
  }

  StatusBoxOpen(5, -1, -1, 3, 54, 0);
  StatusBoxTitle(kTitleGLPost);
  StatusBoxFields(kStatusLines, sizeof kStatusLines);
  StatusBoxShow(0);
  StatusBoxLabel(1, "Journal");
  StatusBoxLabel(2, "Transaction");
  bool stopped = false;
  auto next = [&] {
    status = PostTranRead(deleteFlag, kOpGetNext, f.headers, records::kFileGLHeaders, key, &header, &period,
                          &work);
  };
  while (status == kStatusOk) {
    const Shown shown = ShownOf(header);
    StatusBoxRecord(-1, shown.journal, shown.number, 0);
    if (header.date < period.startDate || header.date > period.endDate) break;
    // A held transaction is left exactly as it is; the summary counts it.
    if (header.IsOnHold()) {
      held += records::UnpostedForPosting(header.postedFlag) && !header.IsDeleted();
      next();
      continue;
    }
    // Posted already, or deleted in entry: marked (or removed) again, not counted.
    const bool postable = records::UnpostedForPosting(header.postedFlag) && !header.IsDeleted();
    if (postable) {
      ++considered;
      const int before = posting::CheckBeforePosting(
          confirmUnprinted, header.journalPrinted,
          [&] { return MsgShowArgs(kMsgNotPrinted, 0x100, kButtonsStopSkip, 1, shown.journal, shown.number, 0); },
          checkFirst, [&] { return GLPostCheck(f.lines, f.accounts, &header, &work); });
      if (before == kPostStop) {
        stopped = true;
        break;
      }
      if (before == kPostSkip) {
        next();
        continue;
      }
      double debit = 0, credit = 0;
      PostGLBatch(f.headers, f.lines, f.accounts, &debit, &credit, &period, &header, &work, 0);
      if (work.status != kStatusOk) {
        PostOutOfBalance(debit, credit, &header, &work);
        stopped = true;
        break;
      }
      debitTotal += debit;
      creditTotal += credit;
      if (header.IsCheck() && RegisterCheck(f, period, &header, &work) == Step::kStop) {
        stopped = true;
        break;
      }
      ++posted;
    }
    if (Mark(f, deleteAfter, &header, &work) == Step::kStop) {
      stopped = true;
      break;
    }
    next();
  }
  // A read that failed in the middle of the walk (or the commit of the unit
  // before it) ends the run as a stop, not as its end.
  if (!stopped && status != kStatusOk && status != kStatusEndOfFile) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, work.operation, work.fileNo, 0);
    stopped = true;
  }
  if (!stopped) {
    // The walk came to its end: every transaction was posted or passed over
    // as the user chose.
    CommandDone();
    if (considered == 0 && held != 0)
      MsgShowArgs(kMsgOnlyHeld, 0, 0, 1, held, 0);
    else if (considered == 0)
      MsgShow(kMsgNothingToPost, 1);
    else if (posted != 0 && held != 0)
      PostSummaryLeft(kMsgSummaryHeld, posted, debitTotal, creditTotal, held);
    else if (posted != 0)
      PostSummary(kMsgSummary, 0, posted, debitTotal, creditTotal);
  }
  StatusBoxClose();
  return 1;
}

Shown ShownOf(const TagGLHeader& h) {
  Shown s;
  std::memcpy(s.journal, h.journalCode, sizeof h.journalCode);
  StrTrim(4, s.journal);
  std::memcpy(s.number, h.transactionNumber, sizeof h.transactionNumber);
  StrTrim(5, s.number);
  return s;
}

// Enters a check transaction in the check register.  The walk's handle of
// file 27 keeps its key and place: the next header read is the one after
// this one.
Step RegisterCheck(const Files& f, const records::FiscalPeriodInfo& period, TagGLHeader* header,
                   TagPostWork* work) {
  TagGLHeader check{};
  CBaseCheckReg reg;
  if (GLPostCheckRegister(f.headers, f.sequences, period.endDate, &check, header, work) == kPostStop)
    return Step::kStop;
  if (GLPostDetail(f.lines, &check, header, work) == kPostStop) return Step::kStop;
  const int savedKey = BtrvGetKey(f.headers);
  unsigned char place[4];
  const int placeStatus = BtrvPosition(kOpGetDirect, f.headers, place);
  const bool registered = reg.UpdateFromGLTran(&check);
  BtrvSetKey(f.headers, savedKey, -1);
  if (placeStatus == kStatusOk) BtrvPosition(0, f.headers, place);
  // A check that could not be registered is not posted either.
  if (!registered) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, reg.GetResult(), kOpInsert, records::kFileCheckRegister, 0);
    return Step::kStop;
  }
  return Step::kGoOn;
}

// Marks a handled header posted, or deletes it with its lines.
Step Mark(const Files& f, bool deleteAfter, TagGLHeader* header, TagPostWork* work) {
  header->postedFlag = 'Y';
  if (deleteAfter) {
    if (PostGLTranRemove(kOpDelete, f.headers, f.lines, header, work) != 0) {
      MsgRecordErrorPost(kButtonsStopOnly, 1, work->status, work->operation, work->fileNo, 0);
      return Step::kStop;
    }
    return Step::kGoOn;
  }
  const int status = BtrvWriteOp(kOpUpdate, f.headers, nullptr, header, 0);
  if (status != kStatusOk) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpUpdate, records::kFileGLHeaders, 0);
    return Step::kStop;
  }
  return Step::kGoOn;
}

}  // namespace
