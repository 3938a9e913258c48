// Receivables and payables posting: the transactions of file 7 (receivables)
// or 4 (payables) dated in the fiscal period of the posting date are walked
// in date order (key 2); each unposted one is checked (when the ledger's
// option says so), its open invoice is marked posted, its customer or vendor
// takes its amount, its detail lines go to the general ledger, and it is
// marked posted or deleted.
//
// The general ledger takes the lines in one of two ways.  Batch (the usual
// way): every transaction of the run adds its lines to one G/L transaction
// of the run (journal "AR" or "AP", numbered from the journal's sequence,
// dated the posting date), in detail or summed per account; each line is
// posted into its account with the transaction it belongs to.  On line
// (CBaseGL::IsOnLine): each transaction gets a G/L transaction of its own,
// posted at once.
//
// Each transaction is posted as one unit (qxabase/posting.h): its mark, its
// open invoice, its customer or vendor, its G/L lines and account amounts,
// the checks it names and the sequence number it draws are committed
// together.  A stop keeps what was posted before it (with its share of the
// batch G/L transaction, which is therefore never taken back); a kill leaves
// the books as after the last completed transaction; a rerun finds the
// posted ones marked.  A transaction is handed to the time-billing link only
// once its unit is committed.
#include "posting/arap_posting.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "journals/journal_frame.h"
#include "posting/posting_frame.h"
#include "qxabase.h"
#include "qxabase/online_gl.h"
#include "qxabase/open_invoices.h"
#include "qxabase/posting.h"
#include "qxabase/tables.h"
#include "qxabase/recpay_posting.h"
#include "qxabase/time_link.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"

namespace {

using posting::kPostingMode;
using posting::PostingFrame;
using posting::RunEnd;
using posting::ShownText;
using records::CustVendRecord;
using records::GLLine;
using records::RecPayDetail;
using records::TagGLHeader;
using records::TagOpenInvoice;
using records::TagRecPayHeader;

// What tells the two ledgers apart.
struct Ledger {
  bool receivables;
  int module;           // ModulesAvailable
  int ledger;           // kLedgerReceivables / kLedgerPayables: posting options, time link
  int headerFile, detailFile, openInvoiceFile, oiHeaderFile, custVendFile;
  int statusTitle;
  const char* code;         // the detail lines' ledger code and the G/L journal code
  const char* summaryText;  // the description of summed G/L lines
  const char* label;        // names the ledger in messages
  int msgCustVendMissing;   // %1 code, %2 label, %3 transaction
  int msgOpenInvoiceMissing;  // %1 label, %2 transaction
};

constexpr Ledger kReceivables = {true,
                                 1,
                                 kLedgerReceivables,
                                 records::kFileReceivablesHeaders,
                                 records::kFileReceivablesDetails,
                                 records::kFileReceivablesOpenInvoices,
                                 records::kFileReceivablesOpenInvoiceHeaders,
                                 records::kFileCustomers,
                                 520,
                                 "AR",
                                 "Summary AR Post",
                                 "Accounts Receivable :",
                                 1343,
                                 1347};
constexpr Ledger kPayables = {false,
                              2,
                              kLedgerPayables,
                              records::kFilePayablesHeaders,
                              records::kFilePayablesDetails,
                              records::kFilePayablesOpenInvoices,
                              records::kFilePayablesOpenInvoiceHeaders,
                              records::kFileVendors,
                              521,
                              "AP",
                              "Summary AP Post",
                              "Accounts Payable    :",
                              1345,
                              1427};

constexpr int kExclusive = kFileModeExclusive;
constexpr int kReceivableFiles[] = {records::kFileGLHeaders | kExclusive,
                                    records::kFileGLLines | kPostingMode,
                                    records::kFileTranSequences,
                                    records::kFileReceivablesHeaders | kExclusive,  // walked in date order
                                    records::kFileReceivablesDetails | kPostingMode,
                                    records::kFileReceivablesOpenInvoices | kExclusive,
                                    records::kFileReceivablesOpenInvoiceHeaders | kExclusive,
                                    records::kFileCustomers | kExclusive,
                                    records::kFileGLAccounts | kPostingMode,
                                    0};
constexpr int kPayableFiles[] = {records::kFileGLHeaders | kExclusive,
                                 records::kFileGLLines | kPostingMode,
                                 records::kFileTranSequences,
                                 records::kFilePayablesHeaders | kExclusive,
                                 records::kFilePayablesDetails | kPostingMode,
                                 records::kFilePayablesOpenInvoices | kExclusive,
                                 records::kFilePayablesOpenInvoiceHeaders | kExclusive,
                                 records::kFileVendors | kExclusive,
                                 records::kFileGLAccounts | kPostingMode,
                                 0};

constexpr int kFormArApPost = 87;
constexpr int kReferenceField = 3;
constexpr int kDeleteField = 4;
constexpr int kDateKey = 2;          // headers in date order
constexpr int kGLLineKey = 1;        // G/L lines in the order postings number them
constexpr int kItemNumberKey = 3;    // open invoices by item number

constexpr int kMsgNothingToPost = 197;
constexpr int kMsgSummary = 511;          // %1 posted, %2 debits, %3 credits
constexpr int kMsgNotPrinted = 1375;      // %1 label, %2 transaction
constexpr int kMsgAccountMissing = 1377;  // %1 account, %2 label, %3 transaction
constexpr int kMsgOutOfBalance = 1379;    // %1 debits, %2 credits, %3 label, %4 transaction
constexpr int kMsgNotPosted = 1813;       // %1 label, %2 transaction
constexpr int kMsgNotReadBack = 1815;     // %1 label, %2 transaction
constexpr int kTextLinkNotReady = 42;

// The status box: the transaction in hand.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 16, .mask = "%-10s"},
    {},
};

