// The journal frame: context, criteria, selection window, readers, the
// "Select:" lines and the account-code check.
#include "journals/journal_frame.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"
#include "report_frame.h"

namespace journals {
namespace {

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgFromAfterTo = 205;
constexpr int kMsgHeaderInUse = 551;
constexpr int kMsgClosedOrder = 1455;
constexpr int kMsgColumnNotAllowed = 1461;
constexpr int kColumnDictionaryFile = 94;
constexpr int kAssemblyQuantityColumn = 13;  // may not be chosen in the assembly journal
constexpr int kHelpTopic = 301;

// ---- Per journal ------------------------------------------------------------------------

struct JournalKind {
  int commandId;           // 0: any other journal (the cash journal)
  int headerFile;
  int windowText;          // TextLoad number of the window's title
  const char* dictTable;   // the column dictionary's table
  int tableOfFile;         // FileTableName of this file gives the data dictionary's table
  int columns[3];          // the default column of each criterion; 0 = not used
  int dateColumn;          // DefaultDateColumn
  int tranColumn;          // the transaction-number column (justified when typed)
  const char* reportId;    // what the window holds until ShowJournalForm stores the journal's
};

constexpr JournalKind kKinds[] = {
    // id   file text  table   tableOf  criteria     date tran  report id
    {302, 7, 565, "Apth", 4, {1, 9, 0}, 9, 1, "RSJrnlDefault"},     // receivables
    {303, 4, 566, "Apth", 4, {1, 9, 0}, 9, 1, "RSJrnlDefault"},     // payables
    {304, 41, 562, "Pohd", 32, {2, 32, 1}, 32, 2, "RSJrnlBiPo"},    // purchasing
    {305, 32, 561, "Inhd", 32, {2, 32, 1}, 32, 2, "RSJrnlBiPo"},    // billing
    {306, 11, 564, "Asth", 11, {1, 4, 0}, 4, 1, "RSJrnlDefault"},   // assembly
    {0, 18, 563, "Chth", 18, {2, 15, 0}, 15, 2, "RSJrnlDefault"},   // any other: cash
};

const JournalKind& KindOf(int commandId) {
  for (const JournalKind& k : kKinds)
    if (k.commandId == commandId) return k;
  return kKinds[std::size(kKinds) - 1];
}

bool IsBiPo(int commandId) { return commandId == 304 || commandId == 305; }
bool TakesComments(int commandId) { return commandId == 302 || commandId == 303 || commandId == 310; }

// ---- The selection form -----------------------------------------------------------------

constexpr char kModeChoices[] = "\x01Journal,Listing";
constexpr char kYesNo[] = "\x01Yes,No";
constexpr char kBillingKinds[] = "\x01" "All,Invoices Only,Returns Only";
constexpr char kPurchasingKinds[] = "\x01" "All,Merchandise Received Only,Returns Only";

// The selection window as the journals share it; each run copies it into its
// context before the callbacks are put in.  Attributes are help topics.
//   no. row col  mask          choices            attr  flags  label
const TagFormField kJournalFormFields[kJournalFormFieldCount] = {
    {.number = 1, .row = 1, .column = 15, .mask = "%-20sm", .choices = kModeChoices, .attributes = 293,
     .flags = 16, .label = "Print"},
    {.number = 2, .row = 3, .column = 13, .mask = "nn/nn/nn", .attributes = 293, .flags = 16,
     .label = "Date"},
    {.number = 3, .row = 4, .column = 13, .mask = "%2u", .attributes = 293, .flags = 16, .option = 1,
     .label = "Period"},
    {.number = 4, .row = 3, .column = 39, .mask = "%-10sm", .choices = kYesNo, .attributes = 1321,
     .label = "Print comments"},
    {.number = 5, .row = 6, .column = 13, .mask = "%15s", .attributes = 1, .flags = 144, .label = "Select on"},
    {.number = 6, .row = 7, .column = 12, .mask = "%-40s", .attributes = 559},
    {.number = 7, .row = 8, .column = 12, .mask = "%-40s", .attributes = 559},
    {.number = 8, .row = 9, .column = 13, .mask = "%15s", .attributes = 1, .flags = 144, .label = "And on"},
    {.number = 9, .row = 10, .column = 12, .mask = "%-40s", .attributes = 559},
    {.number = 10, .row = 11, .column = 12, .mask = "%-40s", .attributes = 559},
    {.number = 11, .row = 12, .column = 12, .mask = "%-34sm", .choices = kBillingKinds, .attributes = 560,
     .flags = 16, .label = "Include"},
    {.number = 12, .row = 12, .column = 12, .mask = "%-48sm", .choices = kPurchasingKinds, .attributes = 560,
     .flags = 16, .label = "Include"},
    {},
};

JournalContext* ContextOf(Form* form) { return static_cast<JournalContext*>(form->context); }

// Criterion n (0-based) of a range field, and its from and to fields.
int CriterionOfField(int field) { return field <= kFieldTo1 ? 0 : 1; }
int FromFieldOf(int criterion) { return criterion == 0 ? kFieldFrom1 : kFieldFrom2; }
int ToFieldOf(int criterion) { return criterion == 0 ? kFieldTo1 : kFieldTo2; }

// The criterion-3 field of the journal (0 when it has none).
int KindFieldOf(int commandId) {
  return commandId == 305 ? kFieldBillingKind : commandId == 304 ? kFieldPurchasingKind : 0;
}

std::string FieldValue(Form* form, int field) {
  char text[256] = {};
  FieldGetText(form, field, text, sizeof text);
  return text;
}

std::string Caption(const JournalColumnRecord& column) {
  char text[64];
  return JournalHeadingText(text, &column);
}

// The label of a range field: the column's heading when it fits left of the
// "From"/"To" prompt (the field's column less the prompt and two blanks);
// a longer heading is left to the column field above, which shows it whole.
void LabelRangeFields(JournalContext* c, Form* form, int criterion) {
  char heading[64];
  JournalHeadingText(heading, &c->criteria[criterion].column);
  for (const int field : {FromFieldOf(criterion), ToFieldOf(criterion)}) {
    const std::size_t room = static_cast<std::size_t>(std::max(0, c->fields[field - 1].column - 7));
    FieldSetLabel(form, field, std::strlen(heading) <= room ? heading : "");
  }
}

int ModeExit(Form* form, int) {
  JournalContext* c = ContextOf(form);
  const bool listing = FieldGetChoice(form, kFieldMode) == 2;
  const int kindField = KindFieldOf(c->commandId);
  FieldSetProtect(form, kFieldJournalDate, listing ? 1 : 0);
  for (int f = kFieldColumn1; f <= kFieldTo2; ++f) FieldSetProtect(form, f, listing ? 0 : 1);
  if (kindField) FieldSetProtect(form, kindField, listing ? 0 : 1);
  if (listing && StrIsBlank(FieldValue(form, kFieldColumn1).c_str())) {
    FieldSetText(form, kFieldColumn1, Caption(c->criteria[0].column).c_str());
    FieldSetText(form, kFieldColumn2, Caption(c->criteria[1].column).c_str());
  }
  return 0;
}

int DateExit(Form* form, int) {
  JournalContext* c = ContextOf(form);
  const std::string text = FieldValue(form, kFieldJournalDate);
  if (!DateIsValid(text.c_str())) {
    MsgShow(kMsgInvalidDate, 1);
    return 0x20;
  }
  c->journalDate = DateFromText(text.c_str());
  // The base library says why a date in no open period is refused.
  if (FiscalPeriodOfDate(kPeriodCheckOpen, c->journalDate, &c->period) != 0) return 0x20;
  c->periodNumber = c->period.period;
  FieldSetText(form, kFieldPeriod, std::to_string(c->periodNumber).c_str());
  return 0;
}

bool IsTransactionNumberColumn(const JournalContext* c, int column) {
  if (IsBiPo(c->commandId) && c->transInfoEntry && c->transInfoEntry->KeepsTypedNumbers()) return false;
  return column == KindOf(c->commandId).tranColumn;
}

bool IsDateType(int valueType) { return valueType == kDictDate || valueType == 12; }

int RangeExit(Form* form, int field) {
  JournalContext* c = ContextOf(form);
  const int n = CriterionOfField(field);
  JournalCriterion& criterion = c->criteria[n];
  char text[256] = {};
  FieldGetText(form, field, text, sizeof text);
  if (IsTransactionNumberColumn(c, criterion.column.column) && !StrIsBlank(text)) {
    StrJustify(text, 10);
    FieldSetText(form, field, text);
  }
  if (IsDateType(criterion.field.valueType) && !StrApplyMask(text, "nn/nn/nn") && !DateIsValid(text)) {
    MsgShow(kMsgInvalidDate, 1);
    return 0x20;
  }
  CriterionValueSet(&criterion.block, FieldValue(form, FromFieldOf(n)).c_str(),
                    FieldValue(form, ToFieldOf(n)).c_str());
  return 0;
}

int ColumnPick(Form* form, int field) {
  JournalContext* c = ContextOf(form);
  const int n = field == kFieldColumn1 ? 0 : 1;
  const int back = n == 0 ? kFieldMode : kFieldTo1;
  if (FormLastKey(form) == kKeyUp) {
    FieldSetFocus(form, back);
    return 0x80;
  }
  JournalCriterion& criterion = c->criteria[n];
  JournalColumnRecord picked{};
  const char* table = c->commandId == 302 ? "Arth" : c->dictTable;
  if (!JournalColumnPick(table, &picked, c->columnHandle, &criterion.column, n == 0 ? 7 : 10, 25, 8, 50))
    return 0x40;
  if (c->commandId == 306 && picked.column == kAssemblyQuantityColumn) {
    MsgShow(kMsgColumnNotAllowed, 1);
    FieldSetFocus(form, back);
    return 0x80;
  }
  if (picked.column == criterion.column.column) return 0x40;
  if (DictQueryJoin(c->dictHandle, picked.column, c->fileTable, &criterion.field) != 0) return 0x20;
  criterion.column = picked;
  CriterionInit(&criterion.block);
  CriterionFieldsSet(&criterion.block, &criterion.field);
  FieldSetText(form, field, Caption(picked).c_str());
  LabelRangeFields(c, form, n);
  FieldSetText(form, FromFieldOf(n), "");
  FieldSetText(form, ToFieldOf(n), "");
  return 0x40;
}

// F5 on a range field: a header picked from the journal's file gives the
// field its column's value.
int LookUpKey(Form* form, KeyCode) {
  JournalContext* c = ContextOf(form);
  const int field = FormCurrentField(form);
  if (field != kFieldFrom1 && field != kFieldTo1 && field != kFieldFrom2 && field != kFieldTo2) return 0x20;
  char text[256] = {};
  FieldGetText(form, field, text, sizeof text);
  int picked = 0;
  switch (c->commandId) {
    case 302:
    case 303: picked = JournalPickA(text, c->headerHandle, c->record, c->headerFileNo, 4, 2, 8, 75); break;
    case 304:
    case 305:
      picked = JournalPickD(text, c->headerHandle, c->headerFileNo, c->record, 3, 7, 15, 68);
      if (picked && static_cast<const char*>(c->record)[0] == 'O') {
        MsgShow(kMsgClosedOrder, 1);
        return 0x20;
      }
      break;
    case 306: picked = JournalPickB(text, 0, c->headerHandle, c->record, 5, 1, 10, 76); break;
    case 310: picked = JournalPickC(text, 0, c->headerHandle, c->record, 5, 1, 10, 76); break;
    default: return 0x20;
  }
  if (!picked) return 0x20;
  char value[256] = {};
  FormatDictFieldValue(value, c->record, &c->criteria[CriterionOfField(field)].field, c->commandId);
  FieldSetText(form, field, value);
  if (RangeExit(form, field) != 0) return 0x20;
  return 0x40;
}

int ReloadDefaultDateCriterion(JournalContext* c) {
  JournalCriterion& criterion = c->criteria[0];
  const int status = LoadJournalCriterionField(c, &criterion, &criterion.field, DefaultDateColumn(c));
  CriterionInit(&criterion.block);
  CriterionFieldsSet(&criterion.block, &criterion.field);
  char from[16] = {}, to[16] = {};
  DateToText(from, c->period.startDate);
  DateToText(to, c->period.endDate);
  CriterionValueSet(&criterion.block, from, to);
  return status;
}

int AcceptKey(Form* form, KeyCode) {
  JournalContext* c = ContextOf(form);
  c->journalDate = DateFromText(FieldValue(form, kFieldJournalDate).c_str());
  c->periodNumber = std::atoi(FieldValue(form, kFieldPeriod).c_str());
  c->periodKey = RecordStep446(c->journalDate, &c->periods);
  if (TakesComments(c->commandId)) c->printComments = FormYesNoGet(form, kFieldPrintComments) == 'Y';
  if (FieldGetChoice(form, kFieldMode) != 2) {
    c->selectionLines = 0;
    SetJournalKeyPath(c);
    ReloadDefaultDateCriterion(c);
    return 1;
  }
  for (int n = 0; n < 2; ++n) {
    if (!CriterionIsSet(&c->criteria[n].block)) {
      MsgShow(kMsgFromAfterTo, 1);
      FieldSetFocus(form, ToFieldOf(n));
      return 0x80;
    }
  }
  ResetJournalKeyPath(c);
  c->selectionLines = 1;
  if (const int kindField = KindFieldOf(c->commandId)) {
    const int choice = FieldGetChoice(form, kindField);
    if (choice == 2) CriterionValueSet(&c->criteria[2].block, "I", "I");
    if (choice == 3) CriterionValueSet(&c->criteria[2].block, "R", "R");
  }
  return 1;
}

int FormStart(Form* form, int) {
  JournalContext* c = ContextOf(form);
  FieldSetAccess(form, kFieldBillingKind, 2);
  FieldSetAccess(form, kFieldPurchasingKind, 2);
  FieldSetAccess(form, kFieldPrintComments, 2);
  c->journalDate = DateToday();
  FiscalPeriodOfDate(kPeriodFillOnly, c->journalDate, &c->period);
  if (TakesComments(c->commandId)) {
    FieldSetAccess(form, kFieldPrintComments, 0);
    FieldSetChoice(form, kFieldPrintComments, c->printComments ? 1 : 2);
    c->periodNumber = c->period.period;
  } else if (IsBiPo(c->commandId)) {
    // Billing and purchasing date their journal in the pending posting
    // period when there is one, else at the end of today's period.
    const std::int32_t pending = c->period.pendingDate;
    if (pending != 0) {
      c->journalDate = pending;
      c->periodNumber = c->period.pendingPeriod;
      FiscalPeriodOfDate(kPeriodFillOnly, pending, &c->period);
    } else {
      c->journalDate = c->period.endDate;
      c->periodNumber = c->period.period;
    }
    FieldSetAccess(form, KindFieldOf(c->commandId), 0);
  } else {
    c->periodNumber = c->period.period;
  }
  Window* window = FormWindow(form);
  for (const int field : {kFieldFrom1, kFieldFrom2}) WinWriteFromLabel(window, 0, field);
  for (const int field : {kFieldTo1, kFieldTo2}) WinWriteToLabel(window, 0, field);
  char text[16] = {};
  FieldSetText(form, kFieldJournalDate, DateToText(text, c->journalDate));
  FieldSetText(form, kFieldPeriod, std::to_string(c->periodNumber).c_str());
  // The mode decides which fields may be entered.
  ModeExit(form, kFieldMode);
  return 0;
}

// ---- Reading -----------------------------------------------------------------------------

const records::HeaderTraits& TraitsOf(const JournalContext* c) {
  static constexpr records::HeaderTraits kNone{0, -1, -1, 0, -1, -1, records::PrintedMark::kNone, -1, -1};
  const records::HeaderTraits* t = records::HeaderTraitsOf(c->headerFileNo);
  return t ? *t : kNone;
}

unsigned RecordLengthOf(int fileNo) {
  const records::FileDef* f = records::FindFile(fileNo);
  return f ? f->recordLength : 0;
}

bool IsClosedOrder(const JournalContext* c, const void* record) {
  return c->headerFileNo == records::kFilePurchasingHeaders && static_cast<const char*>(record)[0] == 'O';
}

// Whether a header passes the three criteria, tested on a copy shaped as
// the criteria expect: the billing and purchasing texts at 699 and 1056
// blank-padded within their 41 bytes; the assembly quantity per unit of its
// divisor.
bool PassesCriteria(const JournalContext* c, const void* record) {
  const unsigned length = RecordLengthOf(c->headerFileNo);
  std::vector<std::uint8_t> copy(static_cast<const std::uint8_t*>(record),
                                 static_cast<const std::uint8_t*>(record) + length);
  if (IsBiPo(c->commandId) && length >= sizeof(records::TagBiPoHeader)) {
    auto* h = reinterpret_cast<records::TagBiPoHeader*>(copy.data());
    records::SetPadded(h->criterionText1, records::Text(h->criterionText1));
    records::SetPadded(h->criterionText2, records::Text(h->criterionText2));
  }
  if (c->commandId == 306 && length >= sizeof(records::AssemblyHeader)) {
    auto* h = reinterpret_cast<records::AssemblyHeader*>(copy.data());
    h->quantity = NumDivide(h->quantity, h->quantityDivisor);
  }
  for (const JournalCriterion& criterion : c->criteria)
    if (!CriterionMatch(&criterion.block, copy.data())) return false;
  return !IsClosedOrder(c, record);
}

// ---- Text of a value ------------------------------------------------------------------------

// A format of the dictionary for one number: "%" flags width precision and
// one conversion of `conversions`.  Anything else (no conversion, two of
// them, a text conversion for a number) gives `fallback`.
std::string NumberFormat(const char* format, const char* conversions, const char* fallback) {
  if (format == nullptr) return fallback;
  const char* p = std::strchr(format, '%');
  if (p == nullptr) return fallback;
  std::string out = "%";
  ++p;
  while (*p && std::strchr("-+ #0", *p)) out += *p++;
  while (*p >= '0' && *p <= '9') out += *p++;
  if (*p == '.') {
    out += *p++;
    while (*p >= '0' && *p <= '9') out += *p++;
  }
  while (*p == 'l' || *p == 'h') ++p;  // the value is passed as int or double
  if (*p == '\0' || std::strchr(conversions, *p) == nullptr) return fallback;
  out += *p;
  return out;
}

}  // namespace

// ---- Context ---------------------------------------------------------------------------------

JournalContext::~JournalContext() { CloseJournalFiles(this); }

int BuildJournalContext(JournalContext* context, void* record, int commandId, BtrvHandle headerHandle) {
  CloseJournalFiles(context);
  std::destroy_at(context);
  std::construct_at(context);
  context->record = record;
  std::copy(std::begin(kJournalFormFields), std::end(kJournalFormFields), context->fields);

  int status = DictQueryInit(&context->dictHandle);
  if (status != kStatusOk) {
    context->dictHandle = 0;
    return status;
  }
  status = BtrvOpen(&context->columnHandle, FilePathGet(kColumnDictionaryFile), kOpenNormal, 0);
  if (status != kStatusOk) {
    context->columnHandle = 0;
    MsgRecordError(status, 1, kErrorOpOpen, kColumnDictionaryFile, 0);
    CloseJournalFiles(context);
    return status;
  }
  BtrvSetKey(context->columnHandle, 0, -1);
  status = BtrvOpen(&context->settingsHandle, FilePathGet(records::kFileSettings), kOpenNormal, 0);
  if (status != kStatusOk) {
    context->settingsHandle = 0;
    CloseJournalFiles(context);
    MsgRecordError(status, 1, kErrorOpOpen, records::kFileSettings, 0);
    return status;
  }
  // A company without one of these records works with zeros; the reads have
  // said what else went wrong.
  SettingsRecordRead(kSettingsRead, context->settingsHandle, sizeof context->interfaceSettings, "0Interface",
                     &context->interfaceSettings);
  SettingsRecordRead(kSettingsRead, context->settingsHandle, sizeof context->transInfo, "0TransInfo",
                     &context->transInfo);
  SettingsRecordRead(kSettingsRead, context->settingsHandle, sizeof context->periods, "0Periods",
                     &context->periods);
  context->transInfoEntry = &context->transInfo.entries[commandId == 305 ? records::TransInfoRecord::kBillingJournalEntry
                                                                         : records::TransInfoRecord::kOtherJournalEntry];
  context->commandId = commandId;
  context->headerHandle = headerHandle;

  const JournalKind& kind = KindOf(commandId);
  context->headerFileNo = kind.headerFile;
  std::snprintf(context->dictTable, sizeof context->dictTable, "%s", kind.dictTable);
  StrPad(context->dictTable, 12);
  std::snprintf(context->fileTable, sizeof context->fileTable, "%s", FileTableName(kind.tableOfFile));
  StrPad(context->fileTable, 16);

  for (int n = 0; n < kJournalCriteria; ++n) {
    JournalCriterion& criterion = context->criteria[n];
    CriterionInit(&criterion.block);
    if (kind.columns[n] == 0) continue;
    LoadJournalCriterionField(context, &criterion, &criterion.field, kind.columns[n]);
    CriterionFieldsSet(&criterion.block, &criterion.field);
  }

  TextLoad(kind.windowText, sizeof context->title, context->title);
  GetCaption(context->window.caption, kCaptionWindow);
  std::snprintf(context->window.reportId, sizeof context->window.reportId, "%s", kind.reportId);
  return WinOpen(&context->window, 2, 12, 15, 66, 1, 1, 0x20, context->title);
}

int LoadJournalCriterionField(JournalContext* context, JournalCriterion* criterion, DictFieldDef* field,
                              int column) {
  char key[255] = {};
  JournalColumnKey(key, context->dictTable, column);
  BtrvSetKey(context->columnHandle, 0, -1);
  int status = BtrvGetOp(kOpGetGreaterOrEqual, context->columnHandle, key, &criterion->column,
                         sizeof criterion->column);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetGreaterOrEqual, kColumnDictionaryFile, 0);
    return status;
  }
  if (std::memcmp(criterion->column.table, context->dictTable, sizeof criterion->column.table) != 0 ||
      criterion->column.column != column) {
    MsgRecordError(kStatusKeyNotFound, 1, kOpGetEqual, kColumnDictionaryFile, 0);
    return kStatusEndOfFile;
  }
  return DictQueryJoin(context->dictHandle, criterion->column.column, context->fileTable, field);
}

