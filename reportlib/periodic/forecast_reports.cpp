// Forecast and statistics reports: the statistics groups of the products or
// services, customers or vendors in a range, slot by slot (the year before
// last, last year, this year, the forecast), each group on a row of its own
// with a variance and a percentage, and the totals of the range.
//
// The forecast reports (381, 366, 371) measure the forecast against this
// year; the statistics reports (383, 368, 373) this year against the
// forecast.  Units print in purchase or sales units (the stock units divided
// by the product's or service's unit factor, a factor below 1 counting as
// 1), and the totals add the units as printed.  A user break or a read
// error ends the report without totals: totals of part of a range would
// read as the whole.
#include "periodic/forecast_reports.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "btrvc.h"
#include "periodic/forecast_range.h"
#include "periodic/forecast_screen.h"
#include "periodic/statistics_groups.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_frame.h"

namespace {

// The report's texts: block 205.
constexpr int kTextBlock = 205;
constexpr int kTextCount = 35;
constexpr int kTextOrderPrefix = 6;  // "Order: " before the order's name
constexpr int kTextTotals = 26;

constexpr int kLineWidth = 136;
constexpr int kSlots = 4;  // slots 0-3 print: the year before last .. the forecast
constexpr int kCurrentYear = 2;
constexpr int kForecastSlot = records::kStatisticsForecastSlot;

// --- What each report prints ----------------------------------------------------------

// One row of a record's block: a statistics group (its index among the
// file's groups), or a margin: the group less `costGroup`.
struct ReportRow {
  int label;  // text of block 205
  int group;
  int costGroup = -1;
};

constexpr ReportRow kProductRows[] = {
    {24, 1}, {16, 3}, {19, 4}, {20, 5}, {25, 0}, {21, 2},
};
constexpr ReportRow kServiceRows[] = {
    {24, 1}, {16, 0},
};
constexpr ReportRow kCustomerRows[] = {
    {15, 0}, {17, 1}, {18, 4}, {16, 2}, {19, 3}, {20, 2, 3},
};
constexpr ReportRow kVendorRows[] = {
    {15, 0}, {17, 1}, {21, 2}, {22, 4}, {23, 2, 4},
};

// The print columns of a family of reports.
struct ReportColumns {
  int codeX, nameX, labelX;
  const char* codeFormat;
  int slotX[kSlots];
  int varianceX, percentX;
  const char* varianceFormat;
  const char* percentFormat;
  const char* codeHeading;
  const char* nameHeading;
  const char* percentHeading;  // the "%" heading's format
  int orderLineX;              // where the order line goes
  bool totalsEndBlank;         // the totals block ends with an empty line, as a record's does
};

constexpr ReportColumns kInventoryColumns{0,       15,      56,       "%-14s", {69, 81, 93, 105}, 117, 129,
                                          "%11.0f", "%6.0f", "Product", "Description", "%-6s", kReportCentred,
                                          true};
constexpr ReportColumns kCustVendColumns{0,       11,      52,     "%-10s", {65, 77, 89, 101}, 113, 125,
                                         "%11.2f", "%9.0f", "Code", "Name", "%-9s", 1, false};

struct ReportFile {
  int fileNo;
  std::size_t nameOffset;  // the name (or description) printed beside the code
  std::size_t nameLength;
  std::span<const ReportRow> rows;
  std::span<const int> orderTexts;  // texts of block 205 naming orders 1, 2, ...
  const ReportColumns* columns;
  // A record's block starts a new page when it would take the line count
  // past the page length with this many lines; the totals likewise.
  int recordLines;
  int totalsLines;
};

constexpr int kProductOrderTexts[] = {7, 8, 14, 13};
constexpr int kServiceOrderTexts[] = {7, 8};
constexpr int kCustomerOrderTexts[] = {7, 8, 9};
constexpr int kVendorOrderTexts[] = {7, 10, 11};

#define QX_NAME(Rec, member) offsetof(Rec, member), sizeof(Rec::member)
constexpr ReportFile kReportFiles[] = {
    {records::kFileProducts, QX_NAME(records::TagProduct, description), kProductRows, kProductOrderTexts,
     &kInventoryColumns, 8, 7},
    {records::kFileServices, QX_NAME(records::ServiceRecord, description), kServiceRows, kServiceOrderTexts,
     &kInventoryColumns, 8, 3},
    {records::kFileCustomers, QX_NAME(records::CustVendRecord, name), kCustomerRows, kCustomerOrderTexts,
     &kCustVendColumns, 7, 6},
    {records::kFileVendors, QX_NAME(records::CustVendRecord, name), kVendorRows, kVendorOrderTexts,
     &kCustVendColumns, 6, 5},
};
#undef QX_NAME

const ReportFile& ReportFileOf(int fileNo) {
  for (const ReportFile& f : kReportFiles)
    if (f.fileNo == fileNo) return f;
  return kReportFiles[0];
}

// Each command: its screen's form, the title of its run, the text of its
// title line, and whether it measures this year against the forecast.
struct ReportCommand {
  int commandId;
  int form;
  const char* reportId;
  const char* title;
  int titleText;
  bool statistics;
};

constexpr ReportCommand kCommands[] = {
    {381, 387, "RSPrintINForecast", "Inventory Forecast", 2, false},
    {383, 388, "RSPrintINStatYTD", "Inventory Forecast", 5, true},
    {366, 386, "RSPrintForecast", "AR/AP Forecast", 0, false},
    {368, 385, "RSPrintStatYTD", "AR/AP Forecast", 3, true},
    {371, 386, "RSPrintForecast", "AR/AP Forecast", 1, false},
    {373, 385, "RSPrintStatYTD", "AR/AP Forecast", 4, true},
};

const ReportCommand* CommandOf(int commandId) {
  for (const ReportCommand& c : kCommands)
    if (c.commandId == commandId) return &c;
  return nullptr;
}

// --- The slots of a record ----------------------------------------------------------------

// Slots 0-3 of every group of a record as the report prints them, or their
// totals over the records printed.
struct GroupSlots {
  static constexpr int kMaxGroups = 6;  // a product's
  double value[kMaxGroups][kSlots] = {};