// What the screen and its run share for the command.
struct ArApUnit {
  const Ledger* ledger;
  std::optional<QxOIHeader> oiHeader;  // lives while the files are open
  bool screenShown = false;
  bool linkInUse = false;  // the time-billing link is connected and takes transactions
};

int PrepareOpenInvoices(PostingFrame* frame);
int PostRecPayBatch(PostingFrame* frame);

constexpr posting::PostingScreen kReceivablesScreen = {
    kFormArApPost, "RSARPost", kLedgerReceivables, kDeleteField, kReceivableFiles, PostRecPayBatch,
    PrepareOpenInvoices};
constexpr posting::PostingScreen kPayablesScreen = {
    kFormArApPost, "RSAPPost", kLedgerPayables, kDeleteField, kPayableFiles, PostRecPayBatch,
    PrepareOpenInvoices};

bool ConnectTimeLink();
void ReportTimeLinkError();

}  // namespace

int RunArApPost(int receivables) {
  const Ledger& ledger = receivables ? kReceivables : kPayables;
  TimeLinkInit();
  if (!ModulesAvailable(0, ledger.module)) return 0;
  if (!receivables && TimeLinkReady() == 0) return 0;
  // The form is checked before the link is connected for nothing.
  FormDef def;
  if (FormDefLoad(&def, kFormArApPost) != 0) return 0;

  ArApUnit unit{&ledger, std::nullopt};
  if (TimeLinkActive()) {
    if (!ConnectTimeLink()) return 0;
    // A link that another program holds was let go: the run posts without it.
    unit.linkInUse = TimeLinkBusy() == 0;
    if (!unit.linkInUse) {
      TimeLinkEnd(1, 0);
      TimeLinkRelease();
    } else if (TimeLinkLogin(TimeLinkWindowArg(AppGetMainWindow())) == 0 || TimeLinkCheck() != 0) {
      ReportTimeLinkError();
      TimeLinkEnd(1, 0);
      TimeLinkRelease();
      return 0;
    } else if (TimeLinkPrepare() == 0) {
      char text[100] = "";
      TextLoad(kTextLinkNotReady, sizeof text, text);
      std::vector<std::string> lines;
      for (const char* p = text;;) {
        const char* end = std::strchr(p, '\n');
        lines.emplace_back(p, end ? end - p : std::strlen(p));
        if (!end) break;
        p = end + 1;
      }
      std::vector<const char*> list;
      for (const std::string& l : lines) list.push_back(l.c_str());
      list.push_back(nullptr);
      MsgTextShow(list.data(), static_cast<int>(lines.size()), static_cast<int>(std::strlen(text)), 1,
                  kCaptionError);
      TimeLinkEnd(1, 0);
      TimeLinkRelease();
      return 0;
    }
  }

  posting::RunPostingScreen(receivables ? kReceivablesScreen : kPayablesScreen, &unit);
  unit.oiHeader.reset();
  if (unit.linkInUse) {
    TimeLinkEnd(1, unit.screenShown ? 1 : 0);
    TimeLinkFlush();
    TimeLinkRelease();
  }
  return 0;
}

