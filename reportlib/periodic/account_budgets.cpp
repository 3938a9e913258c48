// Account budgets: a G/L account's budget period by period for this fiscal
// year.  Saving a detail account adds the change of each period to every
// account above it in the account tree; summary accounts are only viewed.
#include "periodic/account_budgets.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "btrvc.h"
#include "periodic/periodic_frame.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_account.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "report_frame.h"

namespace {

constexpr const char* kReportId = "RSEditAcctBudget";

// The budget form, data/forms/form-361.txt.
constexpr int kFormDefinition = 361;
constexpr int kFieldCode = 1;
constexpr int kFieldName = 2;
constexpr int kFieldFirstBudget = 3;  // period p's budget is field 2 + p
constexpr int kFieldTotal = 16;
constexpr int kFieldFirstLabel = 17;    // period p's label is field 16 + p
constexpr int kFieldFirstCaption = 30;  // period p's caption is field 29 + p
constexpr int kPeriods = records::PeriodsRecord::kMaxPeriodsPerYear;

constexpr int kMsgRunningTotals = 1073;
constexpr int kMsgBadAmount = 1074;
constexpr int kMsgSummaryView = 1273;  // "Running Totals,Close"

// The largest budget the field shows whole (12 characters with 2 decimals).
constexpr double kLargestAmount = 999999999.99;
// Deeper than any account tree: a parent chain longer than this loops.
constexpr int kDeepestTree = 32;

double Cents(double value) { return NumRound(value, 2); }

struct BudgetRun {
  BtrvHandle accounts = 0;
  records::PeriodsRecord periods{};
  int n = 0;                      // periods this year
  records::GLAccount account{};   // as read when the form opened (or again after a refused save)
  bool viewOnly = false;          // a summary account
};

BudgetRun& RunOf(Form* form) { return *static_cast<BudgetRun*>(form->context); }

int BudgetField(int period) { return kFieldFirstBudget + period - 1; }

void SetAmount(Form* form, int field, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", Cents(value));
  FieldSetText(form, field, text);
  FieldRedraw(form, field);
}

// The amount in a budget field: true with it in *value (an empty field is
// 0); false when the field holds no amount or one too large to keep.
bool AmountOf(Form* form, int field, double* value) {
  const std::string text = FieldText(form, field);
  if (text.find_first_not_of(' ') == std::string::npos) {
    *value = 0.0;
    return true;
  }
  double v = 0;
  if (FieldGetTyped(form, field, 1, &v) != 1 || !std::isfinite(v) || std::fabs(v) > kLargestAmount) return false;
  *value = Cents(v);
  return true;
}

// The amounts of periods 1..n from the screen into `amounts` (index p - 1).
// False after message 1074, the cursor put on the first field that holds
// no amount.
bool AmountsFromScreen(Form* form, int n, double* amounts) {
  for (int p = 1; p <= n; ++p) {
    if (!AmountOf(form, BudgetField(p), &amounts[p - 1])) {
      MsgShow(kMsgBadAmount, 1);
      FieldSetFocus(form, BudgetField(p));
      return false;
    }
  }
  return true;
}

void ShowTotal(Form* form, const double* amounts, int n) {
  double total = 0;
  for (int p = 0; p < n; ++p) total += amounts[p];
  SetAmount(form, kFieldTotal, total);
}

void ShowBudgets(Form* form, const BudgetRun& run) {
  double amounts[kPeriods] = {};
  for (int p = 1; p <= run.n; ++p) {
    amounts[p - 1] = run.account.budget[p - 1];
    SetAmount(form, BudgetField(p), amounts[p - 1]);
  }
  ShowTotal(form, amounts, run.n);
}

// Exit of a budget field: an amount that cannot be kept is refused; the
// total follows the amounts shown.
int BudgetExit(Form* form, int field) {
  BudgetRun& run = RunOf(form);
  double value = 0;
  if (!AmountOf(form, field, &value)) {
    MsgShow(kMsgBadAmount, 1);
    return 0x20;
  }
  SetAmount(form, field, value);
  double amounts[kPeriods] = {};
  for (int p = 1; p <= run.n; ++p) {
    // A field not yet left may hold a bad amount: it counts as 0 until then.
    if (!AmountOf(form, BudgetField(p), &amounts[p - 1])) amounts[p - 1] = 0;
  }
  ShowTotal(form, amounts, run.n);
  return 0;
}

// Shows the running totals from period 1, then the plain amounts again.
void ShowRunningTotals(Form* form, const BudgetRun& run, const double* amounts) {
  double sum = 0;
  for (int p = 1; p <= run.n; ++p) {
    sum += amounts[p - 1];
    SetAmount(form, BudgetField(p), sum);
  }
  SetAmount(form, kFieldTotal, sum);
  MsgAsk(kMsgRunningTotals, 0, nullptr, " Ok ", kCaptionNotice);
  for (int p = 1; p <= run.n; ++p) SetAmount(form, BudgetField(p), amounts[p - 1]);
  ShowTotal(form, amounts, run.n);
}

// Shift+F3.
int RunningTotalsKey(Form* form, KeyCode) {
  BudgetRun& run = RunOf(form);
  double amounts[kPeriods] = {};
  if (!AmountsFromScreen(form, run.n, amounts)) return 0x20;
  ShowRunningTotals(form, run, amounts);
  return 0x20;
}

// F3: the current period's amount into it and every later period.
int FillForwardKey(Form* form, KeyCode) {
  BudgetRun& run = RunOf(form);
  const int current = FormCurrentField(form) - kFieldFirstBudget + 1;
  if (current < 1 || current > run.n) return 0x20;
  double amounts[kPeriods] = {};
  if (!AmountsFromScreen(form, current, amounts)) return 0x20;
  for (int p = current; p <= run.n; ++p) {
    amounts[p - 1] = amounts[current - 1];
    SetAmount(form, BudgetField(p), amounts[p - 1]);
  }
  // The periods after the current one were replaced; those before it stand.
  for (int p = current + 1; p <= run.n; ++p) amounts[p - 1] = amounts[current - 1];
  ShowTotal(form, amounts, run.n);
  return 0x20;
}

// Reads account `code` (get equal, with a lock when `locked`) into `a`.
int ReadAccount(BtrvHandle accounts, const char (&code)[11], bool locked, records::GLAccount* a) {
  char key[255] = {};
  const std::string c = TrimField(code);
  std::memcpy(key, c.data(), c.size());
  BtrvSetKey(accounts, 0, -1);
  return BtrvGetOp(kOpGetEqual + (locked ? kLockBias : 0), accounts, key, a, sizeof *a);
}

// Adds the changes `diff` (index p - 1) to every account above `account`,
// up to the top of the tree, inside the caller's transaction.  The chain is
// read whole first: when a parent cannot be read the chain is broken, no
// parent changes, and true is returned (the account's own budget stands).
// False when a rewrite failed (after its error box): the caller abandons the
// save.
bool AddToParents(const BudgetRun& run, const records::GLAccount& account, const double* diff) {
  if (account.level == '1') return true;
  std::vector<records::GLAccount> chain;
  records::GLAccount a = account;
  while (a.level != '1') {
    records::GLAccount parent{};
    const int status = static_cast<int>(chain.size()) >= kDeepestTree
                           ? kStatusKeyNotFound
                           : ReadAccount(run.accounts, a.parentCode, true, &parent);
    if (status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
      return true;
    }
    chain.push_back(parent);
    a = parent;
  }
  for (const records::GLAccount& link : chain) {
    records::GLAccount parent{};
    int status = ReadAccount(run.accounts, link.code, false, &parent);
    if (status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
      return false;
    }
    for (int p = 0; p < run.n; ++p) {
      if (diff[p] != 0.0) parent.budget[p] = Cents(parent.budget[p] + diff[p]);
    }
    char key[255] = {};
    status = BtrvWriteOp(kOpUpdate, run.accounts, key, &parent, sizeof parent);
    if (status != kStatusOk) {
      MsgRecordError(status, 1, kOpUpdate, records::kFileGLAccounts, 0);
      return false;
    }
  }
  return true;
}

// F10: saves the account's budget and carries the changes up the tree, as
// one record-manager transaction.  The form ends after a save; it stays,
// with the amounts typed, when the save could not be made.
int SaveKey(Form* form, KeyCode) {
  BudgetRun& run = RunOf(form);
  if (run.viewOnly) return 1;
  double amounts[kPeriods] = {};
  if (!AmountsFromScreen(form, run.n, amounts)) return 0x20;
  records::GLAccount changed = run.account;
  double diff[kPeriods] = {};
  for (int p = 0; p < run.n; ++p) {
    diff[p] = Cents(amounts[p] - run.account.budget[p]);
    changed.budget[p] = amounts[p];
  }

  std::uint32_t position = 0;
  int status = BtrvPosition(kOpGetDirect, run.accounts, &position);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetDirect, records::kFileGLAccounts, 0);
    return 0x20;
  }
  ScopeExit release([&] {
    const int s = BtrvUnlock(-2, run.accounts);
    if (s != kStatusOk) MsgRecordError(s, 1, kErrorOpUnlock, records::kFileGLAccounts, 0);
  });

  status = BtrvTransaction(kOpBeginTransaction);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpBeginTransaction, records::kFileGLAccounts, 0);
    return 0x20;
  }
  char key[255] = {};
  status = BtrvWriteOp(kOpUpdate, run.accounts, key, &changed, sizeof changed);
  if (status != kStatusOk) {
    BtrvTransaction(kOpAbortTransaction);
    MsgRecordError(status, 1, kOpUpdate, records::kFileGLAccounts, 0);
    if (status == kStatusConflict || status == kStatusDuplicateKey) {
      // Changed by another user: the account as it stands now, for a retry.
      records::GLAccount fresh{};
      if (ReadAccount(run.accounts, run.account.code, false, &fresh) == kStatusOk) run.account = fresh;
      ShowBudgets(form, run);
      FieldSetFocus(form, kFieldFirstBudget);
    }
    return 0x20;
  }
  if (!AddToParents(run, changed, diff)) {
    BtrvTransaction(kOpAbortTransaction);
    return 0x20;
  }
  status = BtrvTransaction(kOpEndTransaction);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpEndTransaction, records::kFileGLAccounts, 0);
    return 0x20;
  }
  run.account = changed;
  CommandDone();
  // Back on the account, for the search list's place.
  BtrvPosition(0, run.accounts, &position);
  return 1;
}

