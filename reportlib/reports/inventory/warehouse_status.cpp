// The warehouse status reports (command 398): stock by master item.  The
// summary prints one line per master item with the quantities and value of
// its sub-items (the products that stand for it in each warehouse) taken
// together; the master item activity prints each sub-item, then that
// consolidated line under it.  Quantities show twice: in the buying and in
// the selling fraction.
//
// Master items without sub-items are passed over.  The totals are kept in
// cents.  A run stopped by a record-manager error ends with the
// "incomplete" line and no total; a run the user stops ends without one.
#include "reports/inventory/warehouse_status.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "btrvc.h"
#include "qxabase/commands.h"
#include "qxabase/master_item.h"
#include "qxabase/messages.h"
#include "qxabase/pick_inventory.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_frame.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_report_run.h"
#include "reports/inventory/product_screen_parts.h"
#include "reports/inventory/product_selection.h"
#include "selection_fields.h"

namespace {

using records::TagMasterItem;
using records::TagProduct;

constexpr const char* kReportId = "RSWhseStatFrontEnd";
constexpr const char* kWindowTitle = " Warehouse Status Report ";
constexpr const char* kSummaryTitle = "Warehouse Status Summary";
constexpr const char* kDetailTitle = "Master Item Activity";
constexpr const char* kPageTitle = "Master Item Activity";
constexpr const char* kMruKey = "WarehStatus";
constexpr int kFormNumber = 398;

// The selection window: row 5, column 14, 14 rows by 66 columns.
constexpr int kWindowTop = 5, kWindowLeft = 14, kWindowRows = 14, kWindowCols = 66;

constexpr int kLineWidth = 136;
constexpr int kQuantityWidth = 10, kCostWidth = 11, kAmountWidth = 11;

// --- The selection screen ------------------------------------------------------------------

constexpr int kFieldReport = 1;  // "Detail,Summary"
constexpr int kFieldSort = 2;
constexpr int kFieldRank = 13;
constexpr int kFieldLast = 17;
constexpr int kRecords = kFieldLast + 1;  // the 17 fields and the closing record

enum ReportChoice { kDetail = 1, kSummary = 2 };

// clang-format off
const OptionTableEntry kSortFields[] = {
    {'N', "Master Item Code", kProdFieldNumber}, {'D', "Description", kProdFieldDescription},
    {'G', "G/L Department", kProdFieldDepartment}, {'B', "Bin", kProdFieldBin},
    {'V', "Vendor", kProdFieldVendor},
    {}};
const OptionTableEntry kRankFields[] = {
    {'N', "Master Item Code", kProdFieldNumber}, {'D', "Description", kProdFieldDescription},
    {}};
// clang-format on

// The from field of the pair a sort or rank field opens; 0 when none.
int SortPairOf(int id) {
  switch (id) {
    case kProdFieldNumber: return 3;
    case kProdFieldDescription: return 5;
    case kProdFieldDepartment: return 7;
    case kProdFieldBin: return 9;
    case kProdFieldVendor: return 11;
    default: return 0;
  }
}
int RankPairOf(int id) { return id == kProdFieldNumber ? 14 : id == kProdFieldDescription ? 16 : 0; }

bool IsPairField(int f) { return (f >= 3 && f <= 12) || (f >= 14 && f <= 17); }
bool IsFromField(int f) { return f <= 12 ? f % 2 == 1 : f % 2 == 0; }

std::uint32_t MruKindOf(int field) {
  return field == kFieldReport || field == kFieldSort || field == kFieldRank ? kMruKindChoice : kMruKindText;
}
const MruFieldTable<kRecords> kMruTable(MruKindOf);

// The master item's text of the field that range field `f` shows.
std::string MasterItemFieldText(const TagMasterItem& item, int f) {
  switch (f) {
    case 3: case 4: case 14: case 15: return std::string(records::Trimmed(item.code));
    case 5: case 6: case 16: case 17: return std::string(records::Trimmed(item.description));
    case 7: case 8: return std::string(records::Trimmed(item.department));
    case 9: case 10: return std::string(records::Trimmed(item.bin));
    case 11: case 12: return std::string(records::Trimmed(item.vendor));
    default: return "";
  }
}

// What the screen's callbacks share.
struct ScreenCtx {
  ProductReportParams* params = nullptr;
  BtrvHandle masterItems = 0;
  Window* window = nullptr;
  Form* form = nullptr;
  ScreenMemory* memory = nullptr;
  int sortId = kProdFieldNumber, sortPair = 3;
  int rankId = kProdFieldNumber, rankPair = 14;
  int report = kDetail;
};

ScreenCtx* CtxOf(Form* form) { return static_cast<ScreenCtx*>(form->context); }

void ApplySort(ScreenCtx* ctx) {
  ctx->sortId = OptionTableValue(ctx->form, kSortFields, kFieldSort);
  ctx->sortPair = SortPairOf(ctx->sortId);
  OpenOnePair(ctx->form, 3, 12, ctx->sortPair);
  ShowOpenEnds(ctx->form, ctx->sortPair);
}

void ApplyRank(ScreenCtx* ctx) {
  ctx->rankId = OptionTableValue(ctx->form, kRankFields, kFieldRank);
  ctx->rankPair = RankPairOf(ctx->rankId);
  OpenOnePair(ctx->form, 14, 17, ctx->rankPair);
  ShowOpenEnds(ctx->form, ctx->rankPair);
}

// The defaults (the master item code for both, the detail report), then at
// the start what the user last accepted; Shift+F9 the defaults again.
int FillScreen(ScreenCtx* ctx, bool start) {
  Form* form = ctx->form;
  if (!start) FieldSetFocus(form, kFieldReport);
  WinWriteRow(ctx->window, 0, kFieldSort, OptionTableText(kSortFields));
  WinWriteRow(ctx->window, 0, kFieldRank, OptionTableText(kRankFields));
  FieldSetChoice(form, kFieldReport, kDetail);
  FieldSetChoice(form, kFieldSort, 1);
  FieldSetChoice(form, kFieldRank, 1);
  for (int f = 3; f <= kFieldLast; ++f)
    if (f != kFieldRank) FieldSetText(form, f, "");
  ScreenMemoryHook(ctx->memory, form, kMruKey, kMruTable.fields, start);
  ApplySort(ctx);
  ApplyRank(ctx);
  return start ? 0 : 0x80;
}

int FormStart(Form* form, int) { return FillScreen(CtxOf(form), true); }
int RestoreDefaults(Form* form, KeyCode) { return FillScreen(CtxOf(form), false); }

int SortChosen(Form* form, int) {
  if (LeftBackwards(form)) return 0;
  ApplySort(CtxOf(form));
  return 0x40;
}

int RankChosen(Form* form, int) {
  if (LeftBackwards(form)) return 0;
  ApplyRank(CtxOf(form));
  return 0x40;
}

int LookUpKey(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  const int field = FormCurrentField(form);
  if (!IsPairField(field)) return 0x20;
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  const bool codeField = field == 3 || field == 4 || field == 14 || field == 15;
  TagMasterItem picked{};
  if (!PickMasterItem(codeField ? text : nullptr, 0, ctx->masterItems, &picked, 4, 9, 13, 60)) return 0x20;
  FieldSetText(form, field, MasterItemFieldText(picked, field).c_str());
  // An empty value shows as an open end.
  if (IsFromField(field)) {
    RangeFieldEnter(form, field);
  } else {
    RangeFieldExit(form, field);
  }
  FormRedraw(form);
  return 0x40;
}

int Accept(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  // A choice changed and left with Up or Shift+Tab has not opened its pair
  // yet: open it and let the user see it before anything runs.
  if (OptionTableValue(form, kSortFields, kFieldSort) != ctx->sortId ||
      OptionTableValue(form, kRankFields, kFieldRank) != ctx->rankId) {
    ApplySort(ctx);
    ApplyRank(ctx);
    return 0x80;
  }
  ctx->report = FieldGetChoice(form, kFieldReport) == kDetail ? kDetail : kSummary;
  ProductReportParams* p = ctx->params;
  const int file = records::kFileMasterItems;
  if (const int r = ReadRangePair(form, p, &p->sortRange, file, ctx->sortId, ctx->sortPair)) return r;
  if (const int r = ReadRangePair(form, p, &p->rankRange, file, ctx->rankId, ctx->rankPair)) return r;
  return 1;
}

// --- The layouts -----------------------------------------------------------------------------
//
// A line: the warehouse, the code, the description, the six quantities (on
// hand, committed, available in the buying fraction, then the same in the
// selling fraction), the cost and the value.  Every value is bounded to
// its field and no field reaches the next one's x: a number too wide for
// its column shows '*' across it.

enum LineColumn {
  kWarehouse, kCode, kDescription, kQuantity0, kCost = kQuantity0 + 6, kValue, kLineCount
};
constexpr int kQuantities = 6;

struct Caption {
  int x;
  const char* text;
};

struct ReportLayout {
  const char* runTitle;
  std::array<int, kLineCount> x;      // by LineColumn; the summary's warehouse is never shown
  int codeWidth, descriptionWidth;    // the characters shown
  std::array<Caption, 2> heading1;
  std::array<Caption, 11> heading2;   // a caption of null text is none
  bool sideBySideSelection;           // "Sorted by" and "Ranked by" on one line
};

constexpr ReportLayout kSummaryLayout{
    kSummaryTitle,
    {0, 1, 16, 42, 53, 64, 75, 86, 97, 108, 120},
    14, 25,
    {{{47, "Buy Fractions"}, {80, "Sell Fractions"}}},
    {{{1, "Master Item"}, {16, "Description"}, {42, "On Hand"}, {53, "Committed"}, {64, "Available"},
      {75, "On Hand"}, {86, "Committed"}, {97, "Available"}, {108, "Avg. Cost"}, {120, "On Hand $"}, {0, nullptr}}},
    true};

constexpr ReportLayout kDetailLayout{
    kDetailTitle,
    {0, 5, 26, 47, 58, 69, 80, 91, 102, 113, 125},
    20, 20,
    {{{47, "Buy Fractions"}, {81, "Sell Fractions"}}},
    {{{0, "WHC"}, {5, "Master/Item No"}, {26, "Description"}, {47, "On Hand"}, {58, "Committed"},
      {69, "Available"}, {80, "On Hand"}, {91, "Committed"}, {102, "Available"}, {113, "Avg. Cost"},
      {125, "On Hand $"}}},
    false};

// --- The run --------------------------------------------------------------------------------------

class WarehouseRun {
 public:
  WarehouseRun();
  WarehouseRun(const WarehouseRun&) = delete;
  WarehouseRun& operator=(const WarehouseRun&) = delete;

