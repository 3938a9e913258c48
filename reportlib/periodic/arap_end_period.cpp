// Receivables and payables end of period: for every customer (or vendor)
// the open-invoice lines that the period settled are cleared, and the
// account's period figures start again.
//
// Each account's close (its lines, the headers of its invoices, a new
// balance-forward line and the account record) is one record-manager
// transaction.  A failure, a crash or a kill therefore leaves every account
// either closed or untouched, and running the command again for the same
// date finishes the rest: closing an account a second time finds nothing
// more to clear and merges into the balance-forward line it wrote.
#include "periodic/arap_end_period.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "periodic/periodic_frame.h"
#include "qxabase/aging.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/open_invoice_lines.h"
#include "qxabase/open_invoices.h"
#include "qxabase/posting.h"
#include "qxabase/settings.h"
#include "qxabase/status_box.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "report_frame.h"

using periodic::Failure;
using records::CustVendRecord;
using records::TagOpenInvoice;

namespace {

constexpr int kReceivablesCommand = 365;

// The screen, data/forms/form-365.txt: field 1 the end-of-period date
// ("nn/nn/nn"), field 2 its period ("%2u", shown only), in a window at row 5,
// column 14, 13 rows by 65 columns.
constexpr int kFormDefinition = 365;

// What differs between the two ledgers.
struct Ledger {
  const char* reportId;
  int lineFile;     // open-invoice lines
  int accountFile;  // customers or vendors
  int headerFile;   // open-invoice headers
  int statusTitle;
  int doneMessage;
  // The line type that lowers the account's balance like a payment: a
  // customer's credit, a vendor's debit.  The other of 'C' and 'D' raises it.
  char creditType;
};

constexpr Ledger kReceivables{"RSAREndPeriod", records::kFileReceivablesOpenInvoices, records::kFileCustomers,
                              records::kFileReceivablesOpenInvoiceHeaders, 531, 1269, 'C'};
constexpr Ledger kPayables{"RSAPEndPeriod", records::kFilePayablesOpenInvoices, records::kFileVendors,
                           records::kFilePayablesOpenInvoiceHeaders, 532, 1271, 'D'};

// Key 1 of the line file: code, invoice number, precedence.
constexpr int kLineKey = 1;
constexpr int kItemNumberKey = 3;
constexpr char kFirstPrecedence = '1';
// Above every precedence byte: seeking an invoice with it passes all its
// lines, whatever precedences they carry, so the walk always moves on.
constexpr char kPastLastPrecedence = '\xff';

// The status box: the account and the invoice being closed.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 1, .column = 2, .mask = "%-10s"},
    {.number = 2, .row = 2, .column = 2, .mask = "%-10s"},
    {},
};

// --- Amounts, dates and invoice numbers ------------------------------------------------

