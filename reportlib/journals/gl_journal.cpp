// The general-ledger journal (command 301): the general-ledger transactions
// of file 27 with their lines (file 26) and account names (file 1).
//
// "Journal" mode prints the unposted transactions dated in the fiscal period
// of the journal date that are not held, warns of those out of balance, and
// stamps each printed header with today's date as its journal-printed date.
// "Listing" mode prints the transactions of a journal-code range, a date
// range and (from a parameter string) a transaction-number range, posted or
// not, and writes nothing.  Each transaction prints its lines, then its
// comments (when asked for and it has some) or else its totals; the run ends
// with the journal's totals.
//
// With no parameter string, or one whose output is the screen, the selection
// window runs and F10 prints to the preview.  A parameter string whose output
// names an HTML file (or any other output) runs unattended: it prints at once
// with the values of the string, and what would be a message box is written
// to the transcript (and to the error output off the script device), so that
// an unattended run never waits for a key.
#include "journals/gl_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gl_journal_params.h"
#include "journals/journal_frame.h"
#include "journals/journal_print.h"
#include "oemtext.h"
#include "qxabase.h"
#include "qxabase/tran_comments.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace {

using records::GLAccount;
using records::GLLine;
using records::TagGLHeader;

using journals::AmountHeading;
using journals::Column;
using journals::CopyField;
using journals::Filled;
using journals::Heading;
using journals::Trim;

constexpr const char* kReportId = "RSJrnlGL";
constexpr const char* kReportTitle = "General Ledger Journal/Listing";
constexpr int kHelpTopic = 301;

// Screen texts (block 216).
constexpr int kTextBlock = 216;
constexpr int kTextCount = 13;
enum TextNumber : int {
  kTextTitleFormat = 0,  // "General Ledger %s"
  kTextJournal = 1,
  kTextListing = 2,
  kTextDatesFrom = 3,
  kTextDatesTo = 4,
  kTextCodesFrom = 5,
  kTextCodesTo = 6,
  kTextNotOnFile = 10,   // the name of an account not on file
  kTextTranTotals = 11,
  kTextGrandTotals = 12,
};

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgNothingPrinted = 197;
constexpr int kMsgFromAfterTo = 205;
constexpr int kMsgInUse = 551;
constexpr int kMsgOutOfBalance = 1351;    // %1 debits, %2 credits, %3 journal, %4 transaction
constexpr int kMsgAccountMissing = 1355;  // %1 account, %2 journal, %3 transaction

// Date bounds a listing compares with when a bound is open.
constexpr std::int32_t kFirstDay = 1;
constexpr std::int32_t kLastDay = 30000000;
// What a parameter string's dates hold until a "datebeg" or "dateend" sets them.
constexpr std::int32_t kDateNotGiven = -1;

// ---- The selection window ----------------------------------------------------------------

enum Field : int {
  kFieldMode = 1,         // "Journal,Listing"
  kFieldCopies = 2,       // the report number: copies printed
  kFieldJournalDate = 3,
  kFieldPeriod = 4,
  kFieldCodeFrom = 5,
  kFieldCodeTo = 6,
  kFieldDateFrom = 7,
  kFieldDateTo = 8,
  kFieldComments = 9,     // "Yes,No"
};

constexpr char kModeChoices[] = "\x01Journal,Listing";
constexpr char kYesNo[] = "\x01Yes,No";

// Attributes are help topics.
//   no. row col  mask        choices       attr  label
const TagFormField kFormFields[] = {
    {.number = 1, .row = 1, .column = 17, .mask = "%-20sm", .choices = kModeChoices, .attributes = 1160,
     .label = "Print"},
    {.number = 2, .row = 2, .column = 17, .mask = "%2u", .attributes = 1161, .label = "Copies"},
    {.number = 3, .row = 4, .column = 17, .mask = "nn/nn/nn", .attributes = 1162, .label = "Journal date"},
    {.number = 4, .row = 5, .column = 17, .mask = "%2u", .attributes = 1, .option = 1, .label = "Period"},
    {.number = 5, .row = 4, .column = 58, .mask = "%-6sC", .attributes = 1163, .label = "Journal code"},
    {.number = 6, .row = 5, .column = 58, .mask = "%-6sC", .attributes = 1163},
    {.number = 7, .row = 6, .column = 58, .mask = "nn/nn/nn", .attributes = 1164, .label = "Date"},
    {.number = 8, .row = 7, .column = 58, .mask = "nn/nn/nn", .attributes = 1164},
    {.number = 9, .row = 3, .column = 39, .mask = "%-10sm", .choices = kYesNo, .attributes = 1306,
     .label = "Print comments"},
    {},
};
constexpr int kFormFieldCount = static_cast<int>(std::size(kFormFields));

// ---- Report columns ----------------------------------------------------------------------

