// The product price listing (command 352): one line per selected product
// with its identity, selling measure and fraction, warehouse, department,
// bin, tax code and sale price.  With a cost code the line also carries the
// product's cost written in the code's letters and its price-break tables
// of levels A to C, and a second line those of levels D to F.
#include "reports/inventory/price_listing.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "reports/inventory/product_report_run.h"

namespace {

constexpr ProductReportKind kPriceListing{kMenuPriceListing, "Product Price Listing", "Price Listing",
                                          "Product Price Listing", 136, 2, 28, -1};

enum Column {
  kNumber, kDescription, kMeasure, kFraction, kWarehouse, kDepartment, kBin, kTax, kSalePrice, kCost,
  kTable1, kTable2, kTable3, kColumnCount
};

// The x of each column, and the captions of the heading row.
constexpr int kX[kColumnCount] = {0, 21, 53, 60, 66, 72, 78, 87, 91, 103, 114, 122, 130};
constexpr const char* kCaptions[kColumnCount] = {"Product Number", "Description", "Meas.",   "Frac.",   "WHC",
                                                 "Dept.",          "Bin",         "Tax",     "Sale Price",
                                                 "Code",           "Table A",     "Table B", "Table C"};
constexpr const char* kSecondRowTables[3] = {"Table D", "Table E", "Table F"};
constexpr const char* kHeadingFormats[kColumnCount] = {"%-20s", "%-30s", "%-5s",   "%5s",    "%5s",
                                                       "%5s",   "%8s",   "%3s",    "%11s",   "%10s",
                                                       "%-7s",  "%-7s",  "%-7s"};

constexpr int kCostWidth = 10;

class PriceListingRun final : public ProductReportRun {
 public:
  PriceListingRun() : ProductReportRun(kPriceListing) {}

 private:
  bool WithCode() const { return Params().costCode[0] != '\0' && !StrIsBlank(Params().costCode); }

  void BuildLayouts() override;
  void WriteColumnHeadings() override;
  const TagReportColumn* RuleLayout() const override { return heading2_.data(); }
  int LinesOf() const override;
  void WriteProduct() override;

  std::array<TagReportColumn, kColumnCount + 1> heading1_{};
  std::array<TagReportColumn, kColumnCount + 1> heading2_{};
  std::array<TagReportColumn, kColumnCount + 1> line_{};

  char costing_ = 0;

