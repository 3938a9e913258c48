// The back-order status report (command 340): every open back order (a
// back-order record with a quantity still back-ordered), sorted by product
// or by customer within a range of codes, with the quantities ordered,
// shipped and back-ordered and the product's quantity on hand.  The back
// orders of one product (or customer) stand together, an empty line between
// them and the next.
#include "reports/arap/backorder_status.h"

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
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/journal_services.h"
#include "qxabase/messages.h"
#include "qxabase/pick_lists.h"
#include "qxabase/pick_product.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"
#include "report_frame.h"
#include "reports/arap/backorder_params.h"
#include "selection_fields.h"

namespace {

constexpr const char* kReportId = "RSBKORDREPORT";
constexpr const char* kRunTitle = "Backorder";
constexpr const char* kPageTitle = "Backorder Status Report";

// Drill-down targets.
constexpr int kCommandCustomer = 121;
constexpr int kCommandInvoice = 230;
constexpr int kCommandProduct = 250;

// The selection screen: form 340 in a window at row 5, column 14.
constexpr int kFormNumber = 340;
constexpr int kWindowTop = 5, kWindowLeft = 14, kWindowRows = 6, kWindowCols = 52;
constexpr const char* kWindowTitle = " Backorder Status Report ";

constexpr int kMsgFromAfterTo = 205;

// Fields of the screen.
constexpr int kFieldSortBy = 1;
constexpr int kFieldProductFrom = 2, kFieldProductTo = 3;
constexpr int kFieldCustomerFrom = 4, kFieldCustomerTo = 5;

constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

// The keys of the back-order file and the width of their codes.
constexpr int kKeyCustomer = 0, kKeyProduct = 1;
constexpr int kProductKeyWidth = 15, kCustomerKeyWidth = 11;

// The report is as wide as a wide page.
constexpr int kLineWidth = 136;

constexpr const char* kQuantityFormat = "%11.4fF";

// --- Column layouts ---------------------------------------------------------------------

enum LineColumn {
  kInvoice, kInvoiceDate, kCustomer, kProduct, kOrdered, kShipped, kBackOrdered, kOnHand, kLineCount
};
constexpr int kLineX[kLineCount] = {5, 22, 37, 53, 70, 85, 100, 115};
constexpr const char* kHeadings[kLineCount] = {"Invoice #",   "Inv. Date", "Cust. Code",  "Item #",
                                               "Qty Ordered", "Shipped",   "Qty Bak Ord", "Qty On Hand"};
constexpr int kQuantityWidth = 11;

// A quantity as the report shows it.
void FormatQuantity(char (&out)[64], double value) {
  if (StrFormatValue(out, kQuantityFormat, 0, value) < 0) out[0] = '\0';
}

// --- The selection screen -------------------------------------------------------------------

struct ScreenCtx {
  BackorderParams* params = nullptr;
  BackorderParams defaults{};  // the values the screen opened with, for Shift+F9
  BtrvHandle products = 0, customers = 0;
  Form* form = nullptr;
};

ScreenCtx* CtxOf(Form* form) { return static_cast<ScreenCtx*>(form->context); }

bool ByCustomer(Form* form) { return FieldGetChoice(form, kFieldSortBy) == kBackorderByCustomer; }

// Opens the range of the chosen sort; the other is out of use.
void OpenRangeOfSort(Form* form) {
  const bool customer = ByCustomer(form);
  FieldSetAccess(form, kFieldProductFrom, customer ? kStateOutOfUse : kStateNormal);
  FieldSetAccess(form, kFieldProductTo, customer ? kStateOutOfUse : kStateNormal);
  FieldSetAccess(form, kFieldCustomerFrom, customer ? kStateNormal : kStateOutOfUse);
  FieldSetAccess(form, kFieldCustomerTo, customer ? kStateNormal : kStateOutOfUse);
}

int FillScreen(ScreenCtx* ctx, bool start) {
  Form* form = ctx->form;
  const BackorderParams& p = ctx->defaults;
  const bool customer = p.sortBy == kBackorderByCustomer;
  FieldSetChoice(form, kFieldSortBy, customer ? kBackorderByCustomer : kBackorderByProduct);
  for (int f = kFieldProductFrom; f <= kFieldCustomerTo; ++f) FieldSetText(form, f, "");
  const int from = customer ? kFieldCustomerFrom : kFieldProductFrom;
  FieldSetText(form, from, TrimText(p.firstCode).c_str());
  FieldSetText(form, from + 1, TrimText(p.lastCode).c_str());
  // Open ends show as such.
  for (int f : {kFieldProductFrom, kFieldCustomerFrom}) FieldFillDefault(form, kRangeFirst, f);
  for (int f : {kFieldProductTo, kFieldCustomerTo}) FieldFillDefault(form, kRangeLast, f);
  OpenRangeOfSort(form);
  if (!start) FieldSetFocus(form, kFieldSortBy);
  return start ? 0 : 0x80;
}

int FormStart(Form* form, int) { return FillScreen(CtxOf(form), true); }

int RestoreDefaults(Form* form, KeyCode) { return FillScreen(CtxOf(form), false); }

int OnSortChosen(Form* form, int) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  OpenRangeOfSort(form);
  return 0x40;
}