namespace {

// Connects the time-billing link to the company's data.  False after the
// cause was shown.
bool ConnectTimeLink() {
  if (TimeLinkConnect(1, GetDataFolder(), LinkArgGet()) == 0) return true;
  ReportTimeLinkError();
  TimeLinkRelease();
  return false;
}

// Once the files are open: the open-invoice headers are kept in step by an
// object over them.  Non-zero: the screen is not shown.
int PrepareOpenInvoices(PostingFrame* frame) {
  ArApUnit& unit = *static_cast<ArApUnit*>(frame->unit);
  const Ledger& l = *unit.ledger;
  unit.oiHeader.emplace(l.oiHeaderFile, frame->Handle(l.oiHeaderFile), frame->Handle(l.openInvoiceFile));
  if (!unit.oiHeader->Init()) {
    MsgRecordError(unit.oiHeader->GetResultError(), 1, kErrorOpOpen, l.oiHeaderFile);
    return 1;
  }
  unit.screenShown = true;
  return 0;
}

// How a step of the walk ended.
enum class Step {
  kGoOn,      // the transaction was posted
  kStop,      // the run stops (the cause was shown); the transaction stays as it was
  kSkip,      // the transaction stays unposted and unmarked; the walk goes on
  kEndWalk,   // on line: the transaction's G/L transaction was refused; the run ends out of balance
};

// One run of F10: the screen's options, the files and the running totals.
struct Run {
  Run(PostingFrame* f, std::int32_t date, CBaseGL* gl)
      : frame(f), unit(*static_cast<ArApUnit*>(f->unit)), l(*unit.ledger), period(f->period),
        postingDate(date), onLine(gl) {}

  PostingFrame* frame;
  ArApUnit& unit;
  const Ledger& l;
  const records::FiscalPeriodInfo& period;
  std::int32_t postingDate;
  CBaseGL* onLine;  // null: the batch path

  BtrvHandle glHeaders = 0, glLines = 0, sequences = 0, headers = 0, details = 0, openInvoices = 0,
             custVend = 0, accounts = 0;
  bool deleteAfter = false, checkFirst = false, confirmUnprinted = false, inDetail = false;
  char reference[11] = {};

