// The product listing (command 350): the selected products, two lines each,
// in the order of the sort field, with a count per group under a grouping
// sort (bin, G/L department, vendor, warehouse) and the total count.
#include "reports/inventory/product_listing.h"

#include <algorithm>
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
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "report_frame.h"
#include "selection_words.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_report_run.h"
#include "reports/inventory/product_selection.h"

namespace {

constexpr const char* kReportId = "RSProdReport";
constexpr const char* kTitle = "Product Listing";

// Drill-down targets: the product entry screen, the activity detail report.
constexpr int kCommandProductScreen = 250;

// The selection window's height.
constexpr int kWindowRows = 14;

// --- Column layouts ------------------------------------------------------------------
//
// Every field is bounded to its width (texts by a precision; a number too
// wide for its column shows as '*', or whole in a widened column of the HTML
// file), and no field reaches the next one's x, so no printed value can
// overwrite another.

// Line 1: identity, fractions, minimum, prices and costs.
enum Line1Column {
  kNumber, kDescription, kDepartment, kWarehouse, kBuyFraction, kSellFraction, kMinimum, kSalePrice,
  kPurchasePrice, kStandardCost, kAverageCost, kLine1Count
};
// Line 2: vendor and part number, bin, measures, reorder, dates.
enum Line2Column { kVendor, kPartNumber, kBin, kBuyMeasure, kSellMeasure, kReorder, kLastSale, kLastPurchase, kLine2Count };

constexpr int kPriceWidth = 10, kPriceDecimals = 4;
constexpr int kQuantityWidth = 7;

// The heading rows: x and the captions of both rows.
constexpr int kHeadingX[] = {0, 17, 48, 57, 63, 73, 83, 92, 103, 115, 126};
constexpr const char* kHeading1[] = {"Inventory", "Description", "Dept.", "", "Buy Frac", "Sell Frac",
                                     "Min.", "Sale Price", "Pur. Price", "Standard", "Average"};
constexpr const char* kHeading2[] = {"Number", "Vendor / Part Number", "Bin", "WHC", "Buy Msr.", "Sell Msr.",
                                     "Reorder", "Last Sale", "Last Purch", "Cost", "Cost"};
constexpr int kHeadingCount = static_cast<int>(std::size(kHeadingX));

// The count column of the subtotal and total lines.
constexpr int kCountX = 29;

// A stored field's text up to its first NUL, trailing blanks dropped.
template <std::size_t N>
std::string TrimmedField(const char (&field)[N]) {
  return std::string(records::Trimmed(field));
}

// --- The run ---------------------------------------------------------------------------

class ListingRun : ProductRunFrame {
 public:
  explicit ListingRun(ProductReportParams& params) : ProductRunFrame(params) {}

  int Run();

 private:
  void BuildLayouts();
  int PrintProducts();
  void PageHeading();
  void WriteProduct();
  void SetLinks();
  void WriteSubtotal(const ProductGroups& groups);
  void WriteTotal();

  bool pageStarted_ = false;

  std::array<TagReportColumn, kHeadingCount + 1> heading1_{};
  std::array<TagReportColumn, kHeadingCount + 1> heading2_{};
  std::array<TagReportColumn, kLine1Count + 1> line1_{};
  std::array<TagReportColumn, kLine2Count + 1> line2_{};
  std::array<TagReportColumn, 3> totalLine_{};

  // The values the row layouts point at.
  char number_[15] = {}, description_[31] = {}, department_[6] = {}, warehouse_[4] = {};
  std::int32_t buyFraction_ = 0, sellFraction_ = 0;
  double minimum_ = 0, salePrice_ = 0, purchasePrice_ = 0, standardCost_ = 0, averageCost_ = 0;
  char vendor_[11] = {}, partNumber_[15] = {}, bin_[9] = {}, buyMeasure_[9] = {}, sellMeasure_[9] = {};
  char lastSale_[12] = {}, lastPurchase_[12] = {};
  double reorder_ = 0;
  char totalText_[12] = {};
  std::int32_t countValue_ = 0;

