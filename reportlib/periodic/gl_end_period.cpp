// General-ledger end of period: closes the fiscal periods up to a date once
// no ledger holds unposted transactions dated inside them.
#include "periodic/gl_end_period.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "btrvc.h"
#include "periodic/periodic_frame.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "qxabase/status_box.h"
#include "qxabase/unposted.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace {

constexpr const char* kReportId = "RSGLEndPeriod";

// The closing screen, data/forms/form-360.txt: field 1 the closing date
// ("nn/nn/nn"), field 2 its period ("%2u", shown only), in a window at row 5,
// column 12, 14 rows by 67 columns.
constexpr int kFormDefinition = 360;

// Text block 515: the ledgers' labels (entries 0-6, by status-box line) and
// the status box's title (entry 7).
constexpr int kTextBlock = 515;
constexpr int kTextStatusTitle = 7;
constexpr int kTextCount = 8;

constexpr int kMsgCloseSeveral = 1275;  // more than one open period would be closed: go on?
constexpr int kMsgClosed = 1277;        // the periods were closed
constexpr int kMsgUnposted = 1901;      // unposted transactions stand in the way (the list follows)

// --- The ledgers ---------------------------------------------------------------------
//
// What the status box shows while a ledger's headers are read (whether a
// header is unposted is periodic::IsUnposted).

std::string ShownText(const records::TagGLHeader& h) {
  return TrimField(h.journalCode) + " " + TrimField(h.transactionNumber);
}
template <class Header>
std::string ShownText(const Header& h) {
  return TrimField(h.transactionNumber);
}

// The first and last day of the stretch of periods being closed.
struct DateRange {
  std::int32_t from = 0;
  std::int32_t to = 0;
};

struct Ledger;
using LedgerScan = int (*)(const Ledger& ledger, BtrvHandle handle, DateRange range,
                           CUnpostTransCount* counter);

struct Ledger {
  int file;        // the header file
  int dateKey;     // the key that reads it in date order
  int line;        // its line in the status box and its label in text block 515
  LedgerScan scan;
  const char* label = nullptr;  // the status box's label, where the text block has none
};

template <class Header>
int ScanLedger(const Ledger& ledger, BtrvHandle handle, DateRange range, CUnpostTransCount* counter);

// The entered inventory adjustments: their posting refuses a closed period.
int ScanAdjustments(const Ledger& ledger, BtrvHandle handle, DateRange range, CUnpostTransCount* counter) {
  return periodic::CountUnpostedAdjustments(handle, range.from, range.to, counter, ledger.line);
}

// In the order the ledgers are asked and listed.
constexpr Ledger kLedgers[] = {
    // file                             key line  scan
    {records::kFileGLHeaders,           1,  0,   ScanLedger<records::TagGLHeader>},
    {records::kFileReceivablesHeaders,  2,  1,   ScanLedger<records::TagRecPayHeader>},
    {records::kFilePayablesHeaders,     2,  2,   ScanLedger<records::TagRecPayHeader>},
    {records::kFileCashHeaders,         2,  3,   ScanLedger<records::CashHeader>},
    {records::kFileBillingHeaders,      2,  5,   ScanLedger<records::TagBiPoHeader>},
    {records::kFilePurchasingHeaders,   2,  6,   ScanLedger<records::TagBiPoHeader>},
    {records::kFileAssemblyHeaders,     2,  4,   ScanLedger<records::AssemblyHeader>},
    {records::kFileInventoryTransactions, 2, 7,  ScanAdjustments, "Inventory"},
};
constexpr int kLedgerCount = static_cast<int>(std::size(kLedgers));

// The status box: one line per ledger (by Ledger::line), showing the
// transaction being read.
constexpr int kStatusValueColumn = 24;
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = kStatusValueColumn, .mask = "%-19s"},  // journal and number
    {.number = 2, .row = 2, .column = kStatusValueColumn, .mask = "%-11s"},
    {.number = 3, .row = 3, .column = kStatusValueColumn, .mask = "%-11s"},
    {.number = 4, .row = 4, .column = kStatusValueColumn, .mask = "%-11s"},
    {.number = 5, .row = 5, .column = kStatusValueColumn, .mask = "%-11s"},
    {.number = 6, .row = 6, .column = kStatusValueColumn, .mask = "%-11s"},
    {.number = 7, .row = 7, .column = kStatusValueColumn, .mask = "%-11s"},
    {.number = 8, .row = 8, .column = kStatusValueColumn, .mask = "%-11s"},
    {},
};
constexpr int kStatusLineCount = 8;

// --- The run ---------------------------------------------------------------------------

struct EndPeriodRun {
  const char** texts = nullptr;         // text block 515
  const FileSet* files = nullptr;
  BtrvHandle settings = 0;
  records::PeriodsRecord periods{};     // as read, with its lock, when the screen started
  records::FiscalPeriodInfo info{};     // of the date last accepted in field 1
  bool dateAccepted = false;
};

// The stretch of entries that the close marks: from the first entry still
// open up to the date's entry (the date's entry alone when none is open).
struct Stretch {
  int first = 0;
  int last = 0;
  int openPeriods = 0;
  DateRange dates;
};