  TagPostWork work{};
  TagRecPayHeader header{};
  TagOpenInvoice openInvoice{};
  CustVendRecord custVendRecord{};
  TagGLHeader glHeader{};
  bool glHeaderMade = false;
  int debitCounter = 1, creditCounter = 10000;
  double debitTotal = 0, creditTotal = 0;
  double refusedDebit = 0, refusedCredit = 0;  // on line: the G/L transaction refused
  long considered = 0, posted = 0;
  std::string tran;  // the transaction number as shown
  std::string custVendCode;
};

int Walk(Run& r);
Step PostBatchTransaction(Run& r);
Step PostOnLineTransaction(Run& r);
Step UpdateOpenInvoice(Run& r);
Step UpdateCustVend(Run& r);
Step Mark(Run& r);
int CheckRecPayTran(Run& r);
int PostRecPayDistribution(Run& r);
int UpdateCustVendFromTran(BtrvHandle handle, int fileNo, const records::FiscalPeriodInfo* period,
                           const TagOpenInvoice* openInvoice, CustVendRecord* record, TagPostWork* work);
void BuildRecPayGLHeader(const char* reference, int ledger, std::int32_t date, TagGLHeader* glHeader);
int TimeLinkWriteRecord(int ledger, const TagRecPayHeader* header);

// F10: the posting run.  Returns 1 (the screen is left), or 0x20 when the
// posting date is refused.
int PostRecPayOnLine(PostingFrame* frame, std::int32_t postingDate, CBaseGL& gl) {
  Run r(frame, postingDate, &gl);
  return Walk(r);
}

int PostRecPayBatch(PostingFrame* frame) {
  const std::int32_t postingDate = posting::PostingDateChecked(frame);
  if (postingDate == 0) return 0x20;
  CBaseGL gl;
  if (gl.IsOnLine()) return PostRecPayOnLine(frame, postingDate, gl);
  Run r(frame, postingDate, nullptr);
  return Walk(r);
}

int Walk(Run& r) {
  const Ledger& l = r.l;
  const PostingFrame& f = *r.frame;
  r.glHeaders = f.Handle(records::kFileGLHeaders);
  r.glLines = f.Handle(records::kFileGLLines);
  r.sequences = f.Handle(records::kFileTranSequences);
  r.headers = f.Handle(l.headerFile);
  r.details = f.Handle(l.detailFile);
  r.openInvoices = f.Handle(l.openInvoiceFile);
  r.custVend = f.Handle(l.custVendFile);
  r.accounts = f.Handle(records::kFileGLAccounts);
  FieldGetText(&r.frame->form, kReferenceField, r.reference, sizeof r.reference);
  StrTrim(5, r.reference);
  r.deleteAfter = records::IsYes(FormYesNoGet(&r.frame->form, kDeleteField));
  r.checkFirst = LedgerCheckFlag(l.ledger) != 0;
  r.confirmUnprinted = LedgerConfirmFlag(l.ledger) != 0;
  r.inDetail = PostOption557(l.ledger) != 0;

  PostRunStart();
  RunEnd runEnd;
  BtrvSetKey(r.glLines, kGLLineKey, -1);
  BtrvSetKey(r.details, 0, -1);
  BtrvSetKey(r.headers, kDateKey, -1);
  BtrvSetKey(r.openInvoices, kItemNumberKey, -1);
  const int deleteFlag = r.deleteAfter ? 'Y' : 'N';
  char key[255] = {};
  int status = PostTranRead(deleteFlag, kOpGetGreaterOrEqual, r.headers, l.headerFile, key, &r.header, &r.period,
                            &r.work);
  if (posting::FirstHeaderRead(status, r.work, l.headerFile) != kStatusOk) return 1;

  posting::PostingStatusBox box(l.statusTitle, 50, kStatusLines, sizeof kStatusLines, "Transaction");
  bool stopped = false, outOfBalance = false;
  auto next = [&] {
    status = PostTranRead(deleteFlag, kOpGetNext, r.headers, l.headerFile, key, &r.header, &r.period, &r.work);
  };
  while (status == kStatusOk) {
    r.tran = ShownText(r.header.transactionNumber);
    r.custVendCode = ShownText(r.header.custVendCode);
    StatusBoxRecord(-1, r.tran.c_str(), 0);
    if (r.header.date < r.period.startDate || r.header.date > r.period.endDate) break;
    // Posted already, or deleted in entry: marked (or removed) again, not counted.
    const bool postable = records::UnpostedForPosting(r.header.postedFlag) && !r.header.IsDeleted();
    if (postable) {
      ++r.considered;
      const int before = posting::CheckBeforePosting(
          r.confirmUnprinted, r.header.journalPrinted,
          [&] { return MsgShowArgs(kMsgNotPrinted, 0x110, kButtonsStopSkip, 1, l.label, r.tran.c_str(), 0); },
          r.checkFirst, [&] { return CheckRecPayTran(r); });
      if (before == kPostStop) {
        stopped = true;
        break;
      }
      if (before == kPostSkip) {
        next();
        continue;
      }
      const Step step = r.onLine ? PostOnLineTransaction(r) : PostBatchTransaction(r);
      if (step == Step::kStop) {
        stopped = true;
        break;
      }
      if (step == Step::kSkip) {
        // Nothing the transaction wrote so far may stay.
        PostUnitAbandon();
        next();
        continue;
      }
      ++r.posted;
      if (step == Step::kEndWalk) {
        outOfBalance = true;
        break;
      }
    }
    // The transaction is complete: it is on disk before the time-billing
    // link hears of it, so that the link never takes a transaction the books
    // lost.
    const bool tellLink = postable && r.unit.linkInUse && TimeLinkPost() == 0;
    if (!posting::MarkAndCommit([&] { return Mark(r) != Step::kStop; }, &r.work, l.headerFile, tellLink)) {
      stopped = true;
      break;
    }
    if (tellLink) TimeLinkWriteRecord(l.ledger, &r.header);
    next();
  }
  if (!stopped && !outOfBalance && posting::WalkReadFailed(status, r.work)) stopped = true;
  if (!stopped && !outOfBalance) CommandDone();
  if (!stopped) {
    if (r.considered == 0)
      MsgShow(kMsgNothingToPost, 1);
    else if (r.posted != 0 && outOfBalance)
      PostOutOfBalance(r.refusedDebit, r.refusedCredit, &r.glHeader, &r.work);
    else if (r.posted != 0)
      PostSummary(kMsgSummary, 0, r.posted, r.debitTotal, r.creditTotal);
  }
  return 1;
}

// Batch: the run's G/L transaction is made with the first transaction
// posted; then the open invoice, the customer or vendor and the lines.
Step PostBatchTransaction(Run& r) {
  if (!r.glHeaderMade) {
    BuildRecPayGLHeader(r.reference, r.l.ledger, r.postingDate, &r.glHeader);
    int status = GLTranHeaderCreate(r.sequences, r.glHeader.transactionNumber, &r.glHeader, &r.work);
    if (status == kStatusOk) status = GLTranDetailCreate(r.glHeaders, &r.glHeader, &r.work);
    if (status != kStatusOk) {
      MsgRecordErrorPost(kButtonsStopOnly, 1, r.work.status, r.work.operation, r.work.fileNo, 0);
      return Step::kStop;
    }
    r.glHeaderMade = true;
  }
  if (UpdateOpenInvoice(r) == Step::kStop) return Step::kStop;
  if (UpdateCustVend(r) == Step::kStop) return Step::kStop;
  if (PostRecPayDistribution(r) == kPostStop) return Step::kStop;
  return Step::kGoOn;
}

// On line: the transaction's own G/L transaction, then the open invoice and
// the customer or vendor, then the G/L transaction posted into the accounts.
Step PostOnLineTransaction(Run& r) {
  CBaseGL& gl = *r.onLine;
  gl.SetPostRef(r.reference);
  // A G/L transaction that cannot be written, or read back once written,
  // is asked about: skipped, nothing of it stays.
  int failed = 0;
  if (!(r.l.receivables ? gl.UpdateFromArTran(&r.header) : gl.UpdateFromApTran(&r.header)))
    failed = kMsgNotPosted;
  else if (!gl.ReadGLHeader(gl.GetTranKey(), &r.glHeader))
    failed = kMsgNotReadBack;
  if (failed != 0)
    return MsgShowArgs(failed, 0x12A, kButtonsStopSkip, 1, r.l.label, r.tran.c_str(), 0) == kPostStop ? Step::kStop
                                                                                                : Step::kSkip;
  if (UpdateOpenInvoice(r) == Step::kStop) return Step::kStop;
  if (UpdateCustVend(r) == Step::kStop) return Step::kStop;
  double debit = 0, credit = 0;
  PostGLBatch(r.glHeaders, r.glLines, r.accounts, &debit, &credit, &r.period, &r.glHeader, &r.work, 0);
  if (r.work.status != kStatusOk) {
    // Told with the transaction's own figures, not the run's.
    r.refusedDebit = debit;
    r.refusedCredit = credit;
    return Step::kEndWalk;
  }
  r.debitTotal = NumRound(r.debitTotal + debit, 2);
  r.creditTotal = NumRound(r.creditTotal + credit, 2);
  return Step::kGoOn;
}

// The open invoice the transaction applies to is marked posted.  A missing
// one stops the run: the transaction cannot be posted without it.
Step UpdateOpenInvoice(Run& r) {
  const Ledger& l = r.l;
  int status = OpenInvoiceRead(r.openInvoices, l.openInvoiceFile, r.header.openItemNumber, &r.openInvoice,
                               &r.work, nullptr, 0);
  if (status == kStatusOk)
    status = OpenInvoiceUpdate(r.openInvoices, l.openInvoiceFile, &r.openInvoice, &r.work, &*r.unit.oiHeader, 1);
  if (status == kStatusOk) return Step::kGoOn;
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound)
    MsgShowArgs(l.msgOpenInvoiceMissing, 0x114, kButtonsStop, 1, l.label, r.tran.c_str(), 0);
  else
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, r.work.operation, r.work.fileNo, 0);
  return Step::kStop;
}

