// Finance charges: interest on the overdue receivables of the chosen
// customers as of a date.  Each open invoice whose balance is positive and
// past due is charged the customer's rate (percent per 30 days) for the days
// it is late since its due date or its latest finance charge, at most 30;
// the charge becomes a line of the invoice, the customer's balance rises by
// it, a customer charged less than its minimum for the date is topped up to
// it on an invoice of its own, the "Finance Charges" report
// lists every charge, and one G/L transaction ("AR") debits the receivables
// accounts and credits the finance-charge account with the total.
//
// Customers are taken all, by a range of codes, or invoice by invoice from a
// list of the chargeable ones (the work file "TEMPCUST.DB" in the program's
// temporary folder, deleted on every way out).
//
// The charging pass is one record-manager transaction: every charge line,
// customer update, the transaction number, the G/L transaction and its
// posting commit together or not at all, so a failure or a kill leaves every
// company file as it was.  An invoice that already carries a finance charge
// of this date (or a later one) is not charged again, so a rerun for the
// same date charges nothing twice.
#include "periodic/finance_charges.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "periodic/finance_charges_report.h"
#include "periodic/periodic_frame.h"
#include "qxabase/access.h"
#include "qxabase/app_block.h"
#include "qxabase/audit_log.h"
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/file_list.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/open_invoice_lines.h"
#include "qxabase/open_invoices.h"
#include "qxabase/pick_lists.h"
#include "qxabase/posting.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "records/work_files.h"
#include "report_frame.h"

using records::CustVendRecord;
using records::FinanceChargeListLine;
using records::TagOpenInvoice;

namespace {

// The screen, data/forms/form-364.txt, in a window at row 5, column 13,
// 20 rows by 67 columns.
constexpr int kFormDefinition = 364;
constexpr periodic::ScreenPlace kScreenPlace{5, 13, 20, 67};
constexpr const char* kReportId = "RSGenerateFinanceCharges";

enum Field : int {
  kAsOfField = periodic::kDateField,
  kPeriodField = periodic::kPeriodField,
  kReferenceField = 3,
  kModeField = 4,
  kFromField = 5,
  kToField = 6,
};

// The choices of field 4, by number.
enum class Mode : int { kAll = 1, kRange = 2, kSelect = 3 };

// Screen texts (data/texts/text-208.txt) and the texts of the store.
constexpr int kTextBlock = 208;
constexpr int kTextCount = 42;
constexpr int kDescriptionText = 4;
constexpr int kListTitleText = 483;
constexpr int kChargingTitle = 528;
constexpr int kSelectingTitle = 529;

constexpr int kMsgListFull = 1;
constexpr int kMsgNoneMarked = 815;
constexpr int kMsgWorkFileWrite = 817;
constexpr int kMsgWorkFileRead = 819;

constexpr int kCommandBackupRestore = 602;
constexpr int kFinanceChargeModule = 7;
constexpr int kFinanceChargeAccountIndex = 7;  // of records::InterfaceRecord::Account

// Key 1 of the open-invoice lines: code, invoice number, precedence.
constexpr int kLineKey = 1;
constexpr char kChargePrecedence = '5';
// Above every precedence byte: seeking an invoice with it passes all its
// lines (the charge just written among them), so the walk always moves on.
constexpr char kPastLastPrecedence = '\xff';
constexpr char kChargeOrigin = 'F';
constexpr char kJournal[] = "AR";
constexpr int kMostDaysCharged = 30;

// The status box: the customer and the invoice being worked on.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 2, .mask = "%-10s"},
    {.number = 2, .row = 2, .column = 2, .mask = "%-10s"},
    {},
};

// The selection list's window.
constexpr int kListTop = 5, kListLeft = 1, kListRows = 12, kListCols = 78;

std::int64_t Cents(double amount) { return AmountCents(amount); }
double FromCents(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

// An invoice number that gathers payments made before their invoice: after
// leading blanks it begins with "ADVANCE" in any letter case.
bool IsAdvanceNumber(const char (&number)[11]) {
  std::string_view t = records::Trimmed(number);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  constexpr std::string_view kAdvance = "ADVANCE";
  return t.size() >= kAdvance.size() && oem::CompareText(t.substr(0, kAdvance.size()), kAdvance) == 0;
}

// Two invoice numbers name one invoice when equal, and all advance numbers
// name one.
bool SameInvoice(const char (&invoice)[11], const char (&other)[11]) {
  return records::Trimmed(invoice) == records::Trimmed(other) || (IsAdvanceNumber(invoice) && IsAdvanceNumber(other));
}

template <std::size_t N, std::size_t M>
bool SameCode(const char (&a)[N], const char (&b)[M]) {
  return oem::CompareText(records::Trimmed(a), records::Trimmed(b)) == 0;
}

// --- The screen ----------------------------------------------------------------------

struct Screen {
  Form* form = nullptr;
  FileSet files;
  BtrvHandle customers = 0, lines = 0, glHeaders = 0, glLines = 0, sequences = 0, accounts = 0, settings = 0,
             invoiceHeaders = 0;
  QxOIHeader* oiHeader = nullptr;
  records::InterfaceRecord iface{};
  records::PeriodsRecord periods{};
  EntryDateField asOfDate;  // the as-of date's check
  const char* texts[kTextCount] = {};
};

Screen& ScreenOf(Form* form) { return *static_cast<Screen*>(form->context); }

int CheckAsOfDate(Form* form, int field);
int ChooseMode(Form* form, int field);
int PickKey(Form* form, KeyCode key);
int BackupKey(Form* form, KeyCode key);
int ChargeKey(Form* form, KeyCode key);
int StartHook(Form* form, int start);

}  // namespace

