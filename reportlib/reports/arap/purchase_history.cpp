// The customer purchase history (command 329): every line of one customer's
// billing invoices and returns dated within a range, with the item, the sale
// date, the units, the prices and the description, and the total of the line
// amounts.  A return's units and amount print negative and lower the total.
#include "reports/arap/purchase_history.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/bipo_lines.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"
#include "report_frame.h"
#include "reports/arap/purchase_history_params.h"

namespace {

constexpr const char* kReportId = "RSCustPurchaseHist";
constexpr const char* kRunTitle = "Customer Inquiry";
constexpr const char* kPageTitle = "CUSTOMER PURCHASE HISTORY";

// Drill-down targets.
constexpr int kCommandProduct = 250;
constexpr int kCommandBillingCode = 127;
constexpr int kCommandService = 124;
constexpr int kCommandInvoice = 230;
constexpr int kCommandReturn = 233;

constexpr int kMsgInvalidDate = 13;
constexpr int kMsgToBeforeFrom = 205;

// Key 8 of the billing headers: customer code, then date.
constexpr int kHeaderByCustomer = 8;
constexpr std::size_t kCustomerKeyWidth = 11;

// Description ends at 124, the invoice number at 135.
constexpr int kLineWidth = 136;

// --- The date screen ----------------------------------------------------------------------

constexpr int kFieldFrom = 1, kFieldTo = 2;
constexpr int kWindowTop = 9, kWindowLeft = 24, kWindowRows = 4, kWindowCols = 32;

struct DateScreenCtx {
  std::int32_t* from = nullptr;
  std::int32_t* to = nullptr;
};

DateScreenCtx* CtxOf(Form* form) { return static_cast<DateScreenCtx*>(form->context); }

std::int32_t FieldDate(Form* form, int field) {
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  return DateFromText(text);
}

int DateFieldExit(Form* form, int field) {
  char text[32] = {};
  FieldGetText(form, field, text, sizeof text);
  if (DateIsValid(text)) return 0;
  MsgShow(kMsgInvalidDate, 1);
  return 0x20;
}

int DateScreenStart(Form* form, int) {
  DateScreenCtx* ctx = CtxOf(form);
  char text[16] = {};
  FieldSetText(form, kFieldFrom, DateToText(text, *ctx->from));
  FieldSetText(form, kFieldTo, DateToText(text, *ctx->to));
  return 0x80;
}

int AcceptDates(Form* form, KeyCode) {
  for (int field : {kFieldFrom, kFieldTo}) {
    char text[32] = {};
    FieldGetText(form, field, text, sizeof text);
    if (!DateIsValid(text)) {
      MsgShow(kMsgInvalidDate, 1);
      FieldSetFocus(form, field);
      return 0x20;
    }
  }
  const std::int32_t from = FieldDate(form, kFieldFrom), to = FieldDate(form, kFieldTo);
  if (to < from) {
    MsgShow(kMsgToBeforeFrom, 1);
    FieldSetFocus(form, kFieldTo);
    return 0x20;
  }
  DateScreenCtx* ctx = CtxOf(form);
  *ctx->from = from;
  *ctx->to = to;
  return 1;
}

// Asks for the range of sale dates, shown with `*from` and `*to`: 0 when
// accepted (both stored), -1 when left with Esc, 32 when the screen cannot
// be made.
int PurchaseHistDateScreen(std::int32_t* from, std::int32_t* to) {
  TagFormField fields[] = {
      {.number = kFieldFrom, .row = 1, .column = 14, .mask = "nn/nn/nn", .label = "From date"},
      {.number = kFieldTo, .row = 2, .column = 14, .mask = "nn/nn/nn", .label = "To date"},
      {},
  };
  fields[0].exitCallback = DateFieldExit;
  fields[1].exitCallback = DateFieldExit;
  struct FormGuard {
    Form form{};
    ~FormGuard() { FormEnd(&form); }
  } formGuard;
  Form* form = &formGuard.form;
  FormBegin(form);
  if (!FormFieldsCreate(form, fields, 1)) return 32;

  Window window{};
  GetCaption(window.caption, kCaptionWindow);
  std::snprintf(window.reportId, sizeof window.reportId, "%s", kReportId);
  if (WinOpen(&window, kWindowTop, kWindowLeft, kWindowRows, kWindowCols, 1, 1, ' ', " Customer Inquiry ") != 0)
    return 32;
  WindowGuard windowGuard(&window);

  DateScreenCtx ctx{from, to};
  form->context = &ctx;
  form->startHook = DateScreenStart;
  form->eventHook = FormStandardHook;
  std::snprintf(form->reportId, sizeof form->reportId, "%s", kReportId);
  FormAttachWindow(&window, form, 1);
  FormOnKey(form, kKeyF10, AcceptDates, "Run");
  FormRun(form, 0);
  return FormWasCancelled(form) ? -1 : 0;
}

// Today's fiscal period, or today alone when no period holds it.
void PurchaseHistDefaultDates(std::int32_t* from, std::int32_t* to) {
  const std::int32_t today = DateToday();
  records::FiscalPeriodInfo period{};
  if (FiscalPeriodOfDate(kPeriodFillOnly, today, &period) == 0 && period.startDate > 0 && period.endDate > 0) {
    *from = period.startDate;
    *to = period.endDate;
  } else {
    *from = today;
    *to = today;
  }
}

// --- The run -------------------------------------------------------------------------------

// What PurchaseHistHeaderMatches answers of a header.
enum class HeaderMatch { kSkip, kStop, kTake };

enum LineColumn {
  kItemCode, kItemType, kSaleDate, kUnits, kFraction, kUnitPrice, kTotalPrice, kDescription, kInvoice, kColumnCount
};
constexpr int kColumnX[kColumnCount] = {1, 18, 27, 36, 50, 60, 72, 84, 125};
constexpr const char* kHeading1[kColumnCount] = {"", "Item", "Sale", "Units", "Sales", "Price", "", "", "Invoice"};
constexpr const char* kHeading2[kColumnCount] = {"Item Code",   "Type",        "Date",
                                                 "Sold",        "Fraction",    "per Unit",
                                                 "Total Price", "Item Description", "Number"};
// Columns whose values stand at the right of their field.
constexpr int kColumnWidth[kColumnCount] = {0, 0, 0, 11, 9, 11, 11, 0, 0};

class PurchaseHistoryRun {
 public:
  PurchaseHistoryRun() = default;
  PurchaseHistoryRun(const PurchaseHistoryRun&) = delete;
  PurchaseHistoryRun& operator=(const PurchaseHistoryRun&) = delete;

