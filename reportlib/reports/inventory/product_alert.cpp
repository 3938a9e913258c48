// The product alert report (command 355): the selected products whose
// available quantity (on hand less committed) has fallen to or below their
// minimum, with how far they are under it, what is on order, what a reorder
// up to the reorder quantity takes and what it costs at the purchase price.
// A product with neither a minimum nor a reorder quantity is never
// reordered, and a non-inventory product (type 2) carries no stock: neither
// is listed.
#include "reports/inventory/product_alert.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "qxabase/messages.h"
#include "reports/inventory/product_report_run.h"

namespace {

constexpr ProductReportKind kProductAlert{kMenuProductAlert, "Product Alert Report", "Product Alert",
                                          "Product Alert Report", 136, 1, 30, 125};

// Line 1, and in the same places the heading rows.
enum Column {
  kNumber, kDepartment, kWarehouse, kBin, kVendor, kMeasure, kAvailable, kMinimum, kUnder, kOnOrder, kReorder,
  kPrice, kAmount, kColumnCount
};
constexpr int kX[kColumnCount] = {0, 18, 24, 30, 39, 50, 60, 72, 81, 92, 103, 114, 125};
constexpr const char* kCaptions[kColumnCount] = {"Description", "Dept.",    "WHC",   "Bin",      "Vendor",
                                                 "Buy Frac",    "Available", "Minimum", "Under", "On Order",
                                                 "Reorder",     "Price",    "Purchase"};
constexpr const char* kHeadingFormats[kColumnCount] = {"%-17s", "%-5s",  "%-5s",  "%-8s",  "%-10s",
                                                       "%-9s",  "%10s",  "%8s",   "%10s",  "%10s",
                                                       "%-10s", "%10s",  "%10s"};
// Line 2: the description under the number, the buying fraction under the
// measure.
enum Line2Column { kDescription, kFraction, kLine2Count };

class AlertRun final : public ProductReportRun {
 public:
  AlertRun() : ProductReportRun(kProductAlert) {}

 private:
  void BuildLayouts() override;
  void WriteColumnHeadings() override;
  const TagReportColumn* RuleLayout() const override { return heading2_.data(); }
  bool Lists(double* amount) override;
  int LinesOf() const override { return 2; }
  void WriteProduct() override;

  std::array<TagReportColumn, kColumnCount + 1> heading1_{};
  std::array<TagReportColumn, kColumnCount + 1> heading2_{};
  std::array<TagReportColumn, kColumnCount + 1> line1_{};
  std::array<TagReportColumn, kLine2Count + 1> line2_{};

  // The figures of the product Lists accepted, for WriteProduct.
  ProductAlertFigures figures_{};

