// The product activity report (command 354): the selected products, two
// lines each, in the order of the sort field; a subtotal per group under a
// grouping sort (bin, G/L department, vendor, warehouse), and the totals of
// the value on hand and the year's purchases, sales, cost of sales and
// profit with the product count.
//
// Totals are kept in cents, so that they foot to the amounts printed.  A
// run stopped by a record-manager error ends with the "incomplete" line and
// no subtotal or total (a file output is dropped); a run the user stops
// ends without them too.
#include "reports/inventory/product_activity.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "btrvc.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_frame.h"
#include "selection_words.h"
#include "reports/inventory/product_listing.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_report_run.h"
#include "reports/inventory/product_selection.h"

namespace {

using records::TagProduct;

constexpr const char* kReportId = "RSProdActReport";
constexpr const char* kWindowTitle = "Product Activity Report";
constexpr const char* kRunTitle = "Product Activity";
constexpr const char* kPageTitle = "Product History Report";

// The selection window's height.
constexpr int kWindowRows = 14;

constexpr int kLineWidth = 136;
constexpr int kCommandProductScreen = 250;
// The system code that names the costing method.
constexpr int kCodeCosting = 8;
// The current year's slot of the statistics groups.
constexpr int kYear = 2;

// --- Column layouts ------------------------------------------------------------------
//
// Every field is bounded to its width (texts by a precision, numbers and
// quantities too wide for their column show '*' across it) and no field
// reaches the next one's x.

// The heading rows: one x table, two rows of captions.
constexpr int kHeadingX[] = {0, 21, 28, 28, 37, 48, 58, 69, 80, 91, 102, 114, 125};
constexpr const char* kHeading1[] = {"Product No.", "", "Bin", "", "", "Sell Frac", "Sell Unit",
                                     "Sale Price", "OH Units", "Pur Units", "Sales Units", "", ""};
constexpr const char* kHeading2[] = {"Description", "Dept.", "", "WHC", "Vendor", "Buy Frac", "Buy Unit",
                                     "Unit Cost", "OH Dollars", "Pur YTD $", "Sales YTD $", "Cost YTD $",
                                     "Profit YTD"};
constexpr int kHeadingCount = static_cast<int>(std::size(kHeadingX));

enum Line1Column {
  kNumber, kDepartment, kBin, kVendor, kSellFraction, kSellUnit, kSalePrice, kOnHandUnits, kPurchaseUnits,
  kSalesUnits, kCostYtd, kProfitYtd, kLine1Count
};
enum Line2Column {
  kDescription, kWarehouse, kBuyFraction, kBuyUnit, kUnitCost, kOnHandDollars, kPurchasesYtd, kSalesYtd,
  kLine2Count
};
enum TotalColumn { kTotalCaption, kTotalCount, kTotalOnHand, kTotalPurchases, kTotalSales, kTotalCost,
                   kTotalProfit, kTotalCountColumns };

// The five amounts a product adds to the totals, in cents.
enum Amount { kAmountOnHand, kAmountPurchases, kAmountSales, kAmountCost, kAmountProfit, kAmounts };

struct Totals {
  int count = 0;
  std::array<std::int64_t, kAmounts> cents{};
  void Add(const std::array<std::int64_t, kAmounts>& amounts) {
    ++count;
    for (std::size_t i = 0; i < amounts.size(); ++i) cents[i] += amounts[i];
  }
};

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  return std::string(records::Trimmed(field));
}


// "Subtotal A-01": the group the subtotal closes.
std::string SubtotalCaption(const ProductGroups& groups) {
  return "Subtotal " + (groups.Value().empty() ? "(none)" : groups.Value());
}

// The unit cost the costing method names: 'A' the average cost, 'L' the
// last cost, any other the standard cost.
double UnitCostOf(const TagProduct& p, char costing) {
  return costing == 'A' ? p.averageCost : costing == 'L' ? p.lastCost : p.standardCost;
}

// --- The run ---------------------------------------------------------------------------

class ActivityRun : ProductRunFrame {
 public:
  explicit ActivityRun(ProductReportParams& params) : ProductRunFrame(params) {}

  int Run();

 private:
  struct WaitGuard {
    int handle = 0;
    ~WaitGuard() { MsgWaitClose(handle); }
  };

  void BuildLayouts();
  int PrintProducts();
  void PageHeading();
  void WriteProduct();
  void SetLinks();
  void WriteTotals(const char* caption, const Totals& totals, bool subtotal);