int DefaultDateColumn(const JournalContext* context) { return KindOf(context->commandId).dateColumn; }

void SetJournalKeyPath(JournalContext* context) {
  BtrvSetKey(context->headerHandle, context->headerFileNo == records::kFileCashHeaders ? 11 : 3, -1);
}

void ResetJournalKeyPath(JournalContext* context) { BtrvSetKey(context->headerHandle, 0, -1); }

void CloseJournalFiles(JournalContext* context) {
  if (context == nullptr) return;
  WinClose(&context->window, 1);
  for (BtrvHandle* h : {&context->columnHandle, &context->dictHandle, &context->settingsHandle}) {
    if (*h != 0) BtrvClose(*h);
    *h = 0;
  }
}

// ---- The selection window ----------------------------------------------------------------------

int ShowJournalForm(JournalContext* context, Form* form, const char* reportId) {
  form->context = context;
  if (!FormFieldsCreate(form, context->fields, 1)) return 27;
  std::snprintf(form->reportId, sizeof form->reportId, "%s", reportId ? reportId : "");
  std::snprintf(context->window.reportId, sizeof context->window.reportId, "%s", form->reportId);
  FormSetup(form, 1, kHelpTopic);
  FormOnKey(form, kKeyF5, LookUpKey, "Look up");
  FormOnKey(form, kKeyF10, AcceptKey, "Print");
  TagFormField* f = context->fields;
  f[kFieldMode - 1].exitCallback = ModeExit;
  f[kFieldJournalDate - 1].exitCallback = DateExit;
  f[kFieldColumn1 - 1].entryCallback = ColumnPick;
  f[kFieldColumn2 - 1].entryCallback = ColumnPick;
  for (const int range : {kFieldFrom1, kFieldTo1, kFieldFrom2, kFieldTo2}) f[range - 1].exitCallback = RangeExit;
  f[kFieldMode - 1].attributes = 1165;
  f[kFieldJournalDate - 1].attributes = 1166;
  for (const int field : {kFieldColumn1, kFieldFrom1, kFieldTo1, kFieldColumn2, kFieldFrom2, kFieldTo2})
    f[field - 1].attributes = 1167;
  for (const int field : {kFieldBillingKind, kFieldPurchasingKind})
    if (f[field - 1].number != 0) f[field - 1].attributes = 1168;
  FieldSetProtect(form, kFieldPeriod, 1);
  form->startHook = FormStart;
  form->defaultHandler = FormDefaultHandler;
  form->eventHook = StandardReportCallback;
  FormAttachWindow(&context->window, form, 1);
  FormPrepare(form);
  LabelRangeFields(context, form, 0);
  LabelRangeFields(context, form, 1);
  const int result = FormRun(form, 0);
  FormEnd(form);
  return result == 0 ? 0 : 27;
}