  // The values the line points at.
  char number_[15] = {}, description_[31] = {}, measure_[9] = {}, warehouse_[4] = {}, department_[6] = {},
       bin_[9] = {}, tax_ = ' ', cost_[16] = {};
  double salePrice_ = 0;
  std::int32_t fraction_ = 0;
  std::array<char[6], 3> tables_{};
};

void PriceListingRun::BuildLayouts() {
  costing_ = SysCodeGet(kSysCodeCosting);
  const bool withCode = WithCode();
  for (int i = 0; i < kColumnCount; ++i) {
    const auto c = static_cast<std::size_t>(i);
    const bool table = i >= kTable1;
    // The first row names only the tables of levels A to C, which the line
    // prints; the second row those of D to F, which the line under it does.
    heading1_[c] = MakeColumn(kColumnText, kHeadingFormats[i], kX[i], table ? kCaptions[i] : "");
    heading1_[c].hidden = table ? 0 : 1;
    heading2_[c] =
        MakeColumn(kColumnText, kHeadingFormats[i], kX[i], table ? kSecondRowTables[i - kTable1] : kCaptions[i]);
    // Without a cost code there is no cost and no table at all.
    heading2_[c].hidden = !withCode && i >= kCost ? 1 : 0;
  }

  line_[kNumber] = MakeColumn(kColumnText, "%-14.14s", kX[kNumber], number_);
  line_[kDescription] = MakeColumn(kColumnText, "%-30.30s", kX[kDescription], description_);
  line_[kMeasure] = MakeColumn(kColumnText, "%-5.5s", kX[kMeasure], measure_);
  line_[kFraction] = MakeColumn(kColumnLong, "%5d", kX[kFraction], &fraction_);
  line_[kWarehouse] = MakeColumn(kColumnText, "%5.5s", kX[kWarehouse], warehouse_);
  line_[kDepartment] = MakeColumn(kColumnText, "%5.5s", kX[kDepartment], department_);
  line_[kBin] = MakeColumn(kColumnText, "%8.8s", kX[kBin], bin_);
  line_[kTax] = MakeColumn(kColumnChar, "%3c", kX[kTax], &tax_);
  line_[kSalePrice] = MakeColumn(kColumnDouble, "%11.4f", kX[kSalePrice], &salePrice_);
  line_[kCost] = MakeColumn(kColumnText, "%10.10s", kX[kCost], cost_);
  for (int t = 0; t < 3; ++t)
    line_[static_cast<std::size_t>(kTable1 + t)] =
        MakeColumn(kColumnText, "%-7.7s", kX[kTable1 + t], tables_[static_cast<std::size_t>(t)]);
}

void PriceListingRun::WriteColumnHeadings() {
  if (WithCode()) ReportWriteColumns(Info(), heading1_.data(), 1);
  ReportWriteColumns(Info(), heading2_.data(), 1);
}

bool AnyTable(const char (&a)[6], const char (&b)[6], const char (&c)[6]) {
  return !TrimField(a).empty() || !TrimField(b).empty() || !TrimField(c).empty();
}

int PriceListingRun::LinesOf() const {
  const records::TagProduct& p = Product();
  return WithCode() && AnyTable(p.priceTableD, p.priceTableE, p.priceTableF) ? 2 : 1;
}

void PriceListingRun::WriteProduct() {
  const records::TagProduct& p = Product();
  std::snprintf(number_, sizeof number_, "%s", TrimField(p.number).c_str());
  std::snprintf(description_, sizeof description_, "%s", TrimField(p.description).c_str());
  std::snprintf(measure_, sizeof measure_, "%s", TrimField(p.sellingMeasure).c_str());
  fraction_ = p.salesUnitFactor;
  std::snprintf(warehouse_, sizeof warehouse_, "%s", TrimField(p.warehouse).c_str());
  std::snprintf(department_, sizeof department_, "%s", TrimField(p.department).c_str());
  std::snprintf(bin_, sizeof bin_, "%s", TrimField(p.bin).c_str());
  tax_ = p.taxCode == '\0' ? ' ' : p.taxCode;
  salePrice_ = p.sellingPrice;

  const bool withCode = WithCode();
  for (int i = 0; i < kColumnCount; ++i) line_[static_cast<std::size_t>(i)].hidden = !withCode && i >= kCost ? 1 : 0;
  if (withCode) {
    const std::string cost = EncodeCost(ProductCostByMethod(p, costing_), Params().costCode);
    std::snprintf(cost_, sizeof cost_, "%s", cost.c_str());
    std::snprintf(tables_[0], sizeof tables_[0], "%s", TrimField(p.priceTableA).c_str());
    std::snprintf(tables_[1], sizeof tables_[1], "%s", TrimField(p.priceTableB).c_str());
    std::snprintf(tables_[2], sizeof tables_[2], "%s", TrimField(p.priceTableC).c_str());
  }
  ReportWriteColumns(Info(), line_.data(), 1);
  if (!withCode || !AnyTable(p.priceTableD, p.priceTableE, p.priceTableF)) return;

  // The second line: the tables of levels D to F only, a blank one left out.
  std::snprintf(tables_[0], sizeof tables_[0], "%s", TrimField(p.priceTableD).c_str());
  std::snprintf(tables_[1], sizeof tables_[1], "%s", TrimField(p.priceTableE).c_str());
  std::snprintf(tables_[2], sizeof tables_[2], "%s", TrimField(p.priceTableF).c_str());
  for (int i = 0; i < kColumnCount; ++i) {
    const auto c = static_cast<std::size_t>(i);
    line_[c].hidden = i < kTable1 || tables_[static_cast<std::size_t>(i - kTable1)][0] == '\0' ? 1 : 0;
  }
  ReportWriteColumns(Info(), line_.data(), 1);
}

}  // namespace

double ProductCostByMethod(const records::TagProduct& product, char costing) {
  switch (costing) {
    case 'A': return product.averageCost;
    case 'L': return product.lastCost;
    default: return product.standardCost;
  }
}

std::string EncodeCost(double cost, const char* code) {
  char text[32] = {};
  NumToText(text, cost, 4);
  const std::string digits = TrimText(text);
  const std::size_t length = strnlen(code, 10);
  std::string out;
  for (const char ch : digits) {
    if (ch == '.' || ch == '-') {
      out += ch;
      continue;
    }
    // Digits 1 to 9 are the code's characters at those places, 0 its tenth.
    const std::size_t place = ch >= '1' && ch <= '9' ? static_cast<std::size_t>(ch - '1') : 9;
    out += place < length && code[place] != ' ' ? code[place] : '?';
  }
  if (out.size() > static_cast<std::size_t>(kCostWidth)) out.assign(static_cast<std::size_t>(kCostWidth), '*');
  return out;
}

int RunProductPriceListing() {
  try {
    PriceListingRun run;
    run.Run();
  } catch (const std::bad_alloc&) {
    MsgShow(1, 1);
  }
  return 0;
}
