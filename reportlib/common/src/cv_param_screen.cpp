// The customer/vendor selection screen.
#include "cv_param_screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "aging_schedule.h"
#include "cv_params.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_lists.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "ravadodo.h"
#include "selection_fields.h"

namespace {

constexpr int kFormAging = 383;
constexpr int kFormDirectory = 384;
constexpr int kFormOther = 92;

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgFromAfterTo = 205;

// Fields.
constexpr int kFieldSort = 1;
constexpr int kFieldRank = 14;
constexpr int kFieldFirstOption = 27;  // 27-58: out of use unless the report opens them
constexpr int kFieldAgingDate = 30;
constexpr int kFieldType = 31;
constexpr int kFieldAgedBy = 32;
constexpr int kFieldFullyPaid = 33;
constexpr int kFieldConsolidate = 34;
constexpr int kFieldDaysPast = 35;
constexpr int kFieldDaysFrom = 36;
constexpr int kFieldDaysTo = 37;
constexpr int kFieldLast = 58;
constexpr int kRecords = 59;  // remembered fields 1-58 and the closing record

constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

// Choice lists (the byte 1, then the entries).
constexpr const char* kChoicesType = "\x01" "Detail,Summary,Audit";
constexpr const char* kChoicesAgedBy = "\x01" "Due Date,Invoice Date";
constexpr const char* kChoicesNoYes = "\x01" "No,Yes";
constexpr const char* kChoicesYesNo = "\x01" "Yes,No";

// The remembered fields: kind 8 choices, 16 numbers, 2 dates, 0 texts.
std::uint32_t MruKindOf(int field) {
  switch (field) {
    case 1: case 14: case 28: case 29: case 31: case 32: case 33: case 34: case 35:
      return kMruKindChoice;
    case 19: case 20: case 23: case 24: case 27: case 36: case 37:
      return kMruKindNumber;
    case 21: case 22: case 30:
      return kMruKindDate;
    default:
      return kMruKindText;
  }
}

const MruFieldTable<kRecords> kMruTable(MruKindOf);

const char* MruKeyOf(int menuId) {
  switch (menuId) {
    case kMenuCustomerAging: return "CustAging";
    case kMenuVendorAging: return "VendAging";
    case kMenuCustomerDirectory: return "CustDirectory";
    case kMenuVendorDirectory: return "VendDirectory";
    default: return nullptr;
  }
}

// The screen's own remembered-parameter class.
class CustVendMruSubclass final : public CQxRepMRUParam {};

bool IsAging(int menuId) { return menuId == kMenuCustomerAging || menuId == kMenuVendorAging; }

// What the callbacks share: one per screen run.
struct CustVendScreenCtx {
  CustVendReportParams* params = nullptr;
  CustVendReportParams defaults{};  // the run's defaults, for Shift+F9
  const OptionTableEntry* sortTable = nullptr;
  const OptionTableEntry* rankTable = nullptr;
  int sortId = kCvFieldCode;
  int sortPair = 2;  // the first field of the open sort pair; 0 when none is open
  int rankId = kCvFieldCode;
  int rankPair = 15;
  records::AgingSchedule schedule{};  // the screen's working copy
  AgingDaysShown scheduleShown;       // its day fields as shown
  Window* window = nullptr;
  Form* form = nullptr;
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

CustVendScreenCtx* CtxOf(Form* form) { return static_cast<CustVendScreenCtx*>(form->context); }

// The first field of the pair that a field id opens, 0 for none.
int SortPairOf(int id) {
  switch (id) {
    case kCvFieldCode: return 2;
    case kCvFieldName: return 4;
    case kCvFieldDepartment: case kCvFieldTerritory: return 6;
    case kCvFieldSalesperson: case kCvFieldVendorType: return 8;
    case kCvFieldZipCode: return 10;
    case kCvFieldAccount: return 12;
    default: return 0;
  }
}

int RankPairOf(int id) {
  switch (id) {
    case kCvFieldCode: return 15;
    case kCvFieldName: return 17;
    case kCvFieldCreditLimit: case kCvFieldBalance: case kCvFieldSalesDollars: return 19;
    case kCvFieldLastSalesDate: case kCvFieldLastPaymentDate: return 21;
    case kCvFieldInvoiceCount: return 23;
    case kCvFieldBillingGroup: return 25;
    default: return 0;
  }
}

void EnableRangeFieldsBySort(CustVendScreenCtx* ctx) {
  ctx->sortPair = SortPairOf(ctx->sortId);
  OpenOnePair(ctx->form, 2, 13, ctx->sortPair);
}

void EnableRangeFieldsByRank(CustVendScreenCtx* ctx) {
  ctx->rankPair = RankPairOf(ctx->rankId);
  OpenOnePair(ctx->form, 15, 26, ctx->rankPair);
}

int OnDaysPastDueChosen(Form* form, int field);

// Shows the values of the run's defaults (the parameter record as the entry
// prepared it), then the remembered ones at the form's start.
void CustVendMruHook(CustVendScreenCtx* ctx, bool start);

int CustVendFillScreen(CustVendScreenCtx* ctx, bool start) {
  Form* form = ctx->form;
  const CustVendReportParams& p = ctx->defaults;
  if (!start) FieldSetFocus(form, kFieldSort);
  WinWriteRow(ctx->window, 0, kFieldSort, OptionTableText(ctx->sortTable));
  WinWriteRow(ctx->window, 0, kFieldRank, OptionTableText(ctx->rankTable));

  // The choices of fields 1 and 14 and their pairs follow the parameters.
  FieldSetChoice(form, kFieldSort, OptionEntryOf(ctx->sortTable, p.sortRange.fieldId));
  FieldSetChoice(form, kFieldRank, OptionEntryOf(ctx->rankTable, p.rankRange.fieldId));
  for (int f = 2; f <= 26; ++f)
    if (f != kFieldRank) FieldSetText(form, f, "");
  const int sortPair = SortPairOf(p.sortRange.fieldId), rankPair = RankPairOf(p.rankRange.fieldId);
  if (sortPair) {
    PutRangeEnd(form, sortPair, p.sortRange, true);
    PutRangeEnd(form, sortPair + 1, p.sortRange, false);
  }
  if (rankPair) {
    PutRangeEnd(form, rankPair, p.rankRange, true);
    PutRangeEnd(form, rankPair + 1, p.rankRange, false);
  }

  for (int f = kFieldFirstOption; f <= kFieldLast; ++f) FieldSetAccess(form, f, kStateOutOfUse);
  if (IsAging(p.menuId)) {
    for (int f = kFieldAgingDate; f <= kFieldLast; ++f) FieldSetAccess(form, f, kStateNormal);
    char text[32] = {};
    FieldSetText(form, kFieldAgingDate, DateToText(text, p.closedate));
    FieldSetChoice(form, kFieldType, p.type == kAgingDetail ? 1 : p.type == kAgingSummary ? 2 : 3);
    FieldSetChoice(form, kFieldFullyPaid, p.incfpaid == 0 ? 1 : 2);
    FieldSetChoice(form, kFieldConsolidate, p.consadv == 1 ? 1 : 2);
    FieldSetChoice(form, kFieldDaysPast, p.dayspast == 0 ? 2 : 1);
    std::snprintf(text, sizeof text, "%d", static_cast<int>(p.dpdfrom));
    FieldSetText(form, kFieldDaysFrom, text);
    std::snprintf(text, sizeof text, "%d", static_cast<int>(p.dpdto));
    FieldSetText(form, kFieldDaysTo, text);
    FieldSetChoice(form, kFieldAgedBy, p.agedby == 'D' ? 1 : 2);
    if (p.schedule) {
      if (!start) ctx->schedule = *p.schedule;
      AgingScheduleToScreen(form, &ctx->schedule, p.menuId, &ctx->scheduleShown);
    }
  }

  CustVendMruHook(ctx, start);

  ctx->sortId = OptionTableValue(form, ctx->sortTable, kFieldSort);
  EnableRangeFieldsBySort(ctx);
  ctx->rankId = OptionTableValue(form, ctx->rankTable, kFieldRank);
  EnableRangeFieldsByRank(ctx);
  // The range ends left empty show as open.
  for (int f : {2, 4, 6, 8, 10, 12, 15, 17, 19, 23, 25}) RangeFieldEnter(form, f);
  for (int f : {3, 5, 7, 9, 11, 13, 16, 18, 20, 24, 26}) RangeFieldExit(form, f);
  if (IsAging(p.menuId)) OnDaysPastDueChosen(form, kFieldDaysPast);
  return start ? 0 : 0x80;
}

void CustVendMruHook(CustVendScreenCtx* ctx, bool start) {
  if (!start) {
    if (ctx->collection) ctx->collection->RestoreAll();
    return;
  }
  if (ctx->collection) ctx->collection->BackupAll();
  ctx->mru = nullptr;
  if (!CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return;
  ctx->mru = new (std::nothrow) CustVendMruSubclass;
  if (ctx->mru == nullptr) return;
  ctx->mru->Initialize(SharedAppBlockGet()->userName, MruKeyOf(ctx->params->menuId), kMruTable.fields);
  if (ctx->mru->LoadAllFields()) ctx->mru->StructToScreen(ctx->form);
}

int CustVendFormStart(Form* form, int) { return CustVendFillScreen(CtxOf(form), true); }

int CustVendRestoreDefaults(Form* form, KeyCode) { return CustVendFillScreen(CtxOf(form), false); }

int CustVendOnSortFieldChosen(Form* form, int) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  CustVendScreenCtx* ctx = CtxOf(form);
  ctx->sortId = OptionTableValue(form, ctx->sortTable, kFieldSort);
  EnableRangeFieldsBySort(ctx);
  return 0x40;
}

int CustVendOnRankFieldChosen(Form* form, int) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  CustVendScreenCtx* ctx = CtxOf(form);
  ctx->rankId = OptionTableValue(form, ctx->rankTable, kFieldRank);
  EnableRangeFieldsByRank(ctx);
  return 0x40;
}

int OnDaysPastDueChosen(Form* form, int) {
  const bool on = FieldGetChoice(form, kFieldDaysPast) == 1;  // "Yes,No"
  FieldSetProtect(form, kFieldDaysFrom, on ? 0 : 1);
  FieldSetProtect(form, kFieldDaysTo, on ? 0 : 1);
  // The filter needs each item's balance, which fully paid items do not
  // have: the two options exclude each other.
  if (on) FieldSetChoice(form, kFieldFullyPaid, 1);  // "No"
  FieldSetProtect(form, kFieldFullyPaid, on ? 1 : 0);
  return 0x40;
}

// Copies the picked record's value for the current field into it.
bool CustVendFieldLookup(CustVendScreenCtx* ctx, const records::CustVendRecord& r, int field) {
  Form* form = ctx->form;
  auto text = [](const char* f, std::size_t n) { return std::string(f, strnlen(f, n)); };
  std::string value;
  char buffer[32] = {};
  switch (field) {
    case 2: case 3: case 15: case 16: value = text(r.code, sizeof r.code); break;
    case 4: case 5: case 17: case 18: value = text(r.name, sizeof r.name); break;
    case 6: case 7:
      value = ctx->sortId == kCvFieldDepartment ? text(r.department, sizeof r.department)
                                                : text(r.territory, sizeof r.territory);
      break;
    case 8: case 9:
      value = ctx->sortId == kCvFieldSalesperson ? text(r.salesperson, sizeof r.salesperson)
                                                 : text(r.vendorType, sizeof r.vendorType);
      break;
    case 10: case 11: value = text(r.zipCode, sizeof r.zipCode); break;
    case 12: case 13: value = text(r.glAccount, sizeof r.glAccount); break;
    case 19: case 20: {
      double amount = 0;
      if (ctx->rankId == kCvFieldCreditLimit) amount = r.creditLimit;
      else if (ctx->rankId == kCvFieldBalance) amount = r.balance;
      else if (ctx->rankId == kCvFieldSalesDollars) amount = r.grossAmounts[2];
      std::snprintf(buffer, sizeof buffer, "%.0f", amount);
      value = buffer;
      break;
    }
    case 21: case 22: {
      const std::int32_t day = ctx->rankId == kCvFieldLastPaymentDate ? r.lastPaymentDate : r.lastInvoiceDate;
      value = day ? DateToText(buffer, day) : "";
      break;
    }
    case 23: case 24:
      std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(r.invoiceCounts[2]));
      value = buffer;
      break;
    case 25: case 26: value = text(r.billingGroup, sizeof r.billingGroup); break;
    default: return false;
  }
  FieldSetText(form, field, value.c_str());
  FieldRedraw(form, field);
  return true;
}

