// The product selection screen of the product reports (form 350).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_product.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "ravadodo.h"
#include "records/dictionary.h"
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

// The screen's own remembered-parameter class.
class ProductMruSubclass final : public CQxRepMRUParam {};

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
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

ProductScreenCtx* CtxOf(Form* form) { return static_cast<ProductScreenCtx*>(form->context); }

void EnablePair(Form* form, int first, int last, int open) {
  for (int f = first; f <= last; ++f) FieldSetAccess(form, f, kStateOutOfUse);
  if (open) {
    FieldSetAccess(form, open, kStateNormal);
    FieldSetAccess(form, open + 1, kStateNormal);
  }
}

void EnableRangeFieldsBySort(ProductScreenCtx* ctx) {
  ctx->sortPair = SortPairOf(ctx->sortId);
  EnablePair(ctx->form, 2, 13, ctx->sortPair);
}

void EnableRangeFieldsByRank(ProductScreenCtx* ctx) {
  ctx->rankPair = RankPairOf(ctx->rankId);
  EnablePair(ctx->form, 15, 24, ctx->rankPair);
}

// The entry (1-based) of `table` whose value is `id`; 1 when none is.
int EntryOf(const OptionTableEntry* table, int id) {
  int index = 1;
  for (const OptionTableEntry* e = table; e->caption; ++e, ++index)
    if (e->value == id) return index;
  return 1;
}

// A range end as the screen shows it: an open end is empty (the exit
// callbacks then show "FIRST"/"LAST ").
void PutRangeText(Form* form, int field, const RangeCriterion& range, bool from) {
  if (field == 0) return;
  const bool open = from ? range.fromEmpty : range.toEmpty;
  const char* text = from ? range.fromText : range.toText;
  std::string value = open ? "" : std::string(text, strnlen(text, sizeof range.fromText));
  while (!value.empty() && value.back() == ' ') value.pop_back();
  FieldSetText(form, field, value.c_str());
}

// Shows "FIRST" / "LAST " in the open ends of the pairs in use (a picture
// pair stays empty).
void ShowOpenEnds(ProductScreenCtx* ctx) {
  for (int pair : {ctx->sortPair, ctx->rankPair}) {
    if (pair == 0 || IsPictureField(pair)) continue;
    RangeFieldEnter(ctx->form, pair);
    RangeFieldExit(ctx->form, pair + 1);
  }
}

void ProductMruHook(ProductScreenCtx* ctx, bool start);