  int Run(const char* parameterText);

 private:
  bool Prepare(const char* parameterText);
  void PrintPurchaseHistory();
  void PurchaseHistCustomerName();
  // Reads headers from `op` to the next one to print: 0, kStatusEndOfFile
  // when there is none, or another status after the error box.
  int NextHeader(int op);
  HeaderMatch PurchaseHistHeaderMatches() const;
  // Prints the lines of the header just read: 0, or a status after the
  // error box.
  int PrintTransaction();
  static const char* PurchaseHistLineType(std::uint8_t lineKind);
  void PurchaseHistLinks();
  void PrintPurchaseHistLine();
  void PrintPurchaseHistHeading();
  void PrintTotal();
  void BuildLayouts();

  PurchaseHistParams params_{};
  std::string customerName_;
  records::TagBiPoHeader header_{};
  records::BiPoLine line_{};
  char headerKey_[255] = {};
  double total_ = 0.0;
  bool printed_ = false;

  // Released in the reverse order: the report, then the files.
  FileSet files_;
  BtrvHandle headers_ = 0, lines_ = 0, customers_ = 0;
  TagRepInfo info_{};
  ReportRunGuard reportGuard_{&info_};

  std::array<TagReportColumn, kColumnCount + 1> heading1_{};
  std::array<TagReportColumn, kColumnCount + 1> heading2_{};
  std::array<TagReportColumn, kColumnCount + 1> detail_{};

  // The values the detail line points at.
  char itemCode_[16] = {}, itemType_[9] = {}, description_[41] = {}, invoice_[12] = {};
  std::int32_t saleDate_ = 0, fraction_ = 0;
  double units_ = 0.0, unitPrice_ = 0.0, totalPrice_ = 0.0;