  void Add(const GroupSlots& other) {
    for (int g = 0; g < kMaxGroups; ++g)
      for (int s = 0; s < kSlots; ++s) value[g][s] += other.value[g][s];
  }
};

GroupSlots SlotsOf(const periodic::StatisticsFile& file, const unsigned char* record) {
  GroupSlots slots;
  int g = 0;
  for (const periodic::StatisticsGroup& group : file.groups) {
    if (g == GroupSlots::kMaxGroups) break;
    if (group.IsCount()) {
      std::int32_t v[kSlots];
      std::memcpy(v, record + group.offset, sizeof v);
      for (int s = 0; s < kSlots; ++s) slots.value[g][s] = v[s];
    } else {
      std::memcpy(slots.value[g], record + group.offset, sizeof slots.value[g]);
    }
    if (group.factorOffset != 0) {
      std::int16_t factor = 0;
      std::memcpy(&factor, record + group.factorOffset, sizeof factor);
      for (double& v : slots.value[g]) v = NumDivide(v, factor < 1 ? 1.0 : static_cast<double>(factor));
    }
    ++g;
  }
  return slots;
}

// --- The report run ---------------------------------------------------------------------

class ReportRun {
 public:
  ReportRun(const ReportCommand& command, int fileNo, int order)
      : command_(command), file_(ReportFileOf(fileNo)), stats_(*periodic::StatisticsFileOf(fileNo)), order_(order) {}

  // Prints the range from its first record, in `record`.  Nothing is
  // printed when the report's texts cannot be read (the reason was shown).
  void Print(forecast::ForecastRange* range, std::vector<unsigned char>* record, Window* selection);

 private:
  void BuildLayouts();
  void PageHeading();
  void WriteBlock(const GroupSlots& slots, const std::string& code, const std::string& name, bool totals);

  const ReportCommand& command_;
  const ReportFile& file_;
  const periodic::StatisticsFile& stats_;
  int order_;
  const char* texts_[kTextCount] = {};

  TagRepInfo info_{};
  std::array<TagReportColumn, 10> headings_{};
  std::array<TagReportColumn, 10> row_{};
  char code_[16] = {};
  char name_[42] = {};
  char label_[16] = {};
  double values_[kSlots] = {};
  double variance_ = 0;
  double percent_ = 0;
};

void ReportRun::Print(forecast::ForecastRange* range, std::vector<unsigned char>* record, Window* selection) {
  if (ScreenTextLoad(kTextBlock, texts_, kTextCount) != 0) return;
  struct TextsGuard {
    const char** texts;
    ~TextsGuard() { ScreenTextFree(texts); }
  } texts{texts_};

  SetReportDestination("", &info_);
  info_.lineWidth = kLineWidth;
  ReportRunGuard guard(&info_);
  if (!ReportOpen(&info_, command_.title)) return;
  HideSelectionWindow(selection);
  BuildLayouts();
  PageHeading();

  GroupSlots totals;
  bool stopped = false;
  do {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) {
      stopped = true;
      break;
    }
    if (info_.lineCount + file_.recordLines > info_.pageLength) {
      ReportNewPage(&info_);
      PageHeading();
    }
    const GroupSlots slots = SlotsOf(stats_, record->data());
    totals.Add(slots);
    const char* r = reinterpret_cast<const char*>(record->data());
    const char* name = r + file_.nameOffset;
    WriteBlock(slots, std::string(r, strnlen(r, stats_.codeLength)), std::string(name, strnlen(name, file_.nameLength)),
               false);
  } while (forecast::NextRecordInRange(range, record->data()));
  range->DropIndex();

