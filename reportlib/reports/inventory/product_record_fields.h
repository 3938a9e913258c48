// Fields of the product record (records::TagProduct) that the product
// reports print and that records/masters.h does not name yet: the selling
// measure, the vendor's part number, the minimum and the reorder quantity.
// They are read here, in one place, from the record's unnamed byte runs;
// once records/ names them these accessors read the named fields.
//
//   selling measure       text of up to 8 characters, bytes 76-84
//   vendor's part number  text of up to 14 characters, bytes 113-127
//   minimum quantity      u32 whole units, bytes 274-277
//   reorder quantity      u32 whole units, bytes 278-281
//
// The buying measure is the record's unit of measure (byte 67), the measure
// its purchase-unit factor counts in; the purchase price is its last cost.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "records/masters.h"

namespace product_fields {

inline std::string_view BuyingMeasure(const records::TagProduct& p) {
  return {p.unitOfMeasure, strnlen(p.unitOfMeasure, sizeof p.unitOfMeasure)};
}

inline std::string_view SellingMeasure(const records::TagProduct& p) {
  const char* text = reinterpret_cast<const char*>(p.unnamed76);
  return {text, strnlen(text, sizeof p.unnamed76)};
}

inline std::string_view VendorPartNumber(const records::TagProduct& p) {
  constexpr std::size_t kWidth = 15;  // 14 characters and the NUL
  static_assert(sizeof p.unnamed113 >= kWidth);
  const char* text = reinterpret_cast<const char*>(p.unnamed113);
  return {text, strnlen(text, kWidth)};
}

inline std::uint32_t MinimumQuantity(const records::TagProduct& p) {
  std::uint32_t v = 0;
  std::memcpy(&v, p.unnamed274, sizeof v);
  return v;
}

inline std::uint32_t ReorderQuantity(const records::TagProduct& p) {
  static_assert(sizeof p.unnamed274 == 2 * sizeof(std::uint32_t));
  std::uint32_t v = 0;
  std::memcpy(&v, p.unnamed274 + sizeof v, sizeof v);
  return v;
}

inline double PurchasePrice(const records::TagProduct& p) { return p.lastCost; }

}  // namespace product_fields