  char costing_ = 0;
  // Closed before the report is delivered.
  WaitGuard wait_;

  bool pageStarted_ = false;
  std::string sortLine_, rangeLine_;
  std::array<std::int64_t, kAmounts> amounts_{};  // the current product's

  std::array<TagReportColumn, kHeadingCount + 1> heading1_{};
  std::array<TagReportColumn, kHeadingCount + 1> heading2_{};
  std::array<TagReportColumn, kLine1Count + 1> line1_{};
  std::array<TagReportColumn, kLine2Count + 1> line2_{};
  std::array<TagReportColumn, kTotalCountColumns + 1> totalLine_{};

  // The values the row layouts point at.
  char number_[15] = {}, department_[7] = {}, bin_[9] = {}, vendor_[11] = {}, sellUnit_[10] = {};
  std::int32_t sellFraction_ = 0, buyFraction_ = 0;
  char onHandUnits_[16] = {}, purchaseUnits_[16] = {}, salesUnits_[16] = {};
  double salePrice_ = 0;
  double costYtd_ = 0, profitYtd_ = 0;
  char description_[31] = {}, warehouse_[6] = {}, buyUnit_[10] = {};
  double onHandDollars_ = 0, purchasesYtd_ = 0, salesYtd_ = 0;
  double unitCost_ = 0;
  char totalCaption_[12] = {};
  std::int32_t totalCount_ = 0;
  double totalAmounts_[kAmounts] = {};

  TagDrillDownInfo productLink_ = MakeDrillDown(kDrillOpenScreen, kCommandProductScreen);
  TagDrillDownInfo detailLink_ = MakeDrillDown(kDrillRunReport, kMenuActivityDetail);
};

int ActivityRun::Run() {
  const ProductRunSetup setup{kMenuProductActivity, kReportId, kWindowTitle, kWindowRows, kRunTitle, kLineWidth, 0};
  if (!Start(setup, [this](CReportParamString* text) { return SaveActivityRun(params_, text); },
             [this] { return ActivitySelectionWords(params_); }))
    return 0;
  // The heading lines are made from the criteria the run selects by.
  sortLine_ = CriterionHeadingLine("Sort", params_.sortRange);
  rangeLine_ = CriterionHeadingLine("Range", params_.rankRange);

  costing_ = SysCodeGet(kCodeCosting);
  BuildLayouts();
  wait_.handle = MsgWaitOpen(kReportId);
  return PrintProducts();
}

void ActivityRun::BuildLayouts() {
  for (int i = 0; i < kHeadingCount; ++i) {
    const auto c = static_cast<std::size_t>(i);
    heading1_[c] = MakeColumn(kColumnText, "%s", kHeadingX[i], kHeading1[i]);
    heading2_[c] = MakeColumn(kColumnText, "%s", kHeadingX[i], kHeading2[i]);
  }

  line1_[kNumber] = MakeColumn(kColumnText, "%-20.20s", 0, number_);
  line1_[kDepartment] = MakeColumn(kColumnText, "%-6.6s", 21, department_);
  line1_[kBin] = MakeColumn(kColumnText, "%-8.8s", 28, bin_);
  line1_[kVendor] = MakeColumn(kColumnText, "%10.10s", 37, vendor_);
  line1_[kSellFraction] = MakeColumn(kColumnLong, "%9d", 48, &sellFraction_);
  line1_[kSellUnit] = MakeColumn(kColumnText, "%9.9s", 58, sellUnit_);
  line1_[kSalePrice] = MakeColumn(kColumnDouble, "%10.4f", 68, &salePrice_);
  line1_[kOnHandUnits] = MakeColumn(kColumnText, "%10.10s", 80, onHandUnits_);
  line1_[kPurchaseUnits] = MakeColumn(kColumnText, "%10.10s", 91, purchaseUnits_);
  line1_[kSalesUnits] = MakeColumn(kColumnText, "%11.11s", 102, salesUnits_);
  line1_[kCostYtd] = MakeColumn(kColumnDouble, "%10.2f", 114, &costYtd_);
  line1_[kProfitYtd] = MakeColumn(kColumnDouble, "%10.2f", 125, &profitYtd_);

  // The description ends before the warehouse at 28.
  line2_[kDescription] = MakeColumn(kColumnText, "%-27.27s", 0, description_);
  line2_[kWarehouse] = MakeColumn(kColumnText, "%-5.5s", 28, warehouse_);
  line2_[kBuyFraction] = MakeColumn(kColumnLong, "%9d", 48, &buyFraction_);
  line2_[kBuyUnit] = MakeColumn(kColumnText, "%9.9s", 58, buyUnit_);
  line2_[kUnitCost] = MakeColumn(kColumnDouble, "%10.4f", 68, &unitCost_);
  line2_[kOnHandDollars] = MakeColumn(kColumnDouble, "%10.2f", 80, &onHandDollars_);
  line2_[kPurchasesYtd] = MakeColumn(kColumnDouble, "%10.2f", 91, &purchasesYtd_);
  line2_[kSalesYtd] = MakeColumn(kColumnDouble, "%11.2f", 102, &salesYtd_);

  totalLine_[kTotalCaption] = MakeColumn(kColumnText, "%-11s", 16, totalCaption_);
  totalLine_[kTotalCaption].hidden = 1;  // the caption is written at x 1 before the line
  totalLine_[kTotalCount] = MakeColumn(kColumnLong, "%-8d", 29, &totalCount_);
  totalLine_[kTotalOnHand] = MakeColumn(kColumnDouble, "%10.2f", 80, &totalAmounts_[kAmountOnHand]);
  totalLine_[kTotalPurchases] = MakeColumn(kColumnDouble, "%10.2f", 91, &totalAmounts_[kAmountPurchases]);
  totalLine_[kTotalSales] = MakeColumn(kColumnDouble, "%11.2f", 102, &totalAmounts_[kAmountSales]);
  totalLine_[kTotalCost] = MakeColumn(kColumnDouble, "%10.2f", 114, &totalAmounts_[kAmountCost]);
  totalLine_[kTotalProfit] = MakeColumn(kColumnDouble, "%10.2f", 125, &totalAmounts_[kAmountProfit]);
}

