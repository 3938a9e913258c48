// The product activity detail report (command 359): each selected product's
// running stock balance through the inventory transactions of a date range,
// and the total of the products' ending values.
//
// A product's history starts from its purged totals (what the purge of old
// transactions folded into the product); its transactions are read from key
// 1 of the transaction file (product, then date).  Those before the range
// are added into the balance the product line shows; those within it are
// listed one a line with the balance after each; those after it are left
// out.  A run stopped by a record-manager error on either file ends with the
// "incomplete" line and no total (a file output is dropped): a total that
// left out part of a product's transactions would be wrong without saying
// so.
#include "reports/inventory/product_activity_detail.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "adjustment_kinds.h"
#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/tables.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/transactions.h"
#include "report_frame.h"
#include "selection_words.h"
#include "reports/inventory/product_activity.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_report_run.h"
#include "reports/inventory/product_selection.h"

namespace {

using records::InventoryTransaction;
using records::TagProduct;

constexpr const char* kReportId = "RSProdDtlReport";
constexpr const char* kRunTitle = "Product Transaction Activity";
constexpr const char* kTitle = "Product Activity Detail Report";

// The selection window's height.
constexpr int kWindowRows = 16;

constexpr int kLineWidth = 130;

// Key 1 of the transaction file: a product's transactions in date order.
constexpr int kKeyProductDate = 1;

// Drill-down targets: the product's entry screen and the screens of the
// source documents.
constexpr int kCommandProductScreen = 250;
constexpr int kCommandAdjustmentScreen = 205;

// --- Sources ---------------------------------------------------------------------------

struct Source {
  char type;
  const char* name;
  int command;  // the entry screen of its document; 0: none
};
// clang-format off
constexpr Source kSources[] = {
    {'A', "Assembly", 0},   {'B', "Invoice", 230},    {'C', "Convert", 0},  {'I', "Phys.Inv", 0},
    {'J', "J.C.", 0},       {'L', "Remote", 0},       {'M', "Merch_Rec", 221}, {'O', "O.E.", 0},
    {'P', "P.O.S.", 0},     {'R', "Purch_Ret", 222},  {'S', "Sales_Ret", 233}, {'U', "Setup", 0},
};
// clang-format on

const Source* SourceOf(char type) {
  for (const Source& s : kSources)
    if (s.type == type) return &s;
  return nullptr;
}

// --- Column layouts ------------------------------------------------------------------
//
// Every value is bounded to its field and no field reaches the next one's x:
// numbers too wide for their column show '*' across it.

enum ProductColumn { kProdNumber, kProdWarehouse, kProdDescription, kProdQuantity, kProdValue, kProdCount };
enum TranColumn {
  kTranDocument, kTranDate, kTranSource, kTranReference, kTranQuantity, kTranCost, kTranExtended,
  kTranBalanceQuantity, kTranBalanceValue, kTranCount
};

constexpr int kQuantityWidth = 12, kCostWidth = 11, kAmountWidth = 12;

struct Caption {
  int x;
  const char* text;
  const char* format;
};
constexpr Caption kHeading1[] = {{4, "Item No./", "%-15s"}, {31, "Item Description/", "%-31s"}};
constexpr Caption kHeading2[] = {
    {4, "Invoice No.", "%-20s"}, {25, "WHC", "%-5s"},         {31, "Date", "%-8s"},
    {42, "Source", "%-9s"},      {55, "Reference", "%-10s"},  {66, "Quantity", "%-12s"},
    {79, "Cost", "%-11s"},       {91, "Extended", "%-12s"},   {104, "Balance Qty.", "%-12s"},
    {117, "Balance $", "%-12s"}};

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return std::string(records::Trimmed(field));
}


// --- The run ---------------------------------------------------------------------------

class DetailRun : ProductRunFrame {
 public:
  explicit DetailRun(ProductReportParams& params) : ProductRunFrame(params) {}

  int Run();

 private:
  int Selection() override { return ProductDetailSelection(&params_, SecondFile()); }

  void BuildLayouts();
  int PrintProducts();
  bool PrintProduct();
  int ReadTransaction(int op);
  bool OfThisProduct() const;
  void PageHeading();
  void Room(int lines);
  void WriteProductLine(double quantity, double value);
  void WriteTransactionLine(double quantity, double value);
  void WriteGrandTotal();
  void SetProductLinks();
  void SetTransactionLinks();

  InventoryTransaction transaction_{};
  char transactionKey_[255] = {};
  BtrvHandle transactions_ = 0;

