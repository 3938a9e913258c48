// The purge of files: the user picks one kind of data from a list of 23,
// gives the dates (a window, or one cut-off date), the account or the date
// field that kind takes, and presses F10; the kind's files are opened, a
// status box shows the records the kind's rule (periodic/purge_rules.h)
// removes, the outcome is told, and the screen stays for another kind.
#include "periodic/purge_files.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "periodic/periodic_frame.h"
#include "periodic/purge_rules.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_account.h"
#include "qxabase/posting.h"
#include "qxabase/purge_services.h"
#include "qxabase/settings.h"
#include "qxabase/status_box.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

// The screen, data/forms/form-390.txt, in a window at row 4, column 21,
// 10 rows by 59 columns.
constexpr int kFormDefinition = 390;
constexpr periodic::ScreenPlace kScreenPlace{4, 21, 10, 59};
constexpr const char* kReportId = "RSPurgeFiles";

enum Field : int {
  kKindField = 1,
  kAccountField = 2,
  kPurgeByField = 3,
  kFirstDateField = 4,
  kSecondDateField = 5,
};

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgRequired = 21;
constexpr int kMsgAccountMissing = 69;
constexpr int kMsgFromAfterTo = 205;
constexpr int kMsgAccountNotInUse = 571;
constexpr int kMsgPurgeComplete = 1263;
constexpr int kMsgPurgeAutoComplete = 1483;
constexpr int kMsgAutoCompleteFailed = 1899;

// What a kind takes on the screen.
enum class Entry {
  kWindow,         // From (4) and To (5)
  kCutOff,         // one cut-off date (4)
  kProducts,       // the date to purge by (3) and the cut-off (5)
  kCheckRegister,  // the bank account (2) and Through (5)
  kNone,           // nothing
};

enum class Kind {
  kGeneralLedger, kReceivables, kPayables, kCash, kPurchaseOrders, kPurchasing, kBilling, kSalesAnalysis,
  kSerialNumbers, kAssembly, kCustomerHistory, kVendorHistory, kProductHistory, kCustomers, kVendors, kProducts,
  kServices, kCheckRegister, kQuotes, kAuditTrailLog, kPromotions, kAutoComplete, kEmptyNotes,
};

struct PurgeKind {
  Kind kind;
  char letter;
  const char* name;
  Entry entry;
  const char* firstLabel;   // field 4's, or field 2's or 3's where the kind takes it
  const char* secondLabel;  // field 5's
  const char* caption;      // the status box's first row
  bool extended;            // the extended progress form ("RSPURGINGFILE_EXT")
  std::array<int, 13> files; // opened for the run, in this order; 0 ends the list
};

