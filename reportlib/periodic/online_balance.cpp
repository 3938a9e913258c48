// The on-line account balance: one detail account's posted balance, the
// debits and credits still waiting for it in the journals, and the balance
// it will have once they are posted.  Nothing is written.
#include "periodic/online_balance.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "btrvc.h"
#include "periodic/periodic_frame.h"
#include "qxabase/cash_services.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_account.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace {

constexpr const char* kReportId = "RSPrintOnLineBalance";
constexpr const char* kReportTitle = "Online Balance";

// The account screen, data/forms/form-316.txt.
constexpr int kFormDefinition = 316;
constexpr int kFieldAccount = 1;
constexpr int kFieldName = 2;

// Text block 363: the places (0-6), then the report's other texts.
constexpr int kTextBlock = 363;
constexpr int kTextTotal = 7;
constexpr int kTextUnpostedNet = 8;
constexpr int kTextCurrent = 9;
constexpr int kTextOnLine = 10;
constexpr int kTextDebit = 11;
constexpr int kTextCredit = 12;
constexpr int kTextBalance = 13;
constexpr int kTextAccount = 14;
constexpr int kTextWaitingIn = 15;
constexpr int kTextCount = 16;

constexpr int kMsgNotOnFile = 69;
constexpr int kMsgNotDetail = 145;
constexpr int kMsgNotInUse = 571;

// The places where amounts wait, in the report's order; kTotal sums them.
enum Place : int {
  kCash,
  kBilling,
  kGeneralLedger,
  kReceivables,
  kPayables,
  kCheckRegisterOutstanding,  // check-register entries of kind 'O'
  kCheckRegisterService,      // ... of kind 'S'
  kTotal,
  kPlaceCount,
};

struct Waiting {
  double debit[kPlaceCount] = {};
  double credit[kPlaceCount] = {};

  void Add(Place place, bool isDebit, double amount) {
    (isDebit ? debit : credit)[place] += amount;
  }
};

double Cents(double value) { return NumRound(value, 2); }

struct BalanceRun {
  const FileSet* files = nullptr;
  const char** texts = nullptr;
  records::InterfaceRecord iface{};
  records::GLAccount account{};  // the account accepted last
  std::string code;              // its code ("" before one was accepted)

  BtrvHandle Handle(int fileNo) const { return files->HandleOf(fileNo); }
};

// --- The scans ---------------------------------------------------------------------
// Each returns 0 or the record-manager status of the failing read (shown).

int Failed(int status, int op, int fileNo) {
  MsgRecordError(status, 1, op, fileNo, 0);
  return status;
}

// Walks the records of `handle` on key `keyNo`, whose first byte is a posted
// flag, that are unposted ('N', 'n' or a zero byte): those from the first
// record up to 'N', then those flagged 'n' (which sort after 'Y').  `visit`
// gets each record whose flag is unposted.
template <class Record, class Visit>
int WalkUnposted(BtrvHandle handle, int fileNo, int keyNo, char Record::*flag, Visit visit) {
  int status = BtrvSetKey(handle, keyNo, -1);
  if (status != kStatusOk) return Failed(status, kOpGetFirst, fileNo);
  for (const char from : {'\0', 'n'}) {
    char key[255] = {};
    key[0] = from;
    Record r{};
    int op = from == '\0' ? kOpGetFirst : kOpGetGreaterOrEqual;
    for (status = BtrvGetOp(op, handle, key, &r, sizeof r); status == kStatusOk;
         status = BtrvGetOp(op, handle, key, &r, sizeof r)) {
      op = kOpGetNext;
      const char f = r.*flag;
      if (from == '\0' ? static_cast<unsigned char>(f) > 'N' : f != 'n') break;
      if (records::UnpostedForPosting(f)) visit(r);
    }
    if (status != kStatusOk && status != kStatusEndOfFile) return Failed(status, op, fileNo);
  }
  return kStatusOk;
}