// The customer or vendor takes the open invoice's amount.  A missing one
// stops the run.
Step UpdateCustVend(Run& r) {
  const Ledger& l = r.l;
  int status = PostReadRecordWork(r.custVend, l.custVendFile, r.custVendCode.c_str(), &r.custVendRecord, &r.work);
  if (status == kStatusOk)
    status = UpdateCustVendFromTran(r.custVend, l.custVendFile, &r.period, &r.openInvoice, &r.custVendRecord,
                                    &r.work);
  if (status == kStatusOk) return Step::kGoOn;
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound)
    MsgShowArgs(l.msgCustVendMissing, 0x111, kButtonsStop, 1, r.custVendCode.c_str(), l.label, r.tran.c_str(), 0);
  else
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, r.work.operation, r.work.fileNo, 0);
  return Step::kStop;
}

// Marks a handled header posted, or deletes it with its detail lines.
Step Mark(Run& r) {
  r.header.postedFlag = 'Y';
  if (r.deleteAfter) {
    if (PostRecPayTranRemove(kOpDelete, r.headers, r.details, r.openInvoices, r.l.headerFile, &r.header, &r.work,
                             &*r.unit.oiHeader) != kStatusOk) {
      MsgRecordErrorPost(kButtonsStopOnly, 1, r.work.status, r.work.operation, r.work.fileNo, 0);
      return Step::kStop;
    }
    return Step::kGoOn;
  }
  const int status = BtrvWriteOp(kOpUpdate, r.headers, nullptr, &r.header, 0);
  if (status != kStatusOk) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpUpdate, r.l.headerFile, 0);
    return Step::kStop;
  }
  return Step::kGoOn;
}