int RunGenerateFinanceCharges() {
  if (!ModulesAvailable(0, kFinanceChargeModule)) return 0;
  Screen screen;
  if (ScreenTextLoad(kTextBlock, screen.texts, kTextCount) != 0) return 0;
  ScopeExit freeTexts([&] { ScreenTextFree(screen.texts); });
  if (SettingsRecordRead(kSettingsRead, 0, sizeof screen.iface, "0Interface", &screen.iface) != kStatusOk) return 0;
  if (!periodic::ReadPeriods(&screen.periods)) return 0;

  FormDef definition;
  if (FormDefLoad(&definition, kFormDefinition) != 0) return 0;
  std::vector<TagFormField> fields = definition.fields;  // the form reads it until FormEnd
  if (!periodic::FormHasFields(kFormDefinition, fields,
                               {kAsOfField, kPeriodField, kReferenceField, kModeField, kFromField, kToField}))
    return 0;
  for (TagFormField& f : fields) {
    if (f.number == kAsOfField) f.exitCallback = CheckAsOfDate;
    if (f.number == kModeField) f.exitCallback = ChooseMode;
  }

  const int mode = periodic::PostingOpenMode();
  if (FileSetOpen(&screen.files, records::kFileCustomers | mode, records::kFileReceivablesOpenInvoices | mode,
                  records::kFileGLHeaders, records::kFileGLLines, records::kFileTranSequences,
                  records::kFileGLAccounts | mode, records::kFileSettings,
                  records::kFileReceivablesOpenInvoiceHeaders | mode) != 0)
    return 0;
  PostingEnter(kLedgerReceivables);
  ScopeExit leave([&] {
    FileSetClose(&screen.files);
    PostingLeave();
  });
  const FileSet& set = screen.files;
  screen.customers = set.HandleOf(records::kFileCustomers);
  screen.lines = set.HandleOf(records::kFileReceivablesOpenInvoices);
  screen.glHeaders = set.HandleOf(records::kFileGLHeaders);
  screen.glLines = set.HandleOf(records::kFileGLLines);
  screen.sequences = set.HandleOf(records::kFileTranSequences);
  screen.accounts = set.HandleOf(records::kFileGLAccounts);
  screen.settings = set.HandleOf(records::kFileSettings);
  screen.invoiceHeaders = set.HandleOf(records::kFileReceivablesOpenInvoiceHeaders);

  QxOIHeader oiHeader(records::kFileReceivablesOpenInvoiceHeaders, screen.invoiceHeaders, screen.lines);
  if (!oiHeader.Init()) return 0;
  screen.oiHeader = &oiHeader;

  Form form{};
  ScopeExit endForm([&] { FormEnd(&form); });
  Window window{};
  ScopeExit closeWindow([&] { WinClose(&window, 1); });
  FormBegin(&form);
  screen.form = &form;
  if (!periodic::OpenScreen(&form, &window, &fields, definition, kScreenPlace, GetCaption(kCaptionWindow),
                            kReportId, &screen))
    return 0;
  FieldSetProtect(&form, kPeriodField, 1);
  FormOnKey(&form, kKeyF10, ChargeKey, "Charge");
  FormOnKey(&form, kKeyF5, PickKey, "Look up");
  FormOnKey(&form, kKeyF9, BackupKey, "How to back up");
  form.startHook = StartHook;
  FormRun(&form, 0);
  return 0;
}

