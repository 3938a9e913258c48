// The product selection: defaults, criteria, the walk of the selected
// products and the groups of a grouping sort.  The screen is in
// product_selection_screen.cpp.
#include "reports/inventory/product_selection.h"

#include <cstring>
#include <string_view>

#include "oemtext.h"
#include "qxabase/dictionary.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "ravadodo/text.h"
#include "records/dictionary.h"
#include "records/settings.h"
#include "report_frame.h"

namespace {

// The statistics slot of the current year: the units and dollars the
// criteria test (the slot the temporary indexes sort by, too).
constexpr int kCurrentYearSlot = 2;

constexpr int kKeyBufferSize = 255;

template <std::size_t N>
std::string_view TextOf(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  std::string s(TextOf(field));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Units in the product's measure: stored units divided by the fraction (a
// fraction below 1 counts as 1, as everywhere quantities are shown).
double UnitsOf(double stored, int fraction) { return fraction > 1 ? stored / fraction : stored; }

// The text value of a text field of the product; false for another field.
bool TextValue(const records::TagProduct& p, int id, std::string_view* out) {
  switch (id) {
    case kProdFieldNumber: *out = TextOf(p.number); return true;
    case kProdFieldDescription: *out = TextOf(p.description); return true;
    case kProdFieldDepartment: *out = TextOf(p.department); return true;
    case kProdFieldBin: *out = TextOf(p.bin); return true;
    case kProdFieldVendor: *out = TextOf(p.vendor); return true;
    case kProdFieldWarehouse: *out = TextOf(p.warehouse); return true;
    default: return false;
  }
}

bool IsActivityReport(int menuId) { return menuId == kMenuProductActivity || menuId == kMenuActivityDetail; }

// Products of type 2 carry no stock: the activity reports leave them out
// unless the user keeps them.
bool DroppedAsNoInventory(const ProductReportParams& p) {
  return IsActivityReport(p.menuId) && !p.includeNoInventory &&
         p.record->productType == records::TagProduct::kNonInventory;
}

// The reports that walk the products through the shared screen's criteria.
bool UsesSortIndex(int menuId) {
  return menuId == kMenuProductListing || menuId == kMenuPriceListing || menuId == kMenuProductActivity ||
         menuId == kMenuProductAlert || menuId == kMenuCountSheets;
}

}  // namespace

// --- Defaults and criteria ---------------------------------------------------------------

int InitProductRanges(int menuId, ProductReportParams* params) {
  char* keyBuffer = params->keyBuffer;
  records::TagProduct* record = params->record;
  Window* window = params->window;
  std::memset(static_cast<void*>(params), 0, sizeof *params);
  params->keyBuffer = keyBuffer;
  params->record = record;
  params->window = window;
  params->menuId = menuId;
  params->fileId = records::kFileProducts;
  params->decimalOrFraction = 1;
  if (UsesSortIndex(menuId)) {
    SetProductRangeCriterion(params, &params->sortRange, records::kFileProducts, kProdFieldNumber, nullptr, nullptr);
    SetProductRangeCriterion(params, &params->rankRange, records::kFileProducts, kProdFieldNumber, nullptr, nullptr);
  } else if (menuId == kMenuActivityDetail) {
    SetProductRangeCriterion(params, &params->sortRange, records::kFileProducts, kProdFieldNumber, nullptr, nullptr);
    records::FiscalPeriodInfo period{};
    char first[16] = {}, last[16] = {};
    if (FiscalPeriodOfDate(kPeriodFillOnly, DateToday(), &period) == 0) {
      DateToText(first, period.startDate);
      DateToText(last, period.endDate);
    }
    SetProductRangeCriterion(params, &params->rankRange, records::kFileInventoryTransactions, kTranFieldDate, first,
                             last);
  }
  return 0;
}

int SetProductRangeCriterion(const ProductReportParams*, RangeCriterion* criterion, int fileNo, int fieldId,
                             const char* fromText, const char* toText) {
  return RangeCriterionSet(criterion, fieldId, ProductFieldCaption(fileNo, fieldId), ProductFieldKind(fileNo, fieldId),
                           fromText, toText);
}

bool ResolveProductRanges(ProductReportParams* params) {
  struct Slot {
    RangeCriterion* range;
    const char* name;
    int fileNo;
  } slots[] = {
      {&params->sortRange, "sort", records::kFileProducts},
      {&params->rankRange, "rank",
       params->menuId == kMenuActivityDetail ? records::kFileInventoryTransactions : records::kFileProducts},
  };
  for (const Slot& s : slots) {
    if (StrIsBlank(s.range->caption)) continue;
    const RangeCriterion entered = *s.range;
    const int id = ProductFieldIdByName(s.fileNo, entered.caption);
    if (id < 0) {
      ShowBadParameters(std::string("the ") + s.name + " field \"" + Trimmed(entered.caption) +
                        "\" is not a field of this report.");
      return false;
    }
    const int result = SetProductRangeCriterion(params, s.range, s.fileNo, id,
                                                entered.fromEmpty ? nullptr : entered.fromText,
                                                entered.toEmpty ? nullptr : entered.toText);
    if (result == kRangeFromAfterTo) {
      RefuseReportRun(kMsgFromAfterTo);
      return false;
    }
    if (result == kRangeBadValue) {
      if (ProductFieldKind(s.fileNo, id) == RangeKind::kDate) {
        RefuseReportRun(kMsgInvalidDate);
      } else {
        ShowBadParameters(std::string("the ") + s.name + " range of \"" + Trimmed(entered.caption) +
                          "\" holds a value that is not a number.");
      }
      return false;
    }
  }
  return true;
}

int SetProductReportDestination(const ProductReportParams* params, TagRepInfo* info) {
  return SetReportDestination(params->output, info);
}

int CheckCostCode(const char* code) {
  if (code == nullptr || StrIsBlank(code)) return 0;
  std::string text(code);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  // A code encodes digits by position: each character stands for one digit,
  // so a blank or a character used twice would make a cost unreadable.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') return kMsgCostCodeBlank;
    if (text.find(text[i]) < i) return kMsgCostCodeRepeated;
  }
  return 0;
}