// The receivables or payables account a cash transaction applied to
// invoices (distribution 'R' or 'P') moves, as the cash journal shows it:
// the customer's or vendor's own, else the company's control account.
std::string CashControlAccount(const BalanceRun& run, const records::CashHeader& h) {
  const bool receivables = h.distribution == 'R';
  char own[12] = {};
  if (CashJournalLineTest(own, &h, run.Handle(receivables ? records::kFileCustomers : records::kFileVendors)))
    return own;
  return TrimField(receivables ? run.iface.receivablesAccount : run.iface.payablesAccount);
}

// Cash: a receipt ('R') debits its bank account and a payment ('P') credits
// it; the G/L lines of a transaction paid to or from G/L accounts (paid-to
// type 'G') move their accounts the other way; one applied to receivables
// or payables moves its control account the other way by the amount and
// the discount together; the discount of a customer's transaction ('C')
// goes to the receivables discount account, that of a vendor's ('V') to
// the payables discount account.
int ScanCash(const BalanceRun& run, Waiting* w) {
  const BtrvHandle lines = run.Handle(records::kFileCashLines);
  int lineStatus = BtrvSetKey(lines, 0, -1);
  if (lineStatus != kStatusOk) return Failed(lineStatus, kOpGetEqual, records::kFileCashLines);
  const std::string receivablesDiscount = TrimField(run.iface.receivablesDiscountAccount);
  const std::string payablesDiscount = TrimField(run.iface.payablesDiscountAccount);
  const int status = WalkUnposted<records::CashHeader>(
      run.Handle(records::kFileCashHeaders), records::kFileCashHeaders, 7, &records::CashHeader::postedFlag,
      [&](const records::CashHeader& h) {
        if (h.IsDeleted() || lineStatus != kStatusOk) return;
        const bool receipt = h.side == 'R';
        if (!receipt && h.side != 'P') return;
        if (TrimField(h.bankAccount) == run.code) {
          w->Add(kCash, receipt, h.amount);
          return;
        }
        if (h.paidToType == 'G') {
          // The transaction's lines begin with its 18-byte key.
          char key[255] = {};
          std::memcpy(key, &h, 18);
          records::CashLine l{};
          int op = kOpGetGreaterOrEqual;
          for (lineStatus = BtrvGetOp(op, lines, key, &l, sizeof l);
               lineStatus == kStatusOk && std::memcmp(&l, &h, 18) == 0;
               lineStatus = BtrvGetOp(op, lines, key, &l, sizeof l)) {
            op = kOpGetNext;
            if (TrimField(l.glAccount) == run.code) w->Add(kCash, !receipt, l.amount);
          }
          if (lineStatus == kStatusEndOfFile || lineStatus == kStatusOk) {
            lineStatus = kStatusOk;
          } else {
            Failed(lineStatus, op, records::kFileCashLines);
          }
        }
        if ((h.distribution == 'R' || h.distribution == 'P') && CashControlAccount(run, h) == run.code)
          w->Add(kCash, !receipt, h.amount + h.discount);
        if (Cents(h.discount) != 0.0) {
          const bool receivables = h.paidToType == 'C' && !receivablesDiscount.empty() &&
                                   receivablesDiscount == run.code;
          const bool payables = h.paidToType == 'V' && !payablesDiscount.empty() && payablesDiscount == run.code;
          if (receivables || payables) w->Add(kCash, receipt, h.discount);
        }
      });
  return status != kStatusOk ? status : lineStatus;
}

// Billing: what an unposted invoice took in payment debits the account it
// was paid into (blank: the company's cash account, as posting takes it).
int ScanBilling(const BalanceRun& run, Waiting* w) {
  const std::string cash = TrimField(run.iface.cashAccount);
  return WalkUnposted<records::TagBiPoHeader>(
      run.Handle(records::kFileBillingHeaders), records::kFileBillingHeaders, 4, &records::TagBiPoHeader::postedFlag,
      [&](const records::TagBiPoHeader& h) {
        // An 'O' document's lines stand under its 'I' document.
        if (!h.IsUnposted() || h.typeLetter == 'O') return;
        std::string account = TrimField(h.paymentAccount);
        if (account.empty()) account = cash;
        if (account == run.code) w->Add(kBilling, true, h.amountPaid);
      });
}