// --- The walk ------------------------------------------------------------------------------

int ActivityRun::PrintProducts() {
  ProductGroups groups(params_.sortRange.fieldId);
  Totals subtotal, total;
  for (;;) {
    MsgWaitStep(wait_.handle);
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) return 27;
    int pastEnd = 0;
    const bool selected = ProductPassesSelection(&params_, &pastEnd);
    if (pastEnd) break;
    if (selected) {
      // Only printed products carry a group: a product read but not printed
      // never splits one group's subtotal in two.
      if (groups.Changes(record_)) {
        WriteTotals(SubtotalCaption(groups).c_str(), subtotal, true);
        groups.Restart();
        subtotal = Totals{};
      }
      groups.Add(record_);
      WriteProduct();
      subtotal.Add(amounts_);
      total.Add(amounts_);
    }
    const int status = ReadNextSelectedProduct(&params_);
    if (status == kStatusEndOfFile) break;
    if (status != kStatusOk) {
      // The error box has been shown once; what was printed carries no total.
      EndIncompleteReport(&info_);
      return 0;
    }
  }
  if (total.count == 0) {
    MsgShow(kMsgNothingSelected, 1);
    reportGuard_.Discard();
    return 0;
  }
  if (groups.Grouping() && groups.Count() > 0) WriteTotals(SubtotalCaption(groups).c_str(), subtotal, true);
  WriteTotals("Total Products : ", total, false);
  ReportNewPage(&info_);
  CommandDone();
  return 0;
}

// --- Pages -----------------------------------------------------------------------------------

void ActivityRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, line1_.data(), 2);
  WriteStackedPageHeading(&info_, kPageTitle, {sortLine_, rangeLine_});
  HeadingRows(heading1_.data(), heading2_.data(), line1_.data());
  pageStarted_ = true;
}

// --- Lines ---------------------------------------------------------------------------------------