// Start of the budget form: the account, the periods' labels and numbers,
// the budgets; a summary account is offered for viewing only.
int StartBudgetForm(Form* form, int) {
  BudgetRun& run = RunOf(form);
  FieldSetText(form, kFieldCode, TrimField(run.account.code).c_str());
  FieldSetText(form, kFieldName, TrimField(run.account.name).c_str());
  for (int p = 1; p <= kPeriods; ++p) {
    if (p > run.n) {
      // No period of this year: its fields are out of use, its budget stays.
      for (int field : {BudgetField(p), kFieldFirstLabel + p - 1, kFieldFirstCaption + p - 1})
        FieldSetAccess(form, field, 2);
      continue;
    }
    FieldSetText(form, kFieldFirstLabel + p - 1, std::string(records::Trimmed(run.periods.entries[p - 1].label)).c_str());
    char caption[16];
    std::snprintf(caption, sizeof caption, "Period %2d", p);
    FieldSetText(form, kFieldFirstCaption + p - 1, caption);
  }
  ShowBudgets(form, run);
  FormRedraw(form);
  if (!run.viewOnly) return 0;
  for (;;) {
    int choice = 2;
    if (MsgAsk(kMsgSummaryView, 0, &choice, nullptr, kCaptionNotice) != 1) return 27;
    double amounts[kPeriods] = {};
    for (int p = 0; p < run.n; ++p) amounts[p] = run.account.budget[p];
    ShowRunningTotals(form, run, amounts);
  }
}