//   caption           format   x
constexpr TagReportColumn kHeadingRow1[] = {
    Heading("Journal", "%-8s", 0),
    Heading("Tran.", "%-12s", 9),
    Heading("Account", "%-10s", 43),
    {},
};
constexpr TagReportColumn kHeadingRow2[] = {
    Heading("Code", "%-8s", 0),
    Heading("Number", "%-11s", 9),
    Heading("Refer.", "%-10s", 21),
    Heading("Date", "%-10s", 32),
    Heading("Number", "%-10s", 43),
    Heading("Account Name", "%-20s", 54),
    Heading("Description", "%-24s", 75),
    AmountHeading("Debits", "%12s", 100),
    AmountHeading("Credits", "%12s", 113),
    Heading("Posted", "%-7s", 126),
    {},
};

// The detail row, bound to the run's row values.
enum DetailColumn : int {
  kColCode, kColTran, kColReference, kColDate, kColAccount, kColName, kColDescription, kColDebit, kColCredit,
  kColPosted, kDetailColumns
};
constexpr TagReportColumn kDetailRow[] = {
    Column(kColumnText, "%-8s", 0),             // journal code
    Column(kColumnText, "%-12s", 9),            // transaction number
    Column(kColumnText, "%-10.10s", 21),        // reference
    Column(kColumnDate, "nn/nn/nn", 32),        // date
    Column(kColumnText, "%-10s", 43),           // account
    Column(kColumnText, "%-20.20s", 54),        // account name: its first 20 characters
    Column(kColumnText, "%-24.24s", 75),        // description
    Column(kColumnAmount, "%12.2f", 100, nullptr, kAlignRight),  // debit
    Column(kColumnAmount, "%12.2f", 113, nullptr, kAlignRight),  // credit
    Column(kColumnText, "%-6s", 126),           // posted: "Yes" or "No"
    {},
};
static_assert(std::size(kDetailRow) == kDetailColumns + 1);

enum TotalsColumn : int { kTotCaption, kTotDebit, kTotCredit, kTotalsColumns };
constexpr TagReportColumn kTotalsRow[] = {
    Column(kColumnText, "%-40s", 75),
    Column(kColumnAmount, "%12.2f", 100, nullptr, kAlignRight),
    Column(kColumnAmount, "%12.2f", 113, nullptr, kAlignRight),
    {},
};

// The heading of a transaction's comments (journals::kCommentRule above and below them).
using journals::kCommentRule;
constexpr TagReportColumn kCommentHeading[] = {
    Column(kColumnText, "%-23s", 1, "Transaction Comments: "),
    Column(kColumnText, "%-20s", 24),  // journal code / transaction number
    {},
};

// ---- The run -----------------------------------------------------------------------------------

// One detail row's values, NUL-ended copies of the stored fields.
struct RowValues {
  char journalCode[8] = {};
  char tranNo[12] = {};
  char reference[28] = {};
  std::int32_t date = 0;
  char account[12] = {};
  char accountName[42] = {};
  char description[26] = {};
  double debit = 0;
  double credit = 0;
  char posted[4] = {};
};

struct Totals {
  const char* caption = "";
  double debit = 0;
  double credit = 0;
};

// What the walk selects by: the mode's bounds, already resolved.
struct Selection {
  bool listing = false;
  char codeFrom[8] = {};   // blank-padded to 7; all blanks = open
  char codeTo[8] = {};
  std::int32_t dateFrom = 0, dateTo = 0;  // 0 and 0: every date
  char tranFrom[12] = {};  // right-justified in 10 and a blank; blank = open
  char tranTo[12] = {};
};

struct GLJournalRun {
  GLJournalParams params{};
  bool unattended = false;
  const char* texts[kTextCount] = {};
  FileSet files;
  records::FiscalPeriodInfo period{};  // of the journal date (today until the window changes it)
  TagRepInfo reportSetUp{};            // the run's report settings; each print starts from a copy
  TagRepInfo report{};
  Form form{};
  Window window{};
  bool formRunning = false;
  TagFormField fields[kFormFieldCount] = {};

  TagReportColumn detail[kDetailColumns + 1] = {};
  TagReportColumn totals[kTotalsColumns + 1] = {};
  TagReportColumn commentHeading[3] = {};
  RowValues row;
  Totals totalValues;
  char commentTitle[32] = {};
  std::string title, dateLine, codeLine;

  BtrvHandle headers() const { return files.handle[0]; }
  BtrvHandle lines() const { return files.handle[1]; }
  BtrvHandle accounts() const { return files.handle[2]; }
  const char* Text(int n) const { return texts[n] ? texts[n] : ""; }
};

// ---- Telling the user ------------------------------------------------------------------------
// A run at the selection window shows message boxes; an unattended run writes
// what they would say to the transcript and to the error output (the
// transcript alone when a key script drives the run), and waits for nobody.

std::string FilledText(int number, const std::vector<std::string>& args) {
  const std::string text = TextGet(number);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
      if (n < args.size()) out += args[n];
      ++i;
    } else {
      out += text[i] == '\n' ? ' ' : text[i];
    }
  }
  return out;
}

void Note(const std::string& text) {
  TranscriptNote("journal", text.c_str());
  if (!ScreenIsScripted() || ScreenIsClosed())
    std::fprintf(stderr, "%s: %s\n", kReportTitle, oem::ToUtf8(text).c_str());
}