// --- Sort order ------------------------------------------------------------------------

int CreateProductSortIndex(ProductReportParams* params) {
  const int sort = params->sortRange.fieldId, rank = params->rankRange.fieldId;
  params->indexBuilt = 0;
  if (sort == kProdFieldNumber && rank == kProdFieldNumber) {
    BtrvSetKey(params->fileHandle, 0, -1);
    return kStatusOk;  // the file's own key 0
  }
  const int status = TempIndexCreate(params->fileId, params->fileHandle, sort, rank, -1);
  if (status == kStatusOk) params->indexBuilt = 1;
  return status;
}

int SelectProductSortKey(ProductReportParams* params) {
  params->indexBuilt = 0;
  int key = -1;
  switch (params->sortRange.fieldId) {
    case kProdFieldNumber: key = 0; break;
    case kProdFieldDescription: key = 1; break;
    case kProdFieldVendor: key = 3; break;
    case kProdFieldDepartment: key = 4; break;
    case kProdFieldWarehouse: key = 6; break;
    case kProdFieldBin: {
      const int status = TempIndexCreate(params->fileId, params->fileHandle, kProdFieldBin, -1, -1);
      if (status == kStatusOk) params->indexBuilt = 1;
      return status;
    }
    default: return kStatusInvalidKeyNumber;
  }
  return BtrvSetKey(params->fileHandle, key, -1);
}

// --- The walk ----------------------------------------------------------------------------

int ReadFirstSelectedProduct(ProductReportParams* params) {
  CDbTblActiveProd table(params->fileHandle, params->fileId);
  std::memset(params->keyBuffer, 0, kKeyBufferSize);
  const int status = table.Read(kOpGetFirst, params->keyBuffer, params->record, sizeof *params->record);
  if (status == kStatusOk) {
    int pastEnd = 0;
    ProductPassesSelection(params, &pastEnd);
    return pastEnd ? kFirstPastEnd : kStatusOk;
  }
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return status;
  MsgRecordError(status, 1, kOpGetFirst, params->fileId, 0);
  return status;
}

