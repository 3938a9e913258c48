// Pieces the product selection screens share.
#include "reports/inventory/product_screen_parts.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "reports/inventory/product_params.h"
#include "reports/inventory/product_selection.h"

namespace {

// The screens' remembered-parameter class.
class ScreenMru final : public CQxRepMRUParam {};

template <std::size_t N>
std::string Trimmed(const char (&field)[N]) {
  std::string s(field, strnlen(field, N));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::string ProductFieldText(const records::TagProduct& p, int fieldId) {
  switch (fieldId) {
    case kProdFieldNumber: return Trimmed(p.number);
    case kProdFieldDescription: return Trimmed(p.description);
    case kProdFieldDepartment: return Trimmed(p.department);
    case kProdFieldBin: return Trimmed(p.bin);
    case kProdFieldVendor: return Trimmed(p.vendor);
    case kProdFieldWarehouse: return Trimmed(p.warehouse);
    default: return "";
  }
}

int ReadRangePair(Form* form, const ProductReportParams* params, RangeCriterion* range, int fileNo, int id,
                  int pair) {
  char from[256] = {}, to[256] = {};
  const bool fromOpen = pair == 0 || FieldGetTyped(form, pair, 0, from) == 1;
  const bool toOpen = pair == 0 || FieldGetTyped(form, pair + 1, 0, to) == 1;
  if (!fromOpen) FieldGetText(form, pair, from, sizeof from);
  if (!toOpen) FieldGetText(form, pair + 1, to, sizeof to);
  const int result =
      SetProductRangeCriterion(params, range, fileNo, id, fromOpen ? nullptr : from, toOpen ? nullptr : to);
  if (result == kRangeOk) return 0;
  MsgShow(result == kRangeBadValue && ProductFieldKind(fileNo, id) == RangeKind::kDate ? kMsgInvalidDate
                                                                                         : kMsgFromAfterTo,
          1);
  FieldSetFocus(form, pair);
  return 0x80;
}

void ScreenMemoryHook(ScreenMemory* memory, Form* form, const char* key, const TAG_REPORT_MRU_FIELD* fields,
                      bool start) {
  if (!start) {
    if (memory->collection) memory->collection->RestoreAll();
    return;
  }
  if (memory->collection) memory->collection->BackupAll();
  if (key == nullptr || !CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return;
  delete memory->mru;
  memory->mru = new (std::nothrow) ScreenMru;
  if (memory->mru == nullptr) return;
  memory->mru->Initialize(SharedAppBlockGet()->userName, key, fields);
  if (memory->mru->LoadAllFields()) memory->mru->StructToScreen(form);
}

SelectionScreen::~SelectionScreen() {
  if (begun_) FormEnd(&form);
  for (char* c : choices) MemFree(c);
  CQxBaseRepParam::ReportDefAndMRUFree(memory.copy, memory.collection, memory.mru);
}

bool SelectionScreen::Load(int number) {
  if (FormDefLoad(&def, number) != 0) return false;
  fields = def.fields;
  return true;
}

bool SelectionScreen::Create() {
  FormBegin(&form);
  begun_ = true;
  if (!FormFieldsCreate(&form, fields.data(), 1)) return false;
  FormDefUse(&form, &def);
  return true;
}

int SelectionScreen::Run(Window* window, void* context, FormStartHook start, FormKeyHandler defaults,
                         FormKeyHandler lookUp, FormKeyHandler accept, int records) {
  form.context = context;
  form.startHook = start;
  form.eventHook = FormStandardHook;
  if (window) {
    std::snprintf(form.reportId, sizeof form.reportId, "%s", window->reportId);
    FormAttachWindow(window, &form, 1);
  }
  FormSetup(&form, 1, -1);
  FormOnKey(&form, kKeyShiftF9, defaults, "Defaults");
  FormOnKey(&form, kKeyF5, lookUp, "Look up");
  FormOnKey(&form, kKeyF10, accept, "Run");
  if (!CQxBaseRepParam::RunRemembered(memory.copy, memory.collection, memory.mru, &form, records)) return 27;
  return 0;
}