void NoteMessage(int number, const std::vector<std::string>& args = {}) {
  Note("message " + std::to_string(number) + ": " + FilledText(number, args));
}

void ShowMessage(const GLJournalRun& run, int number) {
  if (run.unattended) NoteMessage(number);
  else MsgShow(number, 1);
  // Nothing to print is the journal's work done, told on the screen or not.
  if (number == kMsgNothingPrinted) CommandDone();
}

void ShowRecordError(const GLJournalRun& run, int status, int op, int fileNo) {
  if (run.unattended) Note(RecordErrorText(status, op, fileNo));
  else MsgRecordError(status, 1, op, fileNo, 0);
  CommandNotDone();
}

// Parameters that cannot be used: the journal does not run.  `before` goes
// in front of the message (the invalid-date text), `why` after it.
void RefuseParameters(const GLJournalRun& run, const std::string& before, const std::string& why) {
  const std::string message = before + "The parameters of the " + kReportTitle + " cannot be used: " + why;
  if (run.unattended) {
    Note(message);
  } else {
    const char* lines[] = {message.c_str(), nullptr};
    MsgTextShow(lines, 1, static_cast<int>(message.size()), 0x10, kCaptionError);
  }
  CommandNotDone();
}

// A range whose from lies after its to: the window lets the user correct
// it; an unattended run ends on it without printing.
void ShowRangeRefused(const GLJournalRun& run) {
  ShowMessage(run, kMsgFromAfterTo);
  if (run.unattended) CommandNotDone();
}

std::string AmountText(double amount) {
  char text[32];
  return NumToText(text, amount, 2);
}

// The journal goes on after either warning: the box has nothing to decide.
void ShowOutOfBalance(const GLJournalRun& run, double debit, double credit, const char* code, const char* tran) {
  if (run.unattended) {
    NoteMessage(kMsgOutOfBalance, {AmountText(debit), AmountText(credit), code, tran});
    return;
  }
  MsgShowArgs(kMsgOutOfBalance, 0x102, 0, 1, debit, credit, code, tran, 0);
}

void ShowAccountMissing(const GLJournalRun& run, const char* account, const char* code, const char* tran) {
  if (run.unattended) {
    NoteMessage(kMsgAccountMissing, {account, code, tran});
    return;
  }
  MsgShowArgs(kMsgAccountMissing, 0x101, 0, 1, account, code, tran, 0);
}

// ---- Small helpers ----------------------------------------------------------------------------

// A journal-code bound is open when it is blank, or the all-codes end (six
// 0xFF bytes) the run's defaults give.
bool IsOpenCode(const char* code) {
  for (int i = 0; i < 7 && code[i]; ++i)
    if (code[i] != ' ' && static_cast<unsigned char>(code[i]) != 0xFF) return false;
  return true;
}

// A code in its key form: blank-padded to 7, as the headers store it.
void CodeKey(char (&out)[8], std::string_view code) {
  std::memset(out, ' ', 7);
  std::memcpy(out, code.data(), std::min<std::size_t>(code.size(), 7));
  out[7] = '\0';
}

// A transaction number as the entry screens store it: right-justified in 10
// characters, then a blank; a blank number stays blank (an open bound).
void TranKey(char (&out)[12], std::string_view number) {
  char text[64] = {};
  std::snprintf(text, sizeof text, "%.*s", static_cast<int>(std::min<std::size_t>(number.size(), 40)),
                number.data());
  if (StrIsBlank(text)) {
    std::memset(out, ' ', 11);
  } else {
    StrJustify(text, 10);
    StrPad(text, 11);
    std::memcpy(out, text, 11);
  }
  out[11] = '\0';
}

int CompareBytes(const char* a, const char* b, std::size_t n) {
  return std::memcmp(a, b, n);
}

std::string FieldValue(Form* form, int field) {
  char text[256] = {};
  FieldGetText(form, field, text, sizeof text);
  return text;
}

GLJournalRun* RunOf(Form* form) { return static_cast<GLJournalRun*>(form->context); }

// ---- Report set-up ------------------------------------------------------------------------------

// False when the output the parameters name cannot be used (the user has
// been told; nothing is printed).
bool SetUpReport(GLJournalRun& run) {
  TagRepInfo& r = run.reportSetUp;
  std::string why;
  const bool usable = FillReportDestination(run.params.output, &r, &why);
  r.landscape = 1;
  r.copies = run.params.reportNumber;
  if (usable) return true;
  RefuseParameters(run, "", why);
  return false;
}

void BindColumns(GLJournalRun& run) {
  std::copy(std::begin(kDetailRow), std::end(kDetailRow), run.detail);
  RowValues& v = run.row;
  run.detail[kColCode].value = v.journalCode;
  run.detail[kColTran].value = v.tranNo;
  run.detail[kColReference].value = v.reference;
  run.detail[kColDate].value = &v.date;
  run.detail[kColAccount].value = v.account;
  run.detail[kColName].value = v.accountName;
  run.detail[kColDescription].value = v.description;
  run.detail[kColDebit].value = &v.debit;
  run.detail[kColCredit].value = &v.credit;
  run.detail[kColPosted].value = v.posted;
  std::copy(std::begin(kTotalsRow), std::end(kTotalsRow), run.totals);
  run.totals[kTotCaption].value = run.totalValues.caption;
  run.totals[kTotDebit].value = &run.totalValues.debit;
  run.totals[kTotCredit].value = &run.totalValues.credit;
  std::copy(std::begin(kCommentHeading), std::end(kCommentHeading), run.commentHeading);
  run.commentHeading[1].value = run.commentTitle;
}

