#include "tran_drill_params.h"

ParamStatus CTranDrillParamString::SetParam(std::string_view key, std::string_view value) {
  TranDrillParams* r = record();
  if (r == nullptr) return ParamStatus::kNoRecord;

  if (key == "tranno") return StoreText(r->tranNo, value);
  if (key == "mrno") return ParseNumber(value, r->recordNo);
  if (key == "cvno") return StoreText(r->custVendCode, value);
  return ParamStatus::kUnknownKey;
}
