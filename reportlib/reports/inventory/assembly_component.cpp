// The product assembly report (command 357) and the product component report
// (command 358): the bills of materials (file 8, one record per assembly and
// component pair) within a range of assembly numbers, each assembly with its
// components and the units each needs; or within a range of component
// numbers, each component with the assemblies that use it.  Assemblies and
// components are looked up among the products and, when not there, among
// the services.
#include "reports/inventory/assembly_component.h"

#include <algorithm>
#include <array>
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

// What tells the two reports apart.
struct ReportKind {
  int formNumber;          // the selection screen (data/forms)
  const char* reportId;    // the screen's report identifier
  const char* mruKey;      // remembered parameters
  const char* title;       // the window and the report-writer run
  int textBlock;           // screen texts: 0 the page title, 2 "not on file"
  int billKey;             // the key of file 8 the run reads by
  bool byAssembly;         // the range and the grouping are on the assembly number
};

constexpr ReportKind kAssemblyReport{357, "RSAssemblyReport", "ProdAssembly", "Product Assembly", 195, 0, true};
constexpr ReportKind kComponentReport{358, "RSComponentReport", "ProdComponent", "Product Component", 194, 1,
                                      false};

// The selection window: row 5, column 27, 8 rows by 51 columns.
constexpr int kWindowTop = 5, kWindowLeft = 27, kWindowRows = 8, kWindowCols = 51;

constexpr int kFieldFrom = 1, kFieldTo = 2;
constexpr int kMruRecords = 3;  // fields 1 and 2 and the closing record

constexpr int kTextCount = 20;
constexpr int kTextTitle = 0, kTextNotOnFile = 2;

// Product and service codes in key form: 14 characters blank-padded to 15.
constexpr std::size_t kCodeKeyWidth = 15;

// The report is as wide as a wide page.
constexpr int kLineWidth = 136;

constexpr const char* kQuantityFormat = "%11.4fF";

constexpr int kMsgFromAfterTo = 205;

// A quantity in the fraction form of the item's unit divisor ("2 6/12"), or
// in four decimals when the item counts in whole units; blanks trimmed.
std::string QuantityText(double value, int divisor) {
  char text[64] = {};
  if (StrFormatQuantity(text, kQuantityFormat, 0, divisor, value) < 0) return "";
  return TrimText(text);
}

// --- Items -------------------------------------------------------------------------------

// An assembly or a component as the report prints it.
struct Item {
  std::string description;
  int divisor = 1;        // the unit divisor its quantities are shown in
  double onHand = 0;      // products only
  std::string warehouse;  // products only
  bool isAssembly = false;
};

// Looks `code` up among the products, then the services.  0 with *item
// filled (an item on neither file has the "not on file" description);
// another status after the error box.
int LookUpItem(BtrvHandle products, BtrvHandle services, const char (&code)[15], const char* notOnFile,
               Item* item) {
  *item = Item{};
  char key[255] = {};
  std::memset(key, ' ', kCodeKeyWidth);
  std::memcpy(key, code, strnlen(code, sizeof code));
  records::TagProduct product{};
  const int status = BtrvGetOp(kOpGetEqual, products, key, &product, sizeof product);
  if (status == kStatusOk) {
    item->description = TrimField(product.description);
    item->divisor = product.purchaseUnitFactor;
    item->onHand = product.quantityOnHand;
    item->warehouse = TrimField(product.warehouse);
    item->isAssembly = product.assemblyFlag == 'Y';
    return kStatusOk;
  }
  if (status != kStatusKeyNotFound) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileProducts, 0);
    return status;
  }
  records::ServiceRecord service{};
  std::memset(key, ' ', kCodeKeyWidth);
  std::memcpy(key, code, strnlen(code, sizeof code));
  const int serviceStatus = BtrvGetOp(kOpGetEqual, services, key, &service, sizeof service);
  if (serviceStatus == kStatusOk) {
    // A service carries no stock and is never an assembly.
    item->description = TrimField(service.description);
    item->divisor = service.unitFactor;
    return kStatusOk;
  }
  if (serviceStatus != kStatusKeyNotFound) {
    MsgRecordError(serviceStatus, 1, kOpGetEqual, records::kFileServices, 0);
    return serviceStatus;
  }
  item->description = notOnFile;
  return kStatusOk;
}

// --- The selection screen --------------------------------------------------------------------

const MruFieldTable<kMruRecords> kMruTable;

class BillMruParam final : public CQxRepMRUParam {};