void ShowAllColumns(GLJournalRun& run) {
  for (int i = 0; i < kDetailColumns; ++i) run.detail[i].hidden = 0;
}

// ---- Printing ---------------------------------------------------------------------------------

void PageHeading(GLJournalRun& run) {
  journals::WriteJournalPageHeading(&run.report, run.title.c_str(), kHeadingRow1, kHeadingRow2, [&run](TagRepInfo* report) {
    ReportSetFont(report, kFontHeading);
    ReportWriteText(report, run.dateLine.c_str(), -4, 1);
    if (!run.codeLine.empty()) ReportWriteText(report, run.codeLine.c_str(), -4, 1);
    ReportSkipLines(report, 1);
  });
  ShowAllColumns(run);
}

void PageCheck(GLJournalRun& run) {
  if (run.report.lineCount < run.report.pageLength) return;
  ReportNewPage(&run.report);
  PageHeading(run);
}

void FillHeaderColumns(GLJournalRun& run, const TagGLHeader& h) {
  RowValues& v = run.row;
  CopyField(v.journalCode, h.journalCode);
  CopyField(v.tranNo, h.transactionNumber);
  CopyField(v.reference, h.reference);
  v.date = h.date;
}

struct TranSums {
  double debit = 0;
  double credit = 0;
};