// The key of a transaction's detail lines: the ledger code blank-padded to
// 7, then the transaction number.
void DetailKey(const Ledger& l, const TagRecPayHeader& header, char (&key)[255]) {
  std::memset(key, 0, sizeof key);
  std::memset(key, ' ', 7);
  std::memcpy(key, l.code, std::strlen(l.code));
  std::memcpy(key + 7, header.transactionNumber, sizeof header.transactionNumber);
}

bool OfTransaction(const Ledger& l, const RecPayDetail& detail, const TagRecPayHeader& header) {
  return records::Trimmed(detail.ledgerCode) == l.code &&
         records::Trimmed(detail.transactionNumber) == records::Trimmed(header.transactionNumber);
}

// A line's side and amount as the general ledger books them: a negative
// amount counts on the other side.
void Normalize(GLLine* line) {
  if (line->amount < 0) {
    line->side = line->IsDebit() ? 'C' : 'D';
    line->amount = -line->amount;
  }
}

// The pre-check: the customer or vendor, the open invoice and every line's
// account must be on file, and the lines must balance.  Each problem is
// shown; the answer 1 stops the run; a transaction with a problem, or
// without a line, is skipped.  Returns the work result.
int CheckRecPayTran(Run& r) {
  const Ledger& l = r.l;
  TagPostWork& work = r.work;
  work = TagPostWork{};
  bool problem = false;
  auto stop = [&] {
    work.result = kPostStop;
    return kPostStop;
  };

  CustVendRecord custVend{};
  int status = PostReadRecordWork(r.custVend, l.custVendFile, r.custVendCode.c_str(), &custVend, &work);
  if (status != kStatusOk) {
    problem = true;
    const int answer =
        status == kStatusKeyNotFound || status == kStatusEndOfFile
            ? MsgShowArgs(l.msgCustVendMissing, 0x111, kButtonsStopSkip, 1, r.custVendCode.c_str(), l.label, r.tran.c_str(), 0)
            : MsgRecordErrorPost(kButtonsStopOnly, 1, status, work.operation, l.custVendFile, 0);
    if (answer == kPostStop) return stop();
  }
  TagOpenInvoice openInvoice{};
  status = OpenInvoiceRead(r.openInvoices, l.openInvoiceFile, r.header.openItemNumber, &openInvoice, &work);
  if (status != kStatusOk) {
    problem = true;
    const int answer = status == kStatusKeyNotFound || status == kStatusEndOfFile
                           ? MsgShowArgs(l.msgOpenInvoiceMissing, 0x114, kButtonsStopSkip, 1, l.label, r.tran.c_str(), 0)
                           : MsgRecordErrorPost(kButtonsStopOnly, 1, status, work.operation, l.openInvoiceFile, 0);
    if (answer == kPostStop) return stop();
  }

  double debit = 0, credit = 0;
  bool lineSeen = false;
  char key[255];
  DetailKey(l, r.header, key);
  RecPayDetail detail{};
  status = RecordRead(l.detailFile, kOpGetGreaterOrEqual, r.details, key, &detail, sizeof detail);
  while (status == kStatusOk && OfTransaction(l, detail, r.header)) {
    if (!journals::AccountCodeMissing(detail.account, r.accounts)) {
      lineSeen = true;
      records::GLAccount account{};
      status = PostReadAccount(1, r.accounts, detail.account, &account, &work);
      if (status != kStatusOk) {
        problem = true;
        const std::string code = ShownText(detail.account);
        const int answer = status == kStatusKeyNotFound || status == kStatusEndOfFile
                               ? MsgShowArgs(kMsgAccountMissing, 0x112, kButtonsStopSkip, 1, code.c_str(), l.label, r.tran.c_str(), 0)
                               : MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpGetEqual,
                                                    records::kFileGLAccounts, 0);
        if (answer == kPostStop) return stop();
      } else {
        GLLine line{};
        std::memcpy(&line, &detail, sizeof line);
        Normalize(&line);
        (line.IsDebit() ? debit : credit) += line.amount;
      }
    }
    status = RecordRead(l.detailFile, kOpGetNext, r.details, key, &detail, sizeof detail);
  }
  if (status == kStatusOk || status == kStatusEndOfFile) {
    debit = NumRound(debit, 2);
    credit = NumRound(credit, 2);
    if (!NumEqual(debit, credit)) {
      problem = true;
      if (MsgShowArgs(kMsgOutOfBalance, 0x113, kButtonsStopSkip, 1, debit, credit, l.label, r.tran.c_str(), 0) ==
          kPostStop)
        return stop();
    }
  } else {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpGetNext, l.detailFile, 0);
    return stop();
  }
  work.status = kStatusOk;
  work.result = !lineSeen || problem ? kPostSkip : kPostGoOn;
  return work.result;
}