// The kinds, in the order of the list of field 1.
constexpr PurgeKind kKinds[] = {
    {Kind::kGeneralLedger, 'G', "General Ledger", Entry::kWindow, "From", "To",
     "Purging General Ledger Transaction :", false, {27, 26, 1}},
    {Kind::kReceivables, 'R', "Receivables Ledger", Entry::kWindow, "From", "To",
     "Purging Receivables Transaction :", false, {7, 6}},
    {Kind::kPayables, 'Y', "Payables Ledger", Entry::kWindow, "From", "To", "Purging Payables Transaction :", false,
     {4, 3}},
    {Kind::kCash, 'C', "Cash", Entry::kWindow, "From", "To", "Purging Cash Transaction :", false, {18, 17}},
    {Kind::kPurchaseOrders, 'H', "Purchase Orders", Entry::kWindow, "From", "To",
     "Purging Purchasing Invoice Number :", false, {39, 38}},
    {Kind::kPurchasing, 'U', "Purchasing", Entry::kWindow, "From", "To", "Purging Purchasing Invoice Number :",
     false, {41, 40}},
    {Kind::kBilling, 'B', "Billing", Entry::kWindow, "From", "To", "Purging Billing Invoice Number :", false,
     {32, 31}},
    {Kind::kSalesAnalysis, 'L', "Sales Analysis", Entry::kWindow, "From", "To",
     "Purging Sales Analysis Invoice Number :", false, {53}},
    {Kind::kSerialNumbers, 'N', "Serial Numbers", Entry::kWindow, "From", "To", "Purging Serial Number :", false,
     {54, 55}},
    {Kind::kAssembly, 'A', "Assembly", Entry::kWindow, "From", "To", "Purging Assembly Transaction :", false,
     {11, 10}},
    {Kind::kCustomerHistory, 'T', "Customer History", Entry::kWindow, "From", "To", "Purging Customer History :",
     true, {20, 19}},
    {Kind::kVendorHistory, 'V', "Vendor History", Entry::kWindow, "From", "To", "Purging Vendor History :", true,
     {60, 59}},
    {Kind::kProductHistory, 'O', "Product History Detail", Entry::kCutOff, "Through", "",
     "Purging Activity Detail : ", true, {62, 43}},
    // The open items and the work still to post are read too: a master
    // that some of them name stays.
    {Kind::kCustomers, 'M', "Customers", Entry::kCutOff, "Last sales date", "", "Purging Customers : ", false,
     {22, 67, 5, 7, 32}},
    {Kind::kVendors, 'D', "Vendors", Entry::kCutOff, "Last purchase date", "", "Purging Vendors : ", false,
     {66, 68, 2, 4, 41, 39, 38}},
    {Kind::kProducts, 'P', "Products", Entry::kProducts, "Purge by", "Through", "Purging Products : ", false,
     {43, 8, 69, 32, 31, 41, 40, 39, 38, 11, 10, 62}},
    {Kind::kServices, 'S', "Services", Entry::kCutOff, "Last sales date", "", "Purging Services : ", false,
     {52, 70, 8, 32, 31, 41, 40, 39, 38, 11, 10}},
    // The check register and the quotes open their own files.
    {Kind::kCheckRegister, 'K', "Check Register", Entry::kCheckRegister, "Account No.", "Through",
     "Purging Check Register : ", false, {}},
    {Kind::kQuotes, 'Q', "Quotes", Entry::kWindow, "From", "To", "Purging Quotes : ", false, {}},
    {Kind::kAuditTrailLog, 'I', "Audit Trail Log", Entry::kCutOff, "To", "", "Purging Audit Trail Log : ", true,
     {75}},
    {Kind::kPromotions, 'E', "Promotional Prices", Entry::kWindow, "From", "To", "Purging Promotional Prices : ",
     true, {77, 78, 79}},
    {Kind::kAutoComplete, 'F', "AutoComplete", Entry::kNone, "", "", "", false, {}},
    {Kind::kEmptyNotes, 'E', "Empty Notes", Entry::kNone, "", "", "Purging Empty Notes :", true,
     {22, 66, 43, 52, 9}},
};
constexpr int kKindCount = static_cast<int>(std::size(kKinds));

// The choice lists of fields 1 and 3.
constexpr std::array<OptionTableEntry, kKindCount + 1> KindOptions() {
  std::array<OptionTableEntry, kKindCount + 1> table{};
  for (int i = 0; i < kKindCount; ++i) table[i] = {kKinds[i].letter, kKinds[i].name, static_cast<std::int16_t>(i)};
  return table;
}
constexpr auto kKindOptions = KindOptions();
constexpr OptionTableEntry kPurgeByOptions[] = {
    {'P', "Last Purchase Date", static_cast<std::int16_t>(ProductPurgeDate::kLastPurchase)},
    {'S', "Last Sales Date", static_cast<std::int16_t>(ProductPurgeDate::kLastSale)},
    {},
};

// The status box: the caption on its first row, the record in hand on the
// next two.
constexpr TagFormField kStatusLines[] = {
    {.number = 1, .row = 2, .column = 2, .mask = "%-40s"},
    {.number = 2, .row = 3, .column = 2, .mask = "%-40s"},
    {},
};

struct Screen {
  FileSet accounts;  // file 1, for the check register's account
  char* kindChoices = nullptr;
  char* purgeByChoices = nullptr;
};

Screen& ScreenOf(Form* form) { return *static_cast<Screen*>(form->context); }

