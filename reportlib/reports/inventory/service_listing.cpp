// The service listing (command 351): the services file sorted by service
// code, description or G/L department and ranked by code, description,
// sales units, sales dollars or last sales date, within a from/to range on
// each of the two fields; optionally with the sales columns; a count per
// department when sorted by department, and the total count.
#include "reports/inventory/service_listing.h"

#include <algorithm>
#include <array>
#include <cmath>
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
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_service.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "qxabase/tables.h"
#include "range_criteria.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RSServListing";
constexpr const char* kMruKey = "ServList";
constexpr const char* kTitle = "Service Listing";
constexpr int kFormNumber = 351;

// The selection window: row 5, column 16, 14 rows by 63 columns.
constexpr int kWindowTop = 5, kWindowLeft = 16, kWindowRows = 14, kWindowCols = 63;

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgFromAfterTo = 205;

// Service fields a criterion can name (the field dictionary's numbers of
// the services table).
enum ServiceFieldId : int {
  kServFieldCode = 1,
  kServFieldDescription = 2,
  kServFieldDepartment = 3,
  kServFieldLastSaleDate = 13,
  kServFieldSalesDollars = 18,
  kServFieldSalesUnits = 23,
};

// Fields of the screen.
constexpr int kFieldSort = 1;
constexpr int kFieldRank = 8;
constexpr int kFieldAmountFrom = 13, kFieldAmountTo = 14;
constexpr int kFieldDateFrom = 15, kFieldDateTo = 16;
constexpr int kFieldPrintSales = 17;
constexpr int kMruRecords = 18;  // fields 1-17 and the closing record

// This year's slot of the statistics groups.
constexpr int kCurrentYear = 2;

// The report is as wide as a wide page.
constexpr int kLineWidth = 136;

// clang-format off
const OptionTableEntry kSortFields[] = {
    {'S', "Service Code", kServFieldCode}, {'D', "Description", kServFieldDescription},
    {'G', "G/L Department", kServFieldDepartment},
    {}};
const OptionTableEntry kRankFields[] = {
    {'S', "Service Code", kServFieldCode},      {'D', "Description", kServFieldDescription},
    {'U', "Sales Units", kServFieldSalesUnits}, {'L', "Sales Dollars", kServFieldSalesDollars},
    {'T', "Last Sales Date", kServFieldLastSaleDate},
    {}};
// clang-format on

RangeKind KindOf(int fieldId) {
  switch (fieldId) {
    case kServFieldLastSaleDate: return RangeKind::kDate;
    case kServFieldSalesDollars: case kServFieldSalesUnits: return RangeKind::kAmount;
    default: return RangeKind::kText;
  }
}

// The first field of the pair a field id opens.
int SortPairOf(int id) { return id == kServFieldDescription ? 4 : id == kServFieldDepartment ? 6 : 2; }
int RankPairOf(int id) {
  switch (id) {
    case kServFieldDescription: return 11;
    case kServFieldSalesUnits: case kServFieldSalesDollars: return kFieldAmountFrom;
    case kServFieldLastSaleDate: return kFieldDateFrom;
    default: return 9;
  }
}
bool IsDateField(int f) { return f == kFieldDateFrom || f == kFieldDateTo; }
bool IsPictureField(int f) { return f >= kFieldAmountFrom && f <= kFieldDateTo; }

// --- Parameters and selection ------------------------------------------------------------

// The parameters of one run, owned by the entry.
struct ServiceListingParams {
  RangeCriterion sortRange{};
  RangeCriterion rankRange{};
  BtrvHandle handle = 0;
  bool indexMade = false;
  bool printSales = true;
  records::ServiceRecord record{};
  char key[255] = {};
  int result = 0;  // 0 run; 9 nothing to print; another status: a failure
};

