// The parameters of the back-order status report (command 340) and the
// parameter string that carries them.
//
// Keys (any other key is unknown; see ParseMode):
//   "input", "output"   at most 255 characters; input is lower-cased, output
//                       (a file path) keeps its case
//   "sortby"            1 by product, 2 by customer
//   "cpbeg", "cpend"    the first and last code of the sort: a product code
//                       (at most 14 characters) or a customer code (at most
//                       10); blank is open
// A value that is too long or not one of its numbers fails the parse at that
// pair; the field keeps what it held.  A code longer than the sort's codes is
// refused when the report starts (BackorderCodesFit), since the order of the
// keys comes after the parse.
#pragma once

#include <string>

#include <cstdint>
#include <type_traits>

#include "report_param_string.h"

inline constexpr int kMenuBackorderStatus = 340;

inline constexpr std::uint8_t kBackorderByProduct = 1;
inline constexpr std::uint8_t kBackorderByCustomer = 2;

// Code lengths of the two sorts.
inline constexpr int kBackorderProductChars = 14;
inline constexpr int kBackorderCustomerChars = 10;

struct BackorderParams {
  std::uint8_t sortBy = kBackorderByProduct;  // kBackorderByProduct or kBackorderByCustomer
  char firstCode[15] = {};  // as entered; blank: from the first
  char lastCode[15] = {};   // as entered; blank: to the last
  char input[256] = {};
  char output[256] = {};
};
static_assert(std::is_trivially_copyable_v<BackorderParams>);

class CBackorderParamString final : public CParamStringFor<BackorderParams> {
 public:
  using CParamStringFor::CParamStringFor;

  ParamStatus SetParam(std::string_view key, std::string_view value) override;
};

// True when both codes fit the codes of the record's sort (a customer code
// holds at most 10 characters).
bool BackorderCodesFit(const BackorderParams& params);

// Writes the saved run into `out` (cleared first): input='usersel', sortby,
// cpbeg, cpend.  The output is never saved.  False when it does not fit.
bool WriteBackorderSavedRun(const BackorderParams& params, CReportParamString* out);

// The same selection in words: "Sorted By: Product, from A to B".
std::string BackorderSelectionWords(const BackorderParams& params);