// The detail lines of `detailFile` on the account (read by `accountKey`),
// each counted when its header (`counts`, asked once per transaction) is
// still to be posted.
template <class Line, class HeaderKey, class Counts>
int ScanDetails(const BalanceRun& run, int detailFile, int accountKey, Place place, HeaderKey headerKey,
                Counts counts, Waiting* w) {
  const BtrvHandle details = run.Handle(detailFile);
  int status = BtrvSetKey(details, accountKey, -1);
  if (status != kStatusOk) return Failed(status, kOpGetGreaterOrEqual, detailFile);
  char key[255] = {};
  std::memcpy(key, run.code.data(), run.code.size());
  std::map<std::string, bool> known;
  Line l{};
  int op = kOpGetGreaterOrEqual;
  for (status = BtrvGetOp(op, details, key, &l, sizeof l); status == kStatusOk && TrimField(l.account) == run.code;
       status = BtrvGetOp(op, details, key, &l, sizeof l)) {
    op = kOpGetNext;
    const std::string header = headerKey(l);
    auto it = known.find(header);
    if (it == known.end()) {
      bool c = false;
      const int s = counts(header, &c);
      if (s != kStatusOk) return s;
      it = known.emplace(header, c).first;
    }
    if (it->second) w->Add(place, l.IsDebit(), l.amount);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Failed(status, op, detailFile);
  return kStatusOk;
}

// Reads the header of key 0 `key` into `h`: 0, or 4 when there is none.
template <class Header>
int ReadHeader(BtrvHandle handle, int fileNo, const std::string& key, Header* h) {
  int status = BtrvSetKey(handle, 0, -1);
  if (status != kStatusOk) return Failed(status, kOpGetEqual, fileNo);
  char buffer[255] = {};
  std::memcpy(buffer, key.data(), std::min<std::size_t>(key.size(), sizeof buffer));
  status = BtrvGetOp(kOpGetEqual, handle, buffer, h, sizeof *h);
  if (status != kStatusOk && status != kStatusKeyNotFound) return Failed(status, kOpGetEqual, fileNo);
  return status;
}

// General ledger: lines of transactions not posted, not on hold and not
// deleted in entry.
int ScanGeneralLedger(const BalanceRun& run, Waiting* w) {
  const BtrvHandle headers = run.Handle(records::kFileGLHeaders);
  return ScanDetails<records::GLLine>(
      run, records::kFileGLLines, 2, kGeneralLedger,
      [](const records::GLLine& l) { return std::string(reinterpret_cast<const char*>(&l), 18); },
      [&](const std::string& key, bool* counts) {
        records::TagGLHeader h{};
        const int status = ReadHeader(headers, records::kFileGLHeaders, key, &h);
        if (status == kStatusKeyNotFound) return static_cast<int>(kStatusOk);  // a line without its transaction
        if (status != kStatusOk) return status;
        *counts = h.postedFlag != 'Y' && !h.IsOnHold() && !h.IsDeleted();
        return static_cast<int>(kStatusOk);
      },
      w);
}

// Receivables or payables: detail lines of transactions not posted and not
// deleted in entry.
int ScanRecPay(const BalanceRun& run, int detailFile, int headerFile, Place place, Waiting* w) {
  const BtrvHandle headers = run.Handle(headerFile);
  return ScanDetails<records::RecPayDetail>(
      run, detailFile, 1, place,
      [](const records::RecPayDetail& l) { return std::string(records::Text(l.transactionNumber)); },
      [&](const std::string& key, bool* counts) {
        records::TagRecPayHeader h{};
        const int status = ReadHeader(headers, headerFile, key, &h);
        if (status == kStatusKeyNotFound) return static_cast<int>(kStatusOk);
        if (status != kStatusOk) return status;
        *counts = h.postedFlag != 'Y' && !h.IsDeleted();
        return static_cast<int>(kStatusOk);
      },
      w);
}

// Check register: the account's open entries of kinds 'O' and 'S'; a void
// entry ('V') does not count.
int ScanCheckRegister(const BalanceRun& run, Waiting* w) {
  const BtrvHandle handle = run.Handle(records::kFileCheckRegister);
  int status = BtrvSetKey(handle, 3, -1);
  if (status != kStatusOk) return Failed(status, kOpGetGreaterOrEqual, records::kFileCheckRegister);
  char key[255] = {};
  std::memcpy(key, run.code.data(), run.code.size());
  records::TagCheckRegister c{};
  int op = kOpGetGreaterOrEqual;
  for (status = BtrvGetOp(op, handle, key, &c, sizeof c); status == kStatusOk && TrimField(c.bankAccount) == run.code;
       status = BtrvGetOp(op, handle, key, &c, sizeof c)) {
    op = kOpGetNext;
    if (!c.IsOpen() || c.entrySide == 'V') continue;
    if (c.kind == 'O') w->Add(kCheckRegisterOutstanding, c.entrySide == 'D', c.amount);
    if (c.kind == 'S') w->Add(kCheckRegisterService, c.entrySide == 'D', c.amount);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Failed(status, op, records::kFileCheckRegister);
  return kStatusOk;
}

// Every place in the report's order, then the totals.  Returns 0 or the
// first failure's status.
int GatherWaiting(const BalanceRun& run, Waiting* w) {
  int status = ScanCash(run, w);
  if (status == kStatusOk) status = ScanBilling(run, w);
  if (status == kStatusOk) status = ScanGeneralLedger(run, w);
  if (status == kStatusOk)
    status = ScanRecPay(run, records::kFileReceivablesDetails, records::kFileReceivablesHeaders, kReceivables, w);
  if (status == kStatusOk)
    status = ScanRecPay(run, records::kFilePayablesDetails, records::kFilePayablesHeaders, kPayables, w);
  if (status == kStatusOk) status = ScanCheckRegister(run, w);
  if (status != kStatusOk) return status;
  for (int i = 0; i < kTotal; ++i) {
    w->debit[i] = Cents(w->debit[i]);
    w->credit[i] = Cents(w->credit[i]);
    w->debit[kTotal] += w->debit[i];
    w->credit[kTotal] += w->credit[i];
  }
  w->debit[kTotal] = Cents(w->debit[kTotal]);
  w->credit[kTotal] = Cents(w->credit[kTotal]);
  return kStatusOk;
}

// --- The report ----------------------------------------------------------------------

constexpr int kDebitColumn = 32;
constexpr int kCreditColumn = 47;
constexpr int kBalanceColumn = 62;
constexpr int kAmountWidth = 14;

void WriteAt(TagRepInfo* info, int x, const std::string& text) { ReportWriteText(info, text.c_str(), x, 0); }

std::string Amount(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%*.2f", kAmountWidth, Cents(value) == 0.0 ? 0.0 : value);
  return text;
}

void PrintBalance(const BalanceRun& run, const Waiting& w) {
  const char** t = run.texts;
  TagRepInfo info{};
  if (SetReportDestination("", &info) != 0) return;
  if (!ReportOpen(&info, kReportTitle)) return;
  ReportRunGuard guard(&info);
  ReportPageStart(&info, 0, 1);
  ReportWriteText(&info, kReportTitle, kReportCentred, 1);
  const std::string heading =
      std::string(t[kTextAccount]) + " " + run.code + "  " + TrimField(run.account.name);
  ReportWriteText(&info, heading.c_str(), kReportCentred, 2);

  WriteAt(&info, 0, t[kTextWaitingIn]);
  WriteAt(&info, kDebitColumn + kAmountWidth - static_cast<int>(std::strlen(t[kTextDebit])), t[kTextDebit]);
  WriteAt(&info, kCreditColumn + kAmountWidth - static_cast<int>(std::strlen(t[kTextCredit])), t[kTextCredit]);
  WriteAt(&info, kBalanceColumn + kAmountWidth - static_cast<int>(std::strlen(t[kTextBalance])),
          t[kTextBalance]);
  ReportSkipLines(&info, 1);
  for (int place = 0; place < kTotal; ++place) {
    const bool checkRegister = place == kCheckRegisterOutstanding || place == kCheckRegisterService;
    if (checkRegister && w.debit[place] == 0.0 && w.credit[place] == 0.0) continue;
    WriteAt(&info, 2, t[place]);
    WriteAt(&info, kDebitColumn, Amount(w.debit[place]));
    WriteAt(&info, kCreditColumn, Amount(w.credit[place]));
    ReportSkipLines(&info, 1);
  }
  WriteAt(&info, kDebitColumn, std::string(kAmountWidth, '-'));
  WriteAt(&info, kCreditColumn, std::string(kAmountWidth, '-'));
  ReportSkipLines(&info, 1);
  WriteAt(&info, 0, t[kTextTotal]);
  WriteAt(&info, kDebitColumn, Amount(w.debit[kTotal]));
  WriteAt(&info, kCreditColumn, Amount(w.credit[kTotal]));
  ReportSkipLines(&info, 2);

  // Unposted amounts count in the account's natural sign.
  const double net = run.account.IsDebitBalanceKind() ? w.debit[kTotal] - w.credit[kTotal]
                                                       : w.credit[kTotal] - w.debit[kTotal];
  const double current = run.account.currentBalance;
  const struct {
    int text;
    double value;
  } summary[] = {{kTextUnpostedNet, net}, {kTextCurrent, current}, {kTextOnLine, Cents(net + current)}};
  for (const auto& row : summary) {
    WriteAt(&info, 0, t[row.text]);
    WriteAt(&info, kBalanceColumn, Amount(row.value));
    ReportSkipLines(&info, 1);
  }
  guard.Close();
}

// --- The screen --------------------------------------------------------------------

BalanceRun& RunOf(Form* form) { return *static_cast<BalanceRun*>(form->context); }

// Reads account `code`; it must be a detail account in use.  Returns true
// with the record in `account`; false after the message that says why.
bool ReadAccount(const BalanceRun& run, const std::string& code, records::GLAccount* account) {
  if (code.empty() || code.size() > 10) {
    MsgShow(kMsgNotOnFile, 1);
    return false;
  }
  CDbTable table(run.Handle(records::kFileGLAccounts), records::kFileGLAccounts);
  table.OverRideDef(0, 0);
  char key[255] = {};
  std::memcpy(key, code.data(), code.size());
  const int status = table.Read(kOpGetEqual, key, account, sizeof *account);
  if (status == kStatusKeyNotFound) {
    MsgShow(kMsgNotOnFile, 1);
    return false;
  }
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
    return false;
  }
  if (!account->IsDetail()) {
    MsgShow(kMsgNotDetail, 1);
    return false;
  }
  if (!account->MayBeUsed()) {
    MsgShow(kMsgNotInUse, 1);
    return false;
  }
  return true;
}

// Takes the account in field 1 when it may be used (its name shown);
// otherwise the code accepted before goes back into the field.
bool AcceptAccount(Form* form) {
  BalanceRun& run = RunOf(form);
  const std::string code = TrimText(FieldText(form, kFieldAccount));
  records::GLAccount account{};
  if (!ReadAccount(run, code, &account)) {
    FieldSetText(form, kFieldAccount, run.code.c_str());
    FieldRedraw(form, kFieldAccount);
    return false;
  }
  run.account = account;
  run.code = TrimField(account.code);
  FieldSetText(form, kFieldAccount, run.code.c_str());
  FieldSetText(form, kFieldName, TrimField(account.name).c_str());
  FieldRedraw(form, kFieldAccount);
  FieldRedraw(form, kFieldName);
  return true;
}

int CheckAccount(Form* form, int) { return AcceptAccount(form) ? 0 : 0x20; }

// F5: the account list; a chosen account is shown and checked.
int PickBalanceAccount(Form* form, KeyCode) {
  BalanceRun& run = RunOf(form);
  char code[32] = "";
  FieldGetText(form, kFieldAccount, code, sizeof code);
  records::GLAccount chosen{};
  if (!PickAccount(code, run.Handle(records::kFileGLAccounts), &chosen, 4, 31, 8, 45, 0)) return 0x20;
  FieldSetText(form, kFieldAccount, code);
  AcceptAccount(form);
  return 0x20;
}

// F10: prints the account's balance.  The screen stays for another account.
int PrintForAccount(Form* form, KeyCode) {
  BalanceRun& run = RunOf(form);
  // The field's exit check has run before this handler; a code never
  // accepted prints nothing.
  if (run.code.empty()) {
    MsgShow(kMsgNotOnFile, 1);
    return 0x20;
  }
  // The account again: its balance as it stands now.
  records::GLAccount account{};
  if (!ReadAccount(run, run.code, &account)) return 0x20;
  run.account = account;
  Waiting w;
  if (GatherWaiting(run, &w) != kStatusOk) return 0x20;
  PrintBalance(run, w);
  CommandDone();
  return 0x20;
}

}  // namespace