std::int64_t Cents(double amount) { return AgingCents(amount); }
double FromCents(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

// An invoice number that gathers payments made before their invoice: after
// leading blanks it begins with "ADVANCE" in any letter case.
bool IsAdvanceNumber(const char (&number)[11]) {
  std::string_view t = records::Trimmed(number);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  constexpr std::string_view kAdvance = "ADVANCE";
  if (t.size() < kAdvance.size()) return false;
  return oem::CompareText(t.substr(0, kAdvance.size()), kAdvance) == 0;
}

// Two invoice numbers name one invoice when equal, and all advance numbers
// name one; a blank number on the invoice being summed takes in every line.
bool SameInvoice(const char (&invoice)[11], const char (&other)[11]) {
  if (records::Trimmed(invoice).empty()) return true;
  if (records::Trimmed(invoice) == records::Trimmed(other)) return true;
  return IsAdvanceNumber(invoice) && IsAdvanceNumber(other);
}

// A day number written as an invoice number: its decimal digits, stored
// NUL-ended like every number of the record (keys read the trailing NULs as
// blanks, so it sorts as the blank-padded number).
void WriteDayNumber(char (&field)[11], std::int32_t day) {
  records::SetText(field, std::to_string(day));
}

// A line's part in the period: status 'P' up to the period's end, status 'F'
// between a lower bound and the end (both included).  Other statuses (lines
// not posted yet) never take part.
bool Counts(const TagOpenInvoice& line, std::int32_t lower, std::int32_t upper) {
  const std::int32_t date = line.invoiceDate;
  if (line.status == 'P') return date <= upper;
  if (line.status == 'F') return date >= lower && date <= upper;
  return false;
}

// --- The run ------------------------------------------------------------------------

struct EndPeriodRun {
  const Ledger* ledger = nullptr;
  BtrvHandle lines = 0;
  BtrvHandle accounts = 0;
  BtrvHandle settings = 0;
  BtrvHandle headers = 0;
  QxOIHeader* oiHeader = nullptr;
  records::PeriodsRecord periods{};
  records::FiscalPeriodInfo info{};  // of the date last accepted in field 1
  std::int32_t date = 0;
  EntryDateField dateField;  // the end-of-period date's check
  bool dateAccepted = false;
};

// The period being closed: D the date entered, S and E its period's first
// and last day.
struct Period {
  std::int32_t date;
  std::int32_t start;
  std::int32_t end;
};

// One account's close, over the lines of `code`.
class AccountClose {
 public:
  AccountClose(const EndPeriodRun& run, const Period& period, const CustVendRecord& account)
      : run_(run), ledger_(*run.ledger), period_(period) {
    std::memcpy(code_, account.code, sizeof code_);
  }
  Failure OpenItem();
  Failure BalanceForward();

 private:
  struct Side {
    double amount = 0.0;
    double second = 0.0;
    double discount = 0.0;
  };

  int Seek(int op, const char* invoice, char precedence, TagOpenInvoice* line);
  int Next(TagOpenInvoice* line);
  bool OfAccount(const TagOpenInvoice& line) const;
  double OpenItemEffect(const TagOpenInvoice& line) const;
  Failure SumInvoice(const TagOpenInvoice& first, std::int64_t* totalCents);
  Failure DeleteInvoice(const char (&invoice)[11]);
  Failure SumAndDelete(Side* debit, Side* credit, bool* anyTookPart);
  Failure ApplyCredit(double* credit);
  Failure CarryForward(double net);
  Failure Delete(const TagOpenInvoice& line);
  Failure Fail(int status, int op) const { return {status, op, ledger_.lineFile}; }

  const EndPeriodRun& run_;
  const Ledger& ledger_;
  Period period_;
  char code_[11];
};

// The steps of the command, in the order it takes them (defined below the
// entry).
int CheckDate(Form* form, int field);
int CloseAccounts(Form* form, KeyCode key);
Failure CloseAccount(const EndPeriodRun& run, const Period& period, CustVendRecord* account);

}  // namespace

