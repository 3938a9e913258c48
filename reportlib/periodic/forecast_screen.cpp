// What the forecast screens share: the file and order choices and the
// From/To pair of the order.
#include "periodic/forecast_screen.h"

#include <string>

#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"
#include "records/dictionary.h"

namespace forecast {
namespace {

constexpr int kMsgNothingInRange = 197;

// The order lists: block 370 products (entry 0) and services (1), block 369
// customers (0) and vendors (1).
constexpr int kInventoryOrders = 370;
constexpr int kCustVendOrders = 369;

constexpr int kStateNormal = 0;
constexpr int kStateOutOfUse = 2;

}  // namespace

bool ForecastScreen::LoadOrders() {
  const bool inventory = fileNo_ == records::kFileProducts || fileNo_ == records::kFileServices;
  const int entry = fileNo_ == records::kFileServices || fileNo_ == records::kFileVendors ? 1 : 0;
  const char* texts[2] = {};
  if (ScreenTextLoad(inventory ? kInventoryOrders : kCustVendOrders, texts, 2) != 0) return false;
  orderChoices_ = std::string("\x01") + texts[entry];
  ScreenTextFree(texts);
  return true;
}

void ForecastScreen::HookFields(std::vector<TagFormField>* table) const {
  const bool fromIsOdd = fields_.firstRangeField % 2 == 1;
  for (TagFormField& f : *table) {
    const int n = f.number;
    if (n == 0) break;
    if (n == fields_.kindField) f.exitCallback = OnKindLeft;
    if (n == fields_.orderField) {
      f.exitCallback = OnOrderLeft;
      f.choices = orderChoices_.c_str();
    }
    if (n >= fields_.firstRangeField && n <= fields_.lastRangeField) {
      f.exitCallback = (n % 2 == 1) == fromIsOdd ? RangeFieldEnter : RangeFieldExit;
      f.entryCallback = RangeFieldFocus;
    }
  }
}

void ForecastScreen::Begin(Form* form) { OpenPair(form); }

int ForecastScreen::Order(Form* form) const { return FieldGetChoice(form, fields_.orderField); }

std::string ForecastScreen::From(Form* form) const {
  return FieldText(form, fields_.pairOf(fileNo_, Order(form)));
}

std::string ForecastScreen::To(Form* form) const {
  return FieldText(form, fields_.pairOf(fileNo_, Order(form)) + 1);
}

void ForecastScreen::OpenPair(Form* form) const {
  for (int f = fields_.firstRangeField; f <= fields_.lastRangeField; ++f) FieldSetAccess(form, f, kStateOutOfUse);
  const int pair = fields_.pairOf(fileNo_, Order(form));
  FieldSetAccess(form, pair, kStateNormal);
  FieldSetAccess(form, pair + 1, kStateNormal);
  // The open ends show what they mean before the user comes to them.
  RangeFieldEnter(form, pair);
  RangeFieldExit(form, pair + 1);
}

int ForecastScreen::OnKindLeft(Form* form, int field) {
  ForecastScreen* screen = Of(form);
  const int file = FieldGetChoice(form, field) == 2 ? records::kFileServices : records::kFileProducts;
  if (file != screen->fileNo_) {
    screen->fileNo_ = file;
    // A list that cannot be read keeps the one shown (the reason was told).
    if (screen->LoadOrders()) FieldSetChoices(form, screen->fields_.orderField, screen->orderChoices());
    FieldRedraw(form, screen->fields_.orderField);
  }
  screen->OpenPair(form);
  return 0x40;
}

int ForecastScreen::OnOrderLeft(Form* form, int) {
  Of(form)->OpenPair(form);
  return 0x40;
}

int StartOrRefuse(ForecastRange* range, void* record) {
  switch (range->Start(record)) {
    case kRangeFirst: return 0;
    case kRangeIndexFailed: return 0x20;
    case kRangeEmpty: MsgShow(kMsgNothingInRange); return 1;
    case kRangeReadFailed: return 1;
  }
  return 1;
}

}  // namespace forecast
