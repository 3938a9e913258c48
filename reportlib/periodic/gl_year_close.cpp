// General-ledger year close: posts the year's net income to the closing
// account and moves the accounts, the fiscal periods, the tax codes and the
// salespersons one year on.
//
// The whole close is one record-manager transaction: the net-income posting,
// the account roll, the periods record, the tax-code and salesperson rolls
// are committed together or not at all.  A failure or a kill anywhere in the
// run leaves the books exactly as they were, and because the committed close
// opens the new year's periods, a rerun after a completed close is refused
// (not every period is closed) instead of closing the year twice.
#include "periodic/gl_year_close.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "btrvc.h"
#include "periodic/periodic_frame.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/gl_year.h"
#include "qxabase/messages.h"
#include "qxabase/pick_account.h"
#include "qxabase/posting.h"
#include "qxabase/settings.h"
#include "qxabase/status_box.h"
#include "qxabase/tables.h"
#include "qxabase/unposted.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"

using periodic::Failure;

namespace {

constexpr const char* kReportId = "RSGLYearClose";
constexpr const char* kWaitKey = "RSEOYGLProcess";

// The closing screen, data/forms/form-362.txt: field 1 the closing account.
constexpr int kFormDefinition = 362;
constexpr int kFieldAccount = 1;

constexpr int kMenuId = 378;
constexpr int kMsgNotOnFile = 69;
constexpr int kMsgNotClosingKind = 97;
constexpr int kMsgSummaryAccount = 145;
constexpr int kMsgPeriodsOpen = 349;
constexpr int kMsgCloseYear = 1265;       // close the year? (back up first)
constexpr int kMsgStopped = 1266;         // the close stopped; the books are as before it
constexpr int kMsgDone = 1267;
constexpr int kMsgClosingUnreadable = 1387;
constexpr int kMsgUnpostedInYear = 1902;  // transactions of the year are unposted (the list follows)

constexpr int kTitleAccounts = 513;
constexpr int kTitleTaxCodes = 514;
constexpr int kTitleSalespersons = 547;

constexpr std::uint8_t kClosingKind = 3;
constexpr std::uint8_t kIncomeKind = 4;
constexpr std::uint8_t kExpenseKind = 5;
constexpr int kNextYear = records::PeriodsRecord::kNextYearFirstEntry;

double Cents(double value) { return NumRound(value, 2); }

struct YearCloseRun {
  const FileSet* files = nullptr;
  BtrvHandle accounts = 0;
  BtrvHandle settings = 0;
  BtrvHandle taxCodes = 0;
  BtrvHandle salespersons = 0;
  records::InterfaceRecord iface{};
  records::PeriodsRecord periods{};  // as read, with its lock, by the check
  int periodsPerYear = 0;
  bool done = false;                 // the close ran (whatever its outcome): the form ends
};

// --- Unposted transactions ------------------------------------------------------
//
// A transaction of the closed year left unposted could never be posted after
// the close (its date would lie in no period), so the close is refused while
// any ledger holds one dated up to the year's last day.  The rules are those
// of the end of period (periodic::IsUnposted).

// Counts the unposted headers of one ledger dated up to `last`, read in date
// order by `dateKey`.  Returns 0 or the record-manager status (shown).
template <class Header>
int CountLedger(BtrvHandle handle, int fileNo, int dateKey, std::int32_t last, CUnpostTransCount* counter) {
  const int savedKey = BtrvGetKey(handle);
  ScopeExit restore([&] {
    if (savedKey >= 0) BtrvSetKey(handle, savedKey, -1);
  });
  int status = BtrvSetKey(handle, dateKey, -1);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetFirst, fileNo, 0);
    return status;
  }
  char key[255] = {};
  Header h{};
  int op = kOpGetFirst;
  for (status = BtrvGetOp(op, handle, key, &h, sizeof h); status == kStatusOk && h.date <= last;
       status = BtrvGetOp(op, handle, key, &h, sizeof h)) {
    if (periodic::IsUnposted(h)) counter->AddUnpostTrans(h.date);
    op = kOpGetNext;
  }
  if (status != kStatusOk && status != kStatusEndOfFile) {
    MsgRecordError(status, 1, op, fileNo, 0);
    return status;
  }
  return kStatusOk;
}

struct Ledger {
  int file;
  int dateKey;
  int (*count)(BtrvHandle, int, int, std::int32_t, CUnpostTransCount*);
};

// The entered inventory adjustments: their posting refuses a closed period.
int CountAdjustments(BtrvHandle handle, int, int, std::int32_t last, CUnpostTransCount* counter) {
  return periodic::CountUnpostedAdjustments(handle, 0, last, counter);
}

