// The product selection screen of the product reports (form 350).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "oemtext.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_product.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "reports/inventory/product_screen_parts.h"
#include "reports/inventory/product_selection.h"
#include "selection_fields.h"

namespace {

constexpr int kFormNumber = 350;

// Fields.
constexpr int kFieldSort = 1;
constexpr int kFieldRank = 14;
constexpr int kFieldUnitsFrom = 19, kFieldUnitsTo = 20;
constexpr int kFieldDateFrom = 21, kFieldDateTo = 22;
constexpr int kFieldCostCodeLabel = 25;
constexpr int kFieldCostCode = 26;
constexpr int kFieldExcludeNoInventory = 27;
constexpr int kFieldLast = 27;
constexpr int kRecords = kFieldLast + 1;  // remembered fields 1-27 and the closing record

constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

constexpr const char* kChoicesYesNo = "\x01" "Yes,No";

// clang-format off
// The sort and rank choices: hot letter, caption, field id.
const OptionTableEntry kProductSortFields[] = {
    {'N', "Product Number", kProdFieldNumber}, {'D', "Description", kProdFieldDescription},
    {'G', "G/L Department", kProdFieldDepartment}, {'B', "Bin", kProdFieldBin},
    {'V', "Vendor", kProdFieldVendor},        {'W', "Warehouse", kProdFieldWarehouse},
    {}};
const OptionTableEntry kProductRankFields[] = {
    {'N', "Product Number", kProdFieldNumber},    {'D', "Description", kProdFieldDescription},
    {'T', "Sales Units", kProdFieldSalesUnits},   {'S', "Sales Dollars", kProdFieldSalesDollars},
    {'L', "Last Sales Date", kProdFieldLastSaleDate}, {'P', "Purchase Units", kProdFieldPurchaseUnits},
    {'H', "Purchase Dollars", kProdFieldPurchaseDollars}, {'U', "Last Purchase Date", kProdFieldLastPurchaseDate},
    {'W', "Warehouse", kProdFieldWarehouse},
    {}};
// clang-format on

// The first field of the pair a field id opens; 0 when none.
int SortPairOf(int id) {
  switch (id) {
    case kProdFieldNumber: return 2;
    case kProdFieldDescription: return 4;
    case kProdFieldDepartment: return 6;
    case kProdFieldBin: return 8;
    case kProdFieldVendor: return 10;
    case kProdFieldWarehouse: return 12;
    default: return 0;
  }
}

int RankPairOf(int id) {
  switch (id) {
    case kProdFieldNumber: return 15;
    case kProdFieldDescription: return 17;
    case kProdFieldSalesUnits: case kProdFieldSalesDollars:
    case kProdFieldPurchaseUnits: case kProdFieldPurchaseDollars: return kFieldUnitsFrom;
    case kProdFieldLastSaleDate: case kProdFieldLastPurchaseDate: return kFieldDateFrom;
    case kProdFieldWarehouse: return 23;
    default: return 0;
  }
}

bool IsRangeFrom(int f) { return (f >= 2 && f <= 12 && f % 2 == 0) || f == 15 || f == 17 || f == 19 || f == 23; }
bool IsRangeTo(int f) { return (f >= 3 && f <= 13 && f % 2 == 1) || f == 16 || f == 18 || f == 20 || f == 24; }
bool IsDateField(int f) { return f == kFieldDateFrom || f == kFieldDateTo; }
// The pairs of digit pictures (units or dollars, dates): a picture holds
// only its digits, so their open ends show empty rather than "FIRST"/"LAST ".
bool IsPictureField(int f) { return f >= kFieldUnitsFrom && f <= kFieldDateTo; }
// The from field of the pair that holds field `f` (the sort pairs start on
// even numbers, the rank pairs on odd ones).
int PairStartOf(int f) { return f <= 13 ? f - f % 2 : f - (f + 1) % 2; }

// The remembered fields: kind 8 choices, 16 numbers, 2 dates, 0 texts.
std::uint32_t MruKindOf(int field) {
  switch (field) {
    case kFieldSort: case kFieldRank: case kFieldExcludeNoInventory: return kMruKindChoice;
    case kFieldUnitsFrom: case kFieldUnitsTo: return kMruKindNumber;
    case kFieldDateFrom: case kFieldDateTo: return kMruKindDate;
    default: return kMruKindText;
  }
}

const MruFieldTable<kRecords> kMruTable(MruKindOf);

const char* MruKeyOf(int menuId) {
  switch (menuId) {
    case kMenuProductListing: return "ProdList";
    case kMenuPriceListing: return "PriceList";
    case kMenuProductActivity: return "ProdActivity";
    case kMenuProductAlert: return "ProdAlert";
    case kMenuCountSheets: return "ProdCount";
    default: return nullptr;
  }
}

// What the callbacks share: one per screen run.
struct ProductScreenCtx {
  ProductReportParams* params = nullptr;
  ProductReportParams defaults{};  // the run's defaults, for Shift+F9
  int sortId = kProdFieldNumber;
  int sortPair = 2;   // the first field of the open sort pair; 0 when none is open
  int rankId = kProdFieldNumber;
  int rankPair = 15;
  Window* window = nullptr;
  Form* form = nullptr;
  ScreenMemory* memory = nullptr;
};

ProductScreenCtx* CtxOf(Form* form) { return static_cast<ProductScreenCtx*>(form->context); }

void EnableRangeFieldsBySort(ProductScreenCtx* ctx) {
  ctx->sortPair = SortPairOf(ctx->sortId);
  OpenOnePair(ctx->form, 2, 13, ctx->sortPair);
}

void EnableRangeFieldsByRank(ProductScreenCtx* ctx) {
  ctx->rankPair = RankPairOf(ctx->rankId);
  OpenOnePair(ctx->form, 15, 24, ctx->rankPair);
}

// Shows "FIRST" / "LAST " in the open ends of the pairs in use (a picture
// pair stays empty).
void ShowOpenEnds(ProductScreenCtx* ctx) {
  for (int pair : {ctx->sortPair, ctx->rankPair})
    if (!IsPictureField(pair)) ShowOpenEnds(ctx->form, pair);
}

void ProductMruHook(ProductScreenCtx* ctx, bool start);

int ProductFillScreen(ProductScreenCtx* ctx, bool start) {
  Form* form = ctx->form;
  const ProductReportParams& p = ctx->defaults;
  if (!start) FieldSetFocus(form, kFieldSort);
  WinWriteRow(ctx->window, 0, kFieldSort, OptionTableText(kProductSortFields));
  WinWriteRow(ctx->window, 0, kFieldRank, OptionTableText(kProductRankFields));

  FieldSetChoice(form, kFieldSort, OptionEntryOf(kProductSortFields, p.sortRange.fieldId));
  FieldSetChoice(form, kFieldRank, OptionEntryOf(kProductRankFields, p.rankRange.fieldId));
  for (int f = 2; f <= 24; ++f)
    if (f != kFieldRank) FieldSetText(form, f, "");
  if (const int pair = SortPairOf(p.sortRange.fieldId)) {
    PutRangeEnd(form, pair, p.sortRange, true);
    PutRangeEnd(form, pair + 1, p.sortRange, false);
  }
  if (const int pair = RankPairOf(p.rankRange.fieldId)) {
    PutRangeEnd(form, pair, p.rankRange, true);
    PutRangeEnd(form, pair + 1, p.rankRange, false);
  }

  // The cost code belongs to the price listing, the type-2 choice to the
  // product activity report.
  const bool priceListing = p.menuId == kMenuPriceListing;
  FieldSetAccess(form, kFieldCostCodeLabel, priceListing ? kStateNormal : kStateOutOfUse);
  FieldSetAccess(form, kFieldCostCode, priceListing ? kStateNormal : kStateOutOfUse);
  if (priceListing) {
    FieldSetText(form, kFieldCostCodeLabel, "Cost Code:");
    FieldSetProtect(form, kFieldCostCodeLabel, 1);
    FieldSetText(form, kFieldCostCode, std::string(p.costCode, strnlen(p.costCode, sizeof p.costCode)).c_str());
  }
  const bool activity = p.menuId == kMenuProductActivity;
  FieldSetAccess(form, kFieldExcludeNoInventory, activity ? kStateNormal : kStateOutOfUse);
  if (activity) FieldSetChoice(form, kFieldExcludeNoInventory, p.includeNoInventory ? 2 : 1);  // "Yes,No"

  ProductMruHook(ctx, start);

  ctx->sortId = OptionTableValue(form, kProductSortFields, kFieldSort);
  EnableRangeFieldsBySort(ctx);
  ctx->rankId = OptionTableValue(form, kProductRankFields, kFieldRank);
  EnableRangeFieldsByRank(ctx);
  ShowOpenEnds(ctx);
  return start ? 0 : 0x80;
}

void ProductMruHook(ProductScreenCtx* ctx, bool start) {
  ScreenMemoryHook(ctx->memory, ctx->form, MruKeyOf(ctx->params->menuId), kMruTable.fields, start);
}

int ProductFormStart(Form* form, int) { return ProductFillScreen(CtxOf(form), true); }

int ProductRestoreDefaults(Form* form, KeyCode) { return ProductFillScreen(CtxOf(form), false); }

int ProductOnSortFieldChosen(Form* form, int) {
  if (LeftBackwards(form)) return 0;
  ProductScreenCtx* ctx = CtxOf(form);
  ctx->sortId = OptionTableValue(form, kProductSortFields, kFieldSort);
  EnableRangeFieldsBySort(ctx);
  ShowOpenEnds(ctx);
  return 0x40;
}

int ProductOnRankFieldChosen(Form* form, int) {
  if (LeftBackwards(form)) return 0;
  ProductScreenCtx* ctx = CtxOf(form);
  ctx->rankId = OptionTableValue(form, kProductRankFields, kFieldRank);
  EnableRangeFieldsByRank(ctx);
  ShowOpenEnds(ctx);
  return 0x40;
}

int ProductCostCodeExit(Form* form, int field) {
  char code[32] = {};
  FieldGetText(form, field, code, sizeof code);
  const int message = CheckCostCode(code);
  if (message == 0) return 0;
  MsgShow(message, 1);
  return 0x20;
}

// Copies the picked product's value for the current field into it.
bool ProductFieldLookup(ProductScreenCtx* ctx, const records::TagProduct& p, int field) {
  Form* form = ctx->form;
  std::string value;
  char buffer[64] = {};
  bool textPair = true;
  switch (field) {
    case 2: case 3: case 15: case 16: value = ProductFieldText(p, kProdFieldNumber); break;
    case 4: case 5: case 17: case 18: value = ProductFieldText(p, kProdFieldDescription); break;
    case 6: case 7: value = ProductFieldText(p, kProdFieldDepartment); break;
    case 8: case 9: value = ProductFieldText(p, kProdFieldBin); break;
    case 10: case 11: value = ProductFieldText(p, kProdFieldVendor); break;
    case 12: case 13: case 23: case 24: value = ProductFieldText(p, kProdFieldWarehouse); break;
    case kFieldUnitsFrom: case kFieldUnitsTo: {
      // The value the criterion tests: units in the product's measure, or
      // dollars.
      double amount = 0;
      switch (ctx->rankId) {
        case kProdFieldPurchaseUnits:
          amount = p.purchaseUnits[2] / (p.purchaseUnitFactor > 1 ? p.purchaseUnitFactor : 1);
          break;
        case kProdFieldSalesUnits:
          amount = p.salesUnits[2] / (p.salesUnitFactor > 1 ? p.salesUnitFactor : 1);
          break;
        case kProdFieldPurchaseDollars: amount = p.purchaseDollars[2]; break;
        case kProdFieldSalesDollars: amount = p.salesDollars[2]; break;
        default: break;
      }
      // The field takes digits only: the whole part, and no sign.
      std::snprintf(buffer, sizeof buffer, "%.0f", std::max(0.0, std::trunc(amount)));
      value = buffer;
      textPair = false;
      break;
    }
    case kFieldDateFrom: case kFieldDateTo: {
      const std::int32_t day = ctx->rankId == kProdFieldLastPurchaseDate ? p.lastPurchaseDate : p.lastSaleDate;
      value = day ? DateToText(buffer, day) : "";
      textPair = false;
      break;
    }
    default: return false;
  }
  FieldSetText(form, field, value.c_str());
  if (textPair) {
    // The other end of the pair shows as open when it is empty.
    ShowOpenEnds(form, PairStartOf(field));
  }
  FormRedraw(form);
  return true;
}

int ProductLookupKey(Form* form, KeyCode) {
  ProductScreenCtx* ctx = CtxOf(form);
  const int field = FormCurrentField(form);
  if (field < 2 || field > 24 || field == kFieldRank) return 0x20;
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  // The list is in product-number order: only a product number is a place
  // to start it from.
  const bool numberField = field == 2 || field == 3 || field == 15 || field == 16;
  records::TagProduct picked{};
  if (!PickProduct(numberField ? text : nullptr, 0, ctx->params->fileHandle, &picked, 9, 4, 13, 60)) return 0x20;
  return ProductFieldLookup(ctx, picked, field) ? 0x40 : 0x20;
}

int ProductReadRanges(ProductScreenCtx* ctx) {
  Form* form = ctx->form;
  // A choice changed and left with Up or Shift+Tab has not opened its pair
  // yet: open it and let the user see it before anything runs.
  const int sortId = OptionTableValue(form, kProductSortFields, kFieldSort);
  const int rankId = OptionTableValue(form, kProductRankFields, kFieldRank);
  if (sortId != ctx->sortId || rankId != ctx->rankId) {
    const bool sortChanged = sortId != ctx->sortId;
    ctx->sortId = sortId;
    ctx->rankId = rankId;
    EnableRangeFieldsBySort(ctx);
    EnableRangeFieldsByRank(ctx);
    ShowOpenEnds(ctx);
    FieldSetFocus(form, sortChanged ? kFieldSort : kFieldRank);
    return 0x80;
  }
  if (const int r = ReadRangePair(form, ctx->params, &ctx->params->sortRange, records::kFileProducts, ctx->sortId,
                                  ctx->sortPair))
    return r;
  return ReadRangePair(form, ctx->params, &ctx->params->rankRange, records::kFileProducts, ctx->rankId,
                       ctx->rankPair);
}

int ProductAccept(Form* form, KeyCode) {
  ProductScreenCtx* ctx = CtxOf(form);
  ProductReportParams* p = ctx->params;
  if (p->menuId == kMenuPriceListing) {
    char code[32] = {};
    FieldGetText(form, kFieldCostCode, code, sizeof code);
    if (const int message = CheckCostCode(code)) {
      MsgShow(message, 1);
      FieldSetFocus(form, kFieldCostCode);
      return 0x20;
    }
    std::memset(p->costCode, 0, sizeof p->costCode);
    std::memcpy(p->costCode, code, strnlen(code, sizeof p->costCode - 1));
  }
  if (const int r = ProductReadRanges(ctx)) return r;
  if (p->menuId == kMenuProductActivity)
    p->includeNoInventory = FormYesNoGet(form, kFieldExcludeNoInventory) == 'N' ? 1 : 0;
  return 1;
}

}  // namespace