  int Run();

 private:
  struct IndexGuard {
    ProductReportParams* params;
    ~IndexGuard() { ProductRunEnd(params); }
  };

  bool Selection();
  int Print();
  void BuildLayouts();
  int Walk();
  bool PrintItem();
  void PageHeading();
  void Room(int lines);
  void SetLine(const std::string& warehouse, const std::string& code, const std::string& description,
               const TagProduct& quantities, double cost, double value);
  void WriteTotal();

  CMasterItem items_;
  ProductReportParams params_{};
  char keyBuffer_[255] = {};
  int report_ = kDetail;
  const ReportLayout* layout_ = &kDetailLayout;

  // Released in the reverse order: the report, the index, the window (the
  // files close with the master item object, last).
  Window window_{};
  WindowGuard windowGuard_{&window_};
  IndexGuard indexGuard_{&params_};
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  bool pageStarted_ = false;
  int printed_ = 0;
  std::int64_t totalCents_ = 0;

  std::array<TagReportColumn, 3> heading1_{};
  std::array<TagReportColumn, 12> heading2_{};
  std::array<TagReportColumn, kLineCount + 1> line_{};
  std::array<TagReportColumn, 2> totalLine_{};

  // The values the layouts point at.
  char warehouse_[5] = {}, code_[21] = {}, description_[31] = {};
  char quantities_[kQuantities][16] = {};
  double cost_ = 0, value_ = 0, total_ = 0;
};

WarehouseRun::WarehouseRun() { params_.keyBuffer = keyBuffer_; }

int WarehouseRun::Run() {
  if (items_.TableOpen() != kStatusOk) return 0;
  params_.fileHandle = items_.GetHandle();
  params_.fileId = records::kFileMasterItems;
  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kReportId);
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', kWindowTitle) != 0) return 0;
  if (!Selection()) return 0;
  layout_ = report_ == kDetail ? &kDetailLayout : &kSummaryLayout;
  return Print();
}