  TagDrillDownInfo itemLink_ = MakeDrillDown(kDrillOpenScreen, kCommandProduct);
  TagDrillDownInfo invoiceLink_ = MakeDrillDown(kDrillOpenScreen, kCommandInvoice);
};

int PurchaseHistoryRun::Run(const char* parameterText) {
  if (!Prepare(parameterText)) return 0;
  PrintPurchaseHistory();
  reportGuard_.Close();
  return 0;
}

bool PurchaseHistoryRun::Prepare(const char* parameterText) {
  if (parameterText == nullptr || StrIsBlank(parameterText)) return true;
  CPurchaseHistParamString parser;
  if (!ApplyReportPreset(&parser, parameterText, &params_)) return false;
  if (params_.dateFrom == 0 && params_.dateTo == 0) {
    PurchaseHistDefaultDates(&params_.dateFrom, &params_.dateTo);
    if (PurchaseHistDateScreen(&params_.dateFrom, &params_.dateTo) != 0) return false;
  }
  if (params_.dateTo != 0 && params_.dateTo < params_.dateFrom) {
    RefuseReportRun(kMsgToBeforeFrom);
    return false;
  }
  return true;
}

void PurchaseHistoryRun::PrintPurchaseHistory() {
  if (FileSetOpen(&files_, records::kFileBillingHeaders | kFileModeReadOnly,
                  records::kFileBillingLines | kFileModeReadOnly, records::kFileCustomers | kFileModeReadOnly) !=
      kStatusOk)
    return;
  headers_ = files_.handle[0];
  lines_ = files_.handle[1];
  customers_ = files_.handle[2];
  BtrvSetKey(headers_, kHeaderByCustomer, -1);
  PurchaseHistCustomerName();

  if (SetReportDestination(params_.output, &info_) != 0) return;
  info_.lineWidth = kLineWidth;
  if (!ReportOpen(&info_, kRunTitle)) return;
  OfferSavedRun(&info_, kMenuCustPurchaseHistory, nullptr,
                [this](CReportParamString* text) { return PurchaseHistWriteParams(params_, text); },
                [this] { return PurchaseHistSelectionWords(params_); });
  BuildLayouts();

  // The key: the customer code, then the first date.  NULs below every
  // character put the first of the customer's headers at or after the key.
  std::memset(headerKey_, 0, sizeof headerKey_);
  std::memcpy(headerKey_, params_.customerCode, strnlen(params_.customerCode, kCustomerKeyWidth));
  std::memcpy(headerKey_ + kCustomerKeyWidth, &params_.dateFrom, sizeof params_.dateFrom);

  int status = NextHeader(kOpGetGreaterOrEqual);
  bool failed = status != kStatusOk && status != kStatusEndOfFile;
  while (status == kStatusOk) {
    int lastKey = 0;
    if (ReportCheckUserBreak(&info_, &lastKey)) return;
    if (PrintTransaction() != kStatusOk) {
      failed = true;
      break;
    }
    status = NextHeader(kOpGetNext);
    if (status != kStatusOk && status != kStatusEndOfFile) failed = true;
  }
  if (failed) {
    EndIncompleteReport(&info_);
    return;
  }
  if (!printed_) {
    // Nothing worth keeping: no preview and no file.
    reportGuard_.Discard();
    MsgShow(kMsgNothingSelected, 1);
    return;
  }
  PrintTotal();
  ReportNewPage(&info_);
  CommandDone();
}

void PurchaseHistoryRun::PurchaseHistCustomerName() {
  records::CustVendRecord customer{};
  char key[255] = {};
  std::memcpy(key, params_.customerCode, strnlen(params_.customerCode, kCustomerKeyWidth));
  if (BtrvGetOp(kOpGetEqual, customers_, key, &customer, sizeof customer) == kStatusOk)
    customerName_ = TrimField(customer.name);
}

int PurchaseHistoryRun::NextHeader(int op) {
  for (;; op = kOpGetNext) {
    const int status = BtrvGetOp(op, headers_, headerKey_, &header_, sizeof header_);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusEndOfFile;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, op, records::kFileBillingHeaders, 0);
      return status;
    }
    switch (PurchaseHistHeaderMatches()) {
      case HeaderMatch::kSkip: continue;
      case HeaderMatch::kStop: return kStatusEndOfFile;
      case HeaderMatch::kTake: return kStatusOk;
    }
  }
}