  bool pageStarted_ = false;
  int printed_ = 0;
  std::int64_t grandCents_ = 0;
  std::string sortLine_, rangeLine_, unitsLine_;

  std::array<TagReportColumn, std::size(kHeading1) + 1> heading1_{};
  std::array<TagReportColumn, std::size(kHeading2) + 1> heading2_{};
  std::array<TagReportColumn, kProdCount + 1> productLine_{};
  std::array<TagReportColumn, kTranCount + 1> tranLine_{};
  std::array<TagReportColumn, 2> totalLine_{};

  // The values the row layouts point at.
  char number_[15] = {}, warehouse_[4] = {}, description_[31] = {};
  char quantity_[16] = {};
  double value_ = 0;
  char document_[15] = {}, source_[11] = {}, reference_[11] = {};
  std::int32_t date_ = 0;
  char tranQuantity_[16] = {};
  double cost_ = 0, extended_ = 0;
  double total_ = 0;

  TagDrillDownInfo productLink_ = MakeDrillDown(kDrillOpenScreen, kCommandProductScreen);
  TagDrillDownInfo tranLink_ = MakeDrillDown(kDrillOpenScreen, 0);
};

int DetailRun::Run() {
  const ProductRunSetup setup{kMenuActivityDetail, kReportId, kTitle, kWindowRows, kRunTitle, kLineWidth,
                              records::kFileInventoryTransactions};
  if (!Start(setup, [this](CReportParamString* text) { return SaveDetailRun(params_, text); },
             [this] { return DetailSelectionWords(params_); }))
    return 0;
  transactions_ = SecondFile();
  BtrvSetKey(transactions_, kKeyProductDate, -1);
  sortLine_ = CriterionHeadingLine("Sort", params_.sortRange);
  rangeLine_ = CriterionHeadingLine("Range", params_.rankRange);
  unitsLine_ = std::string("Units in ") + (params_.decimalOrFraction ? "Decimal" : "Fractions");
  BuildLayouts();
  return PrintProducts();
}

void DetailRun::BuildLayouts() {
  for (std::size_t i = 0; i < std::size(kHeading1); ++i)
    heading1_[i] = MakeColumn(kColumnText, kHeading1[i].format, kHeading1[i].x, kHeading1[i].text);
  for (std::size_t i = 0; i < std::size(kHeading2); ++i)
    heading2_[i] = MakeColumn(kColumnText, kHeading2[i].format, kHeading2[i].x, kHeading2[i].text);

  productLine_[kProdNumber] = MakeColumn(kColumnText, "%-14.14s", 4, number_);
  productLine_[kProdWarehouse] = MakeColumn(kColumnText, "%-5.5s", 25, warehouse_);
  productLine_[kProdDescription] = MakeColumn(kColumnText, "%-30.30s", 31, description_);
  productLine_[kProdQuantity] = MakeColumn(kColumnText, "%12.12s", 104, quantity_);
  productLine_[kProdValue] = MakeColumn(kColumnDouble, "%12.2f", 117, &value_);

  tranLine_[kTranDocument] = MakeColumn(kColumnText, "%-14.14s", 4, document_);
  tranLine_[kTranDate] = MakeColumn(kColumnDate, "%8s", 31, &date_);
  tranLine_[kTranSource] = MakeColumn(kColumnText, "%10.10s", 42, source_);
  tranLine_[kTranReference] = MakeColumn(kColumnText, "%10.10s", 55, reference_);
  tranLine_[kTranQuantity] = MakeColumn(kColumnText, "%12.12s", 66, tranQuantity_);
  tranLine_[kTranCost] = MakeColumn(kColumnDouble, "%11.4f", 79, &cost_);
  tranLine_[kTranExtended] = MakeColumn(kColumnDouble, "%12.2f", 91, &extended_);
  tranLine_[kTranBalanceQuantity] = MakeColumn(kColumnText, "%12.12s", 104, quantity_);
  tranLine_[kTranBalanceValue] = MakeColumn(kColumnDouble, "%12.2f", 117, &value_);

  totalLine_[0] = MakeColumn(kColumnDouble, "%12.2f", 117, &total_);
}

// --- The walk ------------------------------------------------------------------------------

int DetailRun::PrintProducts() {
  for (;;) {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) return 27;
    int pastEnd = 0;
    const bool selected = ProductPassesSortRange(&params_, &pastEnd);
    if (pastEnd) break;
    if (selected && !PrintProduct()) {
      EndIncompleteReport(&info_);
      return 0;
    }
    const int status = ReadNextSelectedProduct(&params_);
    if (status == kStatusEndOfFile) break;
    if (status != kStatusOk) {
      EndIncompleteReport(&info_);
      return 0;
    }
  }
  if (printed_ == 0) {
    MsgShow(kMsgNothingSelected, 1);
    reportGuard_.Discard();
    return 0;
  }
  WriteGrandTotal();
  ReportNewPage(&info_);
  CommandDone();
  return 0;
}