int SeekFirstSelectedProduct(ProductReportParams* params) {
  CDbTblActiveProd table(params->fileHandle, params->fileId);
  std::memset(params->keyBuffer, 0, kKeyBufferSize);
  const RangeCriterion& sort = params->sortRange;
  if (!sort.fromEmpty) {
    // The from end in the key's form: blank-padded to the key's width.
    int width = 0;
    switch (sort.fieldId) {
      case kProdFieldNumber: width = sizeof params->record->number; break;
      case kProdFieldDescription: width = sizeof params->record->description; break;
      case kProdFieldBin: width = sizeof params->record->bin; break;
      case kProdFieldDepartment: width = sizeof params->record->department; break;
      case kProdFieldVendor: width = sizeof params->record->vendor; break;
      case kProdFieldWarehouse: width = sizeof params->record->warehouse; break;
      default: break;
    }
    if (width > 0) {
      std::memset(params->keyBuffer, ' ', static_cast<std::size_t>(width));
      std::memcpy(params->keyBuffer, sort.fromText, strnlen(sort.fromText, static_cast<std::size_t>(width)));
    }
  }
  int status = table.Read(kOpGetGreaterOrEqual, params->keyBuffer, params->record, sizeof *params->record);
  if (status == kStatusOk) {
    int pastEnd = 0;
    ProductPassesSortRange(params, &pastEnd);
    if (pastEnd) status = kStatusEndOfFile;
    return status;
  }
  if (status != kStatusEndOfFile && status != kStatusKeyNotFound)
    MsgRecordError(status, 1, kOpGetGreaterOrEqual, params->fileId, 0);
  return status;
}

int ProductRunStart(ProductReportParams* params) {
  const int menuId = params->menuId;
  int status = kStatusOk;
  if (UsesSortIndex(menuId)) {
    status = CreateProductSortIndex(params);
  } else if (menuId == kMenuActivityDetail) {
    status = SelectProductSortKey(params);
  }
  if (status != kStatusOk) {
    ProductRunEnd(params);
    return status;
  }
  if (UsesSortIndex(menuId)) {
    status = ReadFirstSelectedProduct(params);
  } else if (menuId == kMenuActivityDetail) {
    status = SeekFirstSelectedProduct(params);
  }
  if (status == kStatusOk) return status;
  ProductRunEnd(params);
  // Nothing lies in the selection, however the walk found it: an empty file,
  // or a first product already past the end of the sort range.
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound || status == kFirstPastEnd)
    MsgShow(kMsgNothingSelected, 1);
  return status;
}

int ReadNextSelectedProduct(ProductReportParams* params) {
  CDbTblActiveProd table(params->fileHandle, params->fileId);
  const int status = table.Read(kOpGetNext, params->keyBuffer, params->record, sizeof *params->record);
  if (status != kStatusOk && status != kStatusEndOfFile) MsgRecordError(status, 1, kOpGetNext, params->fileId, 0);
  return status;
}

void ProductRunEnd(ProductReportParams* params) {
  if (params->indexBuilt) TempIndexDrop(params->fileId, params->fileHandle);
  params->indexBuilt = 0;
}

// --- Tests ------------------------------------------------------------------------------

bool ProductFieldMatches(const records::TagProduct& p, const RangeCriterion& c, int* pastEnd) {
  *pastEnd = 0;
  std::string_view text;
  if (TextValue(p, c.fieldId, &text)) return RangeMatchText(c, text, pastEnd);
  switch (c.fieldId) {
    case kProdFieldLastSaleDate: return RangeMatchDate(c, p.lastSaleDate, pastEnd);
    case kProdFieldLastPurchaseDate: return RangeMatchDate(c, p.lastPurchaseDate, pastEnd);
    case kProdFieldSalesUnits:
      return RangeMatchAmount(c, UnitsOf(p.salesUnits[kCurrentYearSlot], p.salesUnitFactor), pastEnd);
    case kProdFieldPurchaseUnits:
      return RangeMatchAmount(c, UnitsOf(p.purchaseUnits[kCurrentYearSlot], p.purchaseUnitFactor), pastEnd);
    case kProdFieldSalesDollars: return RangeMatchAmount(c, p.salesDollars[kCurrentYearSlot], pastEnd);
    case kProdFieldPurchaseDollars: return RangeMatchAmount(c, p.purchaseDollars[kCurrentYearSlot], pastEnd);
    default: return false;
  }
}

bool ProductPassesSelection(const ProductReportParams* params, int* pastEnd) {
  if (!ProductFieldMatches(*params->record, params->sortRange, pastEnd)) return false;
  if (params->menuId != kMenuActivityDetail) {
    int ignored = 0;
    if (!ProductFieldMatches(*params->record, params->rankRange, &ignored)) return false;
  }
  return !DroppedAsNoInventory(*params);
}