  char number_[15] = {}, department_[6] = {}, warehouse_[4] = {}, bin_[9] = {}, vendor_[11] = {},
       measure_[10] = {}, onOrder_[64] = {},
       reorder_[64] = {}, description_[31] = {};
  double available_ = 0, minimum_ = 0, under_ = 0, price_ = 0, amount_ = 0;
  std::int32_t fraction_ = 0;
};

void AlertRun::BuildLayouts() {
  for (int i = 0; i < kColumnCount; ++i) {
    const auto c = static_cast<std::size_t>(i);
    heading2_[c] = MakeColumn(kColumnText, kHeadingFormats[i], kX[i], kCaptions[i]);
    heading1_[c] = heading2_[c];
    heading1_[c].hidden = i == kNumber || i == kMeasure ? 0 : 1;
  }
  heading1_[kNumber].value = "Product Number";
  heading1_[kMeasure].value = "Buy Meas.";

  line1_[kNumber] = MakeColumn(kColumnText, "%-14.14s", kX[kNumber], number_);
  line1_[kDepartment] = MakeColumn(kColumnText, "%-5.5s", kX[kDepartment], department_);
  line1_[kWarehouse] = MakeColumn(kColumnText, "%-5.5s", kX[kWarehouse], warehouse_);
  line1_[kBin] = MakeColumn(kColumnText, "%-8.8s", kX[kBin], bin_);
  line1_[kVendor] = MakeColumn(kColumnText, "%-10.10s", kX[kVendor], vendor_);
  line1_[kMeasure] = MakeColumn(kColumnText, "%-9.9s", kX[kMeasure], measure_);
  line1_[kAvailable] = MakeColumn(kColumnDouble, "%10.2f", kX[kAvailable], &available_);
  line1_[kMinimum] = MakeColumn(kColumnDouble, "%8.0f", kX[kMinimum], &minimum_);
  line1_[kUnder] = MakeColumn(kColumnDouble, "%10.1f", kX[kUnder], &under_);
  line1_[kOnOrder] = MakeColumn(kColumnText, "%10.10s", kX[kOnOrder], onOrder_);
  line1_[kReorder] = MakeColumn(kColumnText, "%-10.10s", kX[kReorder], reorder_);
  line1_[kPrice] = MakeColumn(kColumnDouble, "%10.4f", kX[kPrice], &price_);
  line1_[kAmount] = MakeColumn(kColumnDouble, "%10.2f", kX[kAmount], &amount_);

  line2_[kDescription] = MakeColumn(kColumnText, "%-30.30s", 0, description_);
  line2_[kFraction] = MakeColumn(kColumnLong, "%-9d", kX[kMeasure], &fraction_);
}

void AlertRun::WriteColumnHeadings() {
  ReportWriteColumns(Info(), heading1_.data(), 1);
  ReportWriteColumns(Info(), heading2_.data(), 1);
}

bool AlertRun::Lists(double* amount) {
  figures_ = ProductAlertFiguresOf(Product());
  *amount = figures_.listed ? figures_.purchaseAmount : 0;
  return figures_.listed;
}

void AlertRun::WriteProduct() {
  const records::TagProduct& p = Product();
  std::snprintf(number_, sizeof number_, "%s", TrimField(p.number).c_str());
  std::snprintf(department_, sizeof department_, "%s", TrimField(p.department).c_str());
  std::snprintf(warehouse_, sizeof warehouse_, "%s", TrimField(p.warehouse).c_str());
  std::snprintf(bin_, sizeof bin_, "%s", TrimField(p.bin).c_str());
  std::snprintf(vendor_, sizeof vendor_, "%s", TrimField(p.vendor).c_str());
  std::snprintf(measure_, sizeof measure_, "%s", TrimField(p.unitOfMeasure).c_str());
  available_ = figures_.available;
  minimum_ = p.minimumQuantity;
  under_ = figures_.under;
  std::snprintf(onOrder_, sizeof onOrder_, "%s", ProductQuantityText(p.quantityOnOrder, p.purchaseUnitFactor).c_str());
  std::snprintf(reorder_, sizeof reorder_, "%s",
                ProductQuantityText(figures_.reorderStockUnits, p.purchaseUnitFactor).c_str());
  price_ = p.lastCost;
  amount_ = figures_.purchaseAmount;
  std::snprintf(description_, sizeof description_, "%s", TrimField(p.description).c_str());
  fraction_ = p.purchaseUnitFactor;
  ReportWriteColumns(Info(), line1_.data(), 1);
  ReportWriteColumns(Info(), line2_.data(), 1);
}

}  // namespace

ProductAlertFigures ProductAlertFiguresOf(const records::TagProduct& p) {
  ProductAlertFigures f;
  const double minimum = p.minimumQuantity;
  f.available = NumRound(NumDivide(p.quantityOnHand - p.secondQuantityOnHand, p.salesUnitFactor), 4);
  f.under = minimum > f.available ? minimum - f.available : 0;
  f.listed = f.available <= minimum && !(p.minimumQuantity == 0 && p.reorderQuantity == 0) &&
             p.productType != records::TagProduct::kNonInventory;
  const int buyFraction = p.purchaseUnitFactor > 0 ? p.purchaseUnitFactor : 1;
  const double reorder = static_cast<double>(p.reorderQuantity) * buyFraction - p.quantityOnOrder;
  f.reorderStockUnits = reorder > 0 ? reorder : 0;
  // The purchase price is per buying unit: the amount is the exact number
  // of buying units to order (a part of one included) times the price.
  f.purchaseAmount = NumRound(f.reorderStockUnits / buyFraction * p.lastCost, 2);
  return f;
}

int RunProductAlertReport() {
  try {
    AlertRun run;
    run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
  }
  return 0;
}
