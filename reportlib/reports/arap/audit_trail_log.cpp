// The audit trail log (command 394): the entries of the company's audit log
// (who changed which entity, when, and how), read in the order of a sort
// field and then a rank field (date, user id or entity id), each field with
// a from/to range.  The log is read through a temporary index on the two
// fields, so a walk sorted by date or user id stops at the first entry past
// the sort range's end; entity ids are the entity type modulo 100, which the
// index does not order, so that range never ends the walk.
//
// The screen remembers its fields as "AuditTrailLog"; F10 prints to the
// preview.
#include "reports/arap/audit_trail_log.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/audit_log.h"
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "range_criteria.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/support.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RsPrintAuditLog";
constexpr const char* kReportTitle = "Audit Trail Log";
constexpr const char* kWindowTitle = "Audit Trail Log Activity";
constexpr const char* kMruKey = "AuditTrailLog";

constexpr int kFormNumber = 394;
constexpr int kWindowTop = 5, kWindowLeft = 14, kWindowRows = 14, kWindowCols = 66;

// Fields of the audit log's dictionary table that the screen offers.
constexpr int kFieldUserId = 2, kFieldDate = 3, kFieldEntityId = 5;

// Screen fields: the sort choice (1) and its pairs (date 2/3, user id 4/5,
// entity id 6/7); the rank choice (8) and its pairs (9/10, 11/12, 13/14).
constexpr int kFieldSort = 1, kFieldRank = 8;
constexpr int kFieldLast = 14;
constexpr int kMruRecords = kFieldLast + 1;  // the fields and the closing record

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgFromAfterTo = 205;
constexpr int kMsgInvalidEntityId = 2394;

constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

constexpr int kStay = 0x20;
constexpr int kRedisplay = 0x40;
constexpr int kRefocus = 0x80;

const OptionTableEntry kAuditFields[] = {
    {'D', "Date", kFieldDate}, {'U', "User Id", kFieldUserId}, {'E', "Entity Id", kFieldEntityId}, {}};

const char* CaptionOf(int fieldId) {
  switch (fieldId) {
    case kFieldDate: return "Transaction Date";
    case kFieldUserId: return "User Id";
    case kFieldEntityId: return "Entity Id";
    default: return "UNDEFINED";
  }
}

RangeKind KindOf(int fieldId) {
  switch (fieldId) {
    case kFieldDate: return RangeKind::kDate;
    case kFieldEntityId: return RangeKind::kCount;
    default: return RangeKind::kText;
  }
}

// The first field of the pair a field id opens under the choice `choiceField`.
int PairOf(int choiceField, int fieldId) {
  const int offset = fieldId == kFieldUserId ? 3 : fieldId == kFieldEntityId ? 5 : 1;
  return choiceField + offset;
}

bool IsDateField(int f) { return f == 2 || f == 3 || f == 9 || f == 10; }
bool IsUserFrom(int f) { return f == 4 || f == 11; }
bool IsUserTo(int f) { return f == 5 || f == 12; }
bool IsEntityFrom(int f) { return f == 6 || f == 13; }
bool IsEntityTo(int f) { return f == 7 || f == 14; }
// From fields are the even ones of the sort pairs and the odd ones of the rank pairs.
bool IsFromField(int f) { return f < kFieldRank ? f % 2 == 0 : f % 2 == 1; }

std::uint32_t MruKindOf(int field) {
  if (field == kFieldSort || field == kFieldRank) return kMruKindChoice;
  if (IsDateField(field)) return kMruKindDate;
  return kMruKindText;
}

const MruFieldTable<kMruRecords> kMruTable(MruKindOf);

class AuditMruParam final : public CQxRepMRUParam {};

std::string Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\0')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\0')) --e;
  return std::string(text.substr(b, e - b));
}

// An entity id as typed: its decimal value's text (leading zeros dropped);
// false when it is not a whole number of at most nine digits.
bool EntityIdText(const std::string& typed, std::string* out) {
  if (typed.empty() || typed.size() > 9) return false;
  for (char c : typed)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  *out = std::to_string(std::stol(typed));
  return true;
}

// --- The selection -------------------------------------------------------------------