// The steps of the command, in the order it takes them (defined below the
// entry).
int ReadPeriodsLocked(EndPeriodRun* run);
int CheckClosingDate(Form* form, int field);
int CloseThroughDate(Form* form, KeyCode key);
Stretch StretchToClose(const records::PeriodsRecord& periods, const records::FiscalPeriodInfo& info);
int CountUnposted(const EndPeriodRun& run, DateRange range, std::vector<CUnpostTransCount>* counters);
int WriteClosedPeriods(EndPeriodRun* run, const Stretch& stretch);

}  // namespace

int RunGLEndPeriod() {
  const char* texts[kTextCount] = {};
  if (ScreenTextLoad(kTextBlock, texts, kTextCount) != 0) return 0;
  ScopeExit freeTexts([&] { ScreenTextFree(texts); });

  FormDef definition;
  if (FormDefLoad(&definition, kFormDefinition) != 0) return 0;
  std::vector<TagFormField> fields = definition.fields;  // the form reads it until FormEnd
  Form form{};
  ScopeExit endForm([&] { FormEnd(&form); });

  // Files in the order of this list; the transaction files are opened for
  // exclusive use so that no transaction is entered or posted meanwhile.
  FileSet files;
  const int glMode = periodic::PostingOpenMode();
  if (FileSetOpen(&files, records::kFileGLHeaders | glMode,
                  records::kFileReceivablesHeaders | kFileModeExclusive,
                  records::kFilePayablesHeaders | kFileModeExclusive,
                  records::kFileCashHeaders | kFileModeExclusive,
                  records::kFileAssemblyHeaders | kFileModeExclusive,
                  records::kFileBillingHeaders | kFileModeExclusive,
                  records::kFilePurchasingHeaders | kFileModeExclusive,
                  records::kFileInventoryTransactions | kFileModeExclusive, records::kFileSettings) != 0) {
    return 0;
  }
  EndPeriodRun run;
  run.texts = texts;
  run.files = &files;
  run.settings = files.HandleOf(records::kFileSettings);

  Window window{};
  ScopeExit closeWindow([&] { WinClose(&window, 1); });
  // Runs first: every lock on the settings file goes, however the screen ended.
  ScopeExit unlock([&] {
    const int status = BtrvUnlock(-2, run.settings);
    if (status != kStatusOk) MsgRecordError(status, 1, kErrorOpUnlock, records::kFileSettings, 0);
  });

  FormBegin(&form);
  if (!periodic::FormHasFields(kFormDefinition, fields, {periodic::kDateField, periodic::kPeriodField})) return 0;
  for (TagFormField& f : fields) {
    if (f.number == periodic::kDateField) f.exitCallback = CheckClosingDate;
  }
  if (!periodic::OpenScreen(&form, &window, &fields, definition, {5, 12, 14, 67}, GetCaption(kCaptionWindow),
                            kReportId, &run)) {
    return 0;
  }
  FieldSetProtect(&form, periodic::kPeriodField, 1);
  FormOnKey(&form, kKeyF10, CloseThroughDate, "Close periods");

  if (ReadPeriodsLocked(&run) != kStatusOk) return 0;
  // Today is only a suggestion: it is checked when the user leaves the field
  // or presses F10, so nothing is shown here when it lies in no period.
  periodic::SuggestToday(&form, run.periods);

  FormRun(&form, 0);
  return 0;
}