// The lines of one transaction.  Lines whose account is a comment's
// (AccountCodeMissing) show only their description and are not summed.
void PrintDetailLines(GLJournalRun& run, const TagGLHeader& h, TranSums* sums) {
  PageCheck(run);
  *sums = TranSums{};
  ShowAllColumns(run);
  FillHeaderColumns(run, h);
  RowValues& v = run.row;
  TagReportColumn* d = run.detail;
  if (h.IsDeleted()) {
    for (int c = kColDate; c < kDetailColumns; ++c) d[c].hidden = 1;
    ReportWriteColumns(&run.report, d, 1);
    return;
  }
  std::snprintf(v.posted, sizeof v.posted, "%s", h.postedFlag == 'Y' ? "Yes" : "No");
  char key[255] = {};
  std::memcpy(key, h.journalCode, sizeof h.journalCode);
  std::memcpy(key + sizeof h.journalCode, h.transactionNumber, sizeof h.transactionNumber);
  GLLine line{};
  int op = kOpGetGreaterOrEqual;
  int status = BtrvGetOp(op, run.lines(), key, &line, sizeof line);
  while (status == kStatusOk && std::memcmp(line.journalCode, h.journalCode, sizeof h.journalCode) == 0 &&
         std::memcmp(line.transactionNumber, h.transactionNumber, sizeof h.transactionNumber) == 0) {
    CopyField(v.account, line.account);
    CopyField(v.description, line.description);
    for (int c = kColAccount; c <= kColPosted; ++c) d[c].hidden = 0;
    if (journals::AccountCodeMissing(v.account, run.accounts())) {
      for (const int c : {kColAccount, kColName, kColDebit, kColCredit, kColPosted}) d[c].hidden = 1;
    } else {
      char accountKey[255] = {};
      std::snprintf(accountKey, sizeof accountKey, "%s", Trim(v.account).c_str());
      StrPad(accountKey, sizeof line.account);
      GLAccount account{};
      const int found = BtrvGetOp(kOpGetEqual, run.accounts(), accountKey, &account, sizeof account);
      if (found == kStatusOk) {
        CopyField(v.accountName, account.name);
      } else {
        std::snprintf(v.accountName, sizeof v.accountName, "%s", run.Text(kTextNotOnFile));
        if (found != kStatusKeyNotFound) {
          ShowRecordError(run, found, kOpGetEqual, records::kFileGLAccounts);
        } else if (!run.params.listingFlag) {
          ShowAccountMissing(run, Trim(v.account).c_str(), Trim(v.journalCode).c_str(), Trim(v.tranNo).c_str());
        }
      }
      const double amount = line.amount;
      if (line.IsDebit()) {
        v.debit = amount;
        d[kColCredit].hidden = 1;
        sums->debit = NumRound(sums->debit + amount, 2);
      } else {
        v.credit = amount;
        d[kColDebit].hidden = 1;
        sums->credit = NumRound(sums->credit + amount, 2);
      }
    }
    ReportWriteColumns(&run.report, d, 1);
    // The transaction's own columns stand on its first line only.
    for (int c = kColCode; c <= kColDate; ++c) d[c].hidden = 1;
    PageCheck(run);
    op = kOpGetNext;
    status = BtrvGetOp(op, run.lines(), key, &line, sizeof line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile)
    ShowRecordError(run, status, op, records::kFileGLLines);
}

// The transaction's comments between two rules when they are to be printed
// and it has some; its totals otherwise.
void PrintCommentsOrTotals(GLJournalRun& run, const TagGLHeader& h, const TranSums& sums,
                           CBaseGLTranComments* comments) {
  comments->FormGLNoteName(h.journalCode, h.transactionNumber);
  if (run.params.printComments && comments->NoteExist()) {
    ReportWriteRule(&run.report, kCommentRule, 1, '-');
    if (comments->NoteOpen()) {
      std::snprintf(run.commentTitle, sizeof run.commentTitle, "%s/%s",
                    Trim(std::string_view(h.journalCode, sizeof h.journalCode)).c_str(),
                    Trim(std::string_view(h.transactionNumber, strnlen(h.transactionNumber, sizeof h.transactionNumber)))
                        .c_str());
      ReportWriteColumns(&run.report, run.commentHeading, 2);
      for (bool more = comments->NoteReadFirst(); more; more = comments->NoteReadNext())
        ReportWriteText(&run.report, comments->NoteLine(), 5, 1);
      comments->NoteClose();
    } else {
      ReportWriteText(&run.report, "Cannot open comment file", 10, 1);
    }
    ReportWriteRule(&run.report, kCommentRule, 1, '-');
    return;
  }
  run.totalValues = Totals{run.Text(kTextTranTotals), sums.debit, sums.credit};
  run.totals[kTotCaption].value = run.totalValues.caption;
  ReportWriteColumns(&run.report, run.totals, 2);
}

bool InDateRange(std::int32_t date, std::int32_t from, std::int32_t to) {
  if (from == 0 && to == 0) return true;
  return date >= (from ? from : kFirstDay) && date <= (to ? to : kLastDay);
}

bool IsSelected(const Selection& s, const TagGLHeader& h) {
  if (!s.listing)
    return h.postedFlag != 'Y' && InDateRange(h.date, s.dateFrom, s.dateTo) && !h.IsOnHold();
  if (!IsOpenCode(s.codeFrom) && CompareBytes(h.journalCode, s.codeFrom, 7) < 0) return false;
  if (!InDateRange(h.date, s.dateFrom, s.dateTo)) return false;
  char tran[12];
  TranKey(tran, std::string_view(h.transactionNumber, strnlen(h.transactionNumber, sizeof h.transactionNumber)));
  if (!StrIsBlank(s.tranFrom) && CompareBytes(tran, s.tranFrom, 11) < 0) return false;
  if (!StrIsBlank(s.tranTo) && CompareBytes(tran, s.tranTo, 11) > 0) return false;
  return true;
}

// A header past the listing's last journal code ends the walk: key 0 keeps
// the headers in journal-code order.
bool PastLastCode(const Selection& s, const TagGLHeader& h) {
  return s.listing && !IsOpenCode(s.codeTo) && CompareBytes(h.journalCode, s.codeTo, 7) > 0;
}

std::string DateOrOpen(std::int32_t day, const char* open) {
  char text[16] = {};
  return day ? DateToText(text, day) : open;
}

// Stamps a printed header as printed today, as one transaction of the
// record manager.  Returns the status of the rewrite.
int StampHeader(GLJournalRun& run, TagGLHeader* h) {
  h->journalPrinted = DateToday();
  const bool own = BtrvTransaction(kOpBeginTransaction) == kStatusOk;
  const int status = BtrvWriteOp(kOpUpdate, run.headers(), nullptr, h, sizeof *h);
  if (own) BtrvTransaction(status == kStatusOk ? kOpEndTransaction : kOpAbortTransaction);
  return status;
}

void FocusField(GLJournalRun& run, int field) {
  if (run.formRunning) FieldSetFocus(&run.form, field);
}

// Prints the journal with the run's parameters.  Returns 1 when the run is
// over (printed or not), 0x80 when a range must be corrected in the window.
int PrintGLJournal(GLJournalRun& run) {
  const GLJournalParams& p = run.params;
  Selection s;
  s.listing = p.listingFlag != 0;
  run.codeLine.clear();
  if (!s.listing) {
    s.dateFrom = run.period.startDate;
    s.dateTo = run.period.endDate;
    CodeKey(s.codeFrom, "");
    CodeKey(s.codeTo, "");
    run.title = Filled(run.Text(kTextTitleFormat), run.Text(kTextJournal));
    run.dateLine = std::string(run.Text(kTextDatesFrom)) + " " + DateOrOpen(s.dateFrom, kRangeFirst) + " " +
                   run.Text(kTextDatesTo) + " " + DateOrOpen(s.dateTo, kRangeLast);
  } else {
    std::memcpy(s.codeFrom, p.journalCodeFrom, 7);
    std::memcpy(s.codeTo, p.journalCodeTo, 7);
    const bool openFrom = IsOpenCode(s.codeFrom), openTo = IsOpenCode(s.codeTo);
    if (!openFrom && !openTo && CompareBytes(s.codeFrom, s.codeTo, 7) > 0) {
      ShowRangeRefused(run);
      FocusField(run, kFieldCodeTo);
      return 0x80;
    }
    if (p.dateFrom != 0 && p.dateTo != 0 && p.dateFrom > p.dateTo) {
      ShowRangeRefused(run);
      FocusField(run, kFieldDateTo);
      return 0x80;
    }
    s.dateFrom = p.dateFrom;
    s.dateTo = p.dateTo;
    TranKey(s.tranFrom, std::string_view(p.tranNoFrom, strnlen(p.tranNoFrom, sizeof p.tranNoFrom)));
    TranKey(s.tranTo, std::string_view(p.tranNoTo, strnlen(p.tranNoTo, sizeof p.tranNoTo)));
    if (!StrIsBlank(s.tranFrom) && !StrIsBlank(s.tranTo) && CompareBytes(s.tranFrom, s.tranTo, 11) > 0) {
      ShowRangeRefused(run);
      return 0x80;
    }
    run.title = Filled(run.Text(kTextTitleFormat), run.Text(kTextListing));
    run.dateLine = std::string(run.Text(kTextDatesFrom)) + " " + DateOrOpen(p.dateFrom, kRangeFirst) + " " +
                   run.Text(kTextDatesTo) + " " + DateOrOpen(p.dateTo, kRangeLast);
    const std::string from = openFrom ? kRangeFirst : Trim(std::string_view(s.codeFrom, 7));
    const std::string to = openTo ? kRangeLast : Trim(std::string_view(s.codeTo, 7));
    run.codeLine = std::string(run.Text(kTextCodesFrom)) + " " + from + " " + run.Text(kTextCodesTo) + " " + to;
  }

  run.report = run.reportSetUp;
  run.report.copies = p.reportNumber;
  CBaseGLTranComments comments;
  if (!ReportOpen(&run.report, kReportTitle)) return 1;
  ReportRunGuard closer(&run.report);
  ReportSelectionSet(&run.report, run.detail);

  // A listing from a journal code starts there; every other walk at the first header.
  TagGLHeader h{};
  char key[255] = {};
  int op = kOpGetFirst;
  if (s.listing && !IsOpenCode(s.codeFrom)) {
    std::memcpy(key, s.codeFrom, 7);
    op = kOpGetGreaterOrEqual;
  }
  BtrvSetKey(run.headers(), 0, -1);
  int status = BtrvGetOp(op, run.headers(), key, &h, sizeof h);
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) {
    // An empty run still replaces an output file ("Nothing was printed."),
    // so that a file named by the caller never shows an earlier run.
    ShowMessage(run, kMsgNothingPrinted);
    return 1;
  }
  if (status != kStatusOk) {
    ShowRecordError(run, status, op, records::kFileGLHeaders);
    closer.Discard();
    return 1;
  }

  bool printedAny = false, inUse = false;
  double grandDebit = 0, grandCredit = 0;
  int userKey = 0;
  while (status == kStatusOk && !PastLastCode(s, h)) {
    if (ReportCheckUserBreak(&run.report, &userKey)) return 1;
    if (!IsSelected(s, h)) {
      op = kOpGetNext;
      status = BtrvGetOp(op, run.headers(), key, &h, sizeof h);
      continue;
    }
    if (!printedAny) {
      PageHeading(run);
    } else if (run.report.lineCount >= run.report.pageLength) {
      ReportNewPage(&run.report);
      PageHeading(run);
    }
    printedAny = true;
    TranSums sums;
    PrintDetailLines(run, h, &sums);
    ReportSkipLines(&run.report, 1);
    if (h.IsDeleted()) {
      ReportSkipLines(&run.report, 1);
    } else {
      if (!s.listing && !NumEqual(sums.debit, sums.credit))
        ShowOutOfBalance(run, sums.debit, sums.credit, Trim(run.row.journalCode).c_str(),
                         Trim(run.row.tranNo).c_str());
      PrintCommentsOrTotals(run, h, sums, &comments);
    }
    grandDebit = NumRound(grandDebit + sums.debit, 2);
    grandCredit = NumRound(grandCredit + sums.credit, 2);
    if (!s.listing) {
      op = kOpUpdate;
      status = StampHeader(run, &h);
      if (status == kStatusConflict || status == kStatusRecordInUse) {
        // Another user has the header: the walk ends after it; the totals
        // cover what was printed.
        inUse = true;
        break;
      }
      if (status != kStatusOk) {
        ShowRecordError(run, status, kOpUpdate, records::kFileGLHeaders);
        return 1;
      }
    }
    op = kOpGetNext;
    status = BtrvGetOp(op, run.headers(), key, &h, sizeof h);
  }

  if (status != kStatusOk && status != kStatusEndOfFile && !inUse) {
    // The operation that failed is named: a read of the next header (op 6)
    // as much as a rewrite.
    ShowRecordError(run, status, op, records::kFileGLHeaders);
    return 1;
  }
  if (!printedAny) {
    ShowMessage(run, kMsgNothingPrinted);
    return 1;
  }
  PageCheck(run);
  run.totalValues = Totals{run.Text(kTextGrandTotals), grandDebit, grandCredit};
  run.totals[kTotCaption].value = run.totalValues.caption;
  ReportWriteColumns(&run.report, run.totals, 1);
  closer.Close();
  CommandDone();
  if (inUse) {
    // What another user holds was printed but not stamped: the journal is
    // not done.
    ShowMessage(run, kMsgInUse);
    CommandNotDone();
  }
  return 1;
}