// ---- Readers ---------------------------------------------------------------------------------

bool JournalRecordInPeriod(JournalContext* context, const void* record) {
  const records::HeaderTraits& t = TraitsOf(context);
  if (t.periodKey < 0 || t.postedFlag < 0) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(record);
  std::int32_t key = 0;
  std::memcpy(&key, bytes + t.periodKey, sizeof key);
  if (key > context->periodKey) {
    context->ended = true;
    return false;
  }
  const char posted = static_cast<char>(bytes[t.postedFlag]);
  return key == context->periodKey && records::UnpostedForPosting(posted) && !IsClosedOrder(context, record);
}

bool ReadJournalRecord(JournalContext* context, int op, void* record) {
  if (op == kOpGetFirst || op == kOpGetGreaterOrEqual) {
    std::memset(context->key, 0, sizeof context->key);
    std::memcpy(context->key, &context->periodKey, sizeof context->periodKey);
    op = kOpGetGreaterOrEqual;
  }
  int status = BtrvGetOp(op, context->headerHandle, context->key, record, 0);
  if (status != kStatusOk) {
    if (status != kStatusEndOfFile && status != kStatusKeyNotFound)
      MsgRecordError(status, 1, op, context->headerFileNo, 0);
    context->ended = true;
    return false;
  }
  while (true) {
    if (JournalRecordInPeriod(context, record)) return true;
    if (context->ended) return false;
    status = BtrvGetOp(kOpGetNext, context->headerHandle, context->key, record, 0);
    if (status != kStatusOk) {
      if (status != kStatusEndOfFile) MsgRecordError(status, 1, kOpGetNext, context->headerFileNo, 0);
      context->ended = true;
      return false;
    }
  }
}