  if (range->Failed()) {
    EndIncompleteReport(&info_);
  } else if (!stopped) {
    if (info_.lineCount + file_.totalsLines > info_.pageLength) {
      ReportNewPage(&info_);
      PageHeading();
    }
    WriteBlock(totals, "", texts_[kTextTotals], true);
    CommandDone();
  }
  guard.Close();
}

void ReportRun::BuildLayouts() {
  const ReportColumns& c = *file_.columns;
  constexpr const char* kYears[kSlots] = {"Yr.Bef.Lt", "Last Year", "First Year", "Forecast"};
  headings_[0] = MakeColumn(kColumnText, c.codeFormat, c.codeX, c.codeHeading);
  headings_[1] = MakeColumn(kColumnText, "%-40s", c.nameX, c.nameHeading);
  headings_[2] = MakeColumn(kColumnText, "%-12s", c.labelX, "");
  for (int s = 0; s < kSlots; ++s)
    headings_[static_cast<std::size_t>(3 + s)] = MakeColumn(kColumnText, "%-11s", c.slotX[s], kYears[s]);
  headings_[7] = MakeColumn(kColumnText, "%-11s", c.varianceX, "Variance");
  headings_[8] = MakeColumn(kColumnText, c.percentHeading, c.percentX, "%");

  row_[0] = MakeColumn(kColumnText, c.codeFormat, c.codeX, code_);
  row_[1] = MakeColumn(kColumnText, "%-40s", c.nameX, name_);
  row_[2] = MakeColumn(kColumnText, "%-12s", c.labelX, label_);
  for (int s = 0; s < kSlots; ++s)
    row_[static_cast<std::size_t>(3 + s)] = MakeColumn(kColumnAmount, "%11.2f", c.slotX[s], &values_[s]);
  row_[7] = MakeColumn(kColumnAmount, c.varianceFormat, c.varianceX, &variance_);
  row_[8] = MakeColumn(kColumnAmount, c.percentFormat, c.percentX, &percent_);
}

void ReportRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, headings_.data(), 2);
  ReportPageStart(&info_, 0, 2);
  const TagRepFont font = info_.font;
  ReportBlockBegin(&info_, kFontTitle);
  ReportWriteText(&info_, texts_[command_.titleText], kReportCentred, 1);
  ReportBlockEnd(&info_);
  ReportSetFont(&info_, kFontHeading);
  const std::span<const int> orders = file_.orderTexts;
  const int orderText = orders[order_ >= 1 && order_ <= static_cast<int>(orders.size())
                                   ? static_cast<std::size_t>(order_ - 1)
                                   : 0];
  const std::string orderLine = std::string(texts_[kTextOrderPrefix]) + texts_[orderText];
  ReportWriteText(&info_, orderLine.c_str(), file_.columns->orderLineX, 1);
  ReportBlockBegin(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, headings_.data(), 1);
  ReportBlockEnd(&info_);
  ReportWriteRule(&info_, headings_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount);
}

// The rows of one record (or of the totals): the code and name on the
// first, each row's slots, variance and percentage.
void ReportRun::WriteBlock(const GroupSlots& slots, const std::string& code, const std::string& name, bool totals) {
  SetRowText(code_, code);
  SetRowText(name_, name);
  const std::size_t rows = file_.rows.size();
  for (std::size_t i = 0; i < rows; ++i) {
    const ReportRow& row = file_.rows[i];
    SetRowText(label_, texts_[row.label]);
    for (int s = 0; s < kSlots; ++s)
      values_[s] = slots.value[row.group][s] - (row.costGroup >= 0 ? slots.value[row.costGroup][s] : 0.0);
    const double base = command_.statistics ? values_[kForecastSlot] : values_[kCurrentYear];
    variance_ = command_.statistics ? values_[kCurrentYear] - values_[kForecastSlot]
                                    : values_[kForecastSlot] - values_[kCurrentYear];
    percent_ = NumRound(NumDivide(variance_, base) * 100.0, 3);
    const bool counts = row.costGroup < 0 && stats_.groups[static_cast<std::size_t>(row.group)].IsCount();
    for (int s = 0; s < kSlots; ++s)
      std::snprintf(row_[static_cast<std::size_t>(3 + s)].format, sizeof row_[0].format, "%s",
                    counts ? "%11d" : "%11.2f");
    row_[0].hidden = row_[1].hidden = i == 0 ? 0 : 1;
    if (totals) row_[0].hidden = 1;
    const bool last = i + 1 == rows;
    ReportWriteColumns(&info_, row_.data(), last && (!totals || file_.columns->totalsEndBlank) ? 2 : 1);
  }
}