int ProductReportSelection(ProductReportParams* params, RangeCriterion* sortOut, RangeCriterion* rankOut) {
  SelectionScreen s;
  char*& sortChoices = s.choices[0];
  char*& rankChoices = s.choices[1];
  if (OptionTableLoad(kProductSortFields, &sortChoices) != 0) return 1;
  if (OptionTableLoad(kProductRankFields, &rankChoices) != 0) return 1;
  if (!s.Load(kFormNumber)) return 1;

  for (TagFormField& f : s.fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldSort) {
      SetChoiceFieldMask(f, sortChoices);
      f.exitCallback = ProductOnSortFieldChosen;
    } else if (n == kFieldRank) {
      SetChoiceFieldMask(f, rankChoices);
      f.exitCallback = ProductOnRankFieldChosen;
    } else if (IsDateField(n)) {
      f.exitCallback = OpenDateFieldExit;
      f.entryCallback = FieldEntryDateHook;
    } else if (IsPictureField(n)) {
      f.entryCallback = RangeFieldFocus;
    } else if (IsRangeFrom(n) || IsRangeTo(n)) {
      f.exitCallback = IsRangeFrom(n) ? RangeFieldEnter : RangeFieldExit;
      f.entryCallback = RangeFieldFocus;
    } else if (n == kFieldCostCode) {
      f.exitCallback = ProductCostCodeExit;
    } else if (n == kFieldExcludeNoInventory) {
      f.choices = kChoicesYesNo;
    }
  }
  // A screen whose fields cannot be made runs nothing: the report stops
  // rather than run on values nobody saw.
  if (!s.Create()) return 1;

  ProductScreenCtx ctx;
  ctx.params = params;
  ctx.defaults = *params;
  ctx.form = &s.form;
  ctx.memory = &s.memory;
  ctx.window = params->window;
  ctx.sortId = params->sortRange.fieldId;
  ctx.rankId = params->rankRange.fieldId;
  if (s.Run(params->window, &ctx, ProductFormStart, ProductRestoreDefaults, ProductLookupKey, ProductAccept,
            kRecords) != 0)
    return 27;
  if (sortOut && rankOut) {
    *sortOut = params->sortRange;
    *rankOut = params->rankRange;
  }
  return 0;
}
