// Forecast calculation: slot 3 ("Forecast") of every statistics group of
// the customers, vendors, products or services in a range, by one of four
// methods over the slots before it (the year before last, last year, this
// year).
//
// The percentage of method 2 is the decimal number typed: its share of a
// slot is computed in double and taken to 6 decimals, so that 1.1 % of 1,000
// is 11 and not a hair under it (a count group truncates the share).  Dollar
// groups keep their forecasts to the cent, as every amount of the books.
//
// A run is one record-manager transaction, like price assignment and global
// change: a read or write failure part way leaves every record as it was,
// so the run can simply be made again.  An order whose index cannot be
// built runs nothing: read in code order, a department or bin range would
// stop at the first record outside it and forecast an arbitrary part of it.
#include "periodic/forecast_calc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "btrvc.h"
#include "periodic/forecast_range.h"
#include "periodic/forecast_screen.h"
#include "periodic/periodic_frame.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"

using periodic::Failure;
using periodic::GroupKind;

namespace {

constexpr int kMsgPercentRequired = 21;

constexpr int kForecastSlot = records::kStatisticsForecastSlot;

// --- The methods ------------------------------------------------------------------------

// The share `percent` % of `value`, to 6 decimals.
double Share(double value, double percent) { return NumRound(value * percent / 100.0, 6); }

std::int32_t ClampCount(double value) {
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(value, kLow, kHigh));
}
std::int32_t ClampCount(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                           std::numeric_limits<std::int32_t>::max()));
}

// A zero result as +0, so that no forecast prints as "-0.00".
double Plain(double value) { return value == 0 ? 0.0 : value; }

// --- The screens --------------------------------------------------------------------------

// The method list; 0xFF is the screen font's hard blank.
constexpr const char* kMethods = "\x01Previous Year,Previous\xFF+/- Pct,Previous\xFF+/- Trend,Trend\xFFLine";
constexpr const char* kKinds = "\x01Product,Service";

struct CalcScreen {
  const char* reportId;
  int windowRows;
  int methodField;
  int percentField;
  forecast::ScreenFields fields;
  // The fields, as the screen reads them; its order list is set at run time.
  std::vector<TagFormField> (*table)();
};

TagFormField Field(int number, int row, const char* mask, const char* label, const char* choices = nullptr) {
  TagFormField f{};
  f.number = static_cast<std::uint8_t>(number);
  f.row = static_cast<std::uint8_t>(row);
  f.column = 14;
  f.labelColumn = 2;
  f.attributes = 380;
  std::snprintf(f.mask, sizeof f.mask, "%s", mask);
  f.label = label;
  f.choices = choices;
  return f;
}

// Products and services: their kind, the method and percentage, the order
// and its four pairs (code, department, vendor, bin) on rows 5 and 6.
std::vector<TagFormField> InventoryTable() {
  return {Field(1, 1, "%-20sm", "Records", kKinds),     Field(2, 2, "%-20sm", "Method", kMethods),
          Field(3, 3, "%5.2f", "Percentage"),           Field(4, 4, "%-29sm", "Order"),
          Field(5, 5, "%-14sC", "From"),                Field(6, 6, "%-14sC", "To"),
          Field(7, 5, "%-5s", "From"),                  Field(8, 6, "%-5s", "To"),
          Field(9, 5, "%-10sC", "From"),                Field(10, 6, "%-10sC", "To"),
          Field(11, 5, "%-8s", "From"),                 Field(12, 6, "%-8s", "To"),
          TagFormField{}};
}
int InventoryPair(int, int order) {
  switch (order) {
    case 2: return 7;
    case 3: return 9;
    case 4: return 11;
    default: return 5;
  }
}

// Customers and vendors: the method and percentage, the order and its pairs
// on rows 4 and 5: code, then department, salesperson or territory, then
// the vendors' type.
std::vector<TagFormField> CustVendTable() {
  return {Field(1, 1, "%-20sm", "Method", kMethods), Field(2, 2, "%5.2f", "Percentage"),
          Field(3, 3, "%-29sm", "Order"),            Field(4, 4, "%-10sC", "From"),
          Field(5, 5, "%-10sC", "To"),               Field(6, 4, "%-5s", "From"),
          Field(7, 5, "%-5s", "To"),                 Field(8, 4, "%-5sC", "From"),
          Field(9, 5, "%-5sC", "To"),                TagFormField{}};
}
int CustVendPair(int fileNo, int order) {
  if (order == 1) return 4;
  return fileNo == records::kFileVendors && order == 2 ? 8 : 6;
}

const CalcScreen kInventoryScreen{"RSCalcINForecast", 16, 2, 3, {1, 4, 5, 12, InventoryPair}, InventoryTable};
const CalcScreen kCustVendScreen{"RSCalcRPForecast", 15, 1, 2, {0, 3, 4, 9, CustVendPair}, CustVendTable};