// True when the service passes `criterion`; *pastEnd when it lies beyond
// its to end (a text or a date; never an amount).
bool ServiceMatches(const records::ServiceRecord& s, const RangeCriterion& criterion, int* pastEnd) {
  switch (criterion.fieldId) {
    case kServFieldCode: return RangeMatchText(criterion, TrimField(s.code), pastEnd);
    case kServFieldDescription: return RangeMatchText(criterion, TrimField(s.description), pastEnd);
    case kServFieldDepartment: return RangeMatchText(criterion, TrimField(s.department), pastEnd);
    case kServFieldLastSaleDate: return RangeMatchDate(criterion, s.lastSaleDate, pastEnd);
    case kServFieldSalesDollars: return RangeMatchAmount(criterion, s.salesDollars[kCurrentYear], pastEnd);
    case kServFieldSalesUnits: return RangeMatchAmount(criterion, s.salesUnits[kCurrentYear], pastEnd);
    default:
      *pastEnd = 0;
      return false;
  }
}

// The sort criterion, then the rank criterion; only the sort criterion's
// past-end flag is told (the walk follows its field).
bool ServicePassesSelection(const ServiceListingParams& p, int* pastEnd) {
  const bool sortPasses = ServiceMatches(p.record, p.sortRange, pastEnd);
  int rankPastEnd = 0;
  return sortPasses && ServiceMatches(p.record, p.rankRange, &rankPastEnd);
}

// The walk's order: the file's own key when both fields are the service
// code; otherwise a temporary index on the sort field, then the rank field.
// A sort on the code or the description names each service by itself, so a
// rank field other than the code orders the listing: the criteria change
// places (each keeps its caption for the heading) and the index runs on the
// rank field first.  Ranked by the code, the sort field keeps the lead: a
// listing sorted by description is in description order.
int CreateServiceSortIndex(ServiceListingParams* p) {
  if (p->sortRange.fieldId == kServFieldCode && p->rankRange.fieldId == kServFieldCode) return kStatusOk;
  if ((p->sortRange.fieldId == kServFieldCode || p->sortRange.fieldId == kServFieldDescription) &&
      p->rankRange.fieldId != kServFieldCode) {
    RangeCriterion sort = p->rankRange, rank = p->sortRange;
    std::memcpy(sort.caption, p->sortRange.caption, sizeof sort.caption);
    std::memcpy(rank.caption, p->rankRange.caption, sizeof rank.caption);
    p->sortRange = sort;
    p->rankRange = rank;
  }
  const int status =
      TempIndexCreate(records::kFileServices, p->handle, p->sortRange.fieldId, p->rankRange.fieldId, -1);
  if (status == kStatusOk) p->indexMade = true;
  return status;
}

void DropServiceSortIndex(ServiceListingParams* p) {
  if (!p->indexMade) return;
  TempIndexDrop(records::kFileServices, p->handle);
  p->indexMade = false;
}

// Reads the first service of the walk.  0 when it lies within the sort
// criterion's end, 1 when it lies past it, 9 or 4 when there is none,
// another status after the error box.
int ReadFirstSelectedService(ServiceListingParams* p) {
  CDbTblActiveServ table(p->handle, records::kFileServices);
  std::memset(p->key, 0, sizeof p->key);
  const int status = table.Read(kOpGetFirst, p->key, &p->record, sizeof p->record);
  if (status == kStatusOk) {
    int pastEnd = 0;
    ServicePassesSelection(*p, &pastEnd);
    return pastEnd;
  }
  if (status != kStatusKeyNotFound && status != kStatusEndOfFile)
    MsgRecordError(status, 1, kOpGetFirst, records::kFileServices, 0);
  return status;
}

// --- The selection screen ------------------------------------------------------------------

std::uint32_t MruKindOf(int field) {
  switch (field) {
    case kFieldSort: case kFieldRank: case kFieldPrintSales: return kMruKindChoice;
    case kFieldAmountFrom: case kFieldAmountTo: return kMruKindNumber;
    case kFieldDateFrom: case kFieldDateTo: return kMruKindDate;
    default: return kMruKindText;
  }
}

