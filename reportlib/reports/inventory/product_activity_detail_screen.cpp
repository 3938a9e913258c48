// The selection screen of the product activity detail report (form 359).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "qxabase/pick_inventory.h"
#include "qxabase/pick_product.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/transactions.h"
#include "reports/inventory/product_activity_detail.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_screen_parts.h"
#include "reports/inventory/product_selection.h"
#include "selection_fields.h"

namespace {

constexpr int kFormNumber = 359;
constexpr const char* kMruKey = "ProdTrnDtl";

// Fields.
constexpr int kFieldSort = 1;
constexpr int kFieldFirstPair = 2, kFieldLastPair = 13;
constexpr int kFieldDateFrom = 14, kFieldDateTo = 15;
constexpr int kFieldUnits = 16;    // "Decimal,Fraction"
constexpr int kFieldExclude = 17;  // "Yes,No": leave out products of type 2
constexpr int kRecords = kFieldExclude + 1;  // remembered fields 1-17 and the closing record

// clang-format off
const OptionTableEntry kDetailSortFields[] = {
    {'N', "Product Number", kProdFieldNumber}, {'D', "Description", kProdFieldDescription},
    {'G', "G/L Department", kProdFieldDepartment}, {'B', "Bin", kProdFieldBin},
    {'V', "Vendor", kProdFieldVendor},        {'W', "Warehouse", kProdFieldWarehouse},
    {}};
// clang-format on

// The from field of the pair a sort field opens; 0 when none.
int PairOf(int id) {
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

// The product field a range field of the sort pairs shows.
int FieldIdOfPair(int field) {
  for (const OptionTableEntry* e = kDetailSortFields; e->caption; ++e)
    if (PairOf(e->value) == field - (field % 2)) return e->value;
  return 0;
}

bool IsDateField(int f) { return f == kFieldDateFrom || f == kFieldDateTo; }
bool IsPairField(int f) { return f >= kFieldFirstPair && f <= kFieldLastPair; }

std::uint32_t MruKindOf(int field) {
  switch (field) {
    case kFieldSort: case kFieldUnits: case kFieldExclude: return kMruKindChoice;
    case kFieldDateFrom: case kFieldDateTo: return kMruKindDate;
    default: return kMruKindText;
  }
}

const MruFieldTable<kRecords> kMruTable(MruKindOf);

// What the callbacks share: one per screen run.
struct DetailScreenCtx {
  ProductReportParams* params = nullptr;
  ProductReportParams defaults{};  // the run's defaults, for Shift+F9
  BtrvHandle transactions = 0;
  int sortId = kProdFieldNumber;
  int sortPair = 2;
  Window* window = nullptr;
  Form* form = nullptr;
  ScreenMemory* memory = nullptr;
};

DetailScreenCtx* CtxOf(Form* form) { return static_cast<DetailScreenCtx*>(form->context); }

void ApplySortChoice(DetailScreenCtx* ctx) {
  ctx->sortId = OptionTableValue(ctx->form, kDetailSortFields, kFieldSort);
  ctx->sortPair = PairOf(ctx->sortId);
  OpenOnePair(ctx->form, kFieldFirstPair, kFieldLastPair, ctx->sortPair);
  ShowOpenEnds(ctx->form, ctx->sortPair);
}

// The defaults at the form's start (then what the user last accepted), and
// again on Shift+F9 (the defaults only).
int FillScreen(DetailScreenCtx* ctx, bool start) {
  Form* form = ctx->form;
  const ProductReportParams& p = ctx->defaults;
  if (!start) FieldSetFocus(form, kFieldSort);
  WinWriteRow(ctx->window, 0, kFieldSort, OptionTableText(kDetailSortFields));
  FieldSetChoice(form, kFieldSort, OptionEntryOf(kDetailSortFields, p.sortRange.fieldId));
  for (int f = kFieldFirstPair; f <= kFieldLastPair; ++f) FieldSetText(form, f, "");
  if (const int pair = PairOf(p.sortRange.fieldId)) {
    PutRangeEnd(form, pair, p.sortRange, true);
    PutRangeEnd(form, pair + 1, p.sortRange, false);
  }
  PutRangeEnd(form, kFieldDateFrom, p.rankRange, true);
  PutRangeEnd(form, kFieldDateTo, p.rankRange, false);
  FieldSetChoice(form, kFieldUnits, p.decimalOrFraction ? 1 : 2);
  FieldSetChoice(form, kFieldExclude, p.includeNoInventory ? 2 : 1);
  ScreenMemoryHook(ctx->memory, form, kMruKey, kMruTable.fields, start);
  ApplySortChoice(ctx);
  return start ? 0 : 0x80;
}

int FormStart(Form* form, int) { return FillScreen(CtxOf(form), true); }
int RestoreDefaults(Form* form, KeyCode) { return FillScreen(CtxOf(form), false); }

int SortChosen(Form* form, int) {
  if (LeftBackwards(form)) return 0;
  ApplySortChoice(CtxOf(form));
  return 0x40;
}

int LookUpKey(Form* form, KeyCode) {
  DetailScreenCtx* ctx = CtxOf(form);
  const int field = FormCurrentField(form);
  if (IsDateField(field)) {
    records::InventoryTransaction picked{};
    if (!PickCode1161(nullptr, 0, ctx->transactions, &picked, 4, 9, 13, 60)) return 0x20;
    char date[16] = {};
    FieldSetText(form, field, picked.date ? DateToText(date, picked.date) : "");
    FormRedraw(form);
    return 0x40;
  }
  if (!IsPairField(field)) return 0x20;
  char text[64] = {};
  FieldGetText(form, field, text, sizeof text);
  const int id = FieldIdOfPair(field);
  // The list is in product-number order: only a product number is a place
  // to start it from.
  records::TagProduct picked{};
  if (!PickProduct(id == kProdFieldNumber ? text : nullptr, 0, ctx->params->fileHandle, &picked, 4, 9, 13, 60))
    return 0x20;
  FieldSetText(form, field, ProductFieldText(picked, id).c_str());
  // An end left empty shows as open.
  ShowOpenEnds(form, field - (field % 2));
  FormRedraw(form);
  return 0x40;
}

int Accept(Form* form, KeyCode) {
  DetailScreenCtx* ctx = CtxOf(form);
  ProductReportParams* p = ctx->params;
  // A choice changed and left with Up or Shift+Tab has not opened its pair
  // yet: open it and let the user see it before anything runs.
  if (OptionTableValue(form, kDetailSortFields, kFieldSort) != ctx->sortId) {
    ApplySortChoice(ctx);
    FieldSetFocus(form, kFieldSort);
    return 0x80;
  }
  if (const int r = ReadRangePair(form, p, &p->sortRange, records::kFileProducts, ctx->sortId, ctx->sortPair))
    return r;
  if (const int r = ReadRangePair(form, p, &p->rankRange, records::kFileInventoryTransactions, kTranFieldDate,
                                  kFieldDateFrom))
    return r;
  p->decimalOrFraction = FieldGetChoice(form, kFieldUnits) == 1 ? 1 : 0;
  p->includeNoInventory = FormYesNoGet(form, kFieldExclude) == 'N' ? 1 : 0;
  return 1;
}

}  // namespace

int ProductDetailSelection(ProductReportParams* params, BtrvHandle transactions) {
  SelectionScreen s;
  if (OptionTableLoad(kDetailSortFields, &s.choices[0]) != 0) return 1;
  if (!s.Load(kFormNumber)) return 1;
  for (TagFormField& f : s.fields) {
    const int n = f.number;
    if (n == 0) break;
    if (n == kFieldSort) {
      SetChoiceFieldMask(f, s.choices[0]);
      f.exitCallback = SortChosen;
    } else if (IsDateField(n)) {
      f.exitCallback = OpenDateFieldExit;
      f.entryCallback = FieldEntryDateHook;
    } else if (IsPairField(n)) {
      f.exitCallback = n % 2 == 0 ? RangeFieldEnter : RangeFieldExit;
      f.entryCallback = RangeFieldFocus;
    }
  }
  // A screen whose fields cannot be made runs nothing: the report stops
  // rather than run on values nobody saw.
  if (!s.Create()) return 1;

  DetailScreenCtx ctx;
  ctx.params = params;
  ctx.defaults = *params;
  ctx.transactions = transactions;
  ctx.form = &s.form;
  ctx.memory = &s.memory;
  ctx.window = params->window;
  ctx.sortId = params->sortRange.fieldId;
  return s.Run(params->window, &ctx, FormStart, RestoreDefaults, LookUpKey, Accept, kRecords);
}