bool ReadSelectedJournalRecord(JournalContext* context, int op, void* record) {
  int status = BtrvGetOp(op, context->headerHandle, context->key, record, 0);
  if (status != kStatusOk) {
    if (status != kStatusEndOfFile && status != kStatusKeyNotFound)
      MsgRecordError(status, 1, op, context->headerFileNo, 0);
    context->ended = true;
    return false;
  }
  while (!PassesCriteria(context, record)) {
    status = BtrvGetOp(kOpGetNext, context->headerHandle, context->key, record, 0);
    if (status != kStatusOk) {
      if (status != kStatusEndOfFile) MsgRecordError(status, 1, kOpGetNext, context->headerFileNo, 0);
      context->ended = true;
      return false;
    }
  }
  return true;
}

bool ReadJournalHeader(JournalContext* context, int op) {
  return context->Listing() ? ReadSelectedJournalRecord(context, op, context->record)
                            : ReadJournalRecord(context, op, context->record);
}

// ---- The print walk ----------------------------------------------------------------------------

void PrintJournalWalk(JournalContext* context, TagRepInfo* report, const char* reportTitle,
                      const TagReportColumn* selectionRow, JournalPrinter* printer) {
  const bool listing = context->Listing();
  *report = TagRepInfo{};
  report->reportPage = 1;
  report->showProgress = 1;
  report->landscape = 1;
  if (!ReportOpen(report, reportTitle)) return;
  ReportRunGuard guard(report);
  ReportSelectionSet(report, selectionRow);

  bool printedAny = false, inUse = false;
  int userKey = 0;
  for (bool got = ReadJournalHeader(context, kOpGetFirst); got; got = ReadJournalHeader(context, kOpGetNext)) {
    if (ReportCheckUserBreak(report, &userKey)) return;
    if (!printedAny) {
      printer->PageHeading();
    } else if (report->lineCount >= report->pageLength) {
      ReportNewPage(report);
      printer->PageHeading();
    }
    printedAny = true;
    printer->PrintHeader();
    if (!listing) {
      const int status = printer->StampHeader();
      if (status == kStatusConflict || status == kStatusRecordInUse) {
        // Another user has the header: it stays unstamped; told once at the end.
        inUse = true;
      } else if (status != kStatusOk) {
        MsgRecordError(status, 1, kOpUpdate, context->headerFileNo, 0);
        return;
      }
    }
  }

  if (!printedAny) {
    MsgShow(kMsgNothingSelected, 1);
    guard.Discard();
    return;
  }
  printer->PrintEnd();
  guard.Close();
  CommandDone();
  if (inUse) MsgShow(kMsgHeaderInUse, 1);
}