// The budget form of the account in run->account.
void EditBudget(BudgetRun* run) {
  FormDef definition;
  if (FormDefLoad(&definition, kFormDefinition) != 0) return;
  std::vector<TagFormField> fields = definition.fields;
  std::vector<int> required(kFieldFirstCaption + kPeriods - 1);
  std::iota(required.begin(), required.end(), 1);  // every field of the form
  if (!periodic::FormHasFields(kFormDefinition, fields, required)) return;
  for (TagFormField& f : fields) {
    if (f.number >= kFieldFirstBudget && f.number < kFieldFirstBudget + kPeriods) f.exitCallback = BudgetExit;
  }
  Form form{};
  ScopeExit endForm([&] { FormEnd(&form); });
  Window window{};
  ScopeExit closeWindow([&] { WinClose(&window, 1); });
  FormBegin(&form);
  const char* title = definition.title.empty() ? GetCaption(kCaptionWindow) : definition.title.c_str();
  if (!periodic::OpenScreen(&form, &window, &fields, definition, {2, 18, 21, 61}, title, kReportId, run)) return;
  for (int field : {kFieldCode, kFieldName, kFieldTotal}) FieldSetProtect(&form, field, 1);
  for (int p = 1; p <= kPeriods; ++p) {
    FieldSetProtect(&form, kFieldFirstLabel + p - 1, 1);
    FieldSetProtect(&form, kFieldFirstCaption + p - 1, 1);
    if (run->viewOnly) FieldSetProtect(&form, BudgetField(p), 1);
  }
  if (!run->viewOnly) {
    FormOnKey(&form, kKeyF10, SaveKey, "Save");
    FormOnKey(&form, kKeyF3, FillForwardKey, "Fill forward");
    FormOnKey(&form, kKeyShiftF3, RunningTotalsKey, "Running totals");
  }
  form.startHook = StartBudgetForm;
  FormRun(&form, 0);
}

}  // namespace