// The two ends of the open range as typed: "" for an open end.
void RangeTexts(Form* form, std::string* from, std::string* to) {
  const int first = ByCustomer(form) ? kFieldCustomerFrom : kFieldProductFrom;
  char text[64] = {};
  FieldGetText(form, first, text, sizeof text);
  *from = TrimText(RangeBoundConvert(text));
  FieldGetText(form, first + 1, text, sizeof text);
  *to = TrimText(RangeBoundConvert(text));
}

bool FromAfterTo(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && oem::CompareText(from, to) > 0;
}

// Exit of a to field: an empty one shows "LAST "; one before its from is refused.
int ToFieldExit(Form* form, int field) {
  if (FieldFillDefault(form, kRangeLast, field)) return 0;
  std::string from, to;
  RangeTexts(form, &from, &to);
  if (!FromAfterTo(from, to)) return 0;
  MsgShow(kMsgFromAfterTo, 1);
  return 0x20;
}

int LookupKey(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  const int field = FormCurrentField(form);
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  std::string code;
  if (field == kFieldProductFrom || field == kFieldProductTo) {
    records::TagProduct product{};
    if (!PickProduct(text, 0, ctx->products, &product, 4, 9, 13, 60)) return 0x20;
    code = TrimField(product.number);
  } else if (field == kFieldCustomerFrom || field == kFieldCustomerTo) {
    records::CustVendRecord customer{};
    if (!PickCustomer(text, 0, ctx->customers, &customer, 4, 5, 13, 68)) return 0x20;
    code = TrimField(customer.code);
  } else {
    return 0;
  }
  FieldSetText(form, field, code.c_str());
  FieldRedraw(form, field);
  return 0x40;
}

int Accept(Form* form, KeyCode) {
  ScreenCtx* ctx = CtxOf(form);
  std::string from, to;
  RangeTexts(form, &from, &to);
  if (FromAfterTo(from, to)) {
    MsgShow(kMsgFromAfterTo, 1);
    FieldSetFocus(form, ByCustomer(form) ? kFieldCustomerTo : kFieldProductTo);
    return 0x20;
  }
  BackorderParams& p = *ctx->params;
  p.sortBy = ByCustomer(form) ? kBackorderByCustomer : kBackorderByProduct;
  std::memset(p.firstCode, 0, sizeof p.firstCode);
  std::memset(p.lastCode, 0, sizeof p.lastCode);
  std::memcpy(p.firstCode, from.data(), std::min(from.size(), sizeof p.firstCode - 1));
  std::memcpy(p.lastCode, to.data(), std::min(to.size(), sizeof p.lastCode - 1));
  return 1;
}