constexpr Ledger kLedgers[] = {
    {records::kFileGLHeaders, 1, CountLedger<records::TagGLHeader>},
    {records::kFileReceivablesHeaders, 2, CountLedger<records::TagRecPayHeader>},
    {records::kFilePayablesHeaders, 2, CountLedger<records::TagRecPayHeader>},
    {records::kFileCashHeaders, 2, CountLedger<records::CashHeader>},
    {records::kFileBillingHeaders, 2, CountLedger<records::TagBiPoHeader>},
    {records::kFilePurchasingHeaders, 2, CountLedger<records::TagBiPoHeader>},
    {records::kFileAssemblyHeaders, 2, CountLedger<records::AssemblyHeader>},
    {records::kFileInventoryTransactions, 2, CountAdjustments},
};

// True when no ledger holds an unposted transaction dated up to the year's
// last day; otherwise (or when a ledger cannot be read) false, after the
// message and the list.
bool NoUnpostedInYear(const YearCloseRun& run) {
  const std::int32_t last = run.periods.entries[run.periodsPerYear - 1].endDate;
  std::vector<CUnpostTransCount> counters;
  counters.reserve(std::size(kLedgers));
  int wait = MsgWaitOpen(kWaitKey);
  ScopeExit closeWait([&] { MsgWaitClose(wait); });
  for (const Ledger& l : kLedgers) {
    counters.emplace_back(l.file);
    if (l.count(run.files->HandleOf(l.file), l.file, l.dateKey, last, &counters.back()) != kStatusOk) {
      return false;
    }
  }
  MsgWaitClose(wait);
  wait = 0;
  std::vector<const CUnpostTransCount*> list;
  bool any = false;
  for (const CUnpostTransCount& c : counters) {
    list.push_back(&c);
    any = any || c.UnpostedTransactionsExists();
  }
  if (!any) return true;
  MsgShow(kMsgUnpostedInYear, 1);
  UnpostedListShowList(list);
  CommandNotDone();
  return false;
}

// --- The check ---------------------------------------------------------------------

// Reads "0Periods" with its lock; every period of this year must be closed.
// True when the close may run.
bool CheckPeriods(YearCloseRun* run) {
  const int status = SettingsRecordRead(kSettingsReadLocked, run->settings, sizeof run->periods, "0Periods",
                                        &run->periods);
  if (status != kStatusOk) {
    // SettingsRecordRead leaves a missing record to its caller.
    if (status == kStatusKeyNotFound) MsgRecordError(status, 1, kOpGetEqual, records::kFileSettings, 0);
    return false;
  }
  run->periodsPerYear = run->periods.periodsPerYear;
  if (run->periodsPerYear < 1 || run->periodsPerYear > records::PeriodsRecord::kMaxPeriodsPerYear) {
    MsgRecordError(kStatusInvalidRecordLength, 1, kOpGetEqual, records::kFileSettings, 0);
    return false;
  }
  for (int i = 0; i < run->periodsPerYear; ++i) {
    if (run->periods.entries[i].status != 'C') {
      MsgShow(kMsgPeriodsOpen, 1);
      CommandNotDone();
      return false;
    }
  }
  return true;
}

// --- The close ---------------------------------------------------------------------

// Reads and checks the closing account `code`.  True when the year may
// close into it; else false after the message that says why.
bool CheckClosingAccount(YearCloseRun* run, const std::string& code) {
  CDbTblActiveAcct table(run->accounts, records::kFileGLAccounts);
  char key[255] = {};
  std::memcpy(key, code.data(), std::min<std::size_t>(code.size(), 10));
  records::GLAccount account{};
  const int status = code.empty() ? kStatusKeyNotFound : table.Read(kOpGetEqual, key, &account, sizeof account);
  if (status == kStatusKeyNotFound) {
    MsgShow(kMsgNotOnFile, 1);
    return false;
  }
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
    return false;
  }
  if (account.IsSummary()) {
    MsgShow(kMsgSummaryAccount, 1);
    return false;
  }
  if (account.kind != kClosingKind) {
    MsgShow(kMsgNotClosingKind, 1);
    return false;
  }
  TagPostWork work;
  if (PostReadAccount(1, run->accounts, code.c_str(), &account, &work) != kStatusOk) {
    MsgShowArgs(kMsgClosingUnreadable, 242, 1, 3, work.key, 0);
    return false;
  }
  return true;
}

Failure Fail(int status, int op, int file) { return {status, op, file}; }

