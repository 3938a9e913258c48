// The product selection shared by the product reports: the defaults of a
// run, the selection screen, the walk of the selected products in the order
// of the sort field (a temporary index when the file's own keys do not give
// it), the tests of each product against the two criteria, and the groups a
// grouping sort prints subtotals for.
//
// A report run:
//   ProductReportParams params{};  params.keyBuffer/record = the run's buffers
//   InitProductRanges(menuId, &params);
//   (a preset: CProductParamString, then ResolveProductRanges)
//   params.fileHandle/fileId = the open product file (43)
//   ProductReportSelection(&params)           when the input asks for the screen
//   ProductRunStart(&params)                  -> 0: the first product is read
//   while (...) { ProductPassesSelection(&params, &pastEnd) ...;
//                 ReadNextSelectedProduct(&params) }
//   ProductRunEnd(&params)                    on every way out (drops the index)
//
// The walk reads in the order of the sort field, then the rank field, so it
// stops at the first product past the end of the sort criterion.  Texts
// compare by the system's one text rule (letter case and trailing blanks do
// not count), as the product file's keys and the temporary indexes order
// them.
#pragma once

#include <string>

#include "qxabase/report.h"
#include "reports/inventory/product_params.h"

inline constexpr int kMsgInvalidDate = 13;
inline constexpr int kMsgFromAfterTo = 205;
inline constexpr int kMsgCostCodeBlank = 847;
inline constexpr int kMsgCostCodeRepeated = 849;

// Status of ReadFirstSelectedProduct: the first product of the walk already
// lies past the end of the sort criterion.
inline constexpr int kFirstPastEnd = 1;

// Fills the defaults of `menuId`: every field zeroed except the buffers and
// the window the caller set; both criteria on the product number and open
// at both ends (350-356); for 359 the sort criterion on the product number,
// open, and the rank criterion on the transaction date from the first to the
// last day of today's fiscal period (open when no period holds today);
// quantities in decimals.  Other ids leave the criteria empty.  Returns 0.
int InitProductRanges(int menuId, ProductReportParams* params);

// Sets `criterion` on field `fieldId` of file `fileNo` (43, or 62 for the
// transaction date) with the ends as entered (null: open): caption and kind
// from the product fields' table.  Returns kRangeOk, kRangeFromAfterTo or
// kRangeBadValue (an end that is not a date or a number of the field's kind).
int SetProductRangeCriterion(const ProductReportParams* params, RangeCriterion* criterion, int fileNo, int fieldId,
                             const char* fromText, const char* toText);

// Turns the captions that a parameter string left in the two criteria into
// field ids and sets each criterion again from its texts; a criterion with a
// blank caption keeps what it holds.  The rank criterion of 359 is on the
// transaction file.  Returns true; false after a message when a caption
// names no field of the report (2001), an end is not a date (13) or not a
// number (2001), or from lies after to (205): the report then does not run.
bool ResolveProductRanges(ProductReportParams* params);

// Fills the destination of the run from params->output (report_frame.h's
// SetReportDestination).  Returns 0; 1 after a message when the output
// cannot be used (the report then does not run).
int SetProductReportDestination(const ProductReportParams* params, TagRepInfo* info);

// The selection screen (form 350, data/forms/form-350.txt) in the report's
// window params->window: the sort field with its from/to range, the rank
// field with its range, and, for the price listing (352), the cost code, for
// the product activity (354) whether products of type 2 are left out.  Keys:
//   F10       checks the values (a valid date, each range's from not after
//             its to, a cost code of different characters) and accepts
//   F5        in a range field: the product pick list
//   Shift+F9  puts back this run's defaults
//   Esc       leaves without a report
// The values a user accepts are remembered per user and report
// ("ProdList", "PriceList", "ProdActivity", "ProdAlert", "ProdCount").
// On F10 the criteria (and the cost code, the type-2 choice) are stored in
// params, and copied to *sortOut and *rankOut when both are given.  Returns
// 0 when accepted, 27 when left with Esc, 1 when the screen could not be
// prepared (after its message): the report then does not run.
int ProductReportSelection(ProductReportParams* params, RangeCriterion* sortOut = nullptr,
                           RangeCriterion* rankOut = nullptr);

// The cost code check of the price listing: a blank code is accepted;
// otherwise a blank inside it is refused (847), and so is a character that
// appears twice (849).  Returns 0 when accepted, else the message number
// (not shown).
int CheckCostCode(const char* code);

// Makes the temporary index of the walk (350-356): none when the sort and
// rank fields are both the product number (the file's own key 0); otherwise
// an index on the sort field, then the rank field.  Returns 0, or the
// failure's status after its message.
int CreateProductSortIndex(ProductReportParams* params);