bool WarehouseRun::Selection() {
  SelectionScreen s;
  if (OptionTableLoad(kSortFields, &s.choices[0]) != 0) return false;
  if (OptionTableLoad(kRankFields, &s.choices[1]) != 0) return false;
  if (!s.Load(kFormNumber)) return false;
  for (TagFormField& f : s.fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldSort) {
      SetChoiceFieldMask(f, s.choices[0]);
      f.exitCallback = SortChosen;
    } else if (n == kFieldRank) {
      SetChoiceFieldMask(f, s.choices[1]);
      f.exitCallback = RankChosen;
    } else if (IsPairField(n)) {
      f.exitCallback = IsFromField(n) ? RangeFieldEnter : RangeFieldExit;
      f.entryCallback = RangeFieldFocus;
    }
  }
  if (!s.Create()) return false;
  ScreenCtx ctx;
  ctx.params = &params_;
  ctx.masterItems = items_.GetHandle();
  ctx.window = &window_;
  ctx.form = &s.form;
  ctx.memory = &s.memory;
  if (s.Run(&window_, &ctx, FormStart, RestoreDefaults, LookUpKey, Accept, kRecords) != 0) return false;
  report_ = ctx.report;
  return true;
}

// The chosen report.  1 when the sort index could not be made, else 0.
int WarehouseRun::Print() {
  if (CreateWarehouseSortIndex(&params_) != kStatusOk) return 1;
  const int first = ReadFirstSelectedWarehouseItem(&params_, items_.pItem());
  if (first != kStatusOk) {
    // Nothing lies in the selection, however the walk found it.
    if (first == kStatusEndOfFile || first == kStatusKeyNotFound || first == kFirstPastEnd)
      MsgShow(kMsgNothingSelected, 1);
    return 0;
  }
  if (SetReportDestination("", &info_) != 0) return 0;
  info_.lineWidth = kLineWidth;
  if (!ReportOpen(&info_, layout_->runTitle)) return 0;
  HideSelectionWindow(&window_);
  BuildLayouts();
  if (Walk() != 0) return 0;
  if (printed_ == 0) {
    MsgShow(kMsgNothingSelected, 1);
    reportGuard_.Discard();
    return 0;
  }
  if (totalCents_ != 0) WriteTotal();
  ReportNewPage(&info_);
  CommandDone();
  return 0;
}

