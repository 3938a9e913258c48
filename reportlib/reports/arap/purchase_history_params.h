// The parameters of the customer purchase history (command 329) and the
// parameter string that carries them.
//
// Keys (any other key is unknown; see ParseMode):
//   "input", "output"     at most 255 characters; input is lower-cased, output
//                         (a file path) keeps its case
//   "cdno"                the customer's code, at most 10 characters
//   "datebeg", "dateend"  the first and last sale date ("mm/dd/yy"); blank
//                         is open (no first date, no last date)
// A value that is too long or not a date fails the parse at that pair; the
// field keeps what it held.
#pragma once

#include <string>

#include <cstdint>
#include <type_traits>

#include "report_param_string.h"

inline constexpr int kMenuCustPurchaseHistory = 329;

struct PurchaseHistParams {
  char input[256] = {};
  char output[256] = {};
  char customerCode[11] = {};  // as entered
  std::int32_t dateFrom = 0;   // day number; 0: from the first
  std::int32_t dateTo = 0;     // day number; 0: to the last
};
static_assert(std::is_trivially_copyable_v<PurchaseHistParams>);

class CPurchaseHistParamString final : public CParamStringFor<PurchaseHistParams> {
 public:
  using CParamStringFor::CParamStringFor;

  ParamStatus SetParam(std::string_view key, std::string_view value) override;
};

// Writes the saved run into `out` (cleared first): input='usersel', cdno,
// datebeg, dateend.  The output is never saved.  False when it does not fit.
bool PurchaseHistWriteParams(const PurchaseHistParams& params, CReportParamString* out);

// The selection in words: "Customer: C100; Sale dates: from 01/01/25 to
// 03/31/25".
std::string PurchaseHistSelectionWords(const PurchaseHistParams& params);
