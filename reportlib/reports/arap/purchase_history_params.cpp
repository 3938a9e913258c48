// The customer purchase history's parameter string and saved run.
#include "reports/arap/purchase_history_params.h"

#include <cstring>
#include <string_view>

#include "param_dates.h"
#include "selection_words.h"

ParamStatus CPurchaseHistParamString::SetParam(std::string_view key, std::string_view value) {
  PurchaseHistParams* r = record();
  if (r == nullptr) return ParamStatus::kNoRecord;
  if (key == "input") return StoreKeyword(r->input, value);
  if (key == "output") return StoreText(r->output, value);
  if (key == "cdno") return StoreText(r->customerCode, value);
  if (key == "datebeg") return ParseDate(value, r->dateFrom);
  if (key == "dateend") return ParseDate(value, r->dateTo);
  return ParamStatus::kUnknownKey;
}

bool PurchaseHistWriteParams(const PurchaseHistParams& params, CReportParamString* out) {
  const std::string_view code(params.customerCode, strnlen(params.customerCode, sizeof params.customerCode));
  return out->WriteParam("input", "usersel", true) && out->WriteParam("cdno", code, false) &&
         out->WriteDateParam("datebeg", params.dateFrom, false) &&
         out->WriteDateParam("dateend", params.dateTo, false);
}

std::string PurchaseHistSelectionWords(const PurchaseHistParams& params) {
  char from[16] = {}, to[16] = {};
  if (params.dateFrom) ParamDateToText(params.dateFrom, from, sizeof from);
  if (params.dateTo) ParamDateToText(params.dateTo, to, sizeof to);
  SelectionWords words;
  words.Named("Customer", std::string_view(params.customerCode, strnlen(params.customerCode, sizeof params.customerCode)));
  words.Named("Sale dates", SelectionWords::RangeText("", from, to).substr(2));
  return words.Text();
}
