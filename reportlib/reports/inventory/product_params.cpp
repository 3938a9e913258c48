// The product fields of the selections and the product reports' parameter
// string.
#include "reports/inventory/product_params.h"

#include <cstring>

#include "oemtext.h"
#include "ravadodo/text.h"
#include "records/dictionary.h"

namespace {

struct ProductField {
  int fileNo;
  int id;
  const char* caption;
  RangeKind kind;
};

// clang-format off
constexpr ProductField kFields[] = {
    {records::kFileProducts, kProdFieldNumber,           "Product Number",     RangeKind::kText},
    {records::kFileProducts, kProdFieldDescription,      "Description",        RangeKind::kText},
    {records::kFileProducts, kProdFieldDepartment,       "G/L Department",     RangeKind::kText},
    {records::kFileProducts, kProdFieldBin,              "Bin",                RangeKind::kText},
    {records::kFileProducts, kProdFieldVendor,           "Vendor",             RangeKind::kText},
    {records::kFileProducts, kProdFieldWarehouse,        "Warehouse",          RangeKind::kText},
    {records::kFileProducts, kProdFieldSalesUnits,       "Sales Units",        RangeKind::kAmount},
    {records::kFileProducts, kProdFieldSalesDollars,     "Sales Dollars",      RangeKind::kAmount},
    {records::kFileProducts, kProdFieldLastSaleDate,     "Last Sales Date",    RangeKind::kDate},
    {records::kFileProducts, kProdFieldPurchaseUnits,    "Purchase Units",     RangeKind::kAmount},
    {records::kFileProducts, kProdFieldPurchaseDollars,  "Purchase Dollars",   RangeKind::kAmount},
    {records::kFileProducts, kProdFieldLastPurchaseDate, "Last Purchase Date", RangeKind::kDate},
    {records::kFileInventoryTransactions, kTranFieldDate, "Transaction Date",  RangeKind::kDate},
    {records::kFileMasterItems, kProdFieldNumber,      "Master Item Code",     RangeKind::kText},
    {records::kFileMasterItems, kProdFieldDescription, "Description",          RangeKind::kText},
    {records::kFileMasterItems, kProdFieldDepartment,  "G/L Department",       RangeKind::kText},
    {records::kFileMasterItems, kProdFieldBin,         "Bin",                  RangeKind::kText},
    {records::kFileMasterItems, kProdFieldVendor,      "Vendor",               RangeKind::kText},
};
// clang-format on

const ProductField* FieldOf(int fileNo, int id) {
  for (const ProductField& f : kFields)
    if (f.fileNo == fileNo && f.id == id) return &f;
  return nullptr;
}

constexpr std::size_t kProductNumberChars = sizeof records::TagProduct::number - 1;

// A range end or caption as entered: at most 40 characters, NUL-ended.
ParamStatus StoreRangeText(char (&field)[41], std::string_view value, std::int32_t* emptyFlag) {
  if (value.size() > sizeof field - 1) return ParamStatus::kValueTooLong;
  if (value.find('\0') != std::string_view::npos) return ParamStatus::kBadValue;
  std::memset(field, 0, sizeof field);
  std::memcpy(field, value.data(), value.size());
  if (emptyFlag) *emptyFlag = StrIsBlank(field) ? 1 : 0;
  return ParamStatus::kOk;
}

}  // namespace

const char* ProductFieldCaption(int fileNo, int fieldId) {
  const ProductField* f = FieldOf(fileNo, fieldId);
  return f ? f->caption : "UNDEFINED";
}

RangeKind ProductFieldKind(int fileNo, int fieldId) {
  const ProductField* f = FieldOf(fileNo, fieldId);
  return f ? f->kind : RangeKind::kText;
}

int ProductFieldIdByName(int fileNo, const char* caption) {
  if (caption == nullptr) return -1;
  for (const ProductField& f : kFields)
    if (f.fileNo == fileNo && oem::CompareText(f.caption, caption) == 0) return f.id;
  return -1;
}

ParamStatus CProductParamString::SetParam(std::string_view key, std::string_view value) {
  ProductReportParams* r = record();
  if (r == nullptr) return ParamStatus::kNoRecord;

  if (key == "input") return StoreKeyword(r->input, value);
  if (key == "output") return StoreText(r->output, value);

  if (key == "psbeg" || key == "psend") {
    if (value.size() > kProductNumberChars) return ParamStatus::kValueTooLong;
    RangeCriterion& range = r->sortRange;
    const ParamStatus status = key == "psbeg" ? StoreRangeText(range.fromText, value, &range.fromEmpty)
                                              : StoreRangeText(range.toText, value, &range.toEmpty);
    if (status != ParamStatus::kOk) return status;
    range.fieldId = kProdFieldNumber;
    std::memset(range.caption, 0, sizeof range.caption);
    std::strcpy(range.caption, ProductFieldCaption(records::kFileProducts, kProdFieldNumber));
    return ParamStatus::kOk;
  }

  RangeCriterion* range = key.starts_with("sort") ? &r->sortRange : key.starts_with("rank") ? &r->rankRange : nullptr;
  if (range != nullptr) {
    const std::string_view part = key.substr(4);
    if (part == "fld") return StoreRangeText(range->caption, value, nullptr);
    if (part == "from") return StoreRangeText(range->fromText, value, &range->fromEmpty);
    if (part == "to") return StoreRangeText(range->toText, value, &range->toEmpty);
    return ParamStatus::kUnknownKey;
  }

  if (key == "incnoinv" || key == "decorfrac") {
    std::int32_t number = 0;
    const ParamStatus status = ParseNumber(value, number);
    if (status != ParamStatus::kOk) return status;
    if (key == "incnoinv") {
      r->includeNoInventory = number > 0 ? 1 : 0;
    } else {
      if (number < 0 || number > 0xFFFF) return ParamStatus::kBadValue;
      r->decimalOrFraction = static_cast<std::uint16_t>(number);
    }
    return ParamStatus::kOk;
  }
  return ParamStatus::kUnknownKey;
}