// ---- The selection window's callbacks -------------------------------------------------------

int ModeExit(Form* form, int) {
  const bool listing = FieldGetChoice(form, kFieldMode) == 2;
  for (int f = kFieldCodeFrom; f <= kFieldDateTo; ++f) FieldSetProtect(form, f, listing ? 0 : 1);
  FieldSetProtect(form, kFieldJournalDate, listing ? 1 : 0);
  return 0;
}

int DateExit(Form* form, int field) {
  GLJournalRun* run = RunOf(form);
  const std::string text = FieldValue(form, field);
  // A listing's range may be left open.
  if (field != kFieldJournalDate && StrApplyMask(text.c_str(), "nn/nn/nn")) return 0;
  if (!DateIsValid(text.c_str())) {
    MsgShow(kMsgInvalidDate, 1);
    return 0x20;
  }
  if (field != kFieldJournalDate) return 0;
  // The base library says why a date outside an open period is refused.
  if (FiscalPeriodOfDate(kPeriodCheckOpen, DateFromText(text.c_str()), &run->period) != 0) return 0x20;
  run->params.periodNumber = run->period.period;
  FieldSetText(form, kFieldPeriod, std::to_string(run->period.period).c_str());
  FormRedraw(form);
  return 0;
}

int PrintKey(Form* form, KeyCode) {
  GLJournalRun* run = RunOf(form);
  GLJournalParams& p = run->params;
  p.reportNumber = std::max(1, std::atoi(FieldValue(form, kFieldCopies).c_str()));
  p.listingFlag = FieldGetChoice(form, kFieldMode) == 2 ? 1 : 0;
  p.dateFrom = DateFromText(FieldValue(form, kFieldDateFrom).c_str());
  p.dateTo = DateFromText(FieldValue(form, kFieldDateTo).c_str());
  char code[8];
  CodeKey(code, FieldValue(form, kFieldCodeFrom));
  std::memcpy(p.journalCodeFrom, code, 7);
  CodeKey(code, FieldValue(form, kFieldCodeTo));
  std::memcpy(p.journalCodeTo, code, 7);
  p.printComments = FormYesNoGet(form, kFieldComments) == 'Y' ? 1 : 0;
  return PrintGLJournal(*run);
}