// Chooses the key of the activity detail's walk (359): the product file's
// own key of the sort field (number, description, department, vendor,
// warehouse), or a temporary index on the bin.  Returns 0; 6 for a sort
// field no key orders; another status after the index builder's message.
int SelectProductSortKey(ProductReportParams* params);

// Reads the first product of the walk into params->record (350-356).
// Returns 0 when one was read and lies within the sort criterion's end,
// kFirstPastEnd when it lies past it, 9 or 4 when the file holds none,
// another status after the error box.
int ReadFirstSelectedProduct(ProductReportParams* params);

// The same for 359: starts at the sort criterion's from end (greater or
// equal on the current key) and tests the sort criterion only; a first
// product past its end gives 9.
int SeekFirstSelectedProduct(ProductReportParams* params);

// The sort index or key, then the first product (351, 353, 357 and 358 read
// nothing and return 0).  0: go on.  Otherwise the run stops: message 197
// has been shown when nothing lies in the selection (an empty file, or a
// first product already past the sort criterion's end), another failure has
// shown its own message, and the index is dropped.
int ProductRunStart(ProductReportParams* params);

// Reads the next product of the walk into params->record: 0, 9 at the end,
// another status after the error box.
int ReadNextSelectedProduct(ProductReportParams* params);

// Drops the temporary index when one was built.  Safe to call twice.
void ProductRunEnd(ProductReportParams* params);

// True when `product` passes `criterion` (a criterion on a product field).
// *pastEnd is set when the product lies beyond the criterion's to end (never
// for amounts).  A criterion on a field the table does not hold never passes.
bool ProductFieldMatches(const records::TagProduct& product, const RangeCriterion& criterion, int* pastEnd);

// True when the current product (params->record) passes the sort criterion
// (*pastEnd is its past-end flag) and the rank criterion; the activity
// reports (354, 359) drop products of type 2 unless includeNoInventory.  The
// rank criterion of 359 is on the transactions and is not tested here.
bool ProductPassesSelection(const ProductReportParams* params, int* pastEnd);

// The sort criterion only (and, for 359, the type-2 rule).
bool ProductPassesSortRange(const ProductReportParams* params, int* pastEnd);

// --- The warehouse reports' walk ------------------------------------------------
//
// The warehouse status reports walk the master items (file 86: params
// fileHandle and fileId) with the same two criteria, on the master item's
// code (1), description (2), bin (5), G/L department (8) or vendor (10).

// Makes the temporary index of the walk: none when both criteria are on the
// code (the file's own key 0); otherwise an index on the sort field, then
// the rank field.  As in the customer and vendor reports, a rank field
// other than the code or description leads when the sort is on the code or
// description: the two criteria then trade places (but for their
// captions).  Returns 0, or the failure's status after its message.
int CreateWarehouseSortIndex(ProductReportParams* params);

// Reads the first master item of the walk into `item`: 0 when it lies
// within the sort criterion's end, kFirstPastEnd when past it, 9 or 4 when
// the file holds none, another status after the error box.
int ReadFirstSelectedWarehouseItem(ProductReportParams* params, records::TagMasterItem* item);

// True when `item` passes both criteria; *pastEnd is set when it lies past
// the sort criterion's to end.  A criterion on another field never passes.
bool WarehouseItemPassesSelection(const ProductReportParams* params, const records::TagMasterItem& item,
                                  int* pastEnd);

// The groups of a report sorted by bin, G/L department, vendor or warehouse:
// the products printed since the last subtotal, all of one group value.
// Only printed products count, so a product that is read but not printed
// never carries one group's count into the next.  Group values compare by
// the system's text rule, as the sort index orders them.
class ProductGroups {
 public:
  explicit ProductGroups(int sortFieldId);

  // True when the sort field groups products (5, 8, 10, 82).
  bool Grouping() const { return grouping_; }
  // True when `product`, about to be printed, starts another group than the
  // products counted since the last Restart: the caller prints their
  // subtotal (Value, Count) and restarts first.
  bool Changes(const records::TagProduct& product) const;
  // Counts a printed product into its group.
  void Add(const records::TagProduct& product);
  // Starts the count again after a subtotal.
  void Restart() { count_ = 0; }

  // The group value of the products counted (trimmed), and their number.
  const std::string& Value() const { return value_; }
  int Count() const { return count_; }

  // The group value of `product` under `sortFieldId` ("" when it groups none).
  static std::string ValueOf(int sortFieldId, const records::TagProduct& product);

 private:
  int field_;
  bool grouping_;
  std::string value_;
  int count_ = 0;
};