// Posts the year's net income (income less expenses) to the closing account
// in the year's last period: a credit when it is a profit (also when it is
// zero), a debit of the loss otherwise.
Failure PostNetIncome(const YearCloseRun& run, const std::string& code) {
  const int wait = MsgWaitOpen(kWaitKey);
  ScopeExit closeWait([&] { MsgWaitClose(wait); });
  const int n = run.periodsPerYear;
  double income = 0, expenses = 0;
  int status = GLKindYearTotal(kIncomeKind, run.accounts, n - 1, n, &income, nullptr);
  if (status != kStatusOk) return Fail(status, kOpGetNext, records::kFileGLAccounts);
  status = GLKindYearTotal(kExpenseKind, run.accounts, n - 1, n, &expenses, nullptr);
  if (status != kStatusOk) return Fail(status, kOpGetNext, records::kFileGLAccounts);
  const double net = Cents(income - expenses);
  const char side = net < 0.0 ? 'D' : 'C';
  status = GLPostToPeriod(run.accounts, code.c_str(), side, 0, n - 1, net < 0.0 ? -net : net);
  if (status != kStatusOk) return Fail(status, kOpUpdate, records::kFileGLAccounts);
  return {};
}

// Moves one account a year on (n periods a year).
void RollAccount(records::GLAccount* a, int n) {
  const bool incomeStatement = a->kind == kIncomeKind || a->kind == kExpenseKind;
  a->lastYearBeginningBalance = a->beginningBalance;
  double year = 0;
  for (int i = 0; i < n; ++i) {
    year += a->periodAmounts[i];
    a->lastYearPeriodAmounts[i] = a->periodAmounts[i];
    a->periodAmounts[i] = 0.0;
  }
  year = Cents(year);
  a->lastYearEndingBalance = Cents(a->beginningBalance + year);
  if (incomeStatement) {
    a->beginningBalance = 0.0;
    a->currentBalance = 0.0;
  } else {
    a->beginningBalance = Cents(a->beginningBalance + year);
  }
  a->lastYearFirstAmount = a->firstAmount;
  a->lastYearSecondAmount = a->secondAmount;
  a->firstAmount = 0.0;
  a->secondAmount = 0.0;
  for (int i = 0; i < n; ++i) {
    const double moved = a->periodAmounts[kNextYear + i];
    a->periodAmounts[i] = moved;
    a->periodAmounts[kNextYear + i] = 0.0;
    // What was posted to next year already stands in the current balance
    // of a balance-sheet account; an income-statement account starts the
    // year with it.
    if (incomeStatement) a->currentBalance = Cents(a->currentBalance + moved);
  }
}

// The status box of a roll: a title and one line showing the record's code.
constexpr TagFormField kRollLine[] = {
    {.number = 1, .row = 1, .column = 18, .mask = "%-15s", .label = "Record"},
    {},
};

// Walks every record of `handle` from the first (key 0), hands each to
// `roll` and rewrites it.  Every record is rolled: accounts not in use too,
// whose figures must move with the year like any other's.
template <class Record, class Roll, class Code>
Failure RollFile(BtrvHandle handle, int fileNo, int title, Roll roll, Code code) {
  const periodic::StatusBoxGuard box({.title = title, .reportId = kReportId, .fields = kRollLine});
  int status = BtrvSetKey(handle, 0, -1);
  if (status != kStatusOk) return Fail(status, kOpGetFirst, fileNo);
  char key[255] = {};
  Record r{};
  int op = kOpGetFirst;
  for (status = BtrvGetOp(op, handle, key, &r, sizeof r); status == kStatusOk;
       status = BtrvGetOp(op, handle, key, &r, sizeof r)) {
    op = kOpGetNext;
    StatusBoxRecord(0, code(r).c_str());
    roll(&r);
    status = BtrvWriteOp(kOpUpdate, handle, key, &r, sizeof r);
    if (status != kStatusOk) return Fail(status, kOpUpdate, fileNo);
  }
  if (status != kStatusEndOfFile) return Fail(status, op, fileNo);
  return {};
}