const PurgeKind& KindOf(Form* form) {
  const int value = OptionTableValue(form, kKindOptions.data(), kKindField);
  return kKinds[value >= 0 && value < kKindCount ? value : 0];
}

int ApplyLayout(Form* form, int field);
int CheckAccount(Form* form, int field);
int CheckDate(Form* form, int field);
int PickKey(Form* form, KeyCode key);
int PurgeKey(Form* form, KeyCode key);
int StartHook(Form* form, int start);

}  // namespace

int RunPurgeFiles() {
  Screen screen;
  ScopeExit freeChoices([&] {
    MemFree(screen.kindChoices);
    MemFree(screen.purgeByChoices);
  });
  if (OptionTableLoad(kKindOptions.data(), &screen.kindChoices) != 0 ||
      OptionTableLoad(kPurgeByOptions, &screen.purgeByChoices) != 0)
    return 1;

  FormDef definition;
  if (FormDefLoad(&definition, kFormDefinition) != 0) return 0;
  std::vector<TagFormField> fields = definition.fields;  // the form reads it until FormEnd
  if (!periodic::FormHasFields(kFormDefinition, fields,
                               {kKindField, kAccountField, kPurgeByField, kFirstDateField, kSecondDateField}))
    return 0;
  for (TagFormField& f : fields) {
    switch (f.number) {
      case kKindField:
        SetChoiceFieldMask(f, screen.kindChoices);
        f.exitCallback = ApplyLayout;
        break;
      case kPurgeByField: SetChoiceFieldMask(f, screen.purgeByChoices); break;
      case kAccountField: f.exitCallback = CheckAccount; break;
      case kFirstDateField:
      case kSecondDateField: f.exitCallback = CheckDate; break;
      default: break;
    }
  }
  if (FileSetOpen(&screen.accounts, records::kFileGLAccounts) != 0) return 0;

  Form form{};
  ScopeExit endForm([&] { FormEnd(&form); });
  Window window{};
  ScopeExit closeWindow([&] { WinClose(&window, 1); });
  FormBegin(&form);
  if (!periodic::OpenScreen(&form, &window, &fields, definition, kScreenPlace, GetCaption(kCaptionWindow), kReportId,
                            &screen))
    return 0;
  FormOnKey(&form, kKeyF10, PurgeKey, "Purge");
  FormOnKey(&form, kKeyF5, PickKey, "Look up");
  form.startHook = StartHook;
  FormRun(&form, 0);
  return 0;
}

namespace {

// --- The screen ---------------------------------------------------------------------------------

// The fields of the chosen kind in use, named for it; the others out of use.
int ApplyLayout(Form* form, int) {
  const PurgeKind& k = KindOf(form);
  const bool account = k.entry == Entry::kCheckRegister;
  const bool purgeBy = k.entry == Entry::kProducts;
  const bool first = k.entry == Entry::kWindow || k.entry == Entry::kCutOff;
  const bool second = k.entry == Entry::kWindow || k.entry == Entry::kProducts || k.entry == Entry::kCheckRegister;
  const struct {
    int field;
    bool used;
    const char* label;
  } layout[] = {
      {kAccountField, account, k.firstLabel},
      {kPurgeByField, purgeBy, k.firstLabel},
      {kFirstDateField, first, k.firstLabel},
      {kSecondDateField, second, k.secondLabel},
  };
  for (const auto& l : layout) {
    FieldSetAccess(form, l.field, l.used ? 0 : 2);
    if (l.used) FieldSetLabel(form, l.field, l.label);
  }
  FormRedraw(form);
  return 0;
}

// Today's fiscal period as the window, the first kind chosen.
int StartHook(Form* form, int) {
  records::FiscalPeriodInfo period{};
  FiscalPeriodOfDate(kPeriodFillOnly, DateToday(), &period);
  char text[16] = {};
  FieldSetText(form, kFirstDateField, DateToText(text, period.startDate));
  FieldSetText(form, kSecondDateField, DateToText(text, period.endDate));
  // The choices' hot letters (two kinds share the letter E).
  if (Window* window = FormWindow(form)) {
    WinWriteRow(window, 0, kKindField, OptionTableText(kKindOptions.data()));
    WinWriteRow(window, 0, kPurgeByField, OptionTableText(kPurgeByOptions));
  }
  FieldSetChoice(form, kKindField, 1);
  FieldSetChoice(form, kPurgeByField, 1);
  ApplyLayout(form, kKindField);
  return 0;
}

// The account of the check register must be in the chart and in use.
bool TakeAccount(Form* form) {
  char code[32] = {};
  FieldGetText(form, kAccountField, code, sizeof code);
  records::GLAccount account{};
  char key[255] = {};
  std::memcpy(key, code, std::min<std::size_t>(std::strlen(code), sizeof account.code - 1));
  const BtrvHandle accounts = ScreenOf(form).accounts.HandleOf(records::kFileGLAccounts);
  const int status = BtrvGetOp(kOpGetEqual, accounts, key, &account, sizeof account);
  if (status == kStatusKeyNotFound) {
    MsgShow(kMsgAccountMissing, 1);
  } else if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
  } else if (!account.MayBeUsed()) {
    MsgShow(kMsgAccountNotInUse, 1);
  }
  return status == kStatusOk && account.MayBeUsed();
}