bool ProductPassesSortRange(const ProductReportParams* params, int* pastEnd) {
  if (!ProductFieldMatches(*params->record, params->sortRange, pastEnd)) return false;
  return params->menuId != kMenuActivityDetail || !DroppedAsNoInventory(*params);
}

// --- The warehouse reports' walk -------------------------------------------------------

namespace {

bool IsCodeOrDescription(int id) { return id == kProdFieldNumber || id == kProdFieldDescription; }

bool MasterItemFieldMatches(const records::TagMasterItem& item, const RangeCriterion& c, int* pastEnd) {
  *pastEnd = 0;
  switch (c.fieldId) {
    case kProdFieldNumber: return RangeMatchText(c, TextOf(item.code), pastEnd);
    case kProdFieldDescription: return RangeMatchText(c, TextOf(item.description), pastEnd);
    case kProdFieldBin: return RangeMatchText(c, TextOf(item.bin), pastEnd);
    case kProdFieldDepartment: return RangeMatchText(c, TextOf(item.department), pastEnd);
    case kProdFieldVendor: return RangeMatchText(c, TextOf(item.vendor), pastEnd);
    default: return false;
  }
}

// Trades the ends and fields of two criteria; each keeps its caption.
void TradeCriteria(RangeCriterion* a, RangeCriterion* b) {
  const RangeCriterion oldA = *a, oldB = *b;
  *a = oldB;
  *b = oldA;
  std::memcpy(a->caption, oldA.caption, sizeof a->caption);
  std::memcpy(b->caption, oldB.caption, sizeof b->caption);
}

}  // namespace

int CreateWarehouseSortIndex(ProductReportParams* params) {
  if (IsCodeOrDescription(params->sortRange.fieldId) && !IsCodeOrDescription(params->rankRange.fieldId))
    TradeCriteria(&params->sortRange, &params->rankRange);
  // Then the index of the two, as the product reports make it.
  return CreateProductSortIndex(params);
}

int ReadFirstSelectedWarehouseItem(ProductReportParams* params, records::TagMasterItem* item) {
  std::memset(params->keyBuffer, 0, kKeyBufferSize);
  const int status = BtrvGetOp(kOpGetFirst, params->fileHandle, params->keyBuffer, item, sizeof *item);
  if (status == kStatusOk) {
    int pastEnd = 0;
    WarehouseItemPassesSelection(params, *item, &pastEnd);
    return pastEnd ? kFirstPastEnd : kStatusOk;
  }
  if (status != kStatusEndOfFile && status != kStatusKeyNotFound)
    MsgRecordError(status, 1, kOpGetFirst, params->fileId, 0);
  return status;
}

bool WarehouseItemPassesSelection(const ProductReportParams* params, const records::TagMasterItem& item,
                                  int* pastEnd) {
  if (!MasterItemFieldMatches(item, params->sortRange, pastEnd)) return false;
  int ignored = 0;
  return MasterItemFieldMatches(item, params->rankRange, &ignored);
}

// --- Groups -------------------------------------------------------------------------------

ProductGroups::ProductGroups(int sortFieldId)
    : field_(sortFieldId),
      grouping_(sortFieldId == kProdFieldBin || sortFieldId == kProdFieldDepartment ||
                sortFieldId == kProdFieldVendor || sortFieldId == kProdFieldWarehouse) {}

bool ProductGroups::Changes(const records::TagProduct& product) const {
  return grouping_ && count_ > 0 && oem::CompareText(ValueOf(field_, product), value_) != 0;
}

void ProductGroups::Add(const records::TagProduct& product) {
  if (!grouping_) return;
  if (count_ == 0) value_ = ValueOf(field_, product);
  ++count_;
}

std::string ProductGroups::ValueOf(int sortFieldId, const records::TagProduct& p) {
  switch (sortFieldId) {
    case kProdFieldBin: return Trimmed(p.bin);
    case kProdFieldDepartment: return Trimmed(p.department);
    case kProdFieldVendor: return Trimmed(p.vendor);
    case kProdFieldWarehouse: return Trimmed(p.warehouse);
    default: return {};
  }
}