struct AuditLogSelection {
  bool indexMade = false;
  BtrvHandle logHandle = 0, usersHandle = 0;
  std::int16_t fileId = records::kFileAuditLog;
  char key[255] = {};
  records::AuditLogEntry record{};
  const AuditLog* log = nullptr;
  char entityId[41] = {};
  char entityName[41] = {};
  char changeType[11] = {};
  RangeCriterion sort{};
  RangeCriterion rank{};
};

// Clears the selection and sets both criteria to the transaction date with open ends.
void AuditLogInitSelection(AuditLogSelection* selection);
// Fills `criterion` for field `fieldId` of file `fileId` from the two end
// texts (null or empty: open).  True when both ends are given and from lies
// after to; an end that is not a value of the field's kind leaves its
// converted value 0 (the screen checks the ends before).
bool SetAuditCriterion(AuditLogSelection* selection, RangeCriterion* criterion, int fileId, int fieldId,
                       const char* fromText, const char* toText);
// True when the record in selection->record passes the sort criterion and
// then the rank criterion; *pastEnd is set when the record lies beyond the
// sort criterion's to end of a field the index orders the walk by.
bool AuditRecordInRange(const AuditLogSelection* selection, int* pastEnd);

void AuditLogInitSelection(AuditLogSelection* selection) {
  *selection = AuditLogSelection{};
  SetAuditCriterion(selection, &selection->sort, records::kFileAuditLog, kFieldDate, nullptr, nullptr);
  SetAuditCriterion(selection, &selection->rank, records::kFileAuditLog, kFieldDate, nullptr, nullptr);
}

bool SetAuditCriterion(AuditLogSelection* selection, RangeCriterion* criterion, int fileId, int fieldId,
                       const char* fromText, const char* toText) {
  if (selection) selection->fileId = static_cast<std::int16_t>(fileId);
  *criterion = RangeCriterion{};
  return RangeCriterionSet(criterion, fieldId, CaptionOf(fieldId), KindOf(fieldId), fromText, toText) ==
         kRangeFromAfterTo;
}

bool MatchOne(const RangeCriterion& c, const records::AuditLogEntry& r, int* pastEnd) {
  *pastEnd = 0;
  switch (c.fieldId) {
    case kFieldUserId: return RangeMatchText(c, TrimField(r.userId), pastEnd);
    case kFieldDate: return RangeMatchDate(c, r.date, pastEnd);
    case kFieldEntityId: {
      const bool match = RangeMatchCount(c, r.entityType % 100, pastEnd);
      // The index orders entity types, not their ids: no end to the walk.
      *pastEnd = 0;
      return match;
    }
    default: return true;
  }
}

bool AuditRecordInRange(const AuditLogSelection* selection, int* pastEnd) {
  *pastEnd = 0;
  if (!MatchOne(selection->sort, selection->record, pastEnd)) return false;
  int ignored = 0;
  return MatchOne(selection->rank, selection->record, &ignored);
}

// --- The screen ----------------------------------------------------------------------

struct ScreenContext {
  AuditLogSelection* selection = nullptr;
  Form* form = nullptr;
  Window* window = nullptr;
  int sortId = kFieldDate, rankId = kFieldDate;
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

ScreenContext* CtxOf(Form* form) { return static_cast<ScreenContext*>(form->context); }

// Puts the pairs under `choiceField` out of use but the chosen field's.
void OpenPair(Form* form, int choiceField, int fieldId) {
  for (int f = choiceField + 1; f <= choiceField + 6; ++f) FieldSetAccess(form, f, kStateOutOfUse);
  const int pair = PairOf(choiceField, fieldId);
  FieldSetAccess(form, pair, kStateNormal);
  FieldSetAccess(form, pair + 1, kStateNormal);
}

int ApplyChoice(Form* form, int choiceField) {
  ScreenContext* ctx = CtxOf(form);
  const int id = OptionTableValue(form, kAuditFields, choiceField);
  (choiceField == kFieldSort ? ctx->sortId : ctx->rankId) = id;
  OpenPair(form, choiceField, id);
  return kRedisplay;
}

int AuditChoiceChosen(Form* form, int field) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  return ApplyChoice(form, field);
}

int AuditEntityExit(Form* form, int field) {
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  const std::string typed = Trim(text);
  if (!typed.empty()) {
    std::string value;
    if (!EntityIdText(typed, &value)) {
      MsgShow(kMsgInvalidEntityId, 1);
      return kStay;
    }
    FieldSetText(form, field, value.c_str());
  }
  FieldFillDefault(form, IsFromField(field) ? "FIRST" : "LAST ", field);
  return 0;
}