int CustVendLookupKey(Form* form, KeyCode) {
  CustVendScreenCtx* ctx = CtxOf(form);
  const CustVendReportParams* p = ctx->params;
  const int field = FormCurrentField(form);
  if (field < 2 || field > 26 || field == kFieldRank) return 0x20;
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  records::CustVendRecord picked{};
  int chosen = 0;
  if (IsCustomerReport(p) && (field == 8 || field == 9) && ctx->sortId == kCvFieldSalesperson) {
    chosen = PickCustomerByKey(text, 0, p->lookupHandle, &picked, 6, 9, 8, 62, 0);
  } else if (IsCustomerReport(p)) {
    chosen = PickCustomer(text, 0, p->fileHandle, &picked, 4, 5, 13, 68, 0, 1);
  } else {
    chosen = PickVendor(text, 0, p->fileHandle, &picked, 4, 5, 13, 68, 0, 1);
  }
  if (!chosen) return 0x20;
  return CustVendFieldLookup(ctx, picked, field) ? 0x40 : 0x20;
}

// Reads one pair into `range`.  0 when good; otherwise the message is shown
// and the cursor put on the pair.
int ReadPair(CustVendScreenCtx* ctx, RangeCriterion* range, int id, int pair) {
  Form* form = ctx->form;
  char from[256] = {}, to[256] = {};
  const bool fromOpen = pair == 0 || FieldGetTyped(form, pair, 0, from) == 1;
  const bool toOpen = pair == 0 || FieldGetTyped(form, pair + 1, 0, to) == 1;
  if (!fromOpen) FieldGetText(form, pair, from, sizeof from);
  if (!toOpen) FieldGetText(form, pair + 1, to, sizeof to);
  const int result = SetRangeCriterion(ctx->params, range, id, fromOpen ? nullptr : from, toOpen ? nullptr : to);
  if (result == kRangeOk) return 0;
  MsgShow(result == kRangeBadValue && CustVendFieldKind(id) == RangeKind::kDate ? kMsgInvalidDate : kMsgFromAfterTo,
          1);
  FieldSetFocus(form, pair);
  return 0x80;
}