// ---- The "Select:" lines -----------------------------------------------------------------------

void PrintJournalSelectionHeader(const JournalContext* context, TagRepInfo* report) {
  const TagRepFont kept = report->font;
  ReportBlockBegin(report, kFontHeading);
  const int lines = context->Listing() ? 2 : 1;
  for (int n = 0; n < lines; ++n) {
    const JournalCriterion& criterion = context->criteria[n];
    const std::string from = criterion.block.fromEmpty ? std::string(kRangeFirst) : criterion.block.fromText;
    std::string to = criterion.block.toEmpty ? std::string("LAST") : criterion.block.toText;
    char line[600];
    std::snprintf(line, sizeof line, "%s %s %s %s %s %s", "Select:", Caption(criterion.column).c_str(), "From:",
                  from.c_str(), "To:", to.c_str());
    ReportWriteText(report, line, -4, 1);
  }
  // Both modes take two lines, so that the headings below stand alike.
  if (!context->Listing()) ReportSkipLines(report, 1);
  ReportBlockEnd(report);
  ReportSetFont(report, &kept);
}

// ---- Values -------------------------------------------------------------------------------------

void FormatDictFieldValue(char* out, const void* record, const DictFieldDef* field, int commandId) {
  if (out == nullptr || record == nullptr || field == nullptr) return;
  constexpr std::size_t kOut = 256;
  const auto* at = static_cast<const std::uint8_t*>(record) + field->offset;
  switch (field->valueType) {
    case kDictChar:
      std::snprintf(out, kOut, "%c", at[0] ? static_cast<char>(at[0]) : ' ');
      break;
    case kDictText: {
      const auto length = static_cast<std::size_t>(std::max<std::int16_t>(field->length, 0));
      std::string text(reinterpret_cast<const char*>(at), strnlen(reinterpret_cast<const char*>(at), length));
      while (!text.empty() && text.back() == ' ') text.pop_back();
      std::snprintf(out, kOut, "%s", text.c_str());
      break;
    }
    case kDictDate:
    case 12: {
      std::int32_t day = 0;
      std::memcpy(&day, at, sizeof day);
      char text[16] = {};
      std::snprintf(out, kOut, "%s", day ? DateToText(text, day) : "");
      break;
    }
    case kDictInt32:
    case 7: {
      std::int32_t v = 0;
      std::memcpy(&v, at, sizeof v);
      std::snprintf(out, kOut, NumberFormat(field->format, "diu", "%d").c_str(), static_cast<int>(v));
      if (field->valueType == 7) StrTrim(5, out);
      break;
    }
    case kDictFloat: {
      float v = 0;
      std::memcpy(&v, at, sizeof v);
      std::snprintf(out, kOut, NumberFormat(field->format, "fFeEgG", "%g").c_str(), static_cast<double>(v));
      StrTrim(5, out);
      break;
    }
    case kDictAmount: {
      double v = 0;
      std::memcpy(&v, at, sizeof v);
      NumToText(out, v, 2);
      break;
    }
    case kDictDouble: {
      double v = 0;
      std::memcpy(&v, at, sizeof v);
      if (commandId == 306) {
        std::int16_t divisor = 0;
        std::memcpy(&divisor, static_cast<const std::uint8_t*>(record) + 67, sizeof divisor);
        v = NumDivide(v, divisor);
      }
      std::snprintf(out, kOut, NumberFormat(field->format, "fFeEgG", "%g").c_str(), v);
      StrTrim(5, out);
      break;
    }
    default: break;
  }
}

// ---- The account-code check ---------------------------------------------------------------------

bool AccountCodeMissing(const char* code, BtrvHandle accountHandle) {
  if (code == nullptr || code[0] != 'C') return false;
  CDbTblActiveAcct table(accountHandle, records::kFileGLAccounts);
  if (accountHandle == 0 && table.Open(records::kFileGLAccounts, kFileModeReadOnly, 0) != kStatusOk) return false;
  const int keptKey = table.GetDefaults();
  std::uint32_t position = 0;
  const bool placed = table.Position(kOpGetDirect, &position) == kStatusOk;
  table.OverRideDef(0, -1);
  char key[255] = {};
  std::memcpy(key, code, strnlen(code, sizeof records::GLAccount::code));
  StrPad(key, sizeof records::GLAccount::code);
  records::GLAccount account{};
  const int status = table.Read(kOpGetEqual, key, &account, sizeof account);
  if (keptKey >= 0) table.OverRideDef(keptKey, -1);
  if (placed) table.Position(0, &position);
  return status == kStatusEndOfFile || status == kStatusKeyNotFound;
}

}  // namespace journals