int AuditLogDefaults(Form* form, int start) {
  ScreenContext* ctx = CtxOf(form);
  if (start) {
    if (ctx->collection) ctx->collection->BackupAll();
    if (CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) {
      ctx->mru = new (std::nothrow) AuditMruParam;
      if (ctx->mru) {
        ctx->mru->Initialize(SharedAppBlockGet()->userName, kMruKey, kMruTable.fields);
        if (ctx->mru->LoadAllFields()) ctx->mru->StructToScreen(form);
      }
    }
  } else {
    FieldSetFocus(form, kFieldSort);
    if (ctx->collection) ctx->collection->RestoreAll();
  }
  WinWriteRow(ctx->window, 0, kFieldSort, OptionTableText(kAuditFields));
  WinWriteRow(ctx->window, 0, kFieldRank, OptionTableText(kAuditFields));
  ApplyChoice(form, kFieldSort);
  ApplyChoice(form, kFieldRank);
  // Open text ends show as such.
  for (int f = 2; f <= kFieldLast; ++f) {
    if (f == kFieldRank || IsDateField(f)) continue;
    FieldFillDefault(form, IsFromField(f) ? "FIRST" : "LAST ", f);
  }
  return start ? 0 : kRefocus;
}

int AuditStart(Form* form, int) { return AuditLogDefaults(form, 1); }
int AuditRestoreDefaults(Form* form, KeyCode) { return AuditLogDefaults(form, 0); }

// --- F5: the users of file 64 and the entity ids -----------------------------------------

// A pick list held in memory: each row a code (what goes into the field)
// and the line shown.
struct PickRows {
  std::vector<std::string> codes, lines;
};

int FetchPickRow(SearchList* list, int op, std::int64_t* bookmark, const char* text, char* line, int lineSize) {
  const PickRows* rows = static_cast<const PickRows*>(list->context);
  const auto count = static_cast<std::int64_t>(rows->codes.size());
  std::int64_t at = 0;
  switch (op) {
    case kSearchFirst: at = 0; break;
    case kSearchLast: at = count - 1; break;
    case kSearchNext: at = *bookmark + 1; break;
    case kSearchPrev: at = *bookmark - 1; break;
    case kSearchFetch: at = *bookmark; break;
    case kSearchSeek: {
      const std::string wanted = text ? Trim(text) : "";
      at = count;
      for (std::int64_t i = 0; i < count; ++i) {
        if (oem::CompareText(rows->codes[static_cast<std::size_t>(i)], wanted) >= 0) {
          at = i;
          break;
        }
      }
      break;
    }
    default: return 1;
  }
  if (at < 0 || at >= count) return 1;
  *bookmark = at;
  std::snprintf(line, static_cast<std::size_t>(lineSize), "%s", rows->lines[static_cast<std::size_t>(at)].c_str());
  return 0;
}

// The users, in code order; false after the error box when they cannot be read.
bool LoadUsers(BtrvHandle users, PickRows* rows) {
  char key[255] = {};
  records::UserRecord user{};
  for (int op = kOpGetFirst;; op = kOpGetNext) {
    const int status = BtrvGetOp(op, users, key, &user, sizeof user);
    if (status == kStatusEndOfFile) return true;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileUsers, 0);
      return false;
    }
    const std::string code = TrimField(user.userId);
    char line[80] = {};
    std::snprintf(line, sizeof line, "%-14s  %s", code.c_str(), TrimField(user.name).c_str());
    rows->codes.push_back(code);
    rows->lines.push_back(line);
  }
}

// The entity ids the log names.
void LoadEntities(const AuditLog& log, PickRows* rows) {
  for (int id = 1; id < 100; ++id) {
    char idText[41] = {}, name[41] = {};
    log.GetEntityStringNames(id, idText, name);
    if (std::strncmp(name, "Entity ", 7) == 0) continue;
    char line[96] = {};  // an id and a name of up to 40 characters each
    std::snprintf(line, sizeof line, "%3s  %s", idText, name);
    rows->codes.push_back(idText);
    rows->lines.push_back(line);
  }
}