// Moves the periods record a year on and rewrites it.
Failure RollPeriods(YearCloseRun* run) {
  records::PeriodsRecord p{};
  int status = SettingsRecordRead(kSettingsReadLocked, run->settings, sizeof p, "0Periods", &p);
  if (status != kStatusOk) return Fail(status, kOpGetEqual, records::kFileSettings);
  const int n = run->periodsPerYear;
  p.nextOpenPeriod = static_cast<std::int16_t>(n < p.nextOpenPeriod ? p.nextOpenPeriod - n : -1);
  for (int i = 0; i < n; ++i) {
    records::PeriodEntry& now = p.entries[i];
    records::PeriodEntry& next = p.entries[kNextYear + i];
    now.status = next.status;
    now.kind = next.kind;
    now.startDate = next.startDate;
    now.endDate = next.endDate;
    next.status = 'O';
    next.kind = 'I';
    next.startDate = DateAddYears(next.startDate, 1);
    next.endDate = DateAddYears(next.endDate, 1);
  }
  p.entries[kNextYear].startDate = DateAddDays(p.entries[n - 1].endDate, 1);
  char key[255] = {};
  status = BtrvWriteOp(kOpUpdate, run->settings, key, &p, sizeof p);
  if (status != kStatusOk) return Fail(status, kOpUpdate, records::kFileSettings);
  run->periods = p;
  return {};
}

void RollTaxCode(records::TaxCode* t, int n) {
  for (auto* array : {t->billingTaxable, t->purchasingTaxable, t->billingTax, t->purchasingTax}) {
    for (int i = 0; i < n; ++i) {
      array[i] = static_cast<double>(array[kNextYear + i]);
      array[kNextYear + i] = 0.0;
    }
  }
}

void RollSalesperson(records::Salesperson* s) {
  std::memcpy(&s->lastYearSales, &s->sales, sizeof s->sales);
  std::memset(&s->sales, 0, sizeof s->sales);
  std::memcpy(&s->lastYearCommissions, &s->commissions, sizeof s->commissions);
  std::memset(&s->commissions, 0, sizeof s->commissions);
}

// Every step of the close inside the open transaction; the first failure
// ends it.
Failure CloseSteps(YearCloseRun* run, const std::string& code) {
  const int n = run->periodsPerYear;
  Failure f = PostNetIncome(*run, code);
  if (f.Failed()) return f;
  f = RollFile<records::GLAccount>(
      run->accounts, records::kFileGLAccounts, kTitleAccounts, [n](records::GLAccount* a) { RollAccount(a, n); },
      [](const records::GLAccount& a) { return TrimField(a.code); });
  if (f.Failed()) return f;
  f = RollPeriods(run);
  if (f.Failed()) return f;
  f = RollFile<records::TaxCode>(
      run->taxCodes, records::kFileTaxCodes, kTitleTaxCodes, [n](records::TaxCode* t) { RollTaxCode(t, n); },
      [](const records::TaxCode& t) { return TrimField(t.code); });
  if (f.Failed()) return f;
  return RollFile<records::Salesperson>(
      run->salespersons, records::kFileSalespersons, kTitleSalespersons, RollSalesperson,
      [](const records::Salesperson& s) { return TrimField(s.code); });
}

// The close into account `code`, already checked.  False when the ledgers
// refuse it; true once it ran, whether it completed or stopped with the
// books as they were.
bool CloseInto(YearCloseRun* run, const std::string& code) {
  if (!NoUnpostedInYear(*run)) return false;
  run->done = true;

  int status = BtrvTransaction(kOpBeginTransaction);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpBeginTransaction, records::kFileGLAccounts, 0);
    return true;
  }
  const Failure f = CloseSteps(run, code);
  if (f.Failed()) {
    BtrvTransaction(kOpAbortTransaction);
    f.Show();
    MsgShow(kMsgStopped, 1);
    return true;
  }
  status = BtrvTransaction(kOpEndTransaction);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpEndTransaction, records::kFileGLAccounts, 0);
    MsgShow(kMsgStopped, 1);
    return true;
  }
  CommandDone();
  MsgAsk(kMsgDone, 0, nullptr, " Continue", kCaptionQuestion);
  return true;
}

// The close into account `code`.  False when the account or the ledgers
// refuse it (the cursor stays on the account); true once it ran.
bool CloseYear(YearCloseRun* run, const std::string& code) {
  return CheckClosingAccount(run, code) && CloseInto(run, code);
}

// --- The screen --------------------------------------------------------------------

YearCloseRun& RunOf(Form* form) { return *static_cast<YearCloseRun*>(form->context); }

// Exit of field 1, and F10: the close.
int CloseFromField(Form* form, int) {
  YearCloseRun& run = RunOf(form);
  if (run.done) return 1;
  char text[32] = "";
  FieldGetText(form, kFieldAccount, text, sizeof text);
  return CloseYear(&run, TrimText(text)) ? 1 : 0x20;
}

int CloseFromKey(Form* form, KeyCode) {
  YearCloseRun& run = RunOf(form);
  if (run.done) return 1;  // the field's exit ran the close already
  return CloseFromField(form, kFieldAccount);
}