// Runs the screen in `window` over `params`: 0 when accepted (the values
// stored), 27 when left with Esc, 1 when the screen could not be prepared.
int BackorderScreen(BackorderParams* params, Window* window, BtrvHandle products, BtrvHandle customers) {
  FormDef def;
  if (FormDefLoad(&def, kFormNumber) != 0) return 1;
  std::vector<TagFormField> fields = def.fields;
  for (TagFormField& f : fields) {
    switch (f.number) {
      case kFieldSortBy: f.exitCallback = OnSortChosen; break;
      case kFieldProductFrom:
      case kFieldCustomerFrom:
        f.exitCallback = RangeFieldEnter;
        f.entryCallback = RangeFieldFocus;
        break;
      case kFieldProductTo:
      case kFieldCustomerTo:
        f.exitCallback = ToFieldExit;
        f.entryCallback = RangeFieldFocus;
        break;
      default: break;
    }
  }
  struct FormGuard {
    Form form{};
    ~FormGuard() { FormEnd(&form); }
  } guard;
  Form* form = &guard.form;
  FormBegin(form);
  if (!FormFieldsCreate(form, fields.data(), 1)) return 1;
  FormDefUse(form, &def);

  ScreenCtx ctx;
  ctx.params = params;
  ctx.defaults = *params;
  ctx.products = products;
  ctx.customers = customers;
  ctx.form = form;
  SetUpScreenForm(form, window, kReportId, &ctx, FormStart);
  FormOnKey(form, kKeyShiftF9, RestoreDefaults, "Defaults");
  FormOnKey(form, kKeyF5, LookupKey, "Look up");
  FormOnKey(form, kKeyF10, Accept, "Run");
  FormRun(form, 0);
  return FormWasCancelled(form) ? 27 : 0;
}

// --- The run -------------------------------------------------------------------------------

class BackorderRun {
 public:
  BackorderRun() = default;
  BackorderRun(const BackorderRun&) = delete;
  BackorderRun& operator=(const BackorderRun&) = delete;

  int Run(const char* parameterText);

 private:
  bool ByCustomer() const { return params_.sortBy == kBackorderByCustomer; }
  bool Prepare(const char* parameterText);
  void Body();
  void Print();
  // Reads from `op` to the next open back order in the range: 0, 9 when
  // there is none (the end of the file or of the range), or another status
  // after the error box.
  int FindRecord(int op);
  std::string SortCode() const;
  void BuildLayouts();
  void PageHeading();
  // 0 when the line was written; another status after the error box.
  int WriteLine();

  BackorderParams params_{};
  records::BackOrder record_{};
  char key_[255] = {};
  std::string first_, last_;

  // Released in the reverse order: the report, the files, the window.
  Window window_{};
  WindowGuard windowGuard_{&window_};
  FileSet files_;
  BtrvHandle backOrders_ = 0, products_ = 0;
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  bool pageStarted_ = false;

  std::array<TagReportColumn, kLineCount + 1> headings_{};
  std::array<TagReportColumn, kLineCount + 1> line_{};

  // The values the line points at.
  char invoice_[12] = {}, customer_[12] = {}, product_[16] = {};
  std::int32_t invoiceDate_ = 0;
  char ordered_[64] = {}, shipped_[64] = {}, backOrdered_[64] = {}, onHand_[64] = {};

  // Drill-down descriptors, rewritten before each line.
  TagDrillDownInfo invoiceLink_ = MakeDrillDown(kDrillOpenScreen, kCommandInvoice);
  TagDrillDownInfo customerLink_ = MakeDrillDown(kDrillOpenScreen, kCommandCustomer);
  TagDrillDownInfo productLink_ = MakeDrillDown(kDrillOpenScreen, kCommandProduct);
};

int BackorderRun::Run(const char* parameterText) {
  if (!Prepare(parameterText)) return 0;
  Body();
  // The report is delivered before the files and the window are let go.
  reportGuard_.Close();
  return 0;
}

bool BackorderRun::Prepare(const char* parameterText) {
  CBackorderParamString parser;
  return ApplyReportPreset(&parser, parameterText, &params_);
}