int CustVendReadRanges(CustVendScreenCtx* ctx) {
  Form* form = ctx->form;
  // A choice changed and left with Up or Shift+Tab has not opened its pair
  // yet: open it and let the user see it before anything runs.
  const int sortId = OptionTableValue(form, ctx->sortTable, kFieldSort);
  const int rankId = OptionTableValue(form, ctx->rankTable, kFieldRank);
  if (sortId != ctx->sortId || rankId != ctx->rankId) {
    const bool sortChanged = sortId != ctx->sortId;
    ctx->sortId = sortId;
    ctx->rankId = rankId;
    EnableRangeFieldsBySort(ctx);
    EnableRangeFieldsByRank(ctx);
    FieldSetFocus(form, sortChanged ? kFieldSort : kFieldRank);
    return 0x80;
  }
  if (const int r = ReadPair(ctx, &ctx->params->sortRange, ctx->sortId, ctx->sortPair)) return r;
  return ReadPair(ctx, &ctx->params->rankRange, ctx->rankId, ctx->rankPair);
}

int CustVendAccept(Form* form, KeyCode) {
  CustVendScreenCtx* ctx = CtxOf(form);
  CustVendReportParams* p = ctx->params;
  if (IsAging(p->menuId)) {
    char date[32] = {};
    FieldGetText(form, kFieldAgingDate, date, sizeof date);
    if (!DateIsValid(date)) {
      MsgShow(kMsgInvalidDate, 1);
      FieldSetFocus(form, kFieldAgingDate);
      return 0x20;
    }
    if (p->schedule) {
      AgingScheduleFromScreen(form, &ctx->schedule, p->menuId, &ctx->scheduleShown);
      if (!ValidateAgingPeriods(form, &ctx->schedule, p->menuId)) return 0x20;
    }
    p->closedate = DateFromText(date);
    const int type = FieldGetChoice(form, kFieldType);
    p->type = type == 1 ? kAgingDetail : type == 2 ? kAgingSummary : kAgingAudit;
    p->incfpaid = FieldGetChoice(form, kFieldFullyPaid) != 1 ? 1 : 0;
    p->consadv = FieldGetChoice(form, kFieldConsolidate) == 1 ? 1 : 0;
    p->dayspast = FieldGetChoice(form, kFieldDaysPast) == 1 ? 1 : 0;
    char number[32] = {};
    FieldGetText(form, kFieldDaysFrom, number, sizeof number);
    p->dpdfrom = static_cast<std::int32_t>(std::strtol(number, nullptr, 10));
    FieldGetText(form, kFieldDaysTo, number, sizeof number);
    p->dpdto = static_cast<std::int32_t>(std::strtol(number, nullptr, 10));
    p->agedby = FieldGetChoice(form, kFieldAgedBy) == 1 ? 'D' : 'T';
  }
  const int r = CustVendReadRanges(ctx);
  return r != 0 ? r : 1;
}