int RunArApEndPeriod(int commandId) {
  EndPeriodRun run;
  run.ledger = commandId == kReceivablesCommand ? &kReceivables : &kPayables;
  const Ledger& ledger = *run.ledger;

  if (!periodic::ReadPeriods(&run.periods)) return 0;

  FormDef definition;
  if (FormDefLoad(&definition, kFormDefinition) != 0) return 0;
  std::vector<TagFormField> fields = definition.fields;  // the form reads it until FormEnd
  Form form{};
  ScopeExit endForm([&] { FormEnd(&form); });

  // Nobody may post or enter open items while the period is being closed.
  FileSet files;
  const int mode = periodic::PostingOpenMode();
  if (FileSetOpen(&files, ledger.lineFile | mode, ledger.accountFile | mode, records::kFileSettings,
                  ledger.headerFile | mode) != 0) {
    return 0;
  }
  run.lines = files.HandleOf(ledger.lineFile);
  run.accounts = files.HandleOf(ledger.accountFile);
  run.settings = files.HandleOf(records::kFileSettings);
  run.headers = files.HandleOf(ledger.headerFile);
  QxOIHeader oiHeader(ledger.headerFile, run.headers, run.lines);
  if (!oiHeader.Init()) {
    MsgRecordError(oiHeader.GetResultError(), 1, kErrorOpOpen, ledger.headerFile, 0);
    return 0;
  }
  run.oiHeader = &oiHeader;

  Window window{};
  ScopeExit closeWindow([&] { WinClose(&window, 1); });
  FormBegin(&form);
  if (!periodic::FormHasFields(kFormDefinition, fields, {periodic::kDateField, periodic::kPeriodField})) return 0;
  for (TagFormField& f : fields) {
    if (f.number == periodic::kDateField) f.exitCallback = CheckDate;
  }
  if (!periodic::OpenScreen(&form, &window, &fields, definition, {5, 14, 13, 65}, GetCaption(kCaptionWindow),
                            ledger.reportId, &run)) {
    return 0;
  }
  FieldSetProtect(&form, periodic::kPeriodField, 1);
  FormOnKey(&form, kKeyF10, CloseAccounts, "Close period");

  // Today is a suggestion, checked when the user leaves the field or
  // presses F10.
  periodic::SuggestToday(&form, run.periods);

  FormRun(&form, 0);
  return 0;
}