void BackorderRun::Body() {
  if (FileSetOpen(&files_, records::kFileBackOrders, records::kFileProducts, records::kFileCustomers) != kStatusOk)
    return;
  backOrders_ = files_.handle[0];
  products_ = files_.handle[1];

  std::snprintf(window_.reportId, sizeof window_.reportId, "%s", kReportId);
  if (IsScreenOutput(params_.input)) {
    if (WinOpen(&window_, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', kWindowTitle) != 0) return;
    if (BackorderScreen(&params_, &window_, products_, files_.handle[2]) != 0) return;
  }
  first_ = TrimText(params_.firstCode);
  last_ = TrimText(params_.lastCode);
  if (!BackorderCodesFit(params_)) {
    ShowBadParameters("a customer code holds at most 10 characters.");
    return;
  }
  if (FromAfterTo(first_, last_)) {
    RefuseReportRun(kMsgFromAfterTo);
    return;
  }
  Print();
}

void BackorderRun::Print() {
  // The key the file was read by before is put back however the run ends.
  struct KeyGuard {
    BtrvHandle handle;
    int key;
    ~KeyGuard() {
      if (key >= 0) BtrvSetKey(handle, key, -1);
    }
  } keyGuard{backOrders_, BtrvGetKey(backOrders_)};
  BtrvSetKey(backOrders_, ByCustomer() ? kKeyCustomer : kKeyProduct, -1);

  int op = kOpGetFirst;
  if (!first_.empty()) {
    // The first code in key form: blank-padded to the key's width.
    const int width = ByCustomer() ? kCustomerKeyWidth : kProductKeyWidth;
    std::memset(key_, ' ', static_cast<std::size_t>(width));
    std::memcpy(key_, first_.data(), first_.size());
    op = kOpGetGreaterOrEqual;
  }
  int status = FindRecord(op);
  if (status == kStatusEndOfFile) {
    MsgShow(kMsgNothingSelected, 1);
    return;
  }
  if (status != kStatusOk) return;

  if (SetReportDestination(params_.output, &info_) != 0) return;
  info_.lineWidth = kLineWidth;
  if (!ReportOpen(&info_, kRunTitle)) return;
  OfferSavedRun(&info_, kMenuBackorderStatus, &window_,
                [this](CReportParamString* text) { return WriteBackorderSavedRun(params_, text); },
                [this] { return BackorderSelectionWords(params_); });
  BuildLayouts();

  std::string previous;
  bool failed = false, stopped = false;
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) {
      stopped = true;
      break;
    }
    const std::string code = SortCode();
    // The back orders of one product (customer) stand together.
    if (pageStarted_ && oem::CompareText(code, previous) != 0) ReportSkipLines(&info_, 1);
    previous = code;
    if (!pageStarted_ || ReportPageFull(&info_, 1)) PageHeading();
    if (WriteLine() != kStatusOk) {
      failed = true;
      break;
    }
    status = FindRecord(kOpGetNext);
    if (status != kStatusOk && status != kStatusEndOfFile) failed = true;
  }
  if (failed) {
    EndIncompleteReport(&info_);
    return;
  }
  ReportNewPage(&info_);
  if (!stopped) CommandDone();
}

std::string BackorderRun::SortCode() const {
  return ByCustomer() ? TrimField(record_.customerCode) : TrimField(record_.productCode);
}

int BackorderRun::FindRecord(int op) {
  for (;; op = kOpGetNext) {
    const int status = BtrvGetOp(op, backOrders_, key_, &record_, sizeof record_);
    if (status == kStatusEndOfFile) return kStatusEndOfFile;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileBackOrders, 0);
      return status;
    }
    const std::string code = SortCode();
    // The file is read in the order of the code: past the last code nothing
    // more lies in the range.
    if (!last_.empty() && oem::CompareText(code, last_) > 0) return kStatusEndOfFile;
    if (!first_.empty() && oem::CompareText(code, first_) < 0) continue;
    // Filled back orders stay on file with nothing left to ship.
    if (NumRound(record_.backOrderedQuantity, 4) == 0.0) continue;
    return kStatusOk;
  }
}