int AuditLogPick(Form* form, KeyCode) {
  ScreenContext* ctx = CtxOf(form);
  const int field = FormCurrentField(form);
  const bool users = IsUserFrom(field) || IsUserTo(field);
  if (!users && !IsEntityFrom(field) && !IsEntityTo(field)) return kRedisplay;
  PickRows rows;
  if (users) {
    if (!LoadUsers(ctx->selection->usersHandle, &rows)) return kRedisplay;
  } else {
    LoadEntities(*ctx->selection->log, &rows);
  }
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  const std::string typed = Trim(text);
  SearchList list;
  list.top = 6;
  list.left = 20;
  list.rows = 7;
  list.cols = 25 + 20;
  list.title = users ? " Users " : " Entities ";
  list.fetch = FetchPickRow;
  list.context = &rows;
  list.initialText = typed.empty() ? nullptr : typed.c_str();
  if (SearchListRun(&list) == 0 && list.chosen >= 0 && list.chosen < static_cast<std::int64_t>(rows.codes.size()))
    FieldSetText(form, field, rows.codes[static_cast<std::size_t>(list.chosen)].c_str());
  FieldFillDefault(form, IsFromField(field) ? "FIRST" : "LAST ", field);
  FieldRedraw(form, field);
  return kRedisplay;
}

// Reads the open pair under `choiceField` into `criterion`.  0, or kRefocus
// after the message with the cursor on the pair's from field.
int ReadPair(ScreenContext* ctx, RangeCriterion* criterion, int choiceField, int fieldId) {
  Form* form = ctx->form;
  const int pair = PairOf(choiceField, fieldId);
  char from[256] = {}, to[256] = {};
  const bool fromOpen = FieldGetTyped(form, pair, 0, from) == 1;
  const bool toOpen = FieldGetTyped(form, pair + 1, 0, to) == 1;
  if (!fromOpen) FieldGetText(form, pair, from, sizeof from);
  if (!toOpen) FieldGetText(form, pair + 1, to, sizeof to);
  const bool afterTo = SetAuditCriterion(ctx->selection, criterion, records::kFileAuditLog, fieldId,
                                         fromOpen ? nullptr : from, toOpen ? nullptr : to);
  int message = afterTo ? kMsgFromAfterTo : 0;
  // An end that does not convert (a date field left half typed) is refused here too.
  if (!afterTo && fieldId == kFieldDate && ((!fromOpen && !DateIsValid(from)) || (!toOpen && !DateIsValid(to))))
    message = kMsgInvalidDate;
  if (message == 0) return 0;
  MsgShow(message, 1);
  FieldSetFocus(form, pair);
  return kRefocus;
}

int AuditLogAccept(Form* form, KeyCode) {
  ScreenContext* ctx = CtxOf(form);
  // A choice changed and left with Up or Shift+Tab has not opened its pair:
  // open it and let the user see it before anything runs.
  const int sortId = OptionTableValue(form, kAuditFields, kFieldSort);
  const int rankId = OptionTableValue(form, kAuditFields, kFieldRank);
  if (sortId != ctx->sortId || rankId != ctx->rankId) {
    const bool sortChanged = sortId != ctx->sortId;
    ApplyChoice(form, kFieldSort);
    ApplyChoice(form, kFieldRank);
    FieldSetFocus(form, sortChanged ? kFieldSort : kFieldRank);
    return kRefocus;
  }
  if (const int r = ReadPair(ctx, &ctx->selection->sort, kFieldSort, ctx->sortId)) return r;
  if (const int r = ReadPair(ctx, &ctx->selection->rank, kFieldRank, ctx->rankId)) return r;
  return 1;
}

// Everything one screen run holds, released on every way out.
struct ScreenRun {
  Form form{};
  FormDef def;
  std::vector<TagFormField> fields;
  char* choices = nullptr;
  ScreenContext ctx;
  bool begun = false;

  ~ScreenRun() {
    if (begun) FormEnd(&form);
    MemFree(choices);
    CQxBaseRepParam::ReportDefAndMRUFree(ctx.copy, ctx.collection, ctx.mru);
  }
};