const MruFieldTable<kMruRecords> kMruTable(MruKindOf);

class ServiceMruParam final : public CQxRepMRUParam {};

struct ScreenCtx {
  ServiceListingParams* params = nullptr;
  Window* window = nullptr;
  Form* form = nullptr;
  int sortId = kServFieldCode, rankId = kServFieldCode;
  int sortPair = 2, rankPair = 9;
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

ScreenCtx* CtxOf(Form* form) { return static_cast<ScreenCtx*>(form->context); }

// Shows "FIRST" / "LAST " in the open ends of a text pair in use (a picture
// pair holds digits only and stays empty).
void ShowTextPairEnds(Form* form, int pair) {
  if (!IsPictureField(pair)) ShowOpenEnds(form, pair);
}

void OpenSortPair(ScreenCtx* ctx) {
  ctx->sortId = OptionTableValue(ctx->form, kSortFields, kFieldSort);
  ctx->sortPair = SortPairOf(ctx->sortId);
  OpenOnePair(ctx->form, 2, 7, ctx->sortPair);
  ShowTextPairEnds(ctx->form, ctx->sortPair);
}

void OpenRankPair(ScreenCtx* ctx) {
  ctx->rankId = OptionTableValue(ctx->form, kRankFields, kFieldRank);
  ctx->rankPair = RankPairOf(ctx->rankId);
  OpenOnePair(ctx->form, 9, 16, ctx->rankPair);
  ShowTextPairEnds(ctx->form, ctx->rankPair);
}

void MruHook(ScreenCtx* ctx, bool start) {
  if (!start) {
    if (ctx->collection) ctx->collection->RestoreAll();
    return;
  }
  if (ctx->collection) ctx->collection->BackupAll();
  ctx->mru = nullptr;
  if (!CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return;
  ctx->mru = new (std::nothrow) ServiceMruParam;
  if (ctx->mru == nullptr) return;
  ctx->mru->Initialize(SharedAppBlockGet()->userName, kMruKey, kMruTable.fields);
  if (ctx->mru->LoadAllFields()) ctx->mru->StructToScreen(ctx->form);
}

// The defaults: sort and rank by service code, every range open, the sales
// columns printed; then the user's remembered selection (start) or the
// backed-up defaults (Shift+F9).
int FillScreen(ScreenCtx* ctx, bool start) {
  Form* form = ctx->form;
  if (!start) FieldSetFocus(form, kFieldSort);
  WinWriteRow(ctx->window, 0, kFieldSort, OptionTableText(kSortFields));
  WinWriteRow(ctx->window, 0, kFieldRank, OptionTableText(kRankFields));
  if (start) {
    FieldSetChoice(form, kFieldSort, 1);
    FieldSetChoice(form, kFieldRank, 1);
    FieldSetChoice(form, kFieldPrintSales, 1);
    for (int f = 2; f <= kFieldDateTo; ++f)
      if (f != kFieldRank) FieldSetText(form, f, "");
  }
  MruHook(ctx, start);
  OpenSortPair(ctx);
  OpenRankPair(ctx);
  return start ? 0 : 0x80;
}

int FormStart(Form* form, int) { return FillScreen(CtxOf(form), true); }

int RestoreDefaults(Form* form, KeyCode) { return FillScreen(CtxOf(form), false); }

int OnSortChosen(Form* form, int) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  OpenSortPair(CtxOf(form));
  return 0x40;
}

int OnRankChosen(Form* form, int) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  OpenRankPair(CtxOf(form));
  return 0x40;
}