HeaderMatch PurchaseHistoryRun::PurchaseHistHeaderMatches() const {
  const records::TagBiPoHeader& h = header_;
  // The file is read by customer, then date: past the customer or the last
  // date nothing more lies in the range.
  if (oem::CompareText(TrimField(h.custVendCode), TrimField(params_.customerCode)) != 0) return HeaderMatch::kStop;
  if (params_.dateTo != 0 && h.date > params_.dateTo) return HeaderMatch::kStop;
  // Earlier dates can only come first when the stored code is padded apart
  // from the key; they are passed over.
  if (h.date < params_.dateFrom) return HeaderMatch::kSkip;
  if (h.closedFlag == 'Y') return HeaderMatch::kSkip;
  if (h.typeLetter != 'I' && h.typeLetter != 'R') return HeaderMatch::kSkip;
  return HeaderMatch::kTake;
}

int PurchaseHistoryRun::PrintTransaction() {
  BiPoLineWalk walk(lines_, records::kFileBillingHeaders, header_);
  for (;;) {
    const int status = walk.Next(&line_);
    if (status == kStatusEndOfFile) return kStatusOk;
    if (status != kStatusOk) {
      MsgRecordError(status, 1, walk.Op(), records::kFileBillingLines, 0);
      return status;
    }
    const char* type = PurchaseHistLineType(line_.lineKind);
    if (type == nullptr) continue;

    const double sign = header_.typeLetter == 'R' ? -1.0 : 1.0;
    const std::string code = line_.lineKind == records::BiPoLine::kCodeLine
                                 ? TrimText(line_.CodeOfKindFour())
                                 : TrimField(line_.item);
    std::snprintf(itemCode_, sizeof itemCode_, "%s", code.c_str());
    std::snprintf(itemType_, sizeof itemType_, "%s", type);
    saleDate_ = header_.date;
    units_ = sign * line_.quantity;
    fraction_ = line_.salesFraction;
    unitPrice_ = line_.purchaseUnitCost;
    totalPrice_ = NumRound(sign * line_.amount, 2);
    std::snprintf(description_, sizeof description_, "%s", TrimField(line_.description).c_str());
    std::snprintf(invoice_, sizeof invoice_, "%s", TrimField(header_.transactionNumber).c_str());
    PurchaseHistLinks();
    PrintPurchaseHistLine();
    total_ = NumRound(total_ + totalPrice_, 2);
  }
}

const char* PurchaseHistoryRun::PurchaseHistLineType(std::uint8_t lineKind) {
  switch (lineKind) {
    case 1:
    case 2:
    case 3: return "Product";
    case records::BiPoLine::kCodeLine: return "Code";
    case records::BiPoLine::kServiceLine: return "Service";
    default: return nullptr;
  }
}

void PurchaseHistoryRun::PurchaseHistLinks() {
  ClearLinks(detail_.data());
  if (!info_.links) return;
  const int itemCommand = line_.lineKind == records::BiPoLine::kCodeLine      ? kCommandBillingCode
                          : line_.lineKind == records::BiPoLine::kServiceLine ? kCommandService
                                                                              : kCommandProduct;
  itemLink_ = MakeDrillDown(kDrillOpenScreen, itemCommand);
  CReportParamString item(itemLink_.params, kLinkParamCapacity);
  if (item.WriteParam("cdno", itemCode_, true)) LinkColumns(detail_.data(), {kItemCode}, &itemLink_);
  invoiceLink_ = MakeDrillDown(kDrillOpenScreen, header_.typeLetter == 'R' ? kCommandReturn : kCommandInvoice);
  CReportParamString invoice(invoiceLink_.params, kLinkParamCapacity);
  if (invoice.WriteParam("tranno", invoice_, true)) LinkColumns(detail_.data(), {kInvoice}, &invoiceLink_);
}

void PurchaseHistoryRun::PrintPurchaseHistLine() {
  if (!printed_ || ReportPageFull(&info_, 1)) {
    if (printed_) ReportNewPage(&info_);
    PrintPurchaseHistHeading();
  }
  ReportWriteColumns(&info_, detail_.data(), 1);
  printed_ = true;
}