int CheckAccount(Form* form, int) { return TakeAccount(form) ? 0 : 0x20; }

// A date typed must be one; a field left empty is told at F10.
int CheckDate(Form* form, int field) {
  if (field == kSecondDateField && KindOf(form).entry == Entry::kProducts) return 0;
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  if (DateFromText(text) == 0 && StrApplyMask(text, "nn/nn/nn")) return 0;
  if (DateIsValid(text)) return 0;
  MsgShow(kMsgInvalidDate, 1);
  return 0x20;
}

// F5 on the account: the chart of accounts to choose from.
int PickKey(Form* form, KeyCode) {
  if (FormCurrentField(form) != kAccountField) return 0x20;
  char code[16] = {};
  FieldGetText(form, kAccountField, code, sizeof code);
  records::GLAccount account{};
  if (PickAccount(code, ScreenOf(form).accounts.HandleOf(records::kFileGLAccounts), &account, 6, 1, 10, 65) != 1)
    return 0x20;
  FieldSetText(form, kAccountField, code);
  return 0x80;
}

// What F10 read from the screen.
struct Request {
  PurgeWindow window;
  std::int32_t cutOff = 0;
  ProductPurgeDate by = ProductPurgeDate::kLastPurchase;
  std::string account;
};

// The date of field `field`: 0 after the message that says why it cannot
// be used (with the cursor on it).
std::int32_t TakeDate(Form* form, int field, bool required) {
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  const bool blank = DateFromText(text) == 0 && StrApplyMask(text, "nn/nn/nn");
  const std::int32_t day = DateIsValid(text) ? DateFromText(text) : 0;
  if (day == 0) {
    MsgShow(blank && required ? kMsgRequired : kMsgInvalidDate, 1);
    FieldSetFocus(form, field);
  }
  return day;
}

// Reads the entries of the kind: false after the message that refuses them.
bool TakeRequest(Form* form, const PurgeKind& k, Request* r) {
  switch (k.entry) {
    case Entry::kWindow:
      if ((r->window.from = TakeDate(form, kFirstDateField, false)) == 0) return false;
      if ((r->window.through = TakeDate(form, kSecondDateField, false)) == 0) return false;
      if (r->window.through < r->window.from) {
        MsgShow(kMsgFromAfterTo, 1);
        FieldSetFocus(form, kSecondDateField);
        return false;
      }
      return true;
    case Entry::kCutOff: return (r->cutOff = TakeDate(form, kFirstDateField, true)) != 0;
    case Entry::kProducts:
      r->by = static_cast<ProductPurgeDate>(OptionTableValue(form, kPurgeByOptions, kPurgeByField));
      return (r->cutOff = TakeDate(form, kSecondDateField, true)) != 0;
    case Entry::kCheckRegister:
      if ((r->cutOff = TakeDate(form, kSecondDateField, true)) == 0) return false;
      if (!TakeAccount(form)) {
        FieldSetFocus(form, kAccountField);
        return false;
      }
      r->account = FieldText(form, kAccountField);
      return true;
    case Entry::kNone: return true;
  }
  return true;
}