namespace {

// --- Screen callbacks --------------------------------------------------------------

Mode ModeOf(Form* form) {
  const int choice = FieldGetChoice(form, kModeField);
  return choice == 2 ? Mode::kRange : choice == 3 ? Mode::kSelect : Mode::kAll;
}

// All charges every customer: the range is out of the question.
void ApplyMode(Form* form) {
  const bool all = ModeOf(form) == Mode::kAll;
  for (int field : {kFromField, kToField}) {
    if (all) FieldSetText(form, field, " ");
    FieldSetProtect(form, field, all ? 1 : 0);
    FieldRedraw(form, field);
  }
}

// The mode starts at All and the date at today each time the screen opens
// (also when it comes back from the backup).
int StartHook(Form* form, int) {
  Screen& s = ScreenOf(form);
  FieldSetChoice(form, kModeField, static_cast<int>(Mode::kAll));
  ApplyMode(form);
  periodic::SuggestToday(form, s.periods);
  return 0;
}

// A date of an open period: the charges and their G/L transaction are
// dated on it.
bool TakeAsOfDate(Form* form, records::FiscalPeriodInfo* info, std::int32_t* date) {
  Screen& s = ScreenOf(form);
  return periodic::TakeDate(form, s.periods, &s.asOfDate, info, date);
}

int CheckAsOfDate(Form* form, int) {
  records::FiscalPeriodInfo info{};
  std::int32_t date = 0;
  return TakeAsOfDate(form, &info, &date) ? 0 : 0x20;
}

int ChooseMode(Form* form, int) {
  ApplyMode(form);
  return 0;
}

// F5 on a customer field: the customer pick list puts the chosen code in.
int PickKey(Form* form, KeyCode) {
  const int field = FormCurrentField(form);
  if ((field != kFromField && field != kToField) || ModeOf(form) == Mode::kAll) return 0x20;
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  CustVendRecord chosen{};
  if (PickCustomer(text, 0, ScreenOf(form).customers, &chosen, 5, 10, 8, 60) != 1) return 0x20;
  FieldSetText(form, field, std::string(records::Trimmed(chosen.code)).c_str());
  return 0x80;
}

// F9: Backup/Restore first.  The main loop runs 602 and then this command
// again, whose screen starts from today.
int BackupKey(Form* form, KeyCode) {
  FileSetClose(&ScreenOf(form).files);
  SharedAppBlock* app = SharedAppBlockGet();
  CommandAccess(0, app->currentCommand);
  app->nextCommand = app->currentCommand;
  app->currentCommand = kCommandBackupRestore;
  return 1;
}

// --- The run -------------------------------------------------------------------------------

// What one invoice comes to as of the date.
struct InvoiceAssessment {
  TagOpenInvoice line{};       // its first line, with the dates of its earliest 'I' line
  std::int64_t balance = 0;    // in cents
  bool advance = false;        // an ADVANCE invoice: never charged
  bool chargedAlready = false; // it carries a finance charge of the date or later
  std::int32_t lastCharged = 0; // the date of its latest finance charge (0: none)
  bool qualified = false;      // positive balance, past due
  std::int64_t charge = 0;     // in cents, never below zero
  std::int64_t chargedOnDate = 0;  // its finance charges dated the as-of date, in cents
  // Where its lines ended: at a line of the customer (its place, when it
  // could be had), or at the end of the customer's lines.
  bool stoppedAtLine = false;
  bool stopPlaceKnown = false;
  std::uint32_t stopPlace = 0;
};

// The charge of a balance due on `due` as of `asOf` at `rate` percent per
// 30 days: nothing unless the balance is above zero and the due date lies
// before the as-of date; then the days late (at most 30) at the rate,
// rounded to cents.  The days an earlier finance charge of the invoice
// covered are not counted again: a charged invoice is late from the date of
// its latest charge.  A negative rate charges nothing.
void ComputeFinanceCharge(float rate, std::int32_t due, std::int32_t asOf, InvoiceAssessment* a) {
  a->qualified = a->balance > 0 && due < asOf;
  a->charge = 0;
  if (!a->qualified) return;
  const std::int32_t lateFrom = std::max(due, a->lastCharged);
  const long days = std::clamp<long>(DateToDays(asOf) - DateToDays(lateFrom), 0, kMostDaysCharged);
  const double charge = (static_cast<double>(rate) * FromCents(a->balance)) * (static_cast<double>(days) / 3000.0);
  a->charge = std::max<std::int64_t>(Cents(charge), 0);
}

// One customer's charges of the run.
struct CustomerCharges {
  std::int64_t previous = 0;  // the charged invoices' balances
  std::int64_t total = 0;     // the charges, the top-up included
  bool qualified = false;     // some invoice was past due
  // The walk of the customer's invoices read each of its lines once: the
  // finance charges of the as-of date it found are all the customer had
  // before this run.
  bool walkedEveryLine = false;
  std::int64_t walkedOnDate = 0;
};

// A debit of the run's G/L transaction: a receivables account and what it
// takes.
struct GLAmount {
  std::string account;
  std::int64_t cents = 0;
};

class FinanceChargeRun {
 public:
  FinanceChargeRun(Screen& screen, std::int32_t asOf, const records::FiscalPeriodInfo& period,
                   std::string reference)
      : s_(screen), asOf_(asOf), period_(period), reference_(std::move(reference)), report_(screen.texts) {}

  // All and Range: every customer from `from` to `to` (blank: open ends).
  void ChargeRange(const std::string& from, const std::string& to);
  // Select: the chargeable invoices of the range listed, the marked ones
  // charged.
  void ChargeSelected(const std::string& from, const std::string& to);

 private:
  class WorkFile;

  bool Begin();
  void End(bool complete);
  template <class Visit>
  bool WalkCustomers(const std::string& from, const std::string& to, Visit visit);
  bool Chargeable(const CustVendRecord& c) const;
  int SeekLine(const char* code, const char* invoice, char precedence, TagOpenInvoice* line);
  bool Assess(const CustVendRecord& c, const TagOpenInvoice& first, InvoiceAssessment* a);
  template <class Visit>
  bool ForEachInvoice(const CustVendRecord& c, Visit visit, CustomerCharges* walked = nullptr);
  bool ChargeInvoices(CustVendRecord* c);
  bool ChargeInvoice(const CustVendRecord& c, const InvoiceAssessment& a, CustomerCharges* charges);
  bool WriteChargeLine(const CustVendRecord& c, const char* invoice, std::int64_t cents);
  bool ChargedOnDate(const CustVendRecord& c, std::int64_t* cents);
  bool ApplyMinimumCharge(const CustVendRecord& c, CustomerCharges* charges);
  bool FinishCustomer(CustVendRecord* c, const CustomerCharges& charges);
  bool AddGLAmount(const CustVendRecord& c, std::int64_t cents);
  bool PostBatch();
  bool ListInvoices(WorkFile* work, const std::string& from, const std::string& to, bool* listed);
  bool PickInvoices(WorkFile* work);
  int NextMarked(WorkFile* work, int op, FinanceChargeListLine* line);
  bool ChargeMarked(WorkFile* work);
  bool Fail(int status, int op, int fileNo) {
    MsgRecordError(status, 1, op, fileNo, 0);
    return false;
  }