int FormStart(Form* form, int) {
  GLJournalRun* run = RunOf(form);
  const GLJournalParams& p = run->params;
  char text[32] = {};
  FieldSetChoice(form, kFieldMode, p.listingFlag ? 2 : 1);
  FieldSetText(form, kFieldCopies, std::to_string(p.reportNumber).c_str());
  FieldSetText(form, kFieldJournalDate, DateToText(text, DateToday()));
  FieldSetText(form, kFieldPeriod, std::to_string(p.periodNumber).c_str());
  if (!IsOpenCode(p.journalCodeFrom)) FieldSetText(form, kFieldCodeFrom, Trim({p.journalCodeFrom, 7}).c_str());
  if (!IsOpenCode(p.journalCodeTo)) FieldSetText(form, kFieldCodeTo, Trim({p.journalCodeTo, 7}).c_str());
  FieldSetText(form, kFieldDateFrom, p.dateFrom ? DateToText(text, p.dateFrom) : "");
  FieldSetText(form, kFieldDateTo, p.dateTo ? DateToText(text, p.dateTo) : "");
  FormRedraw(form);
  RangeFieldEnter(form, kFieldCodeFrom);
  RangeFieldExit(form, kFieldCodeTo);
  FieldSetChoice(form, kFieldComments, p.printComments ? 1 : 2);
  FieldSetProtect(form, kFieldPeriod, 1);
  ModeExit(form, kFieldMode);
  Window* window = FormWindow(form);
  WinWriteFromLabel(window, 0, kFieldCodeFrom);
  WinWriteToLabel(window, 0, kFieldCodeTo);
  WinWriteFromLabel(window, 0, kFieldDateFrom);
  WinWriteToLabel(window, 0, kFieldDateTo);
  WinWriteAt(window, 9, 3, "Journal  the unposted transactions of the journal date's period;");
  WinWriteAt(window, 10, 3, "         each one printed is marked as printed.");
  WinWriteAt(window, 11, 3, "Listing  the transactions in the ranges, posted or not; none marked.");
  return 0;
}