// Batch: one G/L line per detail line into the run's G/L transaction, each
// posted into its account; the checks the lines name are posted in the
// check register.  A line whose account is a comment code is written but
// moves no account and no total.  The run's totals must still balance
// afterwards.  Returns the work result (2: the transaction has no line).
int PostRecPayDistribution(Run& r) {
  const Ledger& l = r.l;
  TagPostWork& work = r.work;
  work = TagPostWork{};
  auto stop = [&] {
    work.result = kPostStop;
    return kPostStop;
  };
  CBaseCheckReg checks;
  bool lineSeen = false;
  double debit = 0, credit = 0;  // of this transaction
  char key[255];
  DetailKey(l, r.header, key);
  RecPayDetail detail{};
  int status = RecordRead(l.detailFile, kOpGetGreaterOrEqual, r.details, key, &detail, sizeof detail);
  while (status == kStatusOk && OfTransaction(l, detail, r.header)) {
    lineSeen = true;
    const bool comment = journals::AccountCodeMissing(detail.account, r.accounts);
    if (!comment) {
      records::GLAccount account{};
      status = PostReadAccount(0, r.accounts, detail.account, &account, &work);
      if (status != kStatusOk) {
        const std::string code = ShownText(detail.account);
        if (status == kStatusKeyNotFound || status == kStatusEndOfFile)
          MsgShowArgs(kMsgAccountMissing, 0x112, kButtonsStop, 1, code.c_str(), l.label, r.tran.c_str(), 0);
        else
          MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpGetEqual, records::kFileGLAccounts, 0);
        return stop();
      }
    }
    GLLine line{};
    std::memcpy(&line, &detail, sizeof line);
    std::memcpy(line.journalCode, r.glHeader.journalCode, sizeof line.journalCode);
    std::memcpy(line.transactionNumber, r.glHeader.transactionNumber, sizeof line.transactionNumber);
    line.date = r.glHeader.date;
    Normalize(&line);
    const GLLine booked = line;  // PostGLLine hands back the summed line in summary mode

    // The register holds the checks written outside the ledger; a check it
    // does not hold leaves nothing to mark.
    if (detail.checkNumber > 0 && !checks.Post(detail.checkNumber, nullptr) &&
        checks.GetResult() != kStatusKeyNotFound) {
      MsgRecordErrorPost(kButtonsStopOnly, 1, checks.GetResult(), kOpUpdate, records::kFileCheckRegister, 0);
      return stop();
    }
    if (!r.inDetail) records::SetText(line.description, l.summaryText);
    if (PostGLLine(r.inDetail ? 0 : 1, r.glLines, &r.debitCounter, &r.creditCounter, &line, &work) != kStatusOk) {
      MsgRecordErrorPost(kButtonsStopOnly, 1, work.status, work.operation, work.fileNo, 0);
      return stop();
    }
    if (!comment) {
      if (PostGLLineToAccount(r.accounts, &booked, &r.period, &work) != kStatusOk) {
        MsgRecordErrorPost(kButtonsStopOnly, 1, work.status, work.operation, work.fileNo, 0);
        return stop();
      }
      (booked.IsDebit() ? debit : credit) += booked.amount;
    }
    status = RecordRead(l.detailFile, kOpGetNext, r.details, key, &detail, sizeof detail);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) {
    MsgRecordErrorPost(kButtonsStopOnly, 1, status, kOpGetNext, l.detailFile, 0);
    return stop();
  }
  r.debitTotal = NumRound(r.debitTotal + debit, 2);
  r.creditTotal = NumRound(r.creditTotal + credit, 2);
  if (!NumEqual(r.debitTotal, r.creditTotal)) {
    // The run was in balance before this transaction: it is told with its own figures.
    MsgShowArgs(kMsgOutOfBalance, 0x113, kButtonsStop, 1, NumRound(debit, 2), NumRound(credit, 2), l.label,
                r.tran.c_str(), 0);
    return stop();
  }
  work.result = lineSeen ? kPostGoOn : kPostSkip;
  return work.result;
}