// The selection screen in `window`: 0 accepted (the criteria set), 27 left
// with Esc, 1 when the screen could not be prepared.
int AuditLogScreen(AuditLogSelection* selection, Window* window) {
  ScreenRun s;
  if (FormDefLoad(&s.def, kFormNumber) != 0) return 1;
  s.fields = s.def.fields;
  if (OptionTableLoad(kAuditFields, &s.choices) != 0) return 1;
  for (TagFormField& f : s.fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldSort || n == kFieldRank) {
      f.choices = s.choices;
      f.exitCallback = AuditChoiceChosen;
    }
    if (IsDateField(n)) {
      f.exitCallback = OpenDateFieldExit;
      f.entryCallback = FieldEntryDateHook;
    }
    if (IsUserFrom(n)) f.exitCallback = RangeFieldEnter;
    if (IsUserTo(n)) f.exitCallback = RangeFieldExit;
    if (IsEntityFrom(n) || IsEntityTo(n)) f.exitCallback = AuditEntityExit;
    if (IsUserFrom(n) || IsUserTo(n) || IsEntityFrom(n) || IsEntityTo(n)) f.entryCallback = RangeFieldFocus;
  }
  FormBegin(&s.form);
  s.begun = true;
  if (!FormFieldsCreate(&s.form, s.fields.data(), 1)) return 1;
  FormDefUse(&s.form, &s.def);

  s.ctx.selection = selection;
  s.ctx.form = &s.form;
  s.ctx.window = window;
  SetUpScreenForm(&s.form, window, kReportId, &s.ctx, AuditStart);
  FormOnKey(&s.form, kKeyShiftF9, AuditRestoreDefaults, "Defaults");
  FormOnKey(&s.form, kKeyF5, AuditLogPick, "Look up");
  FormOnKey(&s.form, kKeyF10, AuditLogAccept, "Print");

  const bool cancelled = !CQxBaseRepParam::RunRemembered(s.ctx.copy, s.ctx.collection, s.ctx.mru, &s.form, kMruRecords);
  return cancelled ? 27 : 0;
}

// --- The report ----------------------------------------------------------------------

enum Column { kDate, kTime, kUser, kEntityId, kEntityName, kAction, kReference, kColumnCount };
constexpr int kColumnX[kColumnCount] = {0, 11, 22, 37, 63, 99, 110};
constexpr const char* kHeadings[kColumnCount] = {"Date",        "Time",   "User Id",  "Entity Id",
                                                 "Entity Name", "Action", "Reference"};
constexpr const char* kHeadingFormats[kColumnCount] = {"%-10s", "%-10s", "%-14s", "%-25s",
                                                       "%-35s", "%-10s", "%-26s"};

class AuditTrailRun {
 public:
  AuditTrailRun() = default;
  AuditTrailRun(const AuditTrailRun&) = delete;
  AuditTrailRun& operator=(const AuditTrailRun&) = delete;

  int Run();

 private:
  // The first entry of the walk: 0 with it read; otherwise the run ends
  // (message 197 when the log is empty, the error box on an error).
  int FirstRecord();
  void BuildLayouts();
  void Walk();
  void PrintLine();
  void PrintHeading();

  AuditLog log_;
  AuditLogSelection selection_{};
  // Released in the reverse order: the report, the index, the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  bool indexMade_ = false;
  TagRepInfo info_{};

  TagReportColumn heading_[kColumnCount + 1]{};
  TagReportColumn detail_[kColumnCount + 1]{};
  char userId_[15] = {};
  char reference_[41] = {};
  int printed_ = 0;
};

int AuditTrailRun::Run() {
  AuditLogInitSelection(&selection_);
  selection_.log = &log_;
  if (FileSetOpen(&files_, records::kFileAuditLog, records::kFileUsers) != kStatusOk) return 0;
  selection_.logHandle = files_.handle[0];
  selection_.usersHandle = files_.handle[1];
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', kWindowTitle) != 0) return 0;
  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kReportId);

  if (AuditLogScreen(&selection_, &window_) != 0) return 0;

  if (TempIndexCreate(records::kFileAuditLog, selection_.logHandle, selection_.sort.fieldId,
                      selection_.rank.fieldId, -1) != 0)
    return 0;
  selection_.indexMade = true;
  const BtrvHandle handle = selection_.logHandle;
  ScopeExit dropIndex([handle] { TempIndexDrop(records::kFileAuditLog, handle); });

  if (FirstRecord() != kStatusOk) return 0;

  SetReportDestination(static_cast<const char*>(nullptr), &info_);
  if (!ReportOpen(&info_, kReportTitle)) return 0;
  ReportRunGuard guard(&info_);
  HideSelectionWindow(&window_);
  BuildLayouts();
  Walk();
  // The report is delivered before the index, the files and the window go.
  guard.Close();
  return 0;
}

