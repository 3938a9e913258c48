// The price breaks report (command 353): the price-break tables (file 42)
// between two table codes, each with its code, description, type and
// rounding, then its amount, or for a quantity table up to five quantity
// limits with their percentages, one to a line.
#include "reports/inventory/price_breaks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_frame.h"
#include "selection_fields.h"

namespace {

constexpr int kFormNumber = 353;
constexpr const char* kReportId = "RSPriceBreakReport";
constexpr const char* kMruKey = "PriceBreak";
constexpr const char* kWindowTitle = "Price Breaks";
constexpr const char* kRunTitle = "Price Breaks";

// The selection window: row 5, column 27, 9 rows by 51 columns.
constexpr int kWindowTop = 5, kWindowLeft = 27, kWindowRows = 9, kWindowCols = 51;

constexpr int kFieldFrom = 1, kFieldTo = 2;
constexpr int kMruRecords = 3;  // fields 1 and 2 and the closing record

constexpr int kMsgFromAfterTo = 205;

// Table codes in key form: at most 5 characters.
constexpr std::size_t kCodeWidth = 5;
constexpr int kLevels = 5;

// --- The selection screen -----------------------------------------------------------------

const MruFieldTable<kMruRecords> kMruTable;

class PriceBreakMruParam final : public CQxRepMRUParam {};

struct ScreenCtx {
  Window* window = nullptr;
  std::string from, to;  // the range accepted ("" open)
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

ScreenCtx* CtxOf(Form* form) { return static_cast<ScreenCtx*>(form->context); }

void WritePrompts(ScreenCtx* ctx) {
  WinWriteFromLabel(ctx->window, 0, kFieldFrom);
  WinWriteToLabel(ctx->window, 0, kFieldTo);
}

// The form's start: both ends open, then the user's remembered range.
int FormStart(Form* form, int) {
  ScreenCtx* ctx = CtxOf(form);
  FieldSetText(form, kFieldFrom, kRangeFirst);
  FieldSetText(form, kFieldTo, kRangeLast);
  WritePrompts(ctx);
  if (ctx->collection) ctx->collection->BackupAll();
  ctx->mru = nullptr;
  if (!CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return 0;
  ctx->mru = new (std::nothrow) PriceBreakMruParam;
  if (ctx->mru == nullptr) return 0;
  ctx->mru->Initialize(SharedAppBlockGet()->userName, kMruKey, kMruTable.fields);
  if (ctx->mru->LoadAllFields()) ctx->mru->StructToScreen(form);
  return 0;
}

int RestoreDefaults(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  FieldSetFocus(form, kFieldFrom);
  if (ctx->collection) ctx->collection->RestoreAll();
  WritePrompts(ctx);
  return 0x80;
}

// A range end as typed; "" for an open end (blank, or the "FIRST"/"LAST "
// the range fields show for one).
std::string RangeEndText(Form* form, int field) {
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  const std::string t = TrimText(text);
  if (t == TrimText(kRangeFirst) || t == TrimText(kRangeLast)) return "";
  return t;
}

// F10: the range is taken when from does not lie after to.
int Accept(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  const std::string from = RangeEndText(form, kFieldFrom);
  const std::string to = RangeEndText(form, kFieldTo);
  if (!from.empty() && !to.empty() && oem::CompareText(from, to) > 0) {
    MsgShow(kMsgFromAfterTo, 1);
    FieldSetFocus(form, kFieldFrom);
    return 0x20;
  }
  ctx->from = from;
  ctx->to = to;
  return 1;
}

// Runs the screen in ctx->window: 0 accepted (ctx->from/to set), 27 left
// with Esc, 1 when the screen could not be made (after its message).
int SelectionScreen(ScreenCtx* ctx) {
  FormDef def;
  if (FormDefLoad(&def, kFormNumber) != 0) return 1;
  std::vector<TagFormField> fields = def.fields;
  for (TagFormField& f : fields) {
    if (f.number == kFieldFrom) f.exitCallback = RangeFieldEnter;
    if (f.number == kFieldTo) f.exitCallback = RangeFieldExit;
    if (f.number == kFieldFrom || f.number == kFieldTo) f.entryCallback = RangeFieldFocus;
  }
  struct FormGuard {
    ScreenCtx* ctx;
    Form form{};
    ~FormGuard() {
      FormEnd(&form);
      CQxBaseRepParam::ReportDefAndMRUFree(ctx->copy, ctx->collection, ctx->mru);
    }
  } guard{ctx};
  Form* form = &guard.form;
  FormBegin(form);
  if (!FormFieldsCreate(form, fields.data(), 1)) return 1;
  FormDefUse(form, &def);
  SetUpScreenForm(form, ctx->window, kReportId, ctx, FormStart);
  FormOnKey(form, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(form, kKeyF10, Accept, "Print");
  if (!CQxBaseRepParam::RunRemembered(ctx->copy, ctx->collection, ctx->mru, form, kMruRecords)) return 27;
  return 0;
}

// --- The report ---------------------------------------------------------------------------

enum Column { kCode, kDescription, kType, kRounding, kLimit, kPercent, kAmount, kColumnCount };

class PriceBreakRun {
 public:
  PriceBreakRun() = default;
  PriceBreakRun(const PriceBreakRun&) = delete;
  PriceBreakRun& operator=(const PriceBreakRun&) = delete;

  int Run();

 private:
  void Print(const std::string& from, const std::string& to);
  // Reads with `op`: 0 with a table in the range, 9 past its end or the
  // file's, another status after the error box.
  int Read(int op, const std::string& to);
  void BuildLayouts();
  void PageHeading();
  void WriteTable();
  void WriteFirstLine();
  void WriteLevel(int level);
  bool PageFull() const { return ReportPageFull(&info_, 2); }

  records::PriceBreak table_{};
  char key_[255] = {};

  // Released in the reverse order: the report, the file, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  BtrvHandle handle_ = 0;
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  bool pageStarted_ = false;
  std::array<TagReportColumn, kColumnCount + 1> heading_{};
  std::array<TagReportColumn, kColumnCount + 1> line_{};

  // The values the line points at.
  char code_[6] = {}, description_[31] = {}, type_[9] = {}, rounding_[9] = {}, limit_[16] = {};
  float percent_ = 0;
  double amount_ = 0;
};

int PriceBreakRun::Run() {
  if (FileSetOpen(&files_, records::kFilePriceBreaks) != kStatusOk) return 0;
  handle_ = files_.handle[0];
  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kReportId);
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', kWindowTitle) != 0) return 0;
  ScreenCtx ctx;
  ctx.window = &window_;
  const int screen = SelectionScreen(&ctx);
  if (screen != 0) return screen == 27 ? 27 : 0;
  Print(ctx.from, ctx.to);
  reportGuard_.Close();
  return 0;
}

int PriceBreakRun::Read(int op, const std::string& to) {
  const int status = BtrvGetOp(op, handle_, key_, &table_, sizeof table_);
  if (status == kStatusEndOfFile) return kStatusEndOfFile;
  if (status != kStatusOk) {
    MsgRecordError(status, 1, op, records::kFilePriceBreaks, 0);
    return status;
  }
  // The file is read in code order: past the to end nothing more lies in
  // the range.  Codes compare as the key orders them.
  if (!to.empty() && oem::CompareText(TrimField(table_.tableCode), to) > 0) return kStatusEndOfFile;
  return kStatusOk;
}

void PriceBreakRun::Print(const std::string& from, const std::string& to) {
  std::memset(key_, 0, sizeof key_);
  std::memcpy(key_, from.data(), std::min(from.size(), kCodeWidth));
  int status = Read(kOpGetGreaterOrEqual, to);
  if (status == kStatusEndOfFile) {
    MsgShow(kMsgNothingSelected, 1);
    return;
  }
  if (status != kStatusOk) return;

  SetReportDestination("", &info_);
  if (!ReportOpen(&info_, kRunTitle)) return;
  HideSelectionWindow(&window_);
  BuildLayouts();
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) return;
    WriteTable();
    status = Read(kOpGetNext, to);
  }
  if (status != kStatusEndOfFile) {
    EndIncompleteReport(&info_);
    return;
  }
  ReportNewPage(&info_);
  CommandDone();
}

void PriceBreakRun::BuildLayouts() {
  heading_[kCode] = MakeColumn(kColumnText, "%-5s", 1, "Code");
  heading_[kDescription] = MakeColumn(kColumnText, "%-30s", 7, "Description");
  heading_[kType] = MakeColumn(kColumnText, "%-8s", 38, "Type");
  heading_[kRounding] = MakeColumn(kColumnText, "%-8s", 47, "Rounding");
  heading_[kLimit] = MakeColumn(kColumnText, "%-7s", 56, "Limit");
  heading_[kPercent] = MakeColumn(kColumnText, "%-14s", 64, "Percent/Amount");

  line_[kCode] = MakeColumn(kColumnText, "%-5.5s", 1, code_);
  line_[kDescription] = MakeColumn(kColumnText, "%-30.30s", 7, description_);
  line_[kType] = MakeColumn(kColumnText, "%-8.8s", 38, type_);
  line_[kRounding] = MakeColumn(kColumnText, "%-8.8s", 47, rounding_);
  line_[kLimit] = MakeColumn(kColumnText, "%7.7s", 56, limit_);
  line_[kPercent] = MakeColumn(kColumnFloat, "%7.3f", 72, &percent_);
  line_[kAmount] = MakeColumn(kColumnDouble, "%11.4f", 64, &amount_);
}

void PriceBreakRun::PageHeading() {
  ReportPageStart(&info_, 0, 1);
  const TagRepFont font = info_.font;
  ReportSetFont(&info_, kFontTitle);
  ReportWriteText(&info_, "PRICE TABLE", kReportCentred, 2);
  ReportSetFont(&info_, kFontSubheading);
  ReportWriteColumns(&info_, heading_.data(), 1);
  ReportWriteRule(&info_, heading_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  pageStarted_ = true;
}

const char* TypeWord(char type) {
  switch (type) {
    case 'Q': return "Quantity";
    case 'D': return "Dollar";
    case 'P': return "Percent";
    case 'F': return "Flat";
    default: return nullptr;
  }
}

const char* RoundingWord(char rounding) {
  switch (rounding) {
    case '$': return "Dollar";
    case 'D': return "Dime";
    case 'N': return "Nickel";
    case 'P': return "Penny";
    default: return "None";
  }
}

void PriceBreakRun::WriteTable() {
  std::snprintf(code_, sizeof code_, "%s", TrimField(table_.tableCode).c_str());
  std::snprintf(description_, sizeof description_, "%s", TrimField(table_.description).c_str());
  // A type letter the report does not know is shown as it stands, with the
  // table's amount.
  const char* word = TypeWord(table_.type);
  if (word != nullptr) {
    std::snprintf(type_, sizeof type_, "%s", word);
  } else {
    std::snprintf(type_, sizeof type_, "(%c)", table_.type == '\0' ? ' ' : table_.type);
  }
  std::snprintf(rounding_, sizeof rounding_, "%s", RoundingWord(table_.rounding));
  amount_ = table_.amount;

  if (!pageStarted_ || PageFull()) PageHeading();
  WriteFirstLine();
  if (table_.type == 'Q') {
    for (int level = 1; level < kLevels && table_.levels[level].limit != 0; ++level) {
      if (PageFull()) {
        // A table split over two pages names itself again at the top.
        PageHeading();
        WriteFirstLine();
      }
      WriteLevel(level);
    }
  }
  ReportSkipLines(&info_, 1);
}

void PriceBreakRun::WriteFirstLine() {
  const bool quantity = table_.type == 'Q';
  for (int i = 0; i < kColumnCount; ++i) line_[static_cast<std::size_t>(i)].hidden = 0;
  line_[kLimit].hidden = quantity ? 0 : 1;
  line_[kPercent].hidden = quantity ? 0 : 1;
  line_[kAmount].hidden = quantity ? 1 : 0;
  if (quantity) {
    std::snprintf(limit_, sizeof limit_, "%7lu", static_cast<unsigned long>(table_.levels[0].limit));
    percent_ = table_.levels[0].percent;
  }
  ReportWriteColumns(&info_, line_.data(), 1);
}

void PriceBreakRun::WriteLevel(int level) {
  for (int i = 0; i < kColumnCount; ++i)
    line_[static_cast<std::size_t>(i)].hidden = i == kLimit || i == kPercent ? 0 : 1;
  std::snprintf(limit_, sizeof limit_, "%7lu", static_cast<unsigned long>(table_.levels[level].limit));
  percent_ = table_.levels[level].percent;
  ReportWriteColumns(&info_, line_.data(), 1);
}

}  // namespace

int RunPriceBreaksReport() {
  try {
    PriceBreakRun run;
    run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
  }
  return 0;
}