// Everything one screen run holds, released on every way out.
struct ScreenRun {
  Form form{};
  FormDef def;
  std::vector<TagFormField> fields;
  char* sortChoices = nullptr;
  char* rankChoices = nullptr;
  std::string sortMask, rankMask;
  CustVendScreenCtx ctx;
  bool begun = false;

  ~ScreenRun() {
    if (begun) FormEnd(&form);
    MemFree(sortChoices);
    MemFree(rankChoices);
    CQxBaseRepParam::ReportDefAndMRUFree(ctx.copy, ctx.collection, ctx.mru);
  }
};

bool IsRangeFrom(int f) {
  return f == 2 || f == 4 || f == 6 || f == 8 || f == 10 || f == 12 || f == 15 || f == 17 || f == 19 || f == 23 ||
         f == 25;
}
bool IsRangeTo(int f) {
  return f == 3 || f == 5 || f == 7 || f == 9 || f == 11 || f == 13 || f == 16 || f == 18 || f == 20 || f == 24 ||
         f == 26;
}

}  // namespace

int CustVendParamScreen(CustVendReportParams* params) {
  ScreenRun s;
  const int menuId = params->menuId;
  const bool aging = IsAging(menuId);
  const int formNumber = aging ? kFormAging
                         : menuId == kMenuCustomerDirectory || menuId == kMenuVendorDirectory ? kFormDirectory
                                                                                               : kFormOther;
  if (FormDefLoad(&s.def, formNumber) != 0) return 1;
  s.fields = s.def.fields;

  const bool customer = params->fileId == 22;
  s.ctx.sortTable = customer ? CustSortFields : VendSortFields;
  s.ctx.rankTable = customer ? CustRankFields : VendRankFields;
  if (OptionTableLoad(s.ctx.sortTable, &s.sortChoices) != 0) return 1;
  if (OptionTableLoad(s.ctx.rankTable, &s.rankChoices) != 0) return 1;

  for (TagFormField& f : s.fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldSort) SetChoiceFieldMask(f, s.sortChoices);
    if (n == kFieldRank) SetChoiceFieldMask(f, s.rankChoices);
    if (n == kFieldSort) f.exitCallback = CustVendOnSortFieldChosen;
    if (n == kFieldRank) f.exitCallback = CustVendOnRankFieldChosen;
    if (IsRangeFrom(n)) f.exitCallback = RangeFieldEnter;
    if (IsRangeTo(n)) f.exitCallback = RangeFieldExit;
    if (IsRangeFrom(n) || IsRangeTo(n)) f.entryCallback = RangeFieldFocus;
    if (n == 21 || n == 22) f.exitCallback = OpenDateFieldExit;
    if (n == kFieldType) f.choices = kChoicesType;
    if (n == kFieldAgedBy) f.choices = kChoicesAgedBy;
    if (n == kFieldFullyPaid) f.choices = kChoicesNoYes;
    if (n == kFieldConsolidate || n == kFieldDaysPast || n == 28 || n == 29) f.choices = kChoicesYesNo;
    if (n == kFieldDaysPast && aging) f.exitCallback = OnDaysPastDueChosen;
  }

  FormBegin(&s.form);
  s.begun = true;
  if (!FormFieldsCreate(&s.form, s.fields.data(), 1)) return 1;
  FormDefUse(&s.form, &s.def);

  CustVendScreenCtx& ctx = s.ctx;
  ctx.params = params;
  ctx.defaults = *params;
  ctx.form = &s.form;
  ctx.window = params->window;
  ctx.sortId = params->sortRange.fieldId;
  ctx.rankId = params->rankRange.fieldId;
  if (aging && params->schedule) ctx.schedule = *params->schedule;

  s.form.context = &ctx;
  s.form.startHook = CustVendFormStart;
  s.form.eventHook = FormStandardHook;
  if (Window* w = params->window) {
    std::snprintf(s.form.reportId, sizeof s.form.reportId, "%s", w->reportId);
    if (oem::CompareText(w->reportId, "RSCVAging") == 0 || oem::CompareText(w->reportId, "RSCVDirectory") == 0) {
      FormAttachWindow(w, &s.form, 1);
      WinSetTitle(w, w->title);
    }
  }
  FormSetup(&s.form, 1, -1);
  FormOnKey(&s.form, kKeyShiftF9, CustVendRestoreDefaults, "Defaults");
  FormOnKey(&s.form, kKeyF5, CustVendLookupKey, "Look up");
  FormOnKey(&s.form, kKeyF10, CustVendAccept, "Run");

  const bool cancelled = !CQxBaseRepParam::RunRemembered(ctx.copy, ctx.collection, ctx.mru, &s.form, kRecords);
  if (aging && params->schedule) *params->schedule = ctx.schedule;
  return cancelled ? 27 : 0;
}