  Screen& s_;
  std::int32_t asOf_;
  records::FiscalPeriodInfo period_;
  std::string reference_;
  FinanceChargeReport report_;
  AuditLog audit_;
  TagPostWork work_;
  std::vector<GLAmount> glAmounts_;
  std::int64_t grandPrevious_ = 0, grandCharges_ = 0;
};

// The work file of the selection: made empty in the temporary folder, and
// closed and deleted on every way out.
class FinanceChargeRun::WorkFile {
 public:
  ~WorkFile() {
    if (handle != 0) BtrvClose(handle);
    if (made) BtrvFileDelete(path);
  }
  bool Make() {
    int keyCount = 0;
    unsigned char keys[8 * kKeySegmentSize] = {};
    if (TempFilePathGet("TEMPCUST.DB", path, &keyCount, keys) != 0) return false;
    unsigned char spec[kFileSpecSize] = {};
    const std::uint16_t length = sizeof(FinanceChargeListLine), page = FinanceChargeListLine::kPageSize;
    std::memcpy(spec, &length, sizeof length);
    std::memcpy(spec + 2, &page, sizeof page);
    spec[4] = static_cast<unsigned char>(keyCount);
    made = FileCreate(kOpenShared, &handle, path, "TEMPCUST.DB", spec, keys) == kStatusOk;
    if (!made) handle = 0;
    return made;
  }
  BtrvHandle handle = 0;
  char path[260] = {};
  bool made = false;
};

// The run's report and its unit begin together.
bool FinanceChargeRun::Begin() {
  if (!report_.Open()) return false;
  if (const int status = PostUnitBegin(&work_); status != kStatusOk) {
    Fail(status, kOpBeginTransaction, records::kFileCustomers);
    report_.Stopped();
    return false;
  }
  return true;
}

// Ends the run: a complete one with charges is posted and committed; one
// that charged nothing leaves no report; a stopped one is taken back whole
// and its report says so.
void FinanceChargeRun::End(bool complete) {
  if (complete && grandCharges_ == 0) {
    PostUnitAbandon();
    report_.Discard();
    MsgShow(kMsgNothingSelected, 1);
    return;
  }
  if (complete) {
    complete = PostBatch();
    if (complete) {
      if (const int status = PostUnitCommit(&work_); status != kStatusOk) {
        complete = Fail(status, kOpEndTransaction, records::kFileCustomers);
        // A failed commit is rolled back; should the transaction still be
        // open, nothing of it may stay.
        BtrvTransaction(kOpAbortTransaction);
      }
    }
    // The grand total stands for what was charged: it is printed once the
    // charges are in the books.
    if (complete) {
      report_.GrandTotal(grandPrevious_, grandCharges_);
      CommandDone();
    }
  }
  if (!complete) {
    PostUnitAbandon();
    report_.Stopped();
  }
  report_.Close();
}

template <class Visit>
bool FinanceChargeRun::WalkCustomers(const std::string& from, const std::string& to, Visit visit) {
  BtrvSetKey(s_.customers, 0, -1);
  char key[255] = {};
  std::memcpy(key, from.data(), std::min<std::size_t>(from.size(), sizeof(CustVendRecord::code) - 1));
  CustVendRecord c{};
  int op = kOpGetGreaterOrEqual;
  int status = BtrvGetOp(op, s_.customers, key, &c, sizeof c);
  while (status == kStatusOk) {
    if (!to.empty() && oem::CompareText(records::Trimmed(c.code), to) > 0) return true;
    if (Chargeable(c)) {
      const std::string code(records::Trimmed(c.code));
      StatusBoxRecord(0, code.c_str(), 0);
      if (!visit(&c)) return false;
      StatusBoxMode(1);
    }
    AppIdle();
    op = kOpGetNext;
    status = BtrvGetOp(op, s_.customers, key, &c, sizeof c);
  }
  return status == kStatusEndOfFile || Fail(status, op, records::kFileCustomers);
}

// A cash customer is never charged, nor one without a rate or a minimum.
bool FinanceChargeRun::Chargeable(const CustVendRecord& c) const {
  return !c.IsCash() && !(static_cast<float>(c.financeChargeRate) == 0.0f && Cents(c.minimumFinanceCharge) == 0);
}

// Positions key 1 at a customer's code, `invoice` (null: its first line)
// and `precedence`, getting the first line at or after it.
int FinanceChargeRun::SeekLine(const char* code, const char* invoice, char precedence, TagOpenInvoice* line) {
  BtrvSetKey(s_.lines, kLineKey, -1);
  char key[255] = {};
  std::memcpy(key, code, sizeof line->code);
  if (invoice != nullptr) {
    std::memcpy(key + sizeof line->code, invoice, sizeof line->invoiceNumber);
    key[sizeof line->code + sizeof line->invoiceNumber] = precedence;
  }
  return BtrvGetOp(kOpGetGreaterOrEqual, s_.lines, key, line, sizeof *line);
}

// Sums the lines of the invoice that begins with `first` and computes its
// charge.  Invoices and debits add, credits take off, payments take off
// their amount and the discount taken; the earliest 'I' line gives the
// dates.  The sum is kept in cents, so a residue of the doubles never
// counts as a balance.
bool FinanceChargeRun::Assess(const CustVendRecord& c, const TagOpenInvoice& first, InvoiceAssessment* a) {
  *a = InvoiceAssessment{};
  a->line = first;
  a->advance = IsAdvanceNumber(first.invoiceNumber);
  bool haveInvoiceLine = false;
  TagOpenInvoice line = first;
  char key[255] = {};
  int status = kStatusOk;
  while (status == kStatusOk && SameCode(line.code, c.code) && SameInvoice(first.invoiceNumber, line.invoiceNumber)) {
    switch (line.lineType) {
      case 'C': a->balance -= Cents(line.amount); break;
      case 'P': a->balance -= Cents(line.amount) + Cents(line.discount); break;
      default: a->balance += Cents(line.amount); break;
    }
    if (line.lineType == 'I' && (!haveInvoiceLine || line.invoiceDate < a->line.invoiceDate)) {
      a->line.dueDate = line.dueDate;
      a->line.secondDate = line.secondDate;
      a->line.invoiceDate = line.invoiceDate;
      haveInvoiceLine = true;
    }
    if (line.lineType == 'F' && line.origin == kChargeOrigin) {
      if (line.invoiceDate >= asOf_) a->chargedAlready = true;
      if (line.invoiceDate == asOf_) a->chargedOnDate += Cents(line.amount);
      a->lastCharged = std::max<std::int32_t>(a->lastCharged, line.invoiceDate);
    }
    status = BtrvGetOp(kOpGetNext, s_.lines, key, &line, sizeof line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(status, kOpGetNext, records::kFileReceivablesOpenInvoices);
  a->stoppedAtLine = status == kStatusOk && SameCode(line.code, c.code);
  a->stopPlaceKnown = a->stoppedAtLine && BtrvPosition(kOpGetDirect, s_.lines, &a->stopPlace) == kStatusOk;
  if (a->advance || a->chargedAlready) return true;
  ComputeFinanceCharge(c.financeChargeRate, a->line.dueDate, asOf_, a);
  return true;
}

// Walks the customer's invoices in invoice order, each assessed and handed
// to `visit` (false ends the walk).  `walked`, when given, learns whether
// the walk read each of the customer's lines once, and the finance charges
// of the as-of date it read: each invoice's walk goes on from the line the
// one before stopped at, unless the key takes two invoice numbers for one
// (letter case, advance numbers).
template <class Visit>
bool FinanceChargeRun::ForEachInvoice(const CustVendRecord& c, Visit visit, CustomerCharges* walked) {
  bool everyLine = true;
  std::int64_t onDate = 0;
  TagOpenInvoice line{};
  int status = SeekLine(c.code, nullptr, 0, &line);
  while (status == kStatusOk && SameCode(line.code, c.code)) {
    InvoiceAssessment a;
    if (!Assess(c, line, &a)) return false;
    onDate += a.chargedOnDate;
    const std::string invoice(records::Trimmed(a.line.invoiceNumber));
    StatusBoxRecord(1, invoice.c_str());
    if (!visit(a)) return false;
    status = SeekLine(c.code, a.line.invoiceNumber, kPastLastPrecedence, &line);
    const bool next = status == kStatusOk && SameCode(line.code, c.code);
    if (next != a.stoppedAtLine) {
      everyLine = false;
    } else if (next) {
      std::uint32_t place = 0;
      everyLine = everyLine && a.stopPlaceKnown && BtrvPosition(kOpGetDirect, s_.lines, &place) == kStatusOk &&
                  place == a.stopPlace;
    }
  }
  if (status != kStatusOk && status != kStatusEndOfFile)
    return Fail(status, kOpGetGreaterOrEqual, records::kFileReceivablesOpenInvoices);
  if (walked != nullptr) {
    walked->walkedEveryLine = everyLine;
    walked->walkedOnDate = onDate;
  }
  return true;
}

// All and Range: the customer's invoices one after another, then its
// minimum and its total.
bool FinanceChargeRun::ChargeInvoices(CustVendRecord* c) {
  CustomerCharges charges;
  return ForEachInvoice(
             *c, [&](const InvoiceAssessment& a) { return ChargeInvoice(*c, a, &charges); }, &charges) &&
         FinishCustomer(c, charges);
}

// Charges one assessed invoice: it is printed and its charge written.  A
// charge that rounds to nothing is printed and writes no line.
bool FinanceChargeRun::ChargeInvoice(const CustVendRecord& c, const InvoiceAssessment& a, CustomerCharges* charges) {
  if (!a.qualified) return true;
  charges->qualified = true;
  charges->total += a.charge;
  charges->previous += a.balance;
  report_.Detail(c, a.line.invoiceNumber, a.line.invoiceDate, a.line.dueDate, a.balance, a.charge);
  return a.charge <= 0 || WriteChargeLine(c, a.line.invoiceNumber, a.charge);
}

// Adds a finance-charge line to an invoice of the customer (a new invoice
// for a top-up: the line makes its header), dated the as-of date, and
// records it in the audit log.
bool FinanceChargeRun::WriteChargeLine(const CustVendRecord& c, const char* invoice, std::int64_t cents) {
  TagOpenInvoice line{};
  std::memcpy(line.code, c.code, sizeof line.code);
  std::memcpy(line.invoiceNumber, invoice, sizeof line.invoiceNumber);
  line.invoiceNumber[sizeof line.invoiceNumber - 1] = '\0';
  records::SetText(line.reference, reference_);
  line.lineType = 'F';
  line.status = 'P';
  line.precedence = line.precedenceCode = line.precedenceByte = kChargePrecedence;
  line.dueDate = line.secondDate = line.invoiceDate = asOf_;
  line.amount = FromCents(cents);
  line.origin = kChargeOrigin;
  const int status = RecPayTranWrite(kOpInsert, s_.settings, s_.lines, records::kFileReceivablesOpenInvoices, &line,
                                     s_.oiHeader);
  if (status != kStatusOk) return Fail(status, kOpInsert, records::kFileReceivablesOpenInvoices);
  const std::string reference =
      std::string(records::Trimmed(c.code)) + " " + std::string(records::Trimmed(line.invoiceNumber));
  return audit_.RegTransactionLog(kEntityReceivablesTransaction, kChangeAdded, reference.c_str()) == kStatusOk;
}

// The customer's finance charges dated the as-of date, those of this run
// included, in cents.
bool FinanceChargeRun::ChargedOnDate(const CustVendRecord& c, std::int64_t* cents) {
  *cents = 0;
  TagOpenInvoice line{};
  char key[255] = {};
  int op = kOpGetGreaterOrEqual;
  int status = SeekLine(c.code, nullptr, 0, &line);
  while (status == kStatusOk && SameCode(line.code, c.code)) {
    if (line.lineType == 'F' && line.origin == kChargeOrigin && line.invoiceDate == asOf_) *cents += Cents(line.amount);
    op = kOpGetNext;
    status = BtrvGetOp(op, s_.lines, key, &line, sizeof line);
  }
  return status == kStatusOk || status == kStatusEndOfFile || Fail(status, op, records::kFileReceivablesOpenInvoices);
}

// A customer charged less than its minimum for the date is topped up to it
// on an invoice "FC" and the as-of date's day number.  What an earlier run
// of the same date charged counts: the minimum is never charged twice.
bool FinanceChargeRun::ApplyMinimumCharge(const CustVendRecord& c, CustomerCharges* charges) {
  const std::int64_t minimum = Cents(c.minimumFinanceCharge);
  if (minimum <= 0) return true;
  // The walk's finance charges of the date and this run's are all there
  // are, when the walk read every line; else they are read again.
  std::int64_t charged = charges->walkedOnDate + charges->total;
  if (!charges->walkedEveryLine && !ChargedOnDate(c, &charged)) return false;
  const std::int64_t topUp = minimum - charged;
  if (topUp <= 0) return true;
  char invoice[11] = {};
  std::snprintf(invoice, sizeof invoice, "FC%d", static_cast<int>(asOf_));
  report_.Detail(c, invoice, asOf_, asOf_, 0, topUp);
  if (!WriteChargeLine(c, invoice, topUp)) return false;
  charges->total += topUp;
  return true;
}

// The customer's minimum, then its total: its period debits and balance
// rise by it, it is printed, and its receivables account takes it.
bool FinanceChargeRun::FinishCustomer(CustVendRecord* c, const CustomerCharges& charges) {
  CustomerCharges done = charges;
  if (done.qualified && !ApplyMinimumCharge(*c, &done)) return false;
  if (done.total == 0) return true;
  c->periodDebits = FromCents(Cents(c->periodDebits) + done.total);
  c->balance = FromCents(Cents(c->balance) + done.total);
  if (const int status = BtrvWriteOp(kOpUpdate, s_.customers, nullptr, c, sizeof *c); status != kStatusOk)
    return Fail(status, kOpUpdate, records::kFileCustomers);
  report_.CustomerTotal(done.previous, done.total);
  grandPrevious_ += done.previous;
  grandCharges_ += done.total;
  return AddGLAmount(*c, done.total);
}

// The customer's receivables account (the interface's when it names none)
// takes the amount; each account is one debit of the transaction.
bool FinanceChargeRun::AddGLAmount(const CustVendRecord& c, std::int64_t cents) {
  std::string account(records::Trimmed(c.glAccount));
  if (account.empty()) account = std::string(records::Trimmed(s_.iface.receivablesAccount));
  for (GLAmount& g : glAmounts_) {
    if (oem::CompareText(g.account, account) == 0) {
      g.cents += cents;
      return true;
    }
  }
  try {
    glAmounts_.push_back({account, cents});
  } catch (const std::bad_alloc&) {
    MsgShow(kMsgListFull, 1);
    return false;
  }
  return true;
}

// The run's G/L transaction: a debit per receivables account and the credit
// of the total to the finance-charge account, written unposted and posted.
bool FinanceChargeRun::PostBatch() {
  records::TagGLHeader header{};
  records::SetPadded(header.journalCode, kJournal);
  header.date = asOf_;
  records::SetText(header.reference, reference_);
  header.postedFlag = header.sourceFlag = header.checkFlag = 'N';
  header.journalPrinted = asOf_;
  header.amount = FromCents(grandCharges_);
  if (GLTranHeaderCreate(s_.sequences, &header, header.transactionNumber, &work_) != kStatusOk ||
      GLTranDetailCreate(s_.glHeaders, &header, &work_) != kStatusOk)
    return Fail(work_.status, work_.operation, work_.fileNo);

  int lineNumber = 0;
  auto line = [&](const std::string& account, char side, std::int64_t cents) {
    records::GLLine l{};
    records::SetPadded(l.journalCode, kJournal);
    std::memcpy(l.transactionNumber, header.transactionNumber, sizeof l.transactionNumber);
    records::SetText(l.account, account);
    records::SetText(l.description, s_.texts[kDescriptionText]);
    l.side = side;
    l.amount = FromCents(cents);
    l.date = asOf_;
    return PostGLLine(0, s_.glLines, &lineNumber, &lineNumber, &l, &work_) == kStatusOk ||
           Fail(work_.status, work_.operation == 0 ? kOpInsert : work_.operation, records::kFileGLLines);
  };
  for (const GLAmount& g : glAmounts_)
    if (!line(g.account, 'D', g.cents)) return false;
  if (!line(std::string(records::Trimmed(s_.iface.financeChargeAccount)), 'C', grandCharges_)) return false;

  double debit = 0, credit = 0;
  PostGLBatch(s_.glHeaders, s_.glLines, s_.accounts, &debit, &credit, &period_, &header, &work_, 0);
  if (work_.status == kStatusOk) return true;
  PostOutOfBalance(debit, credit, &header, &work_);
  return false;
}

void FinanceChargeRun::ChargeRange(const std::string& from, const std::string& to) {
  periodic::StatusBoxGuard box({.width = 57, .title = kChargingTitle, .reportId = kReportId, .fields = kStatusLines});
  if (!Begin()) return;
  const bool complete = WalkCustomers(from, to, [&](CustVendRecord* c) { return ChargeInvoices(c); });
  box.Close();
  End(complete);
}

void FinanceChargeRun::ChargeSelected(const std::string& from, const std::string& to) {
  WorkFile work;
  if (!work.Make()) return;
  bool listed = false;
  {
    periodic::StatusBoxGuard box(
        {.width = 57, .title = kSelectingTitle, .reportId = kReportId, .fields = kStatusLines});
    if (!ListInvoices(&work, from, to, &listed)) return;
  }
  if (!listed) {
    MsgShow(kMsgNothingSelected, 1);
    return;
  }
  if (!PickInvoices(&work)) return;
  ChargeMarked(&work);
}

// The pre-pass of Select: each chargeable invoice of the range becomes a
// line of the work file, with the charge it would take.  Nothing of the
// company's files is written.
bool FinanceChargeRun::ListInvoices(WorkFile* work, const std::string& from, const std::string& to, bool* listed) {
  return WalkCustomers(from, to, [&](CustVendRecord* c) {
    std::uint32_t position = 0;
    if (const int status = BtrvPosition(kOpGetDirect, s_.customers, &position); status != kStatusOk)
      return Fail(status, kOpGetDirect, records::kFileCustomers);
    return ForEachInvoice(*c, [&](const InvoiceAssessment& a) {
      if (!a.qualified) return true;
      FinanceChargeListLine l{};
      std::memcpy(l.customerCode, c->code, sizeof l.customerCode);
      std::memcpy(l.invoiceNumber, a.line.invoiceNumber, sizeof l.invoiceNumber);
      records::SetText(l.customerName, records::Trimmed(c->name));
      l.mark = FinanceChargeListLine::kUnmarked;
      l.invoiceDate = a.line.invoiceDate;
      l.dueDate = a.line.dueDate;
      l.previousBalance = FromCents(a.balance);
      l.financeCharge = FromCents(a.charge);
      l.newBalance = FromCents(a.balance + a.charge);
      l.customerPosition = position;
      char key[255] = {};
      if (BtrvWriteOp(kOpInsert, work->handle, key, &l, sizeof l) != kStatusOk) {
        MsgShow(kMsgWorkFileWrite, 1);
        return false;
      }
      *listed = true;
      return true;
    });
  });
}

// The columns of the selection list, from the work file's fields.  Null
// (after the dictionary's message) when the dictionary lacks one.
const void* ListColumns() {
  static const std::vector<unsigned char> columns = [] {
    std::vector<unsigned char> list(1024);
    if (DictFieldListBuild("TEMPCUST.DB", static_cast<int>(list.size()), list.data(), 1, 2, 4, 3, 5, 6, 7, 8, 9) != 0)
      list.clear();
    return list;
  }();
  return columns.empty() ? nullptr : columns.data();
}

// F3 marks the current line (or takes its mark off) and moves down; F10
// ends the list to charge the marked lines.
int ListKey(SearchList* search, KeyCode key, std::int64_t) {
  FileList* f = FileListOf(search);
  if (key == kKeyF10) return -1;
  if (key != kKeyF3) return 0;
  auto* line = static_cast<FinanceChargeListLine*>(f->record);
  line->mark =
      line->mark == FinanceChargeListLine::kMarked ? FinanceChargeListLine::kUnmarked : FinanceChargeListLine::kMarked;
  char keyBuffer[255] = {};
  if (BtrvWriteOp(kOpUpdate, f->handle, keyBuffer, line, sizeof *line) != kStatusOk) {
    MsgShow(kMsgWorkFileWrite, 1);
    *static_cast<bool*>(f->context) = true;
    return -1;
  }
  KeyPush(kKeyDown);
  return 1;
}

// The selection list over the work file.  True when the user asked for the
// marked lines to be charged (F10, or Enter on a line); false after Esc or
// when a mark could not be kept.
bool FinanceChargeRun::PickInvoices(WorkFile* work) {
  const void* columns = ListColumns();
  if (columns == nullptr) return false;
  bool failed = false;
  FinanceChargeListLine row{};
  FileList list;
  list.handle = work->handle;
  list.record = &row;
  list.length = sizeof row;
  list.line = [](const void* record) { return DictFieldListRow(ListColumns(), record); };
  list.seekKey = [](int, const char* text, char* key) {
    if (text != nullptr)
      std::memcpy(key, text, std::min(std::strlen(text), sizeof(FinanceChargeListLine::customerCode) - 1));
  };
  list.onKey = ListKey;
  list.legend = "F3 Mark  F10 Charge";
  list.context = &failed;
  const std::string heading = DictFieldListHeading(columns);
  const std::string title = TextGet(kListTitleText);
  RunFileList(list, title.c_str(), heading.c_str(), nullptr, kListTop, kListLeft, kListRows, kListCols);
  return !failed && list.lastKey != kKeyEsc && list.lastKey != kKeyClose;
}

// The work file's next line marked to be charged (`op` first or next).
int FinanceChargeRun::NextMarked(WorkFile* work, int op, FinanceChargeListLine* line) {
  char key[255] = {};
  int status = BtrvGetOp(op, work->handle, key, line, sizeof *line);
  while (status == kStatusOk && line->mark == FinanceChargeListLine::kUnmarked)
    status = BtrvGetOp(kOpGetNext, work->handle, key, line, sizeof *line);
  return status;
}

// The charge pass of Select: the marked invoices, customer by customer (the
// work file's key keeps a customer's lines together); each customer's
// minimum and total once its marked invoices are charged.  An invoice gone
// since it was listed is passed over.
bool FinanceChargeRun::ChargeMarked(WorkFile* work) {
  BtrvSetKey(work->handle, 0, -1);
  FinanceChargeListLine line{};
  int status = NextMarked(work, kOpGetFirst, &line);
  if (status != kStatusOk) {
    MsgShow(status == kStatusEndOfFile ? kMsgNoneMarked : kMsgWorkFileRead, 1);
    return false;
  }
  periodic::StatusBoxGuard box({.width = 57, .title = kChargingTitle, .reportId = kReportId, .fields = kStatusLines});
  if (!Begin()) return false;
  bool complete = true;
  while (complete && status == kStatusOk) {
    const FinanceChargeListLine first = line;
    CustVendRecord c{};
    std::memcpy(&c, &first.customerPosition, sizeof first.customerPosition);
    char key[255] = {};
    if (const int read = BtrvGetOp(kOpGetDirect, s_.customers, key, &c, sizeof c); read != kStatusOk) {
      complete = Fail(read, kOpGetDirect, records::kFileCustomers);
      break;
    }
    const bool sameCustomer = SameCode(c.code, first.customerCode);
    const std::string code(records::Trimmed(first.customerCode));
    StatusBoxRecord(0, code.c_str(), 0);
    CustomerCharges charges;
    while (complete && status == kStatusOk && SameCode(line.customerCode, first.customerCode)) {
      const std::string invoice(records::Trimmed(line.invoiceNumber));
      StatusBoxRecord(1, invoice.c_str());
      TagOpenInvoice found{};
      const int seek = sameCustomer ? SeekLine(c.code, line.invoiceNumber, 0, &found) : kStatusEndOfFile;
      if (seek == kStatusOk && SameCode(found.code, c.code) && SameInvoice(found.invoiceNumber, line.invoiceNumber)) {
        InvoiceAssessment a;
        complete = Assess(c, found, &a) && ChargeInvoice(c, a, &charges);
      } else if (seek != kStatusOk && seek != kStatusEndOfFile) {
        complete = Fail(seek, kOpGetGreaterOrEqual, records::kFileReceivablesOpenInvoices);
      }
      if (complete) status = NextMarked(work, kOpGetNext, &line);
    }
    if (complete && sameCustomer) complete = FinishCustomer(&c, charges);
    StatusBoxMode(1);
    AppIdle();
  }
  if (complete && status != kStatusOk && status != kStatusEndOfFile) {
    MsgShow(kMsgWorkFileRead, 1);
    complete = false;
  }
  box.Close();
  End(complete);
  return complete;
}

// F10: the run.  The screen closes after it, whatever the outcome; a date
// or an account refused keeps it open.
int ChargeKey(Form* form, KeyCode) {
  Screen& s = ScreenOf(form);
  records::FiscalPeriodInfo period{};
  std::int32_t asOf = 0;
  if (!TakeAsOfDate(form, &period, &asOf)) return 0x20;
  // The account the total is credited to must take postings before
  // anything is charged.
  records::GLAccount account{};
  TagPostWork work;
  if (PostLedgersCheck(1, s.accounts, &account, &s.iface, &work, {kFinanceChargeAccountIndex}) != kStatusOk)
    return 0x20;
  const Mode mode = ModeOf(form);
  const std::string reference = FieldText(form, kReferenceField);
  const std::string from = mode == Mode::kAll ? std::string() : FieldText(form, kFromField);
  const std::string to = mode == Mode::kAll ? std::string() : FieldText(form, kToField);
  FinanceChargeRun run(s, asOf, period, reference);
  if (mode == Mode::kSelect) {
    run.ChargeSelected(from, to);
  } else {
    run.ChargeRange(from, to);
  }
  return 1;
}

}  // namespace
