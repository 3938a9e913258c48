// Product count sheets (command 356): one line per selected product with
// its identity, buying measure and fraction, warehouse, department, bin and
// vendor, then blank rules on which the counter writes the units and
// fractions found and a remark.  Every selected product gets a line,
// whatever its stock or type: the sheets are what a count is taken from.
#include "reports/inventory/count_sheets.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <new>

#include "qxabase/messages.h"
#include "reports/inventory/product_report_run.h"

namespace {

constexpr ProductReportKind kCountSheets{kMenuCountSheets, "Product Count Sheets", "Product Count Sheets",
                                         "Count Sheets", 136, 0, 28, -1};

enum Column {
  kNumber, kDescription, kMeasure, kFraction, kWarehouse, kDepartment, kBin, kVendor, kUnits, kPoint,
  kFractions, kRemarks, kColumnCount
};

constexpr int kX[kColumnCount] = {0, 18, 49, 58, 67, 73, 79, 88, 100, 111, 112, 123};
// The heading has no caption over the point between units and fractions.
constexpr const char* kCaptions[kColumnCount] = {"Product Number", "Description", "Unit",  "Fraction",
                                                 "WHC",            "Dept.",       "Bin",   "Vendor",
                                                 "Units",          "",            "Fractions", "Remarks"};
constexpr const char* kHeadingFormats[kColumnCount] = {"%-17s", "%-30s", "%-8s", "%8s",  "%5s",  "%5s",
                                                       "%8s",   "%11s",  "%-10s", "%1s", "%-10s", "%-13s"};

constexpr char kRule10[] = "__________";
constexpr char kRule12[] = "____________";
constexpr char kPointChar = '.';

class CountSheetsRun final : public ProductReportRun {
 public:
  CountSheetsRun() : ProductReportRun(kCountSheets) {}

 private:
  void BuildLayouts() override;
  void WriteColumnHeadings() override { ReportWriteColumns(Info(), heading_.data(), 1); }
  const TagReportColumn* RuleLayout() const override { return heading_.data(); }
  void WriteProduct() override;

  std::array<TagReportColumn, kColumnCount + 1> heading_{};
  std::array<TagReportColumn, kColumnCount + 1> line_{};

  char number_[15] = {}, description_[31] = {}, measure_[9] = {}, warehouse_[4] = {}, department_[6] = {},
       bin_[9] = {}, vendor_[11] = {};
  std::int32_t fraction_ = 0;
};

void CountSheetsRun::BuildLayouts() {
  for (int i = 0; i < kColumnCount; ++i)
    heading_[static_cast<std::size_t>(i)] = MakeColumn(kColumnText, kHeadingFormats[i], kX[i], kCaptions[i]);
  line_[kNumber] = MakeColumn(kColumnText, "%-14.14s", kX[kNumber], number_);
  line_[kDescription] = MakeColumn(kColumnText, "%-30.30s", kX[kDescription], description_);
  line_[kMeasure] = MakeColumn(kColumnText, "%-8.8s", kX[kMeasure], measure_);
  line_[kFraction] = MakeColumn(kColumnLong, "%8d", kX[kFraction], &fraction_);
  line_[kWarehouse] = MakeColumn(kColumnText, "%5.5s", kX[kWarehouse], warehouse_);
  line_[kDepartment] = MakeColumn(kColumnText, "%5.5s", kX[kDepartment], department_);
  line_[kBin] = MakeColumn(kColumnText, "%8.8s", kX[kBin], bin_);
  line_[kVendor] = MakeColumn(kColumnText, "%11.11s", kX[kVendor], vendor_);
  line_[kUnits] = MakeColumn(kColumnText, "%10s", kX[kUnits], kRule10);
  line_[kPoint] = MakeColumn(kColumnChar, "%1c", kX[kPoint], &kPointChar);
  line_[kFractions] = MakeColumn(kColumnText, "%10s", kX[kFractions], kRule10);
  line_[kRemarks] = MakeColumn(kColumnText, "%13s", kX[kRemarks], kRule12);
}

void CountSheetsRun::WriteProduct() {
  const records::TagProduct& p = Product();
  std::snprintf(number_, sizeof number_, "%s", TrimField(p.number).c_str());
  std::snprintf(description_, sizeof description_, "%s", TrimField(p.description).c_str());
  std::snprintf(measure_, sizeof measure_, "%s", TrimField(p.unitOfMeasure).c_str());
  fraction_ = p.purchaseUnitFactor;
  std::snprintf(warehouse_, sizeof warehouse_, "%s", TrimField(p.warehouse).c_str());
  std::snprintf(department_, sizeof department_, "%s", TrimField(p.department).c_str());
  std::snprintf(bin_, sizeof bin_, "%s", TrimField(p.bin).c_str());
  std::snprintf(vendor_, sizeof vendor_, "%s", TrimField(p.vendor).c_str());
  ReportWriteColumns(Info(), line_.data(), 1);
}

}  // namespace

int RunProductCountSheets() {
  try {
    CountSheetsRun run;
    run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
  }
  return 0;
}