// Reads the transaction file by `op`: 0 a record of this product read, 9 none
// (the end, or past the product); another status after the error box.
int DetailRun::ReadTransaction(int op) {
  const int status = RecordRead(records::kFileInventoryTransactions, op, transactions_, transactionKey_,
                                &transaction_, sizeof transaction_);
  if (status == kStatusOk) return OfThisProduct() ? kStatusOk : kStatusEndOfFile;
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return kStatusEndOfFile;
  MsgRecordError(status, 1, op, records::kFileInventoryTransactions, 0);
  return status;
}

bool DetailRun::OfThisProduct() const {
  return oem::CompareText(records::Trimmed(transaction_.productCode), records::Trimmed(record_.number)) == 0;
}

// One product: its start balance, its transactions in the range, the blank
// line after it.  False after a record-manager error (the error box shown).
bool DetailRun::PrintProduct() {
  const RangeCriterion& range = params_.rankRange;
  double quantity = record_.purgedQuantity;
  std::int64_t valueCents = AmountCents(record_.purgedAmount);

  // A product's transactions from its earliest date, whatever the key
  // buffer held before.
  std::memset(transactionKey_, 0, sizeof transactionKey_);
  std::memset(transactionKey_, ' ', sizeof record_.number);
  std::memcpy(transactionKey_, record_.number, strnlen(record_.number, sizeof record_.number));
  const std::int32_t lowest = INT32_MIN;
  std::memcpy(transactionKey_ + sizeof record_.number, &lowest, sizeof lowest);
  int status = ReadTransaction(kOpGetGreaterOrEqual);

  // Transactions before the range are part of the balance it starts from.
  while (status == kStatusOk && !range.fromEmpty && transaction_.date < range.fromDate) {
    quantity += transaction_.quantity;
    valueCents += AmountCents(transaction_.extendedAmount);
    status = ReadTransaction(kOpGetNext);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return false;
  ++printed_;
  Room(1);
  WriteProductLine(quantity, static_cast<double>(valueCents) / 100.0);

  while (status == kStatusOk && (range.toEmpty || transaction_.date <= range.toDate)) {
    quantity += transaction_.quantity;
    valueCents += AmountCents(transaction_.extendedAmount);
    Room(1);
    WriteTransactionLine(quantity, static_cast<double>(valueCents) / 100.0);
    status = ReadTransaction(kOpGetNext);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return false;
  grandCents_ += valueCents;
  // The item's end: a blank line, unless it would be the first of a page.
  if (ReportPageFull(&info_, 3)) {
    ReportNewPage(&info_);
    pageStarted_ = false;
  } else {
    ReportSkipLines(&info_, 1);
  }
  return true;
}

// --- Pages -----------------------------------------------------------------------------------

// A new page and its heading first when `lines` more do not fit the usable
// page, one line shorter than the writer's.
void DetailRun::Room(int lines) {
  if (!pageStarted_ || ReportPageFull(&info_, lines + 1)) PageHeading();
}

void DetailRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, tranLine_.data(), 2);
  WriteStackedPageHeading(&info_, kTitle, {sortLine_, rangeLine_, unitsLine_});
  HeadingRows(heading1_.data(), heading2_.data(), tranLine_.data());
  pageStarted_ = true;
}

// --- Lines -----------------------------------------------------------------------------------

void DetailRun::WriteProductLine(double quantity, double value) {
  SetRowText(number_, Trimmed(record_.number));
  SetRowText(warehouse_, Trimmed(record_.warehouse));
  SetRowText(description_, Trimmed(record_.description));
  FitProductQuantity(quantity_, sizeof quantity_, quantity, record_.purchaseUnitFactor, kQuantityWidth,
                     params_.decimalOrFraction != 0);
  value_ = value;
  SetProductLinks();
  ReportWriteColumns(&info_, productLine_.data(), 1);
}

