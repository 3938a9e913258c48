// The parameters of a drill-down link to a transaction entry screen, and the
// parameter-string class that reads them.
//
// The reports write these links (a cell of an open item or a transaction
// line); the entry screens that the links open read them:
//   "tranno"  transaction number, at most 10 characters
//   "mrno"    record number, decimal
//   "cvno"    customer or vendor code, at most 10 characters
// Text fields are NUL-terminated.  A value that is too long, or a record
// number that is not a number, fails the parse; the field keeps what it held.
#pragma once

#include <cstdint>
#include <type_traits>

#include "report_param_string.h"

struct TranDrillParams {
  char tranNo[11];
  std::int32_t recordNo;
  char custVendCode[11];
};

static_assert(std::is_trivially_copyable_v<TranDrillParams>);

class CTranDrillParamString final : public CParamStringFor<TranDrillParams> {
 public:
  using CParamStringFor::CParamStringFor;

  ParamStatus SetParam(std::string_view key, std::string_view value) override;
};