// The customer or vendor takes what the open invoice adds to or takes from
// its balance, in the period's figures and the year's statistics.  A cash
// account (type 'C') keeps no balance: only its statistics move.  Returns
// the status of the rewrite, also left in the work record.
int UpdateCustVendFromTran(BtrvHandle handle, int fileNo, const records::FiscalPeriodInfo* period,
                           const TagOpenInvoice* openInvoice, CustVendRecord* record, TagPostWork* work) {
  *work = TagPostWork{};
  work->fileNo = fileNo;
  work->operation = kOpUpdate;
  const bool customer = fileNo == records::kFileCustomers;
  const int slot = period->StatisticsSlot();
  const double amount = NumRound(openInvoice->amount, 2);
  auto add = [](records::F64& field, double value) { field = NumRound(field + value, 2); };

  switch (openInvoice->lineType) {
    case 'I':
      record->invoiceCounts[slot] += 1;
      add(record->grossAmounts[slot], amount);
      break;
    case 'P':
      add(record->payments[slot], amount);
      break;
    default: break;
  }
  if (!record->IsCash()) {
    // A customer's charges are debits, a vendor's purchases credits.
    records::F64& charges = customer ? record->periodDebits : record->periodCredits;
    records::F64& reductions = customer ? record->periodCredits : record->periodDebits;
    switch (openInvoice->lineType) {
      case 'I':
        add(charges, amount);
        add(record->balance, amount);
        if (record->lastInvoiceDate <= openInvoice->invoiceDate) {
          record->lastInvoiceDate = openInvoice->invoiceDate;
          record->lastInvoiceAmount = amount;
        }
        break;
      case 'C':
        add(record->periodCredits, amount);
        add(record->balance, customer ? -amount : amount);
        break;
      case 'D':
        add(record->periodDebits, amount);
        add(record->balance, customer ? amount : -amount);
        break;
      case 'F':
        // A finance charge adds to what the account owes, like an invoice.
        add(charges, amount);
        add(record->balance, amount);
        break;
      case 'P': {
        // A payment, with the discount taken, reduces what the account owes.
        const double paid = NumRound(amount + openInvoice->discount, 2);
        add(reductions, paid);
        add(record->balance, -paid);
        if (record->lastPaymentDate <= openInvoice->invoiceDate) {
          record->lastPaymentDate = openInvoice->invoiceDate;
          record->lastPaymentAmount = amount;
        }
        break;
      }
      default: break;
    }
  }
  work->status = BtrvWriteOp(kOpUpdate, handle, nullptr, record, sizeof *record);
  return work->status;
}

// The run's G/L transaction, dated the posting date.  It is written posted:
// each transaction posts its lines into the accounts as it adds them.
void BuildRecPayGLHeader(const char* reference, int ledger, std::int32_t date, TagGLHeader* glHeader) {
  *glHeader = TagGLHeader{};
  records::SetPadded(glHeader->journalCode, ledger == kLedgerReceivables ? "AR" : "AP");
  records::SetText(glHeader->reference, std::string_view(reference, strnlen(reference, 10)));
  glHeader->date = date;
  glHeader->journalPrinted = date;
  glHeader->postedFlag = 'Y';
  glHeader->sourceFlag = 'N';
  glHeader->checkFlag = 'N';
}

// Hands a posted transaction to the time-billing link.  A failure is shown;
// the posting goes on.  Returns the link's status.
int TimeLinkWriteRecord(int ledger, const TagRecPayHeader* header) {
  void* context = TimeLinkRecordOpen();
  void* entry = TimeLinkRecordNew();
  char buffer[256] = {};
  int status = TimeLinkFieldSetInt(ledger, 5, header, 0);
  if (status == kStatusOk) status = TimeLinkFieldSet(12, context, buffer);
  while (status == kStatusOk) {
    status = *static_cast<const char*>(entry) == 'E' ? TimeLinkRecordKey(entry) : TimeLinkRecordRef(entry);
    if (status != kStatusOk) {
      ReportTimeLinkError();
      return status;
    }
    status = TimeLinkFieldSet(6, context, buffer);
  }
  if (status == kStatusEndOfFile) {
    // A transaction the link could not save is not lost in silence.
    status = TimeLinkRecordClose(1, 4, 0, TimeLinkRecordSave(context));
    if (status != kStatusOk) ReportTimeLinkError();
  }
  return status;
}

// Shows the time-billing link's last error, when it has one.
void ReportTimeLinkError() {
  char buffer[1024] = {};
  TimeLinkErrorText(buffer, sizeof buffer);
  StrTrim(5, buffer);
  if (StrIsBlank(buffer)) return;
  const std::string text = std::string(" Chronvale Database Error : ") + buffer;
  const std::string first = text.substr(0, text.find('\n'));
  const char* lines[] = {first.c_str(), nullptr};
  MsgTextShow(lines, 1, static_cast<int>(text.size()), 0x410, kCaptionError);
}

}  // namespace