// The progress box: the code of the record being forecast.
constexpr TagFormField kProgressLines[] = {
    {.number = 1, .row = 1, .column = 2, .mask = "%-15s"},
    {},
};

struct CalcRun {
  CalcRun(const CalcScreen& s, int fileNo) : layout(s), screen(s.fields, fileNo, this) {}
  const CalcScreen& layout;
  forecast::ForecastScreen screen;
  FileSet files;
  std::vector<TagFormField> fields;
  Form form{};
  Window window{};
};

CalcRun* RunOf(Form* form) { return static_cast<CalcRun*>(forecast::ForecastScreen::Of(form)->owner()); }

int OnStart(Form* form, int) {
  CalcRun* run = RunOf(form);
  char zero[32];
  FieldSetText(form, run->layout.percentField, NumToText(zero, 0, 2));
  FieldSetProtect(form, run->layout.percentField, 1);
  run->screen.Begin(form);
  return 0;
}

// The percentage is entered for method 2 only.
int OnMethodLeft(Form* form, int field) {
  const int percent = RunOf(form)->layout.percentField;
  FieldSetProtect(form, percent, FieldGetChoice(form, field) == kForecastPreviousPercent ? 0 : 1);
  FieldRedraw(form, percent);
  return 0;
}

// The record positions of the range, from the first record, already read
// into `record`.  Empty after a read error (shown by the walk) or when a
// position cannot be had (shown here).
std::vector<std::array<std::uint8_t, 4>> RangePositions(forecast::ForecastRange* range, BtrvHandle handle,
                                                       std::vector<unsigned char>* record) {
  std::vector<std::array<std::uint8_t, 4>> positions;
  do {
    std::array<std::uint8_t, 4>& at = positions.emplace_back();
    if (const int status = BtrvPosition(kOpGetDirect, handle, at.data()); status != kStatusOk) {
      Failure{status, kOpGetDirect, range->fileNo()}.Show();
      return {};
    }
  } while (forecast::NextRecordInRange(range, record->data()));
  if (range->Failed()) return {};
  return positions;
}

// Forecasts every record at `positions` that still lies in `range` and
// commits them together.  Failures are shown.
void CalculateRecords(const forecast::ForecastRange& range, BtrvHandle handle, const periodic::StatisticsFile& file,
                      int method, double percent, const std::vector<std::array<std::uint8_t, 4>>& positions) {
  const std::string title = GetCaption(kCaptionWindow);
  periodic::StatusBoxGuard box({.top = 4, .left = 5, .lines = 3, .width = 73, .titleText = title.c_str(),
                                .reportId = "RSCALCFORCAST", .fields = kProgressLines});
  std::vector<unsigned char> record(file.recordLength);
  BtrvTransactionScope transaction;
  Failure failure;
  if (const int status = transaction.Begin(); status != kStatusOk) failure = {status, kOpBeginTransaction, file.fileNo};
  for (std::size_t i = 0; i < positions.size() && !failure.Failed(); ++i) {
    std::memcpy(record.data(), positions[i].data(), positions[i].size());
    char key[255] = {};
    if (const int status = BtrvGetOp(kOpGetDirect, handle, key, record.data()); status != kStatusOk) {
      failure = {status, kOpGetDirect, file.fileNo};
      break;
    }
    // Another user may have moved the record out of the range meanwhile.
    if (!range.Contains(record.data())) continue;
    char code[32] = {};
    std::memcpy(code, record.data(), std::min(file.codeLength, sizeof code - 1));
    StatusBoxRecord(0, code);
    ForecastRecord(method, percent, file, record.data());
    if (const int status = BtrvWriteOp(kOpUpdate, handle, nullptr, record.data()); status != kStatusOk)
      failure = {status, kOpUpdate, file.fileNo};
    AppIdle();
  }
  if (!failure.Failed()) {
    if (const int status = transaction.Commit(); status != kStatusOk) failure = {status, kOpEndTransaction, file.fileNo};
  }
  box.Close();
  if (failure.Failed()) failure.Show();
  else CommandDone();
}

int OnCalculate(Form* form, KeyCode) {
  CalcRun* run = RunOf(form);
  const int method = FieldGetChoice(form, run->layout.methodField);
  double percent = 0;
  if (FieldGetTyped(form, run->layout.percentField, 1, &percent) != 1) percent = 0;
  if (method == kForecastPreviousPercent && percent == 0) {
    MsgShow(kMsgPercentRequired);
    FieldSetFocus(form, run->layout.percentField);
    return 0x20;
  }
  const int fileNo = run->screen.fileNo();
  const periodic::StatisticsFile& file = *periodic::StatisticsFileOf(fileNo);
  const BtrvHandle handle = run->files.HandleOf(fileNo);
  std::vector<unsigned char> record(file.recordLength);
  forecast::ForecastRange range(fileNo, handle, run->screen.Order(form), run->screen.From(form),
                                run->screen.To(form));
  if (const int refused = forecast::StartOrRefuse(&range, record.data())) return refused;
  // The range is read first and written afterwards, with its index gone: a
  // write keeps every temporary index of the file in step, so writing while
  // it stands would make each write cost a look through the whole index.
  const auto positions = RangePositions(&range, handle, &record);
  range.DropIndex();
  if (!positions.empty()) CalculateRecords(range, handle, file, method, percent, positions);
  return 1;
}