void PurchaseHistoryRun::PrintPurchaseHistHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, detail_.data(), 2);
  ReportPageStart(&info_, 0, 1);
  const TagRepFont font = info_.font;
  ReportSetFont(&info_, kFontTitle);
  ReportWriteText(&info_, kPageTitle, kReportCentred, 1);
  ReportSetFont(&info_, kFontHeading);
  char text[160];
  std::snprintf(text, sizeof text, "Customer: %s %s", TrimField(params_.customerCode).c_str(), customerName_.c_str());
  ReportWriteText(&info_, text, kReportCentred, 1);
  char from[16] = "FIRST", to[16] = "LAST ";
  if (params_.dateFrom != 0) DateToText(from, params_.dateFrom);
  if (params_.dateTo != 0) DateToText(to, params_.dateTo);
  std::snprintf(text, sizeof text, "Date From: %s To %s", from, to);
  ReportWriteText(&info_, text, kReportCentred, 1);
  ReportSkipLines(&info_, 1);
  ReportSetFont(&info_, kFontColumnHeading);
  ReportWriteColumns(&info_, heading1_.data(), 1);
  ReportWriteColumns(&info_, heading2_.data(), 1);
  ReportWriteRule(&info_, detail_.data(), 1, '-');
  ReportSetFont(&info_, &font);
  if (ReportColumnsActive(&info_)) ReportSetHeadingEnd(&info_, info_.lineCount);
}

void PurchaseHistoryRun::PrintTotal() {
  std::array<TagReportColumn, kColumnCount + 1> totalLine = detail_;
  ClearLinks(totalLine.data());
  for (int i = 0; i < kColumnCount; ++i) totalLine[static_cast<std::size_t>(i)].hidden = i == kTotalPrice ? 0 : 1;
  totalLine[kTotalPrice].value = &total_;
  if (ReportPageFull(&info_, 2)) {
    ReportNewPage(&info_);
    PrintPurchaseHistHeading();
  }
  ReportWriteRule(&info_, totalLine.data(), 1, '-');
  ReportWriteText(&info_, "Total", kColumnX[kItemCode], 0);
  ReportWriteColumns(&info_, totalLine.data(), 1);
}

void PurchaseHistoryRun::BuildLayouts() {
  for (int i = 0; i < kColumnCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const std::int32_t align = kColumnWidth[i] ? kAlignRight : kAlignLeft;
    heading1_[at] = MakeColumn(kColumnText, "%s", kColumnX[i], kHeading1[i], align, kColumnWidth[i]);
    heading2_[at] = MakeColumn(kColumnText, "%s", kColumnX[i], kHeading2[i], align, kColumnWidth[i]);
  }
  detail_[kItemCode] = MakeColumn(kColumnText, "%-16s", kColumnX[kItemCode], itemCode_);
  detail_[kItemType] = MakeColumn(kColumnText, "%-8s", kColumnX[kItemType], itemType_);
  detail_[kSaleDate] = MakeColumn(kColumnDate, "%-8s", kColumnX[kSaleDate], &saleDate_);
  detail_[kUnits] = MakeColumn(kColumnDouble, "%11.4f", kColumnX[kUnits], &units_);
  detail_[kFraction] = MakeColumn(kColumnLong, "%9d", kColumnX[kFraction], &fraction_);
  detail_[kUnitPrice] = MakeColumn(kColumnDouble, "%11.4f", kColumnX[kUnitPrice], &unitPrice_);
  detail_[kTotalPrice] = MakeColumn(kColumnAmount, "%11.2f", kColumnX[kTotalPrice], &totalPrice_);
  detail_[kDescription] = MakeColumn(kColumnText, "%-40s", kColumnX[kDescription], description_);
  detail_[kInvoice] = MakeColumn(kColumnText, "%-10s", kColumnX[kInvoice], invoice_);
}

}  // namespace

int RunCustPurchaseHistory(const char* parameterText) {
  try {
    PurchaseHistoryRun run;
    return run.Run(parameterText);
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
    return 0;
  }
}