// F5 on field 1: the account pick list; a closing account chosen fills the
// field.
int PickClosingAccount(Form* form, KeyCode) {
  if (FormCurrentField(form) != kFieldAccount) return 0x20;
  YearCloseRun& run = RunOf(form);
  char text[32] = "";
  FieldGetText(form, kFieldAccount, text, sizeof text);
  records::GLAccount chosen{};
  if (!PickCode1050(text, 0, run.accounts, &chosen, 4, 9, 10, 62, 0, 1)) return 0x20;
  if (chosen.IsSummary()) {
    MsgShow(kMsgSummaryAccount, 1);
    return 0x20;
  }
  if (chosen.kind != kClosingKind) {
    MsgShow(kMsgNotClosingKind, 1);
    return 0x20;
  }
  FieldSetText(form, kFieldAccount, std::string(records::Trimmed(chosen.code)).c_str());
  FormRedraw(form);
  return 0x20;
}

}  // namespace

int RunGLYearClose() {
  if (MsgAsk(kMsgCloseYear, kMenuId, nullptr, nullptr, kCaptionQuestion) != 1) return 0;

  YearCloseRun run;
  const int mode = periodic::PostingOpenMode();
  // Zero-filled when the company has none: the close then asks for the account.
  SettingsRecordRead(kSettingsRead, 0, sizeof run.iface, "0Interface", &run.iface);

  FormDef definition;
  if (FormDefLoad(&definition, kFormDefinition) != 0) return 0;
  std::vector<TagFormField> fields = definition.fields;  // the form reads it until FormEnd
  Form form{};
  ScopeExit endForm([&] { FormEnd(&form); });

  // The ledgers are opened for exclusive use, so that nothing is entered or
  // posted into the year while it closes.
  FileSet files;
  if (FileSetOpen(&files, records::kFileGLAccounts | mode, records::kFileSettings, records::kFileTaxCodes,
                  records::kFileSalespersons, records::kFileGLHeaders | mode,
                  records::kFileReceivablesHeaders | kFileModeExclusive,
                  records::kFilePayablesHeaders | kFileModeExclusive,
                  records::kFileCashHeaders | kFileModeExclusive,
                  records::kFileBillingHeaders | kFileModeExclusive,
                  records::kFilePurchasingHeaders | kFileModeExclusive,
                  records::kFileAssemblyHeaders | kFileModeExclusive,
                  records::kFileInventoryTransactions | kFileModeExclusive) != 0) {
    return 0;
  }
  run.files = &files;
  run.accounts = files.HandleOf(records::kFileGLAccounts);
  run.settings = files.HandleOf(records::kFileSettings);
  run.taxCodes = files.HandleOf(records::kFileTaxCodes);
  run.salespersons = files.HandleOf(records::kFileSalespersons);

  Window window{};
  ScopeExit closeWindow([&] { WinClose(&window, 1); });
  // Runs first: every lock on the settings and account files goes, however
  // the command ended.
  ScopeExit unlock([&] {
    int status = BtrvUnlock(-2, run.settings);
    if (status != kStatusOk) MsgRecordError(status, 1, kErrorOpUnlock, records::kFileSettings, 0);
    status = BtrvUnlock(-2, run.accounts);
    if (status != kStatusOk) MsgRecordError(status, 1, kErrorOpUnlock, records::kFileGLAccounts, 0);
  });

  FormBegin(&form);
  if (!periodic::FormHasFields(kFormDefinition, fields, {kFieldAccount})) return 0;
  for (TagFormField& f : fields) {
    if (f.number == kFieldAccount) f.exitCallback = CloseFromField;
  }
  if (!periodic::OpenScreen(&form, &window, &fields, definition, {5, 24, 8, 55}, GetCaption(kCaptionWindow),
                            kReportId, &run)) {
    return 0;
  }
  FormOnKey(&form, kKeyF5, PickClosingAccount, "Look up");
  FormOnKey(&form, kKeyF10, CloseFromKey, "Close year");
  FormKeyRemove(&form, kKeyF2);

  if (!CheckPeriods(&run)) return 0;
  // The closing account of the interface closes the year without asking;
  // one the close cannot use stays on the screen to be corrected.
  const std::string closing = TrimField(run.iface.closingAccount);
  FieldSetText(&form, kFieldAccount, closing.c_str());
  FormRedraw(&form);
  if (!closing.empty() && CheckClosingAccount(&run, closing)) {
    CloseInto(&run, closing);
  } else {
    FormRun(&form, 0);
  }
  return 0;
}
