// The parameters of the product reports (product listing 350, price listing
// 352, product activity 354, product alert 355, count sheets 356, activity
// detail 359): the product fields a selection can name, the parameter record
// of one run, and the parameter string that presets it, saves it or carries
// it in a link.
//
// A run selects products with two range criteria (range_criteria.h): the
// sort criterion, whose field orders the report, and the rank criterion, a
// second selection (and the second key of the sort).  Each names a product
// field by its id in the product fields' caption table below.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "btrvc.h"
#include "range_criteria.h"
#include "records/masters.h"
#include "report_param_string.h"

struct Window;

// Menu ids of the product reports.
inline constexpr int kMenuProductListing = 350;
inline constexpr int kMenuServiceListing = 351;
inline constexpr int kMenuPriceListing = 352;
inline constexpr int kMenuPriceBreaks = 353;
inline constexpr int kMenuProductActivity = 354;
inline constexpr int kMenuProductAlert = 355;
inline constexpr int kMenuCountSheets = 356;
inline constexpr int kMenuAssemblyReport = 357;
inline constexpr int kMenuComponentReport = 358;
inline constexpr int kMenuActivityDetail = 359;

// Field ids of the product record (file 43) that a criterion can name; the
// temporary sort indexes know them by the same ids (qxabase/dictionary.h).
enum ProductFieldId : int {
  kProdFieldNumber = 1,
  kProdFieldDescription = 2,
  kProdFieldBin = 5,
  kProdFieldDepartment = 8,
  kProdFieldVendor = 10,
  kProdFieldLastSaleDate = 37,
  kProdFieldLastPurchaseDate = 38,
  kProdFieldPurchaseUnits = 51,
  kProdFieldSalesUnits = 56,
  kProdFieldPurchaseDollars = 61,
  kProdFieldSalesDollars = 66,
  kProdFieldWarehouse = 82,
};

// The field of the inventory transaction record (file 62) that the activity
// detail report ranks by.
inline constexpr int kTranFieldDate = 5;

// The parameters of one product report run, owned by the report's entry.
struct ProductReportParams {
  char costCode[11];        // the price listing's cost code (at most 10 characters)
  std::int32_t menuId;      // 350-359
  char input[256];          // the parameter string's "input" (lower case) and "output"
  char output[256];
  BtrvHandle fileHandle;    // the open product file
  std::int16_t fileId;      // its file number (43)
  std::int32_t indexBuilt;  // 1 while a temporary sort index is built on fileHandle
  char* keyBuffer;          // the run's 255-byte key buffer
  records::TagProduct* record;  // the run's record buffer: the current product
  Window* window;           // the report's selection window (opened by the entry), or null
  RangeCriterion sortRange;
  RangeCriterion rankRange;
  std::uint8_t includeNoInventory;  // 1: the activity reports keep products of type 2
  std::uint16_t decimalOrFraction;  // non-zero: quantities in decimals; 0 in fractions (359)
  // Counters of the run.
  std::int32_t productCount;  // products printed
  std::int32_t groupCount;    // products printed in the current group
};
static_assert(std::is_trivially_copyable_v<ProductReportParams>);

// The caption of field `fieldId` of file `fileNo` (43 products, 62 inventory
// transactions, 86 master items) as the reports print it ("Bin");
// "UNDEFINED" for any other.
const char* ProductFieldCaption(int fileNo, int fieldId);

// The kind of a field's value (kText for a field the table does not hold).
RangeKind ProductFieldKind(int fileNo, int fieldId);

// The id of the field of `fileNo` whose caption is `caption`, compared by the
// system's text rule (letter case and trailing blanks do not count); −1 when
// the table holds none.
int ProductFieldIdByName(int fileNo, const char* caption);

// The parameter string of the product reports.
//
// Keys (any other key is unknown; see ParseMode):
//   "input", "output"     at most 255 characters; input is lower-cased, output
//                         (a file path) keeps its case
//   "psbeg", "psend"      the sort range on the product number: the from or to
//                         number, at most 14 characters (blank: open); sets
//                         the range's field and caption ("Product Number")
//   "sortfld", "sortfrom", "sortto"   the sort range as entered: the field's
//                         caption and the two ends, at most 40 characters each
//   "rankfld", "rankfrom", "rankto"   the same for the rank range
//   "incnoinv"            1 (a number above 0): keep products of type 2
//   "decorfrac"           quantities in decimals (non-zero) or fractions (0)
// A value too long for its field, or not a number where one is due, fails
// the parse at that pair with a status that says so; the field keeps what it
// held.  After a parse the ranges hold their captions and texts only: the
// entry turns the captions into field ids (ResolveProductRanges).
class CProductParamString final : public CParamStringFor<ProductReportParams> {
 public:
  using CParamStringFor::CParamStringFor;
  ParamStatus SetParam(std::string_view key, std::string_view value) override;
};
