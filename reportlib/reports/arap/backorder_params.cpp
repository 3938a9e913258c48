// The back-order status report's parameter string and saved run.
#include "reports/arap/backorder_params.h"

#include <cstring>
#include <string_view>

#include "selection_words.h"

namespace {

std::string_view TextOf(const char (&field)[15]) { return std::string_view(field, strnlen(field, sizeof field)); }

std::size_t TrimmedLength(const char (&field)[15]) {
  std::string_view t = TextOf(field);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  return t.size();
}

}  // namespace

ParamStatus CBackorderParamString::SetParam(std::string_view key, std::string_view value) {
  BackorderParams* r = record();
  if (r == nullptr) return ParamStatus::kNoRecord;
  if (key == "input") return StoreKeyword(r->input, value);
  if (key == "output") return StoreText(r->output, value);
  if (key == "cpbeg") return StoreText(r->firstCode, value);
  if (key == "cpend") return StoreText(r->lastCode, value);
  if (key == "sortby") {
    std::int32_t number = 0;
    const ParamStatus status = ParseNumber(value, number);
    if (status != ParamStatus::kOk) return status;
    if (number != kBackorderByProduct && number != kBackorderByCustomer) return ParamStatus::kBadValue;
    r->sortBy = static_cast<std::uint8_t>(number);
    return ParamStatus::kOk;
  }
  return ParamStatus::kUnknownKey;
}

bool BackorderCodesFit(const BackorderParams& params) {
  const std::size_t most = params.sortBy == kBackorderByCustomer ? kBackorderCustomerChars : kBackorderProductChars;
  return TrimmedLength(params.firstCode) <= most && TrimmedLength(params.lastCode) <= most;
}

bool WriteBackorderSavedRun(const BackorderParams& params, CReportParamString* out) {
  return out->WriteParam("input", "usersel", true) && out->WriteIntParam("sortby", params.sortBy, false) &&
         out->WriteParam("cpbeg", TextOf(params.firstCode), false) &&
         out->WriteParam("cpend", TextOf(params.lastCode), false);
}

std::string BackorderSelectionWords(const BackorderParams& params) {
  // The report's screen: form 340, field 1 the order, 2-5 the codes.
  SelectionWords words(340);
  const char* order = params.sortBy == kBackorderByCustomer ? "Customer" : "Product";
  words.Named(words.Label(1), SelectionWords::RangeText(order, TextOf(params.firstCode), TextOf(params.lastCode)));
  return words.Text();
}