struct ScreenCtx {
  const ReportKind* kind = nullptr;
  Window* window = nullptr;
  Form* form = nullptr;
  std::string from, to;  // the range accepted ("" open)
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

ScreenCtx* CtxOf(Form* form) { return static_cast<ScreenCtx*>(form->context); }

// The form's start: both ends open, then the user's remembered range.
int FormStart(Form* form, int) {
  ScreenCtx* ctx = CtxOf(form);
  FieldSetText(form, kFieldFrom, kRangeFirst);
  FieldSetText(form, kFieldTo, kRangeLast);
  if (ctx->collection) ctx->collection->BackupAll();
  ctx->mru = nullptr;
  if (!CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return 0;
  ctx->mru = new (std::nothrow) BillMruParam;
  if (ctx->mru == nullptr) return 0;
  ctx->mru->Initialize(SharedAppBlockGet()->userName, ctx->kind->mruKey, kMruTable.fields);
  if (ctx->mru->LoadAllFields()) ctx->mru->StructToScreen(form);
  return 0;
}

int RestoreDefaults(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  FieldSetFocus(form, kFieldFrom);
  if (ctx->collection) ctx->collection->RestoreAll();
  return 0x80;
}

std::string RangeEndText(Form* form, int field) {
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  return TrimText(text);
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

// Runs the screen in `window`: 0 accepted (ctx->from/to set), 27 left with
// Esc, 1 when the screen could not be made (after its message).
int SelectionScreen(ScreenCtx* ctx) {
  FormDef def;
  if (FormDefLoad(&def, ctx->kind->formNumber) != 0) return 1;
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
  ctx->form = form;
  SetUpScreenForm(form, ctx->window, ctx->kind->reportId, ctx, FormStart);
  FormOnKey(form, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(form, kKeyF10, Accept, "Run");
  if (!CQxBaseRepParam::RunRemembered(ctx->copy, ctx->collection, ctx->mru, form, kMruRecords)) return 27;
  return 0;
}

// --- The run ------------------------------------------------------------------------------------

// The screen texts of a run, freed on every way out.
struct ScreenTexts {
  const char* text[kTextCount] = {};
  bool loaded = false;
  ~ScreenTexts() {
    if (loaded) ScreenTextFree(text);
  }
};

class BillRun {
 public:
  explicit BillRun(const ReportKind& kind) : kind_(kind) {}
  BillRun(const BillRun&) = delete;
  BillRun& operator=(const BillRun&) = delete;

  int Run();

 private:
  // Columns of the two layouts.
  enum AssemblyColumn { kAsmNumber, kAsmWarehouse, kAsmDescription, kAsmOnHand, kAsmComponent,
                        kAsmComponentDescription, kAsmUnits, kAsmIsAssembly, kAsmCount };
  enum ComponentColumn { kCmpNumber, kCmpDescription, kCmpUnits, kCmpAssembly, kCmpAssemblyDescription,
                         kCmpWarehouse, kCmpCount };

  void Print();
  void BuildLayouts();
  void PageHeading();
  // Reads from `op`: 0 with a record in the range, 9 at the end of the file
  // or the range, another status after the error box.
  int ReadBill(int op);
  // 0 when the line was written; another status after the error box.
  int WriteLine(bool groupChanged);

  const ReportKind& kind_;
  std::string from_, to_;
  ScreenTexts texts_;
  records::BillOfMaterials bill_{};
  char key_[255] = {};

  // Released in the reverse order: the report, the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  BtrvHandle bills_ = 0, products_ = 0, services_ = 0;
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  bool pageStarted_ = false;
  bool newPage_ = true;  // the next line is the first of its page

  std::array<TagReportColumn, kAsmCount + 1> headings_{};
  std::array<TagReportColumn, kAsmCount + 1> line_{};

  // The values the line points at.
  char groupNumber_[15] = {}, groupDescription_[31] = {}, groupUnits_[64] = {};
  char otherNumber_[15] = {}, otherDescription_[31] = {}, units_[64] = {};
  char warehouse_[4] = {}, isAssembly_[4] = {};
};

int BillRun::Run() {
  if (FileSetOpen(&files_, records::kFileBillsOfMaterials, records::kFileProducts, records::kFileServices) !=
      kStatusOk)
    return 0;
  bills_ = files_.handle[0];
  products_ = files_.handle[1];
  services_ = files_.handle[2];

  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kind_.reportId);
  if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', kind_.title) != 0) return 0;
  ScreenCtx ctx;
  ctx.kind = &kind_;
  ctx.window = &window_;
  if (SelectionScreen(&ctx) != 0) return 0;
  from_ = ctx.from;
  to_ = ctx.to;

  if (ScreenTextLoad(kind_.textBlock, texts_.text, kTextCount) != 0) return 0;
  texts_.loaded = true;
  Print();
  // The report is delivered before the files and the window are let go.
  reportGuard_.Close();
  return 0;
}

void BillRun::Print() {
  // The key the file was read by before is put back however the run ends.
  struct KeyGuard {
    BtrvHandle handle;
    int key;
    ~KeyGuard() {
      if (key >= 0) BtrvSetKey(handle, key, -1);
    }
  } keyGuard{bills_, BtrvGetKey(bills_)};
  BtrvSetKey(bills_, kind_.billKey, -1);

  // From the first record at or after the from end (the code blank-padded
  // as the key holds it).
  std::memset(key_, 0, sizeof key_);
  std::memset(key_, ' ', kCodeKeyWidth);
  std::memcpy(key_, from_.data(), std::min(from_.size(), kCodeKeyWidth - 1));
  int status = ReadBill(kOpGetGreaterOrEqual);
  if (status == kStatusEndOfFile) {
    MsgShow(kMsgNothingSelected, 1);
    return;
  }
  if (status != kStatusOk) return;

  SetReportDestination("", &info_);
  info_.lineWidth = kLineWidth;
  if (!ReportOpen(&info_, kind_.title)) return;
  BuildLayouts();

  std::string previous;
  bool first = true, failed = false;
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) return;
    const std::string group = kind_.byAssembly ? TrimField(bill_.assemblyNumber) : TrimField(bill_.componentNumber);
    const bool changed = first || oem::CompareText(group, previous) != 0;
    first = false;
    previous = group;
    if (WriteLine(changed) != kStatusOk) {
      failed = true;
      break;
    }
    status = ReadBill(kOpGetNext);
    if (status != kStatusOk && status != kStatusEndOfFile) failed = true;
  }
  if (failed) {
    EndIncompleteReport(&info_);
    return;
  }
  ReportNewPage(&info_);
  CommandDone();
}

int BillRun::ReadBill(int op) {
  const int status = BtrvGetOp(op, bills_, key_, &bill_, sizeof bill_);
  if (status == kStatusEndOfFile) return kStatusEndOfFile;
  if (status != kStatusOk) {
    MsgRecordError(status, 1, op, records::kFileBillsOfMaterials, 0);
    return status;
  }
  // The file is read in the order of the range's code: past the to end
  // nothing more lies in the range.  Codes compare as the key orders them.
  const std::string code = kind_.byAssembly ? TrimField(bill_.assemblyNumber) : TrimField(bill_.componentNumber);
  if (!to_.empty() && oem::CompareText(code, to_) > 0) return kStatusEndOfFile;
  return kStatusOk;
}

void BillRun::BuildLayouts() {
  // Every field is bounded to its width and ends before the next one's x,
  // so that no value overwrites another.
  if (kind_.byAssembly) {
    constexpr int x[kAsmCount] = {1, 17, 23, 55, 67, 84, 115, 127};
    constexpr const char* captions[kAsmCount] = {"Product",    "WHC",         "Description", "O.H. Units",
                                                 "Components", "Description", "Units Req.",  "Assembly"};
    constexpr const char* headingFormats[kAsmCount] = {"%-14s", "%-5s",  "%-30s",   "%11.11s",
                                                       "%-14s", "%-30s", "%11.11s", "%-8s"};
    for (int i = 0; i < kAsmCount; ++i)
      headings_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, headingFormats[i], x[i], captions[i]);
    line_[kAsmNumber] = MakeColumn(kColumnText, "%-14.14s", x[kAsmNumber], groupNumber_);
    line_[kAsmWarehouse] = MakeColumn(kColumnText, "%-5.5s", x[kAsmWarehouse], warehouse_);
    line_[kAsmDescription] = MakeColumn(kColumnText, "%-30.30s", x[kAsmDescription], groupDescription_);
    line_[kAsmOnHand] = MakeColumn(kColumnText, "%11.11s", x[kAsmOnHand], groupUnits_);
    line_[kAsmComponent] = MakeColumn(kColumnText, "%-14.14s", x[kAsmComponent], otherNumber_);
    line_[kAsmComponentDescription] =
        MakeColumn(kColumnText, "%-30.30s", x[kAsmComponentDescription], otherDescription_);
    line_[kAsmUnits] = MakeColumn(kColumnText, "%11.11s", x[kAsmUnits], units_);
    line_[kAsmIsAssembly] = MakeColumn(kColumnText, "%-8.8s", x[kAsmIsAssembly], isAssembly_);
  } else {
    constexpr int x[kCmpCount] = {1, 19, 56, 71, 92, 128};
    constexpr const char* captions[kCmpCount] = {"Components", "Description", "Units Req.",
                                                 "Product",    "Description", "WHC"};
    constexpr const char* headingFormats[kCmpCount] = {"%-17s", "%-36s", "%13.13s", "%-20s", "%-35s", "%-5s"};
    for (int i = 0; i < kCmpCount; ++i)
      headings_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, headingFormats[i], x[i], captions[i]);
    line_[kCmpNumber] = MakeColumn(kColumnText, "%-14.14s", x[kCmpNumber], groupNumber_);
    line_[kCmpDescription] = MakeColumn(kColumnText, "%-30.30s", x[kCmpDescription], groupDescription_);
    line_[kCmpUnits] = MakeColumn(kColumnText, "%13.13s", x[kCmpUnits], units_);
    line_[kCmpAssembly] = MakeColumn(kColumnText, "%-14.14s", x[kCmpAssembly], otherNumber_);
    line_[kCmpAssemblyDescription] = MakeColumn(kColumnText, "%-30.30s", x[kCmpAssemblyDescription], otherDescription_);
    line_[kCmpWarehouse] = MakeColumn(kColumnText, "%-5.5s", x[kCmpWarehouse], warehouse_);
  }
}

void BillRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, line_.data(), 2);
  ReportPageStart(&info_, 0, 2);
  const TagRepFont font = info_.font;
  ReportSetFont(&info_, kFontTitle);
  ReportWriteText(&info_, texts_.text[kTextTitle], kReportCentred, 1);
  ReportSkipLines(&info_, 1);
  ReportSetFont(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, headings_.data(), 1);
  ReportWriteRule(&info_, headings_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount);
  pageStarted_ = true;
  newPage_ = true;
}

int BillRun::WriteLine(bool groupChanged) {
  const char* notOnFile = texts_.text[kTextNotOnFile];
  Item assembly, component;
  int status = LookUpItem(products_, services_, bill_.assemblyNumber, notOnFile, &assembly);
  if (status == kStatusOk) status = LookUpItem(products_, services_, bill_.componentNumber, notOnFile, &component);
  if (status != kStatusOk) return status;

  if (!pageStarted_ || ReportPageFull(&info_, 1)) PageHeading();
  // The group's item (the assembly, or the component) is named on the
  // first line of each page and where the group changes.
  const bool nameGroup = groupChanged || newPage_;
  newPage_ = false;
  const Item& group = kind_.byAssembly ? assembly : component;
  const Item& other = kind_.byAssembly ? component : assembly;
  const std::string groupNumber = kind_.byAssembly ? TrimField(bill_.assemblyNumber) : TrimField(bill_.componentNumber);
  const std::string otherNumber = kind_.byAssembly ? TrimField(bill_.componentNumber) : TrimField(bill_.assemblyNumber);
  std::snprintf(groupNumber_, sizeof groupNumber_, "%s", nameGroup ? groupNumber.c_str() : "");
  std::snprintf(groupDescription_, sizeof groupDescription_, "%s", nameGroup ? group.description.c_str() : "");
  std::snprintf(groupUnits_, sizeof groupUnits_, "%s",
                nameGroup ? QuantityText(assembly.onHand, assembly.divisor).c_str() : "");
  std::snprintf(otherNumber_, sizeof otherNumber_, "%s", otherNumber.c_str());
  std::snprintf(otherDescription_, sizeof otherDescription_, "%s", other.description.c_str());
  // Units required are counted in the component's unit.
  std::snprintf(units_, sizeof units_, "%s", QuantityText(bill_.unitsRequired, component.divisor).c_str());
  std::snprintf(warehouse_, sizeof warehouse_, "%s", assembly.warehouse.c_str());
  std::snprintf(isAssembly_, sizeof isAssembly_, "%s", component.isAssembly ? "Yes" : "No");
  ReportWriteColumns(&info_, line_.data(), 1);
  return kStatusOk;
}

int RunBillReport(const ReportKind& kind) {
  try {
    BillRun run(kind);
    return run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}

}  // namespace

int RunProductAssemblyReport() { return RunBillReport(kAssemblyReport); }

int RunProductComponentReport() { return RunBillReport(kComponentReport); }