namespace {

// Exit of field 1: the date must be valid and lie in an open period of this
// year or next; field 2 then shows its period.
int CheckDate(Form* form, int) {
  EndPeriodRun& run = *static_cast<EndPeriodRun*>(form->context);
  run.dateAccepted = periodic::TakeDate(form, run.periods, &run.dateField, &run.info, &run.date);
  return run.dateAccepted ? 0 : 0x20;
}

// F10: closes every account for the accepted date's period.  The form ends
// after it whatever the outcome.
int CloseAccounts(Form* form, KeyCode) {
  EndPeriodRun& run = *static_cast<EndPeriodRun*>(form->context);
  // The date's exit check has run before this handler (and dropped the key
  // when it refused the date).
  if (!run.dateAccepted) return 0x20;
  const Ledger& ledger = *run.ledger;
  const Period period{run.date, run.info.startDate, run.info.endDate};

  periodic::StatusBoxGuard box(
      {.width = 56, .title = ledger.statusTitle, .reportId = ledger.reportId, .fields = kStatusLines});

  Failure failure;
  BtrvSetKey(run.accounts, 0, -1);
  char key[255] = {};
  CustVendRecord account{};
  int op = kOpGetFirst;
  int status = RecordRead(ledger.accountFile, op, run.accounts, key, &account, sizeof account);
  while (status == kStatusOk) {
    char code[sizeof account.code + 1] = {};
    std::memcpy(code, account.code, sizeof account.code);
    StatusBoxRecord(0, code, 0);
    failure = CloseAccount(run, period, &account);
    if (failure.Failed()) break;
    StatusBoxMode(1);
    AppIdle();
    op = kOpGetNext;
    status = RecordRead(ledger.accountFile, op, run.accounts, key, &account, sizeof account);
  }
  if (!failure.Failed() && status != kStatusEndOfFile) failure = {status, op, ledger.accountFile};

  box.Close();
  if (failure.Failed()) {
    failure.Show();
  } else {
    CommandDone();
    MsgAsk(ledger.doneMessage, 0, nullptr, " Continue", kCaptionQuestion);
  }
  return 1;
}

// Closes one account as one transaction: its lines by its type, then its
// period figures start again (a cash account is left as it is).  A failure
// leaves the account and its lines as they were.
Failure CloseAccount(const EndPeriodRun& run, const Period& period, CustVendRecord* account) {
  if (account->IsCash()) return {};
  TagPostWork work;
  if (const int status = PostUnitBegin(&work); status != kStatusOk)
    return {status, kOpBeginTransaction, run.ledger->accountFile};
  AccountClose close(run, period, *account);
  Failure failure = account->IsBalanceForward() ? close.BalanceForward() : close.OpenItem();
  if (!failure.Failed()) {
    account->periodStartBalance = static_cast<double>(account->balance);
    account->periodDebits = 0.0;
    account->periodCredits = 0.0;
    if (const int status = BtrvWriteOp(kOpUpdate, run.accounts, nullptr, account, sizeof *account);
        status != kStatusOk) {
      failure = {status, kOpUpdate, run.ledger->accountFile};
    }
  }
  if (!failure.Failed()) {
    if (const int status = PostUnitCommit(&work); status != kStatusOk) {
      failure = {status, kOpEndTransaction, run.ledger->accountFile};
      // A failed commit is rolled back; should the transaction still be
      // open, nothing of it may reach the next account's commit.
      BtrvTransaction(kOpAbortTransaction);
    }
  }
  if (failure.Failed()) PostUnitAbandon();
  return failure;
}

// --- Reading an account's lines ---------------------------------------------------------

// Positions key 1 at the account's code, `invoice` (null: from the
// account's first line) and `precedence`, reading by `op`.
int AccountClose::Seek(int op, const char* invoice, char precedence, TagOpenInvoice* line) {
  BtrvSetKey(run_.lines, kLineKey, -1);
  char key[255] = {};
  std::memcpy(key, code_, sizeof code_);
  if (invoice != nullptr) {
    std::memcpy(key + sizeof code_, invoice, sizeof line->invoiceNumber);
    key[sizeof code_ + sizeof line->invoiceNumber] = precedence;
  }
  return RecordRead(ledger_.lineFile, op, run_.lines, key, line, sizeof *line);
}

int AccountClose::Next(TagOpenInvoice* line) {
  char key[255] = {};
  return RecordRead(ledger_.lineFile, kOpGetNext, run_.lines, key, line, sizeof *line);
}

bool AccountClose::OfAccount(const TagOpenInvoice& line) const {
  return oem::CompareText(records::Trimmed(line.code), records::Trimmed(code_)) == 0;
}

Failure AccountClose::Delete(const TagOpenInvoice& line) {
  const int status = OpenInvoiceLineDelete(run_.oiHeader, run_.headers, run_.lines, line);
  return status == kStatusOk ? Failure{} : Fail(status, kOpDelete);
}

// --- Open item ---------------------------------------------------------------------------
//
// Every invoice whose counting lines net to zero by the period's end loses
// them; the others stay as they are.

Failure AccountClose::OpenItem() {
  TagOpenInvoice line{};
  int status = Seek(kOpGetGreaterOrEqual, nullptr, 0, &line);
  for (;;) {
    // The next invoice with a line that counts.
    while (status == kStatusOk && OfAccount(line) && !Counts(line, 0, period_.end)) status = Next(&line);
    if (status == kStatusEndOfFile || (status == kStatusOk && !OfAccount(line))) return {};
    if (status != kStatusOk) return Fail(status, kOpGetNext);

    char invoice[11];
    std::memcpy(invoice, line.invoiceNumber, sizeof invoice);
    char shown[12] = {};
    std::memcpy(shown, invoice, sizeof invoice);
    StatusBoxRecord(1, shown);

    std::int64_t total = 0;
    if (Failure f = SumInvoice(line, &total); f.Failed()) return f;
    if (total == 0) {
      if (Failure f = DeleteInvoice(invoice); f.Failed()) return f;
    }
    status = Seek(kOpGetGreaterOrEqual, invoice, kPastLastPrecedence, &line);
  }
}

// What a line adds to what the account owes on its invoice.
double AccountClose::OpenItemEffect(const TagOpenInvoice& line) const {
  const double amount = line.amount;
  switch (line.lineType) {
    case 'I':
      return amount;
    case 'P':
      return -(amount + line.discount);
    default:
      return line.lineType == ledger_.creditType ? -amount : amount;
  }
}

// Sums the counting lines of `first`'s invoice from `first` on.  The walk's
// place is put back afterwards.
Failure AccountClose::SumInvoice(const TagOpenInvoice& first, std::int64_t* totalCents) {
  unsigned char place[4];
  if (const int status = BtrvPosition(kOpGetDirect, run_.lines, place); status != kStatusOk)
    return Fail(status, kOpGetDirect);
  std::int64_t total = 0;
  TagOpenInvoice line = first;
  int status = kStatusOk;
  while (status == kStatusOk && OfAccount(line) && SameInvoice(first.invoiceNumber, line.invoiceNumber)) {
    if (Counts(line, 0, period_.end)) total += Cents(OpenItemEffect(line));
    status = Next(&line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(status, kOpGetNext);
  if (status = BtrvPosition(0, run_.lines, place); status != kStatusOk) return Fail(status, kOpGetDirect);
  *totalCents = total;
  return {};
}

// Deletes every counting line of the invoice, from its first line.
Failure AccountClose::DeleteInvoice(const char (&invoice)[11]) {
  TagOpenInvoice line{};
  int op = kOpGetGreaterOrEqual;
  int status = Seek(op, invoice, kFirstPrecedence, &line);
  while (status == kStatusOk && OfAccount(line) && SameInvoice(invoice, line.invoiceNumber)) {
    if (Counts(line, 0, period_.end)) {
      if (Failure f = Delete(line); f.Failed()) return f;
    }
    op = kOpGetNext;
    status = Next(&line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(status, op);
  return {};
}

// --- Balance forward -----------------------------------------------------------------------
//
// The period's posted activity is folded into one "BALFORWARD" line: credits
// first pay off the oldest forwarded lines, and what is left (owed or in
// credit) is carried on the line of the period's date.

Failure AccountClose::BalanceForward() {
  Side debit;
  Side credit;
  bool anyTookPart = false;
  if (Failure f = SumAndDelete(&debit, &credit, &anyTookPart); f.Failed()) return f;
  if (!anyTookPart) return {};
  double remaining = credit.amount;
  if (Cents(remaining) != 0) {
    if (Failure f = ApplyCredit(&remaining); f.Failed()) return f;
  }
  const double net = FromCents(Cents(debit.amount) - Cents(remaining));
  if (Cents(net) == 0) return {};
  return CarryForward(net);
}

// Step 1: every posted line and every forwarded credit dated by the period's
// end is summed and deleted; forwarded lines of no amount go too.
Failure AccountClose::SumAndDelete(Side* debit, Side* credit, bool* anyTookPart) {
  TagOpenInvoice line{};
  int op = kOpGetGreaterOrEqual;
  int status = Seek(op, nullptr, 0, &line);
  while (status == kStatusOk && OfAccount(line)) {
    if (line.invoiceDate <= period_.end) {
      bool takesPart = line.status == 'P';
      if (line.status == 'F') {
        if (line.lineType == ledger_.creditType && Cents(line.amount) > 0) takesPart = true;
        if (line.lineType == 'I' && Cents(line.amount) < 0) {
          // A forwarded credit balance is paid in like a payment.
          line.amount = -line.amount;
          line.lineType = 'P';
          takesPart = true;
        }
      }
      if (takesPart) {
        *anyTookPart = true;
        if (line.lineType == 'P') {
          credit->amount += line.amount + line.discount;
          credit->discount += line.discount;
        } else if (line.lineType == ledger_.creditType) {
          credit->amount += line.amount;
          credit->second -= line.secondAmount;
        } else {
          debit->amount += line.amount;
          debit->second += line.secondAmount;
        }
      }
      if (takesPart || (line.status == 'F' && Cents(line.amount) == 0)) {
        if (Failure f = Delete(line); f.Failed()) return f;
      }
    }
    op = kOpGetNext;
    status = Next(&line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(status, op);
  return {};
}

// Step 2: the credit pays off forwarded lines dated by the period's end,
// first to last, until it is used up.
Failure AccountClose::ApplyCredit(double* credit) {
  TagOpenInvoice line{};
  int op = kOpGetGreaterOrEqual;
  int status = Seek(op, nullptr, 0, &line);
  while (status == kStatusOk && OfAccount(line) && Cents(*credit) != 0) {
    if (line.status == 'F' && line.invoiceDate <= period_.end) {
      if (Cents(line.amount) <= Cents(*credit)) {
        *credit = FromCents(Cents(*credit) - Cents(line.amount));
        if (Failure f = Delete(line); f.Failed()) return f;
      } else {
        const TagOpenInvoice stored = line;
        line.amount = FromCents(Cents(line.amount) - Cents(*credit));
        *credit = 0.0;
        const int written = OpenInvoiceLineRewrite(run_.oiHeader, run_.headers, run_.lines, stored, line);
        if (written != kStatusOk) return Fail(written, kOpUpdate);
        return {};
      }
    }
    op = kOpGetNext;
    status = Next(&line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(status, op);
  return {};
}

// Steps 3 and 4: `net` goes onto the period's balance-forward line, which is
// made when the period has none yet.
Failure AccountClose::CarryForward(double net) {
  TagOpenInvoice carried{};
  std::memcpy(carried.code, code_, sizeof carried.code);
  WriteDayNumber(carried.invoiceNumber, period_.date);
  carried.precedence = kFirstPrecedence;
  records::SetText(carried.reference, records::TagOpenInvoice::kBalanceForward);
  carried.lineType = 'I';
  carried.status = 'F';
  carried.precedenceCode = kFirstPrecedence;
  carried.dueDate = period_.date;
  carried.secondDate = period_.date;
  carried.invoiceDate = period_.date;
  carried.amount = net;
  carried.origin = 'B';

  // The period's balance-forward line, written by an earlier close of the
  // same period: the first forwarded line dated in the period, from the
  // period's first day written as an invoice number on.
  char fromInvoice[11];
  WriteDayNumber(fromInvoice, period_.start);
  TagOpenInvoice line{};
  int op = kOpGetGreaterOrEqual;
  int status = Seek(op, fromInvoice, 0, &line);
  while (status == kStatusOk && OfAccount(line) &&
         !(line.status == 'F' && line.invoiceDate >= period_.start && line.invoiceDate <= period_.end)) {
    op = kOpGetNext;
    status = Next(&line);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(status, op);

  if (status == kStatusOk && OfAccount(line)) {
    const std::int64_t sum = Cents(net) + Cents(line.amount);
    if (sum == 0) return Delete(line);
    carried.amount = FromCents(sum);
    carried.itemNumber = line.itemNumber;
    carried.precedenceByte = kFirstPrecedence;
    const int written = OpenInvoiceLineRewrite(run_.oiHeader, run_.headers, run_.lines, line, carried);
    return written == kStatusOk ? Failure{} : Fail(written, kOpUpdate);
  }

  // A new line, added on the item-number key; the walk's key and place are
  // put back for whoever reads on.
  const int savedKey = BtrvGetKey(run_.lines);
  unsigned char place[4];
  const bool hadPlace = BtrvPosition(kOpGetDirect, run_.lines, place) == kStatusOk;
  BtrvSetKey(run_.lines, kItemNumberKey, -1);
  const int written = RecPayTranWrite(kOpInsert, run_.settings, run_.lines, ledger_.lineFile, &carried,
                                      run_.oiHeader);
  if (savedKey >= 0) BtrvSetKey(run_.lines, savedKey, -1);
  if (hadPlace) BtrvPosition(0, run_.lines, place);
  return written == kStatusOk ? Failure{} : Fail(written, kOpInsert);
}

}  // namespace