// --- The run --------------------------------------------------------------------------------------

// Runs the kind's rule over its open files.  kPurged, kNothingPurged, or a
// failure already shown.
int RunKind(const PurgeKind& k, const FileSet& files, const Request& r) {
  auto h = [&](int fileNo) { return files.HandleOf(fileNo); };
  using namespace records;
  PendingCodes pending;
  if (k.kind == Kind::kCustomers || k.kind == Kind::kVendors || k.kind == Kind::kProducts ||
      k.kind == Kind::kServices) {
    const PendingFiles opened{.receivables = h(kFileReceivablesHeaders),
                              .payables = h(kFilePayablesHeaders),
                              .billing = h(kFileBillingHeaders),
                              .billingLines = h(kFileBillingLines),
                              .purchasing = h(kFilePurchasingHeaders),
                              .purchasingLines = h(kFilePurchasingLines),
                              .orders = h(kFileOrderHeaders),
                              .orderLines = h(kFileOrderLines),
                              .assemblies = h(kFileAssemblyHeaders),
                              .components = h(kFileAssemblyComponents),
                              .activity = h(kFileInventoryTransactions)};
    const int masters = k.kind == Kind::kCustomers ? kFileCustomers
                        : k.kind == Kind::kVendors ? kFileVendors
                        : k.kind == Kind::kProducts ? kFileProducts
                                                    : kFileServices;
    if (const int status = GatherPendingCodes(masters, opened, &pending); status != kStatusOk) return status;
  }
  switch (k.kind) {
    case Kind::kGeneralLedger: return PurgeGLTransactions(h(kFileGLHeaders), h(kFileGLLines), r.window);
    case Kind::kReceivables:
      return PurgeRecPayTransactions(kFileReceivablesHeaders, h(kFileReceivablesHeaders),
                                     h(kFileReceivablesDetails), r.window);
    case Kind::kPayables:
      return PurgeRecPayTransactions(kFilePayablesHeaders, h(kFilePayablesHeaders), h(kFilePayablesDetails),
                                     r.window);
    case Kind::kCash: return PurgeCashTransactions(h(kFileCashHeaders), h(kFileCashLines), r.window);
    case Kind::kPurchaseOrders:
      return PurgeBiPoTransactions(kFileOrderHeaders, h(kFileOrderHeaders), h(kFileOrderLines), r.window);
    case Kind::kPurchasing:
      return PurgeBiPoTransactions(kFilePurchasingHeaders, h(kFilePurchasingHeaders), h(kFilePurchasingLines),
                                   r.window);
    case Kind::kBilling:
      return PurgeBiPoTransactions(kFileBillingHeaders, h(kFileBillingHeaders), h(kFileBillingLines), r.window);
    case Kind::kSalesAnalysis: return PurgeSalesAnalysis(h(kFileSalesHistory), r.window);
    case Kind::kSerialNumbers: return PurgeSerialNumbers(h(kFileSerialNumbers), h(kFileSerialMovements), r.window);
    case Kind::kAssembly:
      return PurgeAssemblyTransactions(h(kFileAssemblyHeaders), h(kFileAssemblyComponents), r.window);
    case Kind::kCustomerHistory:
      return PurgeCustVendHistory(kFileCustomerHistory, h(kFileCustomerHistory), h(kFileCustomerHistoryDetails),
                                  r.window);
    case Kind::kVendorHistory:
      return PurgeCustVendHistory(kFileVendorHistory, h(kFileVendorHistory), h(kFileVendorHistoryDetails),
                                  r.window);
    case Kind::kProductHistory:
      return PurgeProductHistoryDetail(kFileInventoryTransactions, h(kFileInventoryTransactions), h(kFileProducts),
                                       r.cutOff);
    case Kind::kCustomers:
      return PurgeCustVendAccounts(kFileCustomers, h(kFileCustomers), h(kFileCustomerUserData),
                                   h(kFileReceivablesOpenInvoices), pending, r.cutOff);
    case Kind::kVendors:
      return PurgeCustVendAccounts(kFileVendors, h(kFileVendors), h(kFileVendorUserData),
                                   h(kFilePayablesOpenInvoices), pending, r.cutOff);
    case Kind::kProducts:
      return PurgeProducts(kFileProducts, h(kFileProducts), h(kFileBillsOfMaterials), h(kFileProductUserData),
                           pending, r.cutOff, r.by);
    case Kind::kServices:
      return PurgeServices(kFileServices, h(kFileServices), h(kFileBillsOfMaterials), h(kFileServiceUserData),
                           pending, r.cutOff);
    case Kind::kCheckRegister: {
      CBaseCheckReg reg;
      if (!reg.Purge(r.cutOff, r.account.c_str())) {
        MsgRecordError(reg.GetResult(), 1, kOpDelete, kFileCheckRegister, 0);
        return reg.GetResult();
      }
      return reg.GetPurgeCount() > 0 ? kPurged : kNothingPurged;
    }
    case Kind::kQuotes: return PurgeQuotes(r.window);
    case Kind::kAuditTrailLog: return PurgeAuditTrailLog(kFileAuditLog, h(kFileAuditLog), r.cutOff);
    case Kind::kPromotions:
      return PurgePromotionalPrices(kFilePromotions, h(kFilePromotions), h(kFilePromotionDetails),
                                    h(kFilePromotionCustomers), r.window);
    case Kind::kEmptyNotes: {
      const int numbers[] = {kFileCustomers, kFileVendors, kFileProducts, kFileServices, kFileNotes, 0};
      BtrvHandle handles[std::size(numbers)] = {};
      for (std::size_t i = 0; numbers[i] != 0; ++i) handles[i] = h(numbers[i]);
      return PurgeEmptyNotes(handles, numbers);
    }
    case Kind::kAutoComplete: break;
  }
  return kNothingPurged;
}