void WarehouseRun::BuildLayouts() {
  const ReportLayout& l = *layout_;
  for (std::size_t i = 0; i < l.heading1.size(); ++i)
    heading1_[i] = MakeColumn(kColumnText, "%s", l.heading1[i].x, l.heading1[i].text);
  for (std::size_t i = 0; i < l.heading2.size() && l.heading2[i].text; ++i)
    heading2_[i] = MakeColumn(kColumnText, "%s", l.heading2[i].x, l.heading2[i].text);
  char format[16];
  line_[kWarehouse] = MakeColumn(kColumnText, "%-4.4s", l.x[kWarehouse], warehouse_);
  line_[kWarehouse].hidden = l.sideBySideSelection ? 1 : 0;  // the summary shows no warehouse
  std::snprintf(format, sizeof format, "%%-%d.%ds", l.codeWidth, l.codeWidth);
  line_[kCode] = MakeColumn(kColumnText, format, l.x[kCode], code_);
  std::snprintf(format, sizeof format, "%%-%d.%ds", l.descriptionWidth, l.descriptionWidth);
  line_[kDescription] = MakeColumn(kColumnText, format, l.x[kDescription], description_);
  for (int q = 0; q < kQuantities; ++q)
    line_[static_cast<std::size_t>(kQuantity0 + q)] =
        MakeColumn(kColumnText, "%10.10s", l.x[static_cast<std::size_t>(kQuantity0 + q)], quantities_[q]);
  line_[kCost] = MakeColumn(kColumnDouble, "%11.4f", l.x[kCost], &cost_);
  line_[kValue] = MakeColumn(kColumnDouble, "%11.2f", l.x[kValue], &value_);
  totalLine_[0] = MakeColumn(kColumnDouble, "%11.2f", l.x[kValue], &total_);
}

// --- The walk ------------------------------------------------------------------------------

// 0 when the walk came to its end; otherwise it stopped (a user break, or a
// record-manager error after its box, the report then marked incomplete).
int WarehouseRun::Walk() {
  TagMasterItem& item = *items_.pItem();
  for (;;) {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) return 27;
    int pastEnd = 0;
    const bool selected = WarehouseItemPassesSelection(&params_, item, &pastEnd);
    if (pastEnd) return 0;
    if (selected && !PrintItem()) {
      EndIncompleteReport(&info_);
      return 1;
    }
    const int status = BtrvGetOp(kOpGetNext, params_.fileHandle, params_.keyBuffer, &item, sizeof item);
    if (status == kStatusEndOfFile) return 0;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, kOpGetNext, params_.fileId, 0);
      EndIncompleteReport(&info_);
      return 1;
    }
  }
}