  // Drill-down descriptors, rewritten before each product.
  TagDrillDownInfo productLink_ = MakeDrillDown(kDrillOpenScreen, kCommandProductScreen);
  TagDrillDownInfo activityLink_ = MakeDrillDown(kDrillRunReport, kMenuActivityDetail);
};

int ListingRun::Run() {
  const ProductRunSetup setup{kMenuProductListing, kReportId, kTitle, kWindowRows, kTitle, 0, 0};
  if (!Start(setup, [this](CReportParamString* text) { return SaveListingRun(params_, text); },
             [this] { return ListingSelectionWords(params_); }))
    return 0;
  BuildLayouts();
  return PrintProducts();
}

void ListingRun::BuildLayouts() {
  for (int i = 0; i < kHeadingCount; ++i) {
    heading1_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, "%s", kHeadingX[i], kHeading1[i]);
    heading2_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, "%s", kHeadingX[i], kHeading2[i]);
  }

  line1_[kNumber] = MakeColumn(kColumnText, "%-14.14s", 0, number_);
  line1_[kDescription] = MakeColumn(kColumnText, "%-30.30s", 17, description_);
  line1_[kDepartment] = MakeColumn(kColumnText, "%-8.8s", 48, department_);
  line1_[kWarehouse] = MakeColumn(kColumnText, "%-5.5s", 57, warehouse_);
  line1_[kBuyFraction] = MakeColumn(kColumnLong, "%8d", 63, &buyFraction_);
  line1_[kSellFraction] = MakeColumn(kColumnLong, "%9d", 72, &sellFraction_);
  line1_[kMinimum] = MakeColumn(kColumnDouble, "%7.0f", 82, &minimum_);
  line1_[kSalePrice] = MakeColumn(kColumnDouble, "%10.4f", 91, &salePrice_);
  line1_[kPurchasePrice] = MakeColumn(kColumnDouble, "%10.4f", 102, &purchasePrice_);
  line1_[kStandardCost] = MakeColumn(kColumnDouble, "%10.4f", 114, &standardCost_);
  line1_[kAverageCost] = MakeColumn(kColumnDouble, "%10.4f", 125, &averageCost_);

  // The vendor is a code of at most 10 characters: its field ends before
  // the part number's at 29.
  line2_[kVendor] = MakeColumn(kColumnText, "%-10.10s", 17, vendor_);
  line2_[kPartNumber] = MakeColumn(kColumnText, "%-14.14s", kCountX, partNumber_);
  line2_[kBin] = MakeColumn(kColumnText, "%-8.8s", 48, bin_);
  line2_[kBuyMeasure] = MakeColumn(kColumnText, "%8.8s", 63, buyMeasure_);
  line2_[kSellMeasure] = MakeColumn(kColumnText, "%9.9s", 72, sellMeasure_);
  line2_[kReorder] = MakeColumn(kColumnDouble, "%7.0f", 82, &reorder_);
  line2_[kLastSale] = MakeColumn(kColumnText, "%10.10s", 91, lastSale_);
  line2_[kLastPurchase] = MakeColumn(kColumnText, "%10.10s", 102, lastPurchase_);

  totalLine_[0] = MakeColumn(kColumnText, "%11s", 17, totalText_);
  totalLine_[0].hidden = 1;  // the caption is written at x 1 before the line
  totalLine_[1] = MakeColumn(kColumnLong, "%-8d", kCountX, &countValue_);
}

// --- The walk ------------------------------------------------------------------------------

int ListingRun::PrintProducts() {
  ProductGroups groups(params_.sortRange.fieldId);
  bool failed = false;
  for (;;) {
    int key = 0;
    if (ReportCheckUserBreak(&info_, &key)) return 27;
    int pastEnd = 0;
    const bool selected = ProductPassesSelection(&params_, &pastEnd);
    if (pastEnd) break;
    if (selected) {
      // Only printed products carry a group: a product read but not printed
      // never merges one group's count into the next.
      if (groups.Changes(record_)) {
        WriteSubtotal(groups);
        groups.Restart();
      }
      groups.Add(record_);
      ++params_.productCount;
      WriteProduct();
    }
    const int status = ReadNextSelectedProduct(&params_);
    if (status == kStatusEndOfFile) break;
    if (status != kStatusOk) {
      failed = true;
      break;
    }
  }
  if (failed) {
    EndIncompleteReport(&info_);
    return 0;
  }
  if (params_.productCount == 0) {
    MsgShow(kMsgNothingSelected, 1);
    info_.discard = 1;
    return 0;
  }
  if (groups.Grouping() && groups.Count() > 0) WriteSubtotal(groups);
  WriteTotal();
  ReportNewPage(&info_);
  CommandDone();
  return 0;
}

// --- Pages -----------------------------------------------------------------------------------

void ListingRun::PageHeading() {
  if (ReportColumnsActive(&info_)) ReportSetColumnLayout(&info_, line1_.data(), 2);
  WritePageHeading(
      &info_,
      [this](TagRepInfo* info) {
        WriteSortRankLines(info, params_.sortRange.caption, params_.rankRange.caption, 1);
      },
      [](TagRepInfo* info) { ReportWriteText(info, kTitle, kReportCentred, 1); }, nullptr);
  HeadingRows(heading1_.data(), heading2_.data(), line1_.data());
  pageStarted_ = true;
}

// --- Lines ---------------------------------------------------------------------------------------