int AuditTrailRun::FirstRecord() {
  std::memset(selection_.key, 0, sizeof selection_.key);
  const int status =
      BtrvGetOp(kOpGetFirst, selection_.logHandle, selection_.key, &selection_.record, sizeof selection_.record);
  if (status == kStatusOk) return status;
  if (status == kStatusEndOfFile) MsgShow(kMsgNothingSelected, 1);
  else if (status != kStatusKeyNotFound) MsgRecordError(status, 1, kOpGetFirst, records::kFileAuditLog, 0);
  return status;
}

void AuditTrailRun::BuildLayouts() {
  for (int i = 0; i < kColumnCount; ++i)
    heading_[i] = MakeColumn(kColumnText, kHeadingFormats[i], kColumnX[i], kHeadings[i], kAlignNumber);
  detail_[kDate] = MakeColumn(kColumnDate, "%-10s", kColumnX[kDate], &selection_.record.date, kAlignLeft);
  detail_[kTime] = MakeColumn(kColumnTime, "%-10s", kColumnX[kTime], &selection_.record.time, kAlignLeft);
  detail_[kUser] = MakeColumn(kColumnText, "%14.14s", kColumnX[kUser], userId_, kAlignLeft);
  detail_[kEntityId] = MakeColumn(kColumnText, "%25.25s", kColumnX[kEntityId], selection_.entityId, kAlignLeft);
  detail_[kEntityName] =
      MakeColumn(kColumnText, "%35.35s", kColumnX[kEntityName], selection_.entityName, kAlignLeft);
  detail_[kAction] = MakeColumn(kColumnText, "%10.10s", kColumnX[kAction], selection_.changeType, kAlignLeft);
  detail_[kReference] = MakeColumn(kColumnText, "%26.26s", kColumnX[kReference], reference_, kAlignLeft);
}

void AuditTrailRun::Walk() {
  bool stopped = false, failed = false;
  int status = kStatusOk;
  int pastEnd = 0;
  while (status == kStatusOk && !pastEnd) {
    const records::AuditLogEntry& r = selection_.record;
    log_.GetEntityStringNames(r.entityType, selection_.entityId, selection_.entityName);
    log_.GetChangeType(r.changeType, selection_.changeType);
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped = true;
      break;
    }
    if (AuditRecordInRange(&selection_, &pastEnd)) PrintLine();
    if (pastEnd) break;
    status = BtrvGetOp(kOpGetNext, selection_.logHandle, selection_.key, &selection_.record,
                       sizeof selection_.record);
    if (status != kStatusOk && status != kStatusEndOfFile) {
      MsgRecordError(status, 1, kOpGetNext, records::kFileAuditLog, 0);
      failed = true;
    }
  }
  if (failed) {
    EndIncompleteReport(&info_);
  } else if (stopped) {
    ReportNewPage(&info_);
  } else if (printed_ == 0) {
    MsgShow(kMsgNothingSelected, 1);
    info_.discard = 1;
  } else {
    ReportSkipLines(&info_, 1);
    ReportNewPage(&info_);
    CommandDone();
  }
}

void AuditTrailRun::PrintLine() {
  if (printed_ == 0 || ReportPageFull(&info_, 0)) {
    if (printed_ != 0) ReportNewPage(&info_);
    PrintHeading();
  }
  const records::AuditLogEntry& r = selection_.record;
  std::snprintf(userId_, sizeof userId_, "%s", TrimField(r.userId).c_str());
  std::snprintf(reference_, sizeof reference_, "%s", TrimField(r.reference).c_str());
  ReportWriteColumns(&info_, detail_, 1);
  ++printed_;
}

void AuditTrailRun::PrintHeading() {
  const TagRepFont font = info_.font;
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, detail_, 2);
  ReportPageStart(&info_, 0, 2);
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, kReportTitle, kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportBlockBegin(&info_, kFontHeading);
  WriteSortRankLines(&info_, selection_.sort.caption, selection_.rank.caption, kReportCentred);
  ReportBlockEnd(&info_);
  ReportSkipLines(&info_, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, heading_, 1);
  ReportBlockEnd(&info_);
  ReportWriteRule(&info_, heading_, 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount + 1);
}

}  // namespace

int RunAuditTrailLog() {
  try {
    AuditTrailRun run;
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