int ProductFillScreen(ProductScreenCtx* ctx, bool start) {
  Form* form = ctx->form;
  const ProductReportParams& p = ctx->defaults;
  if (!start) FieldSetFocus(form, kFieldSort);
  WinWriteRow(ctx->window, 0, kFieldSort, OptionTableText(kProductSortFields));
  WinWriteRow(ctx->window, 0, kFieldRank, OptionTableText(kProductRankFields));

  FieldSetChoice(form, kFieldSort, EntryOf(kProductSortFields, p.sortRange.fieldId));
  FieldSetChoice(form, kFieldRank, EntryOf(kProductRankFields, p.rankRange.fieldId));
  for (int f = 2; f <= 24; ++f)
    if (f != kFieldRank) FieldSetText(form, f, "");
  if (const int pair = SortPairOf(p.sortRange.fieldId)) {
    PutRangeText(form, pair, p.sortRange, true);
    PutRangeText(form, pair + 1, p.sortRange, false);
  }
  if (const int pair = RankPairOf(p.rankRange.fieldId)) {
    PutRangeText(form, pair, p.rankRange, true);
    PutRangeText(form, pair + 1, p.rankRange, false);
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
  if (!start) {
    if (ctx->collection) ctx->collection->RestoreAll();
    return;
  }
  if (ctx->collection) ctx->collection->BackupAll();
  ctx->mru = nullptr;
  const char* key = MruKeyOf(ctx->params->menuId);
  if (key == nullptr || !CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return;
  ctx->mru = new (std::nothrow) ProductMruSubclass;
  if (ctx->mru == nullptr) return;
  ctx->mru->Initialize(SharedAppBlockGet()->userName, key, kMruTable.fields);
  if (ctx->mru->LoadAllFields()) ctx->mru->StructToScreen(ctx->form);
}

int ProductFormStart(Form* form, int) { return ProductFillScreen(CtxOf(form), true); }

int ProductRestoreDefaults(Form* form, KeyCode) { return ProductFillScreen(CtxOf(form), false); }

int ProductOnSortFieldChosen(Form* form, int) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
  ProductScreenCtx* ctx = CtxOf(form);
  ctx->sortId = OptionTableValue(form, kProductSortFields, kFieldSort);
  EnableRangeFieldsBySort(ctx);
  ShowOpenEnds(ctx);
  return 0x40;
}

int ProductOnRankFieldChosen(Form* form, int) {
  const KeyCode key = FormLastKey(form);
  if (key == kKeyUp || key == kKeyShiftTab) return 0;
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
  auto text = [](const char* f, std::size_t n) {
    std::string s(f, strnlen(f, n));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  };
  std::string value;
  char buffer[64] = {};
  bool textPair = true;
  switch (field) {
    case 2: case 3: case 15: case 16: value = text(p.number, sizeof p.number); break;
    case 4: case 5: case 17: case 18: value = text(p.description, sizeof p.description); break;
    case 6: case 7: value = text(p.department, sizeof p.department); break;
    case 8: case 9: value = text(p.bin, sizeof p.bin); break;
    case 10: case 11: value = text(p.vendor, sizeof p.vendor); break;
    case 12: case 13: case 23: case 24: value = text(p.warehouse, sizeof p.warehouse); break;
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
    const int from = PairStartOf(field);
    RangeFieldEnter(form, from);
    RangeFieldExit(form, from + 1);
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

// Reads one pair into `range`.  0 when good; otherwise the message is shown
// and the cursor put on the pair.
int ReadPair(ProductScreenCtx* ctx, RangeCriterion* range, int id, int pair) {
  Form* form = ctx->form;
  char from[256] = {}, to[256] = {};
  const bool fromOpen = pair == 0 || FieldGetTyped(form, pair, 0, from) == 1;
  const bool toOpen = pair == 0 || FieldGetTyped(form, pair + 1, 0, to) == 1;
  if (!fromOpen) FieldGetText(form, pair, from, sizeof from);
  if (!toOpen) FieldGetText(form, pair + 1, to, sizeof to);
  const int result = SetProductRangeCriterion(ctx->params, range, records::kFileProducts, id,
                                              fromOpen ? nullptr : from, toOpen ? nullptr : to);
  if (result == kRangeOk) return 0;
  MsgShow(result == kRangeBadValue && ProductFieldKind(records::kFileProducts, id) == RangeKind::kDate
              ? kMsgInvalidDate
              : kMsgFromAfterTo,
          1);
  FieldSetFocus(form, pair);
  return 0x80;
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
  if (const int r = ReadPair(ctx, &ctx->params->sortRange, ctx->sortId, ctx->sortPair)) return r;
  return ReadPair(ctx, &ctx->params->rankRange, ctx->rankId, ctx->rankPair);
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

// Everything one screen run holds, released on every way out.
struct ScreenRun {
  Form form{};
  FormDef def;
  std::vector<TagFormField> fields;
  char* sortChoices = nullptr;
  char* rankChoices = nullptr;
  ProductScreenCtx ctx;
  bool begun = false;

  ~ScreenRun() {
    if (begun) FormEnd(&form);
    MemFree(sortChoices);
    MemFree(rankChoices);
    CQxBaseRepParam::ReportDefAndMRUFree(ctx.copy, ctx.collection, ctx.mru);
  }
};

}  // namespace

int ProductReportSelection(ProductReportParams* params, RangeCriterion* sortOut, RangeCriterion* rankOut) {
  ScreenRun s;
  if (OptionTableLoad(kProductSortFields, &s.sortChoices) != 0) return 1;
  if (OptionTableLoad(kProductRankFields, &s.rankChoices) != 0) return 1;
  // Its message names the file and the line.
  if (FormDefLoad(&s.def, kFormNumber) != 0) return 1;
  s.fields = s.def.fields;

  for (TagFormField& f : s.fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldSort) {
      SetChoiceField(f, s.sortChoices);
      f.exitCallback = ProductOnSortFieldChosen;
    } else if (n == kFieldRank) {
      SetChoiceField(f, s.rankChoices);
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

  FormBegin(&s.form);
  s.begun = true;
  // A screen whose fields cannot be made runs nothing: the report stops
  // rather than run on values nobody saw.
  if (!FormFieldsCreate(&s.form, s.fields.data(), 1)) return 1;
  FormDefUse(&s.form, &s.def);

  ProductScreenCtx& ctx = s.ctx;
  ctx.params = params;
  ctx.defaults = *params;
  ctx.form = &s.form;
  ctx.window = params->window;
  ctx.sortId = params->sortRange.fieldId;
  ctx.rankId = params->rankRange.fieldId;

  s.form.context = &ctx;
  s.form.startHook = ProductFormStart;
  s.form.eventHook = FormStandardHook;
  if (Window* w = params->window) {
    std::snprintf(s.form.reportId, sizeof s.form.reportId, "%s", w->reportId);
    FormAttachWindow(w, &s.form, 1);
  }
  FormSetup(&s.form, 1, -1);
  FormOnKey(&s.form, kKeyShiftF9, ProductRestoreDefaults, "Defaults");
  FormOnKey(&s.form, kKeyF5, ProductLookupKey, "Look up");
  FormOnKey(&s.form, kKeyF10, ProductAccept, "Run");

  CQxBaseRepParam::ReportDefAndMRUInit(ctx.copy, ctx.collection, ctx.mru, &s.form, kRecords);
  FormRun(&s.form, 0);
  const bool cancelled = FormWasCancelled(&s.form) != 0;
  if (cancelled) return 27;
  CQxBaseRepParam::ReportMRUSave(ctx.mru, &s.form);
  if (sortOut && rankOut) {
    *sortOut = params->sortRange;
    *rankOut = params->rankRange;
  }
  return 0;
}