// Fills the current field from the picked service.
int LookupKey(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  const int field = FormCurrentField(form);
  if (field < 2 || field > kFieldDateTo || field == kFieldRank) return 0x20;
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  const bool codeField = field == 2 || field == 3 || field == 9 || field == 10;
  records::ServiceRecord s{};
  if (!PickService(codeField ? text : nullptr, ctx->params->handle, &s, 4, 9, 13, 60)) return 0x20;
  std::string value;
  char buffer[64] = {};
  switch (field) {
    case 2: case 3: case 9: case 10: value = TrimField(s.code); break;
    case 4: case 5: case 11: case 12:
      value = TrimField(s.description);
      if (value.empty()) return 0x20;
      break;
    case 6: case 7: value = TrimField(s.department); break;
    case kFieldAmountFrom: case kFieldAmountTo: {
      // The field takes digits only: the whole part, and no sign.
      const double amount = ctx->rankId == kServFieldSalesUnits ? s.salesUnits[kCurrentYear]
                                                                : s.salesDollars[kCurrentYear];
      std::snprintf(buffer, sizeof buffer, "%.0f", std::max(0.0, std::trunc(amount)));
      value = buffer;
      break;
    }
    case kFieldDateFrom: case kFieldDateTo:
      value = s.lastSaleDate ? DateToText(buffer, s.lastSaleDate) : "";
      break;
    default: return 0x20;
  }
  FieldSetText(form, field, value.c_str());
  FieldRedraw(form, field);
  return 0x40;
}

// Reads one pair into `range`.  0 when good; otherwise the message is shown
// and the cursor put on the pair.
int ReadPair(ScreenCtx* ctx, RangeCriterion* range, int id, const char* caption, int pair) {
  Form* form = ctx->form;
  char from[256] = {}, to[256] = {};
  const bool fromOpen = FieldGetTyped(form, pair, 0, from) == 1;
  const bool toOpen = FieldGetTyped(form, pair + 1, 0, to) == 1;
  if (!fromOpen) FieldGetText(form, pair, from, sizeof from);
  if (!toOpen) FieldGetText(form, pair + 1, to, sizeof to);
  const int result = RangeCriterionSet(range, id, caption, KindOf(id), fromOpen ? nullptr : TrimText(from).c_str(),
                                       toOpen ? nullptr : TrimText(to).c_str());
  if (result == kRangeOk) return 0;
  MsgShow(result == kRangeBadValue && KindOf(id) == RangeKind::kDate ? kMsgInvalidDate : kMsgFromAfterTo, 1);
  FieldSetFocus(form, pair);
  return 0x20;
}

int Accept(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  ServiceListingParams* p = ctx->params;
  // A choice changed and left with Up or Shift+Tab has not opened its pair
  // yet: open it and let the user see it before anything runs.
  const int sortId = OptionTableValue(form, kSortFields, kFieldSort);
  const int rankId = OptionTableValue(form, kRankFields, kFieldRank);
  if (sortId != ctx->sortId || rankId != ctx->rankId) {
    OpenSortPair(ctx);
    OpenRankPair(ctx);
    FieldSetFocus(form, sortId != ctx->sortId ? kFieldSort : kFieldRank);
    return 0x80;
  }
  char caption[64] = {};
  FieldGetChoiceText(form, kFieldSort, caption, sizeof caption);
  if (const int r = ReadPair(ctx, &p->sortRange, ctx->sortId, TrimText(caption).c_str(), ctx->sortPair)) return r;
  FieldGetChoiceText(form, kFieldRank, caption, sizeof caption);
  if (const int r = ReadPair(ctx, &p->rankRange, ctx->rankId, TrimText(caption).c_str(), ctx->rankPair)) return r;
  p->printSales = FieldGetChoice(form, kFieldPrintSales) == 1;

  p->result = CreateServiceSortIndex(p);
  if (p->result != kStatusOk) return 1;
  const int status = ReadFirstSelectedService(p);
  if (status == kStatusOk) {
    p->result = 0;
    return 1;
  }
  DropServiceSortIndex(p);
  // An empty file, or a first service already past the sort range's end:
  // nothing to print.  Another status has shown its error box.
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound || status == 1) {
    MsgShow(kMsgNothingSelected, 1);
    p->result = kStatusEndOfFile;
  } else {
    p->result = status;
  }
  return 1;
}