// One master item: false after a record-manager error (its box shown).
bool WarehouseRun::PrintItem() {
  const TagMasterItem& item = *items_.pItem();
  const std::string code(records::Trimmed(item.code));
  if (const int status = items_.QueryMasterItems(code.c_str(), code.c_str()); status != kStatusOk) {
    MsgRecordError(status, 1, items_.FailedOperation(), items_.FailedFile(), 0);
    return false;
  }
  // A master item no sub-item stands for has nothing to show.
  if (items_.QueryGetCount() == 0) return true;
  items_.ConsolidateSubitems();
  const std::string description(records::Trimmed(item.description));
  ++printed_;
  const double value = items_.GetProductCurBal();
  totalCents_ += AmountCents(value);
  if (report_ == kSummary) {
    Room(1);
    SetLine("", code, description, *items_.pProd(), items_.GetProductAvg(), value);
    ReportWriteColumns(&info_, line_.data(), 1);
    return true;
  }
  for (const TagProduct* p = items_.GetFirstProd(); p; p = items_.GetNextProd()) {
    Room(1);
    SetLine(std::string(records::Trimmed(p->warehouse)), std::string(records::Trimmed(p->number)),
            std::string(records::Trimmed(p->description)), *p, p->averageCost, p->valueOnHand);
    ReportWriteColumns(&info_, line_.data(), 1);
  }
  // The consolidated line under a rule across the figures.
  Room(3);
  SetLine("", code, description, *items_.pProd(), items_.GetProductAvg(), value);
  for (int c : {kWarehouse, kCode, kDescription}) line_[static_cast<std::size_t>(c)].hidden = 1;
  ReportWriteRule(&info_, line_.data(), 1, '-');
  line_[kCode].hidden = line_[kDescription].hidden = 0;
  ReportWriteColumns(&info_, line_.data(), 2);
  line_[kWarehouse].hidden = 0;
  return true;
}

void WarehouseRun::SetLine(const std::string& warehouse, const std::string& code, const std::string& description,
                           const TagProduct& p, double cost, double value) {
  SetRowText(warehouse_, warehouse);
  SetRowText(code_, code);
  SetRowText(description_, description);
  const double quantities[3] = {p.quantityOnHand, p.secondQuantityOnHand, p.quantityAvailable};
  for (int q = 0; q < kQuantities; ++q) {
    const int fraction = q < 3 ? p.purchaseUnitFactor : p.salesUnitFactor;
    FitProductQuantity(quantities_[q], sizeof quantities_[q], quantities[q % 3], fraction, kQuantityWidth);
  }
  cost_ = cost;
  value_ = value;
}

void WarehouseRun::WriteTotal() {
  Room(2);
  total_ = static_cast<double>(totalCents_) / 100.0;
  ReportWriteRule(&info_, totalLine_.data(), 1, '-');
  ReportWriteColumns(&info_, totalLine_.data(), 1);
}

// --- Pages -----------------------------------------------------------------------------------

// A new page and its heading first when `lines` more do not fit the usable
// page, one line shorter than the writer's.
void WarehouseRun::Room(int lines) {
  if (!pageStarted_ || ReportPageFull(&info_, lines + 1)) PageHeading();
}

void WarehouseRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, line_.data(), 2);
  const std::string sorted = std::string("Sorted by: ") + params_.sortRange.caption;
  const std::string ranked = std::string("Ranked by: ") + params_.rankRange.caption;
  if (layout_->sideBySideSelection) {
    ReportPageStart(&info_, 0, 2);
    const TagRepFont font = info_.font;
    ReportBlockBegin(&info_, kFontTitle);
    ReportWriteText(&info_, kPageTitle, kReportCentred, 1);
    ReportBlockEnd(&info_);
    // Side by side: one in each half of the line.
    ReportBlockBegin(&info_, kFontHeading);
    ReportWriteText(&info_, sorted.c_str(), -5, 0);
    ReportWriteText(&info_, ranked.c_str(), -6, 1);
    ReportBlockEnd(&info_);
    ReportSkipLines(&info_, 1);
    ReportSetFont(&info_, &font);
  } else {
    WriteStackedPageHeading(&info_, kPageTitle, {sorted, ranked});
  }
  WriteHeadingRows(&info_, heading1_.data(), heading2_.data(), line_.data());
  pageStarted_ = true;
}

}  // namespace

int RunWarehouseStatusReport() {
  WarehouseRun run;
  return run.Run();
}