// AutoComplete: asked first; every entry goes in one transaction.
int PurgeAutoComplete() {
  int choice = 1;
  if (MsgAsk(kMsgPurgeAutoComplete, 0, &choice, "Yes,No", kCaptionQuestion) != 1) return kStatusKeyNotFound;
  AutoComplete entries;
  if (!entries.Purge()) {
    MsgShow(kMsgAutoCompleteFailed, 1);
    return entries.GetResult();
  }
  return entries.GetPurgeCount() > 0 ? kPurged : kNothingPurged;
}

// Opens the kind's files, runs its rule under the status box and closes
// everything again.
int PurgeWithFiles(const PurgeKind& k, const Request& r) {
  FileSet files;
  if (k.files[0] != 0) {
    std::vector<int> list;
    const int mode = periodic::PostingOpenMode();
    for (int fileNo : k.files)
      if (fileNo != 0) list.push_back(fileNo | mode);
    list.push_back(0);
    if (FileSetOpenList(&files, list.data()) != 0) return kStatusFileNotOpen;
  }
  periodic::StatusBoxGuard box({.top = 5,
                                .left = -1,
                                .lines = 4,
                                .width = 58,
                                .titleText = k.name,
                                .reportId = k.extended ? "RSPURGINGFILE_EXT" : "RSPURGINGFILE",
                                .fields = kStatusLines});
  StatusBoxLabel(1, k.caption);
  // The removals are units of the posting services: nothing of a run that
  // stops may stay open.
  PostRunStart();
  ScopeExit finish([] { CommandFinish(); });
  return RunKind(k, files, r);
}

// F10: the purge of the chosen kind.  The screen stays for another one.
int PurgeKey(Form* form, KeyCode) {
  const PurgeKind& k = KindOf(form);
  Request request;
  if (!TakeRequest(form, k, &request)) return 0x20;
  const int result = k.kind == Kind::kAutoComplete ? PurgeAutoComplete() : PurgeWithFiles(k, request);
  if (result == kPurged) {
    CommandDone();
    MsgAsk(kMsgPurgeComplete, 0, nullptr, " Continue", kCaptionQuestion);
  }
  if (result == kNothingPurged) MsgShow(kMsgNothingSelected, 1);
  ApplyLayout(form, kKindField);
  return 0x80;
}

}  // namespace