void ListingRun::WriteProduct() {
  const records::TagProduct& p = record_;
  std::snprintf(number_, sizeof number_, "%s", TrimmedField(p.number).c_str());
  std::snprintf(description_, sizeof description_, "%s", TrimmedField(p.description).c_str());
  std::snprintf(department_, sizeof department_, "%s", TrimmedField(p.department).c_str());
  std::snprintf(warehouse_, sizeof warehouse_, "%s", TrimmedField(p.warehouse).c_str());
  buyFraction_ = p.purchaseUnitFactor;
  sellFraction_ = p.salesUnitFactor;
  minimum_ = p.minimumQuantity;
  salePrice_ = p.sellingPrice;
  purchasePrice_ = p.lastCost;
  standardCost_ = p.standardCost;
  averageCost_ = p.averageCost;

  std::snprintf(vendor_, sizeof vendor_, "%s", TrimmedField(p.vendor).c_str());
  std::snprintf(partNumber_, sizeof partNumber_, "%s", TrimmedField(p.vendorPartNumber).c_str());
  std::snprintf(bin_, sizeof bin_, "%s", TrimmedField(p.bin).c_str());
  std::snprintf(buyMeasure_, sizeof buyMeasure_, "%s", TrimmedField(p.unitOfMeasure).c_str());
  std::snprintf(sellMeasure_, sizeof sellMeasure_, "%s", TrimmedField(p.sellingMeasure).c_str());
  reorder_ = p.reorderQuantity;
  DateToText(lastSale_, p.lastSaleDate);
  DateToText(lastPurchase_, p.lastPurchaseDate);
  // A date never entered is left out.
  line2_[kLastSale].hidden = StrApplyMask(lastSale_, "nn/nn/nn") ? 1 : 0;
  line2_[kLastPurchase].hidden = StrApplyMask(lastPurchase_, "nn/nn/nn") ? 1 : 0;

  if (!pageStarted_ || PageFull(2)) PageHeading();
  SetLinks();
  ReportWriteColumns(&info_, line1_.data(), 1);
  ReportWriteColumns(&info_, line2_.data(), 1);
}

void ListingRun::SetLinks() {
  ClearLinks(line1_.data());
  ClearLinks(line2_.data());
  if (!info_.links) return;
  const std::string number = TrimmedField(record_.number);
  CReportParamString product(productLink_.params, kLinkParamCapacity);
  if (product.WriteParam("cdno", number, true)) LinkColumns(line1_.data(), {kNumber, kDescription}, &productLink_);
  CReportParamString activity(activityLink_.params, kLinkParamCapacity);
  const bool ok = activity.WriteParam("input", "default", true) &&
                  activity.WriteParam("sortfld", ProductFieldCaption(records::kFileProducts, kProdFieldNumber),
                                      false) &&
                  activity.WriteParam("sortfrom", number, false) && activity.WriteParam("sortto", number, false);
  DrillDownSetTitle(&activityLink_, ("Activity detail of product " + number).c_str());
  if (ok) LinkColumns(line1_.data(), {kStandardCost, kAverageCost}, &activityLink_);
}

void ListingRun::WriteSubtotal(const ProductGroups& groups) {
  if (PageFull(5)) {
    PageHeading();
  } else {
    ReportSkipLines(&info_, 1);
  }
  const std::string value = groups.Value().empty() ? "(none)" : groups.Value();
  const std::string caption = "Subtotal " + value + ":";
  ReportWriteText(&info_, caption.c_str(), 1, 0);
  countValue_ = groups.Count();
  ReportWriteColumns(&info_, totalLine_.data(), 2);
}

void ListingRun::WriteTotal() {
  if (PageFull(3)) PageHeading();
  ReportSkipLines(&info_, 1);
  ReportWriteText(&info_, "Total Products : ", 1, 0);
  countValue_ = params_.productCount;
  ReportWriteColumns(&info_, totalLine_.data(), 1);
}

}  // namespace

// --- Entry ------------------------------------------------------------------------------------------

int RunProductListing(const char* parameterText) {
  ProductReportParams params{};
  InitProductRanges(kMenuProductListing, &params);
  if (parameterText != nullptr && !StrIsBlank(parameterText)) {
    CProductParamString parser;
    if (!ApplyReportPreset(&parser, parameterText, &params)) return 0;
    if (!ResolveProductRanges(&params)) return 0;
  }
  PrintProductListing(params);
  return 0;
}

int PrintProductListing(ProductReportParams& params) {
  ListingRun run(params);
  return run.Run();
}

std::string ListingSelectionWords(const ProductReportParams& p) {
  // The product selection screen, form 350: field 1 the sort, 14 the rank.
  return SelectionWords(350).Range(1, p.sortRange).Range(14, p.rankRange).Text();
}

bool SaveListingRun(const ProductReportParams& p, CReportParamString* out) {
  auto text = [](const char (&field)[41]) { return std::string_view(field, strnlen(field, sizeof field)); };
  return out->WriteParam("input", "usersel", true) && out->WriteParam("sortfld", text(p.sortRange.caption), false) &&
         out->WriteParam("sortfrom", text(p.sortRange.fromText), false) &&
         out->WriteParam("sortto", text(p.sortRange.toText), false) &&
         out->WriteParam("rankfld", text(p.rankRange.caption), false) &&
         out->WriteParam("rankfrom", text(p.rankRange.fromText), false) &&
         out->WriteParam("rankto", text(p.rankRange.toText), false);
}