// The screen: 27 when left with Esc, 1 when it could not be made, else the
// run's result (0 run, 9 nothing to print, another failure status).
int ServiceListingSelection(ServiceListingParams* params, Window* window) {
  char* sortChoices = nullptr;
  char* rankChoices = nullptr;
  ScreenCtx ctx;
  struct Release {
    char*& sort;
    char*& rank;
    ScreenCtx& ctx;
    Form form{};
    bool begun = false;
    ~Release() {
      if (begun) FormEnd(&form);
      MemFree(sort);
      MemFree(rank);
      CQxBaseRepParam::ReportDefAndMRUFree(ctx.copy, ctx.collection, ctx.mru);
    }
  } release{sortChoices, rankChoices, ctx};
  if (OptionTableLoad(kSortFields, &sortChoices) != 0) return 1;
  if (OptionTableLoad(kRankFields, &rankChoices) != 0) return 1;
  FormDef def;
  if (FormDefLoad(&def, kFormNumber) != 0) return 1;
  std::vector<TagFormField> fields = def.fields;
  auto widest = [](const char* choices) {
    int most = 0, current = 0;
    for (const char* c = choices + 1; *c; ++c) {
      current = *c == ',' ? 0 : current + 1;
      most = std::max(most, current);
    }
    return most;
  };
  for (TagFormField& f : fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldSort || n == kFieldRank) {
      const char* choices = n == kFieldSort ? sortChoices : rankChoices;
      std::snprintf(f.mask, sizeof f.mask, "%%%dsm", widest(choices));
      f.choices = choices;
      f.exitCallback = n == kFieldSort ? OnSortChosen : OnRankChosen;
    } else if (IsDateField(n)) {
      f.exitCallback = OpenDateFieldExit;
      f.entryCallback = FieldEntryDateHook;
    } else if (IsPictureField(n)) {
      f.entryCallback = RangeFieldFocus;
    } else if (n >= 2 && n <= 12) {
      // From fields are even below the rank field, odd above it.
      const bool from = n < kFieldRank ? n % 2 == 0 : n % 2 == 1;
      f.exitCallback = from ? RangeFieldEnter : RangeFieldExit;
      f.entryCallback = RangeFieldFocus;
    }
  }
  Form* form = &release.form;
  FormBegin(form);
  release.begun = true;
  if (!FormFieldsCreate(form, fields.data(), 1)) return 1;
  FormDefUse(form, &def);
  ctx.params = params;
  ctx.window = window;
  ctx.form = form;
  SetUpScreenForm(form, window, kReportId, &ctx, FormStart);
  FormOnKey(form, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(form, kKeyF5, LookupKey, "Look up");
  FormOnKey(form, kKeyF10, Accept, "Run");
  if (!CQxBaseRepParam::RunRemembered(ctx.copy, ctx.collection, ctx.mru, form, kMruRecords)) return 27;
  return params->result;
}

// --- The run --------------------------------------------------------------------------------

class ListingRun {
 public:
  ListingRun() = default;
  ListingRun(const ListingRun&) = delete;
  ListingRun& operator=(const ListingRun&) = delete;

  int Run();

 private:
  enum LineColumn { kCode, kDescription, kMeasure, kFraction, kDepartment, kPrice, kSaleUnits, kSaleDollars,
                    kLineCount };

  void BuildLayouts();
  void Print();
  void PageHeading();
  void WriteService();
  void WriteCount(const char* caption, int count);

  ServiceListingParams params_;

  // Released in the reverse order: the report, the index, the file, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  struct IndexGuard {
    ServiceListingParams* params;
    ~IndexGuard() { DropServiceSortIndex(params); }
  } indexGuard_{&params_};
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  bool pageStarted_ = false;
  int total_ = 0;

  std::array<TagReportColumn, kLineCount + 1> headings_{};
  std::array<TagReportColumn, kLineCount + 1> line_{};
  std::array<TagReportColumn, 3> countLine_{};

  // The values the line points at.
  char code_[15] = {}, description_[31] = {}, measure_[9] = {}, department_[6] = {};
  std::int32_t fraction_ = 0;
  double price_ = 0, saleUnitsValue_ = 0, saleDollars_ = 0;
  char saleUnits_[16] = {};
  char countText_[8] = {};
  std::int32_t count_ = 0;
};