void RunSelectionWindow(GLJournalRun& run) {
  std::copy(std::begin(kFormFields), std::end(kFormFields), run.fields);
  TagFormField* f = run.fields;
  f[kFieldMode - 1].exitCallback = ModeExit;
  f[kFieldJournalDate - 1].exitCallback = DateExit;
  f[kFieldCodeFrom - 1].entryCallback = RangeFieldFocus;
  f[kFieldCodeFrom - 1].exitCallback = RangeFieldEnter;
  f[kFieldCodeTo - 1].entryCallback = RangeFieldFocus;
  f[kFieldCodeTo - 1].exitCallback = RangeFieldExit;
  f[kFieldDateFrom - 1].exitCallback = DateExit;
  f[kFieldDateTo - 1].exitCallback = DateExit;
  if (!FormFieldsCreate(&run.form, run.fields, 1)) return;
  char title[81];
  GetCaption(title, kCaptionWindow);
  if (WinOpen(&run.window, 5, 3, 13, 75, 1, 1, 32, title) != 0) return;
  std::snprintf(run.form.reportId, sizeof run.form.reportId, "%s", kReportId);
  run.form.context = &run;
  FormSetup(&run.form, 0, kHelpTopic);
  FormOnKey(&run.form, kKeyF10, PrintKey, "Print");
  run.form.startHook = FormStart;
  run.form.eventHook = StandardReportCallback;
  run.form.defaultHandler = FormDefaultHandler;
  FormAttachWindow(&run.window, &run.form, 1);
  run.formRunning = true;
  FormRun(&run.form, 0);
  run.formRunning = false;
  WinClose(&run.window, 1);
}

// ---- The entry -------------------------------------------------------------------------------

void SetDefaults(GLJournalRun& run) {
  GLJournalParams& p = run.params;
  p = GLJournalParams{};
  records::FiscalPeriodInfo today{};
  FiscalPeriodOfDate(kPeriodFillOnly, DateToday(), &today);
  p.listingFlag = 0;
  p.reportNumber = 1;
  std::memset(p.journalCodeTo, 0xFF, 6);
  p.journalCodeTo[6] = ' ';
  p.dateFrom = today.journalStartDate;
  p.dateTo = today.endDate;
  p.periodNumber = today.period;
  p.printComments = 0;
}

// The output a parameter string names, read from its text alone: a string
// that fails to parse may fail before its "output" pair, yet whether the run
// is unattended still decides how the failure is told.
std::string OutputNamedIn(std::string_view text) {
  for (std::size_t at = text.find("output='"); at != std::string_view::npos; at = text.find("output='", at + 1)) {
    if (at != 0 && text[at - 1] != ' ') continue;
    std::string value;
    for (std::size_t i = at + 8; i < text.size(); ++i) {
      if (text[i] != '\'') {
        value += text[i];
      } else if (i + 1 < text.size() && text[i + 1] == '\'') {
        value += '\'';  // a quote written doubled
        ++i;
      } else {
        break;
      }
    }
    return value;
  }
  return "";
}

// Applies a parameter string over the defaults.  False when the string
// cannot be used (the user has been told; nothing is printed).
bool ApplyParameters(GLJournalRun& run, const char* text) {
  GLJournalParams& p = run.params;
  const std::int32_t defaultFrom = p.dateFrom, defaultTo = p.dateTo;
  p.dateFrom = p.dateTo = kDateNotGiven;
  CGLJournalParamString parameters;
  parameters.Attach(text, static_cast<int>(std::strlen(text)));
  const bool parsed = parameters.ParseInto(&p);
  // A link to one transaction names no dates: it is found whenever dated.
  const bool oneTransaction = !StrIsBlank(std::string(p.tranNoFrom, strnlen(p.tranNoFrom, sizeof p.tranNoFrom)).c_str());
  if (p.dateFrom == kDateNotGiven) p.dateFrom = oneTransaction ? 0 : defaultFrom;
  if (p.dateTo == kDateNotGiven) p.dateTo = oneTransaction ? 0 : defaultTo;
  run.unattended = !IsScreenOutput(parsed ? p.output : OutputNamedIn(text).c_str());
  if (parsed) return true;
  const std::string why = oem::FromUtf8(parameters.LastErrorText());
  std::string text13;
  if (parameters.LastStatus() == ParamStatus::kBadValue) text13 = FilledText(kMsgInvalidDate, {}) + " ";
  RefuseParameters(run, text13, why + ".");
  return false;
}

// Frees the screen texts and ends the form on every way out.
struct RunResources {
  GLJournalRun& run;
  bool textsLoaded = false;
  ~RunResources() {
    FileSetClose(&run.files);
    if (textsLoaded) ScreenTextFree(run.texts);
    FormEnd(&run.form);
  }
};

}  // namespace

int RunGLJournal(const char* parameterText) {
  auto run = std::make_unique<GLJournalRun>();
  SetDefaults(*run);
  if (parameterText != nullptr && !StrIsBlank(parameterText) && !ApplyParameters(*run, parameterText)) return 0;
  run->unattended = !IsScreenOutput(run->params.output);
  BindColumns(*run);
  RunResources resources{*run};
  if (ScreenTextLoad(kTextBlock, run->texts, kTextCount) != 0) return 0;
  resources.textsLoaded = true;
  FormBegin(&run->form);
  if (FileSetOpen(&run->files, records::kFileGLHeaders, records::kFileGLLines, records::kFileGLAccounts) != 0)
    return 0;
  FiscalPeriodOfDate(kPeriodFillOnly, DateToday(), &run->period);
  if (!SetUpReport(*run)) return 0;
  if (run->unattended) PrintGLJournal(*run);
  else RunSelectionWindow(*run);
  return 0;
}