int RunEditAccountBudget() {
  BtrvHandle accounts = 0;
  if (const int status = BtrvOpen(&accounts, FilePathGet(records::kFileGLAccounts), kOpenNormal, 0);
      status != kStatusOk) {
    MsgRecordError(status, 1, kErrorOpOpen, records::kFileGLAccounts, 0);
    return 1;
  }
  ScopeExit close([&] { BtrvClose(accounts); });

  BudgetRun run;
  run.accounts = accounts;
  std::string start;
  for (;;) {
    records::GLAccount chosen{};
    if (!PickCode1050(start.c_str(), 0, accounts, &chosen, 2, 2, 18, 76, 0, 1)) return 0;
    start = TrimField(chosen.code);
    // The periods as they stand now: a failure ends the form before it opens.
    if (const int status = SettingsRecordRead(kSettingsRead, 0, sizeof run.periods, "0Periods", &run.periods);
        status != kStatusOk) {
      // SettingsRecordRead leaves a missing record to its caller.
      if (status == kStatusKeyNotFound) MsgRecordError(status, 1, kOpGetEqual, records::kFileSettings, 0);
      continue;
    }
    run.n = run.periods.periodsPerYear;
    if (run.n < 1 || run.n > kPeriods) continue;
    // The account read again, so that it is the file's current record for
    // the rewrite.
    if (const int status = ReadAccount(accounts, chosen.code, false, &run.account); status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
      continue;
    }
    run.viewOnly = run.account.IsSummary();
    EditBudget(&run);
  }
}