int ListingRun::Run() {
  if (FileSetOpen(&files_, records::kFileServices) != kStatusOk) return 0;
  params_.handle = files_.handle[0];
  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kReportId);
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', kTitle) != 0) return 0;
  // Nothing to print has been told by the screen already.
  if (ServiceListingSelection(&params_, &window_) != 0) return 0;

  SetReportDestination("", &info_);
  info_.lineWidth = kLineWidth;
  if (!ReportOpen(&info_, kTitle)) return 0;
  HideSelectionWindow(&window_);
  BuildLayouts();
  Print();
  // The report is delivered before the index, the file and the window are
  // let go.
  reportGuard_.Close();
  return 0;
}

void ListingRun::BuildLayouts() {
  constexpr int x[kLineCount] = {1, 22, 56, 69, 82, 95, 108, 121};
  constexpr const char* captions[kLineCount] = {"Service No.", "Description", "Measure",    "Fraction",
                                                "Dept.",       "Price",       "Sale Units", "Sale $"};
  constexpr int widths[kLineCount] = {14, 30, 8, 8, 5, 10, 10, 12};
  for (int i = 0; i < kLineCount; ++i) {
    // Numbers' captions stand over the right end of their column.
    const bool number = i >= kFraction && i != kDepartment;
    TagReportColumn& h = headings_[static_cast<std::size_t>(i)];
    h = MakeColumn(kColumnText, "%s", x[i], captions[i]);
    h.align = number ? kAlignRight : kAlignLeft;
    h.width = widths[i];
  }
  line_[kCode] = MakeColumn(kColumnText, "%-14.14s", x[kCode], code_);
  line_[kDescription] = MakeColumn(kColumnText, "%-30.30s", x[kDescription], description_);
  line_[kMeasure] = MakeColumn(kColumnText, "%-8.8s", x[kMeasure], measure_);
  line_[kFraction] = MakeColumn(kColumnLong, "%8d", x[kFraction], &fraction_);
  line_[kDepartment] = MakeColumn(kColumnText, "%5.5s", x[kDepartment], department_);
  line_[kPrice] = MakeColumn(kColumnDouble, "%10.4f", x[kPrice], &price_);
  line_[kSaleUnits] = MakeColumn(kColumnText, "%10.10s", x[kSaleUnits], saleUnits_);
  line_[kSaleDollars] = MakeColumn(kColumnDouble, "%12.2f", x[kSaleDollars], &saleDollars_);
  // Without the sales columns their headings and values are left out.
  const std::uint8_t hide = params_.printSales ? 0 : 1;
  for (int i : {kSaleUnits, kSaleDollars}) {
    headings_[static_cast<std::size_t>(i)].hidden = hide;
    line_[static_cast<std::size_t>(i)].hidden = hide;
  }
  countLine_[0] = MakeColumn(kColumnText, "%6.6s", 15, countText_);
  countLine_[0].hidden = 1;  // the caption is written at x 1 before the line
  countLine_[1] = MakeColumn(kColumnLong, "%-8d", 21, &count_);
}