void BackorderRun::BuildLayouts() {
  for (int i = 0; i < kLineCount; ++i) {
    const bool quantity = i >= kOrdered;
    headings_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, "%s", kLineX[i], kHeadings[i],
                                                    quantity ? kAlignRight : kAlignLeft,
                                                    quantity ? kQuantityWidth : 0);
  }
  line_[kInvoice] = MakeColumn(kColumnText, "%-10.10s", kLineX[kInvoice], invoice_);
  line_[kInvoiceDate] = MakeColumn(kColumnDate, "%-8s", kLineX[kInvoiceDate], &invoiceDate_);
  line_[kCustomer] = MakeColumn(kColumnText, "%-10.10s", kLineX[kCustomer], customer_);
  line_[kProduct] = MakeColumn(kColumnText, "%-14.14s", kLineX[kProduct], product_);
  line_[kOrdered] = MakeColumn(kColumnText, "%11.11s", kLineX[kOrdered], ordered_);
  line_[kShipped] = MakeColumn(kColumnText, "%11.11s", kLineX[kShipped], shipped_);
  line_[kBackOrdered] = MakeColumn(kColumnText, "%11.11s", kLineX[kBackOrdered], backOrdered_);
  line_[kOnHand] = MakeColumn(kColumnText, "%11.11s", kLineX[kOnHand], onHand_);
}

void BackorderRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, line_.data(), 2);
  ReportPageStart(&info_, 0, 1);
  const TagRepFont font = info_.font;
  ReportSetFont(&info_, kFontTitle);
  ReportWriteText(&info_, kPageTitle, kReportCentred, 1);
  ReportSetFont(&info_, kFontHeading);
  ReportWriteText(&info_, "Sorted By:", 0, 0);
  ReportWriteText(&info_, ByCustomer() ? "Customer" : "Product", 12, 1);
  ReportSkipLines(&info_, 1);
  ReportSetFont(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, headings_.data(), 1);
  ReportWriteRule(&info_, line_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount);
  pageStarted_ = true;
}

int BackorderRun::WriteLine() {
  const records::BackOrder& b = record_;
  // The product's quantity on hand, less what is committed.  A back order
  // whose product has left the file is still open: it prints without one.
  records::TagProduct product{};
  char key[255] = {};
  std::memcpy(key, b.productCode, sizeof b.productCode);
  const int status = BtrvGetOp(kOpGetEqual, products_, key, &product, sizeof product);
  if (status != kStatusOk && status != kStatusKeyNotFound) {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileProducts, 0);
    return status;
  }
  std::snprintf(invoice_, sizeof invoice_, "%s", TrimField(b.transactionNumber).c_str());
  std::snprintf(customer_, sizeof customer_, "%s", TrimField(b.customerCode).c_str());
  std::snprintf(product_, sizeof product_, "%s", TrimField(b.productCode).c_str());
  invoiceDate_ = b.date;
  FormatQuantity(ordered_, b.secondQuantity);
  FormatQuantity(shipped_, b.secondQuantity - b.backOrderedQuantity);
  FormatQuantity(backOrdered_, b.backOrderedQuantity);
  if (status == kStatusOk) {
    FormatQuantity(onHand_, product.quantityOnHand - product.secondQuantityOnHand);
  } else {
    onHand_[0] = '\0';
  }

  ClearLinks(line_.data());
  if (info_.links) {
    CReportParamString invoice(invoiceLink_.params, kLinkParamCapacity);
    if (invoice.WriteParam("tranno", TrimField(b.transactionNumber), true))
      LinkColumns(line_.data(), {kInvoice}, &invoiceLink_);
    CReportParamString customer(customerLink_.params, kLinkParamCapacity);
    if (customer.WriteParam("cdno", TrimField(b.customerCode), true)) LinkColumns(line_.data(), {kCustomer}, &customerLink_);
    CReportParamString item(productLink_.params, kLinkParamCapacity);
    if (item.WriteParam("cdno", TrimField(b.productCode), true)) LinkColumns(line_.data(), {kProduct}, &productLink_);
  }
  ReportWriteColumns(&info_, line_.data(), 1);
  return kStatusOk;
}

}  // namespace

int RunBackorderReport(const char* parameterText) {
  try {
    BackorderRun run;
    return run.Run(parameterText);
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