void ActivityRun::WriteProduct() {
  const TagProduct& p = record_;
  SetRowText(number_, Trimmed(p.number));
  SetRowText(department_, Trimmed(p.department));
  SetRowText(bin_, Trimmed(p.bin));
  SetRowText(vendor_, Trimmed(p.vendor));
  sellFraction_ = p.salesUnitFactor;
  SetRowText(sellUnit_, Trimmed(p.sellingMeasure));
  salePrice_ = p.sellingPrice;
  FitProductQuantity(onHandUnits_, sizeof onHandUnits_, p.quantityOnHand, p.purchaseUnitFactor, 10);
  FitProductQuantity(purchaseUnits_, sizeof purchaseUnits_, p.purchaseUnits[kYear], p.purchaseUnitFactor, 10);
  FitProductQuantity(salesUnits_, sizeof salesUnits_, p.salesUnits[kYear], p.salesUnitFactor, 11);

  amounts_[kAmountOnHand] = AmountCents(p.valueOnHand);
  amounts_[kAmountPurchases] = AmountCents(p.purchaseDollars[kYear]);
  amounts_[kAmountSales] = AmountCents(p.salesDollars[kYear]);
  amounts_[kAmountCost] = AmountCents(p.costOfSales[kYear]);
  amounts_[kAmountProfit] = AmountCents(p.grossProfit[kYear]);
  auto money = [&](Amount a) { return static_cast<double>(amounts_[a]) / 100.0; };
  costYtd_ = money(kAmountCost);
  profitYtd_ = money(kAmountProfit);

  SetRowText(description_, Trimmed(p.description));
  SetRowText(warehouse_, Trimmed(p.warehouse));
  buyFraction_ = p.purchaseUnitFactor;
  SetRowText(buyUnit_, Trimmed(p.unitOfMeasure));
  unitCost_ = UnitCostOf(p, costing_);
  onHandDollars_ = money(kAmountOnHand);
  purchasesYtd_ = money(kAmountPurchases);
  salesYtd_ = money(kAmountSales);

  if (!pageStarted_ || PageFull(2)) PageHeading();
  SetLinks();
  ReportWriteColumns(&info_, line1_.data(), 1);
  ReportWriteColumns(&info_, line2_.data(), 1);
}

void ActivityRun::SetLinks() {
  ClearLinks(line1_.data());
  ClearLinks(line2_.data());
  if (!info_.links) return;
  const std::string number = Trimmed(record_.number);
  CReportParamString product(productLink_.params, kLinkParamCapacity);
  if (product.WriteParam("cdno", number, true)) {
    LinkColumns(line1_.data(), {kNumber}, &productLink_);
    LinkColumns(line2_.data(), {kDescription}, &productLink_);
  }
  // The figures link to the activity detail of this product alone, with the
  // type-2 products kept as this run keeps them.
  CReportParamString detail(detailLink_.params, kLinkParamCapacity);
  const bool ok = detail.WriteParam("input", "default", true) && detail.WriteParam("psbeg", number, false) &&
                  detail.WriteParam("psend", number, false) &&
                  detail.WriteIntParam("incnoinv", params_.includeNoInventory, false);
  if (!ok) return;
  for (int c = kSellFraction; c < kLine1Count; ++c) line1_[static_cast<std::size_t>(c)].link = &detailLink_;
  for (int c = kBuyFraction; c < kLine2Count; ++c) line2_[static_cast<std::size_t>(c)].link = &detailLink_;
}

// A subtotal or the total line after an empty line: the caption at x 1,
// the count and the sums; a subtotal is followed by an empty line too, to
// set it off from the next group.
void ActivityRun::WriteTotals(const char* caption, const Totals& totals, bool subtotal) {
  if (!pageStarted_ || PageFull(5)) {
    PageHeading();
  } else {
    ReportSkipLines(&info_, 1);
  }
  ReportWriteText(&info_, caption, 1, 0);
  totalCount_ = totals.count;
  for (int a = 0; a < kAmounts; ++a) totalAmounts_[a] = static_cast<double>(totals.cents[a]) / 100.0;
  ReportWriteColumns(&info_, totalLine_.data(), subtotal ? 2 : 1);
}

}  // namespace

// --- Entry ------------------------------------------------------------------------------------------

int RunProductActivityReport(const char* parameterText) {
  ProductReportParams params{};
  InitProductRanges(kMenuProductActivity, &params);
  CProductParamString parser;
  if (!ApplyReportPreset(&parser, parameterText, &params)) return 0;
  if (parameterText != nullptr && !StrIsBlank(parameterText) && !ResolveProductRanges(&params)) return 0;
  PrintProductActivity(params);
  return 0;
}

int PrintProductActivity(ProductReportParams& params) {
  ActivityRun run(params);
  return run.Run();
}

std::string ActivitySelectionWords(const ProductReportParams& p) {
  // The product selection screen, form 350: 27 leaves non-inventory out.
  return SelectionWords(350)
      .Range(1, p.sortRange)
      .Range(14, p.rankRange)
      .Item(27, SelectionWords::YesNo(p.includeNoInventory == 0))
      .Text();
}

bool SaveActivityRun(const ProductReportParams& p, CReportParamString* out) {
  return SaveListingRun(p, out) && out->WriteIntParam("incnoinv", p.includeNoInventory, false);
}