int RunOnLineBalance() {
  const char* texts[kTextCount] = {};
  if (ScreenTextLoad(kTextBlock, texts, kTextCount) != 0) return 1;
  ScopeExit freeTexts([&] { ScreenTextFree(texts); });

  FormDef definition;
  if (FormDefLoad(&definition, kFormDefinition) != 0) return 1;
  std::vector<TagFormField> fields = definition.fields;
  Form form{};
  ScopeExit endForm([&] { FormEnd(&form); });

  // Read only: the balance changes nothing, and others may keep working.
  FileSet files;
  if (FileSetOpen(&files, records::kFileCashHeaders, records::kFileCashLines, records::kFileBillingHeaders,
                  records::kFileGLHeaders, records::kFileGLLines, records::kFileReceivablesHeaders,
                  records::kFileReceivablesDetails, records::kFilePayablesHeaders, records::kFilePayablesDetails,
                  records::kFileGLAccounts, records::kFileCheckRegister, records::kFileCustomers,
                  records::kFileVendors) != 0) {
    return 1;
  }
  BalanceRun run;
  run.files = &files;
  run.texts = texts;
  SettingsRecordRead(kSettingsRead, 0, sizeof run.iface, "0Interface", &run.iface);

  Window window{};
  ScopeExit closeWindow([&] { WinClose(&window, 1); });
  FormBegin(&form);
  if (!periodic::FormHasFields(kFormDefinition, fields, {kFieldAccount, kFieldName})) return 1;
  for (TagFormField& f : fields) {
    if (f.number == kFieldAccount) f.exitCallback = CheckAccount;
  }
  if (!periodic::OpenScreen(&form, &window, &fields, definition, {10, 15, 12, 66}, GetCaption(kCaptionWindow),
                            kReportId, &run)) {
    return 1;
  }
  FieldSetProtect(&form, kFieldName, 1);
  FormOnKey(&form, kKeyF5, PickBalanceAccount, "Look up");
  FormOnKey(&form, kKeyF10, PrintForAccount, "Print");
  FormKeyRemove(&form, kKeyF2);

  // The company's cash account to start with, when it has one.
  const std::string cash = TrimField(run.iface.cashAccount);
  if (!cash.empty()) {
    FieldSetText(&form, kFieldAccount, cash.c_str());
    AcceptAccount(&form);
  }
  FormRedraw(&form);
  FormRun(&form, 0);
  return 0;
}