namespace {

// Reads "0Periods" with its lock, for the rewrite that a successful close
// makes.  Returns the record-manager status, the failure already shown.
int ReadPeriodsLocked(EndPeriodRun* run) {
  const int status = SettingsRecordRead(kSettingsReadLocked, run->settings, sizeof run->periods,
                                        "0Periods", &run->periods);
  // SettingsRecordRead leaves a missing record to its caller.
  if (status == kStatusKeyNotFound) {
    MsgRecordError(status, 1, kOpGetEqual + kLockBias, records::kFileSettings, 0);
  }
  return status;
}

// Exit of field 1: the date must be valid and lie in a period of this year
// or next; field 2 then shows its period.
int CheckClosingDate(Form* form, int) {
  EndPeriodRun& run = *static_cast<EndPeriodRun*>(form->context);
  std::int32_t date = 0;
  // Closing up to a date in a closed period still moves the open-period
  // number past it, and changes nothing in the periods already closed.
  run.dateAccepted = periodic::TakeClosingDate(form, run.periods, &run.info, &date);
  return run.dateAccepted ? 0 : 0x20;
}

// F10: closes the periods up to the accepted date.  The form ends after it
// whatever the outcome.
int CloseThroughDate(Form* form, KeyCode) {
  EndPeriodRun& run = *static_cast<EndPeriodRun*>(form->context);
  // The date's exit check has run before this handler (and dropped the key
  // when it refused the date); a date never accepted closes nothing.
  if (!run.dateAccepted || run.info.entryIndex < 0) return 0x20;

  const Stretch stretch = StretchToClose(run.periods, run.info);
  if (stretch.openPeriods > 1 && MsgAsk(kMsgCloseSeveral, 0, nullptr, "\001Yes,No", kCaptionQuestion) != 1) {
    return 1;
  }

  std::vector<CUnpostTransCount> counters;
  counters.reserve(kLedgerCount);
  for (const Ledger& ledger : kLedgers) counters.emplace_back(ledger.file);
  if (CountUnposted(run, stretch.dates, &counters) != kStatusOk) return 1;
  for (const CUnpostTransCount& counter : counters) {
    if (!counter.UnpostedTransactionsExists()) continue;
    MsgShow(kMsgUnposted, 1);
    std::vector<const CUnpostTransCount*> list;
    for (const CUnpostTransCount& c : counters) list.push_back(&c);
    UnpostedListShowList(list);
    CommandNotDone();
    return 1;
  }

  if (WriteClosedPeriods(&run, stretch) == kStatusOk) {
    CommandDone();
    MsgAsk(kMsgClosed, 0, nullptr, " Continue", kCaptionQuestion);
  }
  return 1;
}

// The entries the close marks and the dates the ledgers are read over.
Stretch StretchToClose(const records::PeriodsRecord& periods, const records::FiscalPeriodInfo& info) {
  Stretch s;
  s.last = info.entryIndex;
  s.first = -1;
  s.dates = {info.startDate, info.endDate};
  for (int i = 0; i <= s.last; ++i) {
    // Entries beyond the year's number of periods hold no period.
    if (periods.PeriodOfEntry(i) < 0) continue;
    const records::PeriodEntry& e = periods.entries[i];
    if (!e.IsOpen()) continue;
    if (s.first < 0) s.first = i;
    ++s.openPeriods;
    if (e.startDate > 0 && e.startDate < s.dates.from) s.dates.from = e.startDate;
  }
  if (s.first < 0) s.first = s.last;
  return s;
}

// Reads every ledger's headers dated in `range` into `counters` (in the
// order of kLedgers) under one status box.  Returns 0, or the first
// record-manager failure, already shown.
int CountUnposted(const EndPeriodRun& run, DateRange range, std::vector<CUnpostTransCount>* counters) {
  const periodic::StatusBoxGuard box({.lines = kStatusLineCount,
                                      .width = 58,
                                      .titleText = run.texts[kTextStatusTitle],
                                      .reportId = kReportId,
                                      .fields = kStatusLines});
  for (const Ledger& ledger : kLedgers)
    StatusBoxLabel(ledger.line + 1, ledger.label != nullptr ? ledger.label : run.texts[ledger.line]);
  for (int i = 0; i < kLedgerCount; ++i) {
    const Ledger& ledger = kLedgers[i];
    const int status = ledger.scan(ledger, run.files->HandleOf(ledger.file), range, &(*counters)[i]);
    if (status != kStatusOk) return status;
  }
  return kStatusOk;
}

// Counts the unposted headers of one ledger dated in `range`, reading the
// ledger in date order from the range's first day.  Returns 0, or the
// record-manager status after its error box: a ledger that cannot be read
// whole cannot vouch for the periods.
template <class Header>
int ScanLedger(const Ledger& ledger, BtrvHandle handle, DateRange range, CUnpostTransCount* counter) {
  int status = BtrvSetKey(handle, ledger.dateKey, -1);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetGreaterOrEqual, ledger.file, 0);
    return status;
  }
  char key[255] = {};
  const std::int32_t from = range.from;
  std::memcpy(key, &from, sizeof from);
  Header header{};
  int op = kOpGetGreaterOrEqual;
  for (status = BtrvGetOp(op, handle, key, &header, sizeof header);
       status == kStatusOk && header.date <= range.to;
       status = BtrvGetOp(op, handle, key, &header, sizeof header)) {
    StatusBoxRecord(ledger.line, ShownText(header).c_str());
    if (periodic::IsUnposted(header)) counter->AddUnpostTrans(header.date);
    op = kOpGetNext;
  }
  if (status != kStatusOk && status != kStatusEndOfFile) {
    MsgRecordError(status, 1, op, ledger.file, 0);
    return status;
  }
  return kStatusOk;
}

// Marks the stretch closed and moves the open-period number past the date's
// period, rewriting the locked record.  Returns the record-manager status.
int WriteClosedPeriods(EndPeriodRun* run, const Stretch& stretch) {
  records::PeriodsRecord closed = run->periods;
  for (int i = stretch.first; i <= stretch.last; ++i) {
    if (closed.PeriodOfEntry(i) >= 0) closed.entries[i].status = 'C';
  }
  const int period = run->info.period;
  int next = closed.nextOpenPeriod;
  if (next != -1 && next <= period) next = period + 1;
  if (next > 2 * closed.periodsPerYear) next = -1;  // beyond next year: no open period is left
  closed.nextOpenPeriod = static_cast<std::int16_t>(next);

  char key[255] = {};
  const int status = BtrvWriteOp(kOpUpdate, run->settings, key, &closed, sizeof closed);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpUpdate, records::kFileSettings, 0);
    return status;
  }
  run->periods = closed;
  return kStatusOk;
}

}  // namespace