// The screen of `layout` over `fileNo`; `files` are the files it opens.
template <class... Files>
int RunCalcScreen(const CalcScreen& layout, int fileNo, Files... files) {
  CalcRun run(layout, fileNo);
  if (const int status = FileSetOpen(&run.files, files...); status != kStatusOk) return status;
  if (!run.screen.LoadOrders()) return 0;
  run.fields = layout.table();
  run.screen.HookFields(&run.fields);
  for (TagFormField& f : run.fields)
    if (f.number == layout.methodField) f.exitCallback = OnMethodLeft;

  struct Release {
    CalcRun& run;
    bool windowOpen = false;
    ~Release() {
      if (windowOpen) WinClose(&run.window, 1);
      FormEnd(&run.form);
    }
  } release{run};
  FormBegin(&run.form);
  if (FormFieldsCreate(&run.form, run.fields.data(), 1) != 1) return 27;
  run.form.context = &run.screen;
  run.form.startHook = OnStart;
  run.form.eventHook = FormStandardHook;
  std::snprintf(run.form.reportId, sizeof run.form.reportId, "%s", layout.reportId);
  if (WinOpen(&run.window, 7, 2, layout.windowRows, 76, 1, 1, ' ', GetCaption(kCaptionWindow)) != 0) return 0;
  release.windowOpen = true;
  FormAttachWindow(&run.window, &run.form, 1);
  FormSetup(&run.form, 0, 0);
  FormOnKey(&run.form, kKeyF10, OnCalculate, "Calculate");
  FormRun(&run.form, 0);
  return 0;
}

}  // namespace

// --- The methods --------------------------------------------------------------------------

std::int32_t ForecastCount(int method, double percent, const std::int32_t (&slots)[4]) {
  const std::int64_t s0 = slots[0], s1 = slots[1], s2 = slots[2];
  switch (method) {
    case kForecastPreviousYear: return slots[2];
    case kForecastPreviousPercent: return ClampCount(static_cast<double>(s2) + std::trunc(Share(s2, percent)));
    case kForecastPreviousTrend: return ClampCount(std::max<std::int64_t>(0, (s2 - s1) + s2));
    case kForecastTrendLine: return ClampCount((s2 - s0) + (s0 + s1 + s2) / 3);
    default: return slots[kForecastSlot];
  }
}

double ForecastAmount(int method, double percent, const double (&slots)[4], GroupKind kind) {
  const double s0 = slots[0], s1 = slots[1], s2 = slots[2];
  double s3 = slots[kForecastSlot];
  switch (method) {
    case kForecastPreviousYear: s3 = s2; break;
    case kForecastPreviousPercent: s3 = s2 + Share(s2, percent); break;
    case kForecastPreviousTrend: s3 = std::max(0.0, (s2 - s1) + s2); break;
    case kForecastTrendLine: s3 = (s2 - s0) + (s0 + s1 + s2) / 3.0; break;
    default: return s3;
  }
  return Plain(kind == GroupKind::kDollars ? NumRound(s3, 2) : s3);
}

void ForecastRecord(int method, double percent, const periodic::StatisticsFile& file, unsigned char* record) {
  // The groups stand at odd offsets of a packed record: each is worked on
  // in an aligned copy.
  for (const periodic::StatisticsGroup& g : file.groups) {
    if (g.IsCount()) {
      std::int32_t slots[4];
      std::memcpy(slots, record + g.offset, sizeof slots);
      slots[kForecastSlot] = ForecastCount(method, percent, slots);
      std::memcpy(record + g.offset, slots, sizeof slots);
    } else {
      double slots[4];
      std::memcpy(slots, record + g.offset, sizeof slots);
      slots[kForecastSlot] = ForecastAmount(method, percent, slots, g.kind);
      std::memcpy(record + g.offset, slots, sizeof slots);
    }
  }
}

// --- Entries --------------------------------------------------------------------------------

int RunInventoryForecastCalc(int) {
  return RunCalcScreen(kInventoryScreen, records::kFileProducts, records::kFileProducts, records::kFileServices);
}

int RunCustVendForecastCalc(int commandId) {
  const int fileNo = commandId == 372 ? records::kFileVendors : records::kFileCustomers;
  return RunCalcScreen(kCustVendScreen, fileNo, fileNo);
}