void ListingRun::Print() {
  const bool byDepartment = params_.sortRange.fieldId == kServFieldDepartment;
  CDbTblActiveServ table(params_.handle, records::kFileServices);
  std::string department;
  int groupCount = 0;
  bool failed = false;
  for (int status = kStatusOk; status == kStatusOk;) {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) return;
    int pastEnd = 0;
    const bool selected = ServicePassesSelection(params_, &pastEnd);
    if (pastEnd) break;
    if (selected) {
      const std::string current = TrimField(params_.record.department);
      // The count of the department before, ahead of the first service of
      // the next one.
      if (byDepartment && groupCount > 0 && oem::CompareText(current, department) != 0) {
        WriteCount(("Subtotal " + (department.empty() ? std::string("(none)") : department) + ":").c_str(),
                   groupCount);
        ReportSkipLines(&info_, 1);  // the next department stands apart
        groupCount = 0;
      }
      ++total_;
      ++groupCount;
      WriteService();
      department = current;
    }
    status = table.Read(kOpGetNext, params_.key, &params_.record, sizeof params_.record);
    if (status != kStatusOk && status != kStatusEndOfFile) {
      MsgRecordError(status, 1, kOpGetNext, records::kFileServices, 0);
      failed = true;
    }
  }
  if (failed) {
    EndIncompleteReport(&info_);
    return;
  }
  if (total_ == 0) {
    MsgShow(kMsgNothingSelected, 1);
    info_.discard = 1;
    return;
  }
  if (byDepartment && groupCount > 0)
    WriteCount(("Subtotal " + (department.empty() ? std::string("(none)") : department) + ":").c_str(), groupCount);
  WriteCount("Total Services : ", total_);
  ReportNewPage(&info_);
  CommandDone();
}

void ListingRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, headings_.data(), 2);
  ReportPageStart(&info_, 0, 2);
  const TagRepFont font = info_.font;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, kTitle, kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportBlockBegin(&info_, kFontHeading);
  WriteSortRankLines(&info_, params_.sortRange.caption, params_.rankRange.caption, kReportCentred);
  ReportBlockEnd(&info_);
  ReportSkipLines(&info_, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, headings_.data(), 1);
  ReportBlockEnd(&info_);
  ReportWriteRule(&info_, line_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount);
  pageStarted_ = true;
}

void ListingRun::WriteService() {
  const records::ServiceRecord& s = params_.record;
  std::snprintf(code_, sizeof code_, "%s", TrimField(s.code).c_str());
  std::snprintf(description_, sizeof description_, "%s", TrimField(s.description).c_str());
  std::snprintf(measure_, sizeof measure_, "%s", TrimField(s.unitOfMeasure).c_str());
  std::snprintf(department_, sizeof department_, "%s", TrimField(s.department).c_str());
  fraction_ = s.unitFactor;
  price_ = s.price;
  // Units in the fraction form of the service's divisor; a text too wide
  // for the column is given as the number of units, which the report writer
  // never shows rounded.
  char units[64] = {};
  if (StrFormatQuantity(units, "%11.4fF", 0, s.unitFactor, s.salesUnits[kCurrentYear]) < 0) units[0] = '\0';
  const std::string trimmed = TrimText(units);
  TagReportColumn& unitsColumn = line_[kSaleUnits];
  if (trimmed.size() <= 10) {
    std::snprintf(saleUnits_, sizeof saleUnits_, "%s", trimmed.c_str());
    unitsColumn.kind = kColumnText;
    std::snprintf(unitsColumn.format, sizeof unitsColumn.format, "%s", "%10.10s");
    unitsColumn.value = saleUnits_;
  } else {
    saleUnitsValue_ = s.salesUnits[kCurrentYear];
    unitsColumn.kind = kColumnDouble;
    std::snprintf(unitsColumn.format, sizeof unitsColumn.format, "%s", "%10.4f");
    unitsColumn.value = &saleUnitsValue_;
  }
  saleDollars_ = s.salesDollars[kCurrentYear];
  if (!pageStarted_ || ReportPageFull(&info_, 1)) PageHeading();
  ReportWriteColumns(&info_, line_.data(), 1);
}

void ListingRun::WriteCount(const char* caption, int count) {
  if (ReportPageFull(&info_, 3)) PageHeading();
  ReportSkipLines(&info_, 1);
  ReportWriteText(&info_, caption, 1, 0);
  count_ = count;
  ReportWriteColumns(&info_, countLine_.data(), 1);
}

}  // namespace

int RunServiceListing() {
  try {
    ListingRun run;
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