void DetailRun::WriteTransactionLine(double quantity, double value) {
  const InventoryTransaction& t = transaction_;
  SetRowText(document_, t.SourceDocument());
  date_ = t.date;
  std::string source;
  TransactionSourceName(t.source, t.kind, &source);
  SetRowText(source_, source);
  SetRowText(reference_, Trimmed(t.reference));
  const int fraction = record_.purchaseUnitFactor;
  const bool decimal = params_.decimalOrFraction != 0;
  FitProductQuantity(tranQuantity_, sizeof tranQuantity_, t.quantity, fraction, kQuantityWidth, decimal);
  cost_ = t.unitCost;
  extended_ = t.extendedAmount;
  FitProductQuantity(quantity_, sizeof quantity_, quantity, fraction, kQuantityWidth, decimal);
  value_ = value;
  SetTransactionLinks();
  ReportWriteColumns(&info_, tranLine_.data(), 1);
}

void DetailRun::WriteGrandTotal() {
  Room(2);
  total_ = static_cast<double>(grandCents_) / 100.0;
  ReportWriteRule(&info_, totalLine_.data(), 1, '=');
  ReportWriteColumns(&info_, totalLine_.data(), 1);
}

void DetailRun::SetProductLinks() {
  ClearLinks(productLine_.data());
  if (!info_.links) return;
  CReportParamString link(productLink_.params, kLinkParamCapacity);
  if (link.WriteParam("cdno", Trimmed(record_.number), true))
    LinkColumns(productLine_.data(), {kProdNumber, kProdWarehouse, kProdDescription}, &productLink_);
}

void DetailRun::SetTransactionLinks() {
  ClearLinks(tranLine_.data());
  if (!info_.links) return;
  const InventoryTransaction& t = transaction_;
  CReportParamString link(tranLink_.params, kLinkParamCapacity);
  bool ok = false;
  if (t.source == 'T') {
    tranLink_.commandId = kCommandAdjustmentScreen;
    ok = link.WriteParam("cdno", Trimmed(t.transactionNumber), true);
  } else if (const Source* s = SourceOf(t.source); s && s->command) {
    tranLink_.commandId = static_cast<std::uint16_t>(s->command);
    const std::string_view document = t.DocumentNumber();
    ok = link.WriteParamN("tranno", document.data(), static_cast<int>(document.size()), true) &&
         link.WriteIntParam("mrno", t.ReceiptNumber(), false);
  }
  if (!ok) return;
  for (int c = 0; c < kTranCount; ++c) tranLine_[static_cast<std::size_t>(c)].link = &tranLink_;
}

}  // namespace

// --- Entry ------------------------------------------------------------------------------------------

bool TransactionSourceName(char type, char kind, std::string* name) {
  if (type == 'T') {
    *name = AdjustmentKindName(kind);
    return true;
  }
  const Source* s = SourceOf(type);
  *name = s ? s->name : "";
  return s != nullptr;
}

int RunProductActivityDetail(const char* parameterText) {
  ProductReportParams params{};
  InitProductRanges(kMenuActivityDetail, &params);
  CProductParamString parser;
  if (!ApplyReportPreset(&parser, parameterText, &params)) return 0;
  if (parameterText != nullptr && !StrIsBlank(parameterText)) {
    if (!ResolveProductRanges(&params)) return 0;
    // The walk follows the product file's own keys (or an index on the bin):
    // a field none of them orders cannot sort this report.
    const int sort = params.sortRange.fieldId;
    if (sort != kProdFieldNumber && sort != kProdFieldDescription && sort != kProdFieldDepartment &&
        sort != kProdFieldBin && sort != kProdFieldVendor && sort != kProdFieldWarehouse) {
      ShowBadParameters("this report cannot be sorted by \"" + TrimText(params.sortRange.caption) + "\".");
      return 0;
    }
  }
  PrintProductActivityDetail(params);
  return 0;
}

int PrintProductActivityDetail(ProductReportParams& params) {
  DetailRun run(params);
  return run.Run();
}

std::string DetailSelectionWords(const ProductReportParams& p) {
  // Its own screen, form 359: the rank range holds the transaction dates.
  SelectionWords words(359);
  words.Range(1, p.sortRange);
  const auto text = [](const char (&field)[41], std::int32_t empty) {
    return empty ? std::string() : std::string(field, strnlen(field, sizeof field));
  };
  words.Named("Transaction dates", SelectionWords::RangeText("", text(p.rankRange.fromText, p.rankRange.fromEmpty),
                                                              text(p.rankRange.toText, p.rankRange.toEmpty))
                                       .substr(2));
  words.Item(16, p.decimalOrFraction ? "Decimal" : "Fraction");
  words.Item(17, SelectionWords::YesNo(p.includeNoInventory == 0));
  return words.Text();
}

bool SaveDetailRun(const ProductReportParams& p, CReportParamString* out) {
  return SaveActivityRun(p, out) && out->WriteIntParam("decorfrac", p.decimalOrFraction, false);
}