// --- The selection screen ---------------------------------------------------------------

int InventoryPair(int, int order) {
  switch (order) {
    case 2: return 5;
    case 3: return 7;
    case 4: return 9;
    default: return 3;
  }
}
int CustVendPair(int, int order) { return order == 1 ? 2 : 4; }

constexpr forecast::ScreenFields kInventoryFields{1, 2, 3, 10, InventoryPair};
constexpr forecast::ScreenFields kCustVendFields{0, 1, 2, 5, CustVendPair};

struct ScreenRun {
  ScreenRun(const ReportCommand& c, const forecast::ScreenFields& fields, int fileNo)
      : command(c), screen(fields, fileNo, this) {}
  const ReportCommand& command;
  forecast::ForecastScreen screen;
  FileSet files;
  Window window{};
};

ScreenRun* RunOf(Form* form) { return static_cast<ScreenRun*>(forecast::ForecastScreen::Of(form)->owner()); }

int OnStart(Form* form, int) {
  RunOf(form)->screen.Begin(form);
  return 0x80;
}

int OnPrint(Form* form, KeyCode) {
  ScreenRun* run = RunOf(form);
  const int fileNo = run->screen.fileNo();
  const int order = run->screen.Order(form);
  std::vector<unsigned char> record(periodic::StatisticsFileOf(fileNo)->recordLength);
  forecast::ForecastRange range(fileNo, run->files.HandleOf(fileNo), order, run->screen.From(form),
                                run->screen.To(form));
  if (const int refused = forecast::StartOrRefuse(&range, record.data())) return refused;
  ReportRun report(run->command, fileNo, order);
  report.Print(&range, &record, &run->window);
  return 1;
}

template <class... Files>
int RunReportScreen(const ReportCommand& command, const forecast::ScreenFields& fields, int fileNo, int rows,
                    Files... files) {
  ScreenRun run(command, fields, fileNo);
  if (const int status = FileSetOpen(&run.files, files...); status != kStatusOk) return status;
  FormDef def;
  if (FormDefLoad(&def, command.form) != 0) return 0;
  if (!run.screen.LoadOrders()) return 0;
  std::vector<TagFormField> table = def.fields;
  run.screen.HookFields(&table);

  Form form{};
  struct Release {
    Form* form;
    Window* window;
    bool windowOpen = false;
    ~Release() {
      if (windowOpen) WinClose(window, 1);
      FormEnd(form);
    }
  } release{&form, &run.window};
  FormBegin(&form);
  if (FormFieldsCreate(&form, table.data(), 1) != 1) return 27;
  FormDefUse(&form, &def);
  form.context = &run.screen;
  form.startHook = OnStart;
  form.eventHook = StandardReportCallback;
  std::snprintf(form.reportId, sizeof form.reportId, "%s", command.reportId);
  if (WinOpen(&run.window, 7, 20, rows, 60, 1, 1, ' ', GetCaption(kCaptionWindow)) != 0) return 0;
  release.windowOpen = true;
  FormAttachWindow(&run.window, &form, 1);
  FormSetup(&form, 0, 0);
  FormOnKey(&form, kKeyF10, OnPrint, "Print");
  FormRun(&form, 0);
  return 0;
}

}  // namespace

int RunInventoryForecastReport(int commandId) {
  const ReportCommand* command = CommandOf(commandId);
  if (command == nullptr) return 0;
  return RunReportScreen(*command, kInventoryFields, records::kFileProducts, 12, records::kFileProducts,
                         records::kFileServices);
}

int RunCustVendForecastReport(int commandId) {
  const ReportCommand* command = CommandOf(commandId);
  if (command == nullptr) return 0;
  const int fileNo = commandId == 371 || commandId == 373 ? records::kFileVendors : records::kFileCustomers;
  return RunReportScreen(*command, kCustVendFields, fileNo, 11, fileNo);
}
