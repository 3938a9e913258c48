// Stored amounts and quantities: the largest the system holds.
//
// Money is a double rounded to cents, quantities a double too.  The widest
// amount column of any report or screen holds 14 characters ("%14.2f": a
// sign, ten digits, the point and two decimals), so nothing beyond
// ±9,999,999,999.99 can be shown.  In whole cents that is below 10^12: far
// inside the 2^53 cents a double holds exactly, and a 64-bit sum of cents
// holds more than nine million such amounts.  A stored number that is not
// finite, or lies beyond the bound, cannot have been entered or posted: it
// is damage.  The loader refuses it, and a report or posting that meets one
// says which record holds it and stops without totals (qxabase/messages.h,
// RecordAmountsCheck).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "records/dictionary.h"

namespace records {

inline constexpr double kLargestAmount = 9'999'999'999.99;

// True for a finite number within ±kLargestAmount (false for NaN).
constexpr bool IsSoundAmount(double value) { return value >= -kLargestAmount && value <= kLargestAmount; }

// The first number of a record (an 8- or 4-byte number of its layout, in
// sub-records and arrays too) that is not sound, in field order.
struct UnsoundNumber {
  std::string field;  // "amount", "periodAmounts[3]", "entries[2].budget"
  double value = 0;
};

// Looks through the record `image` of `file` (its layout as LayoutOf gives
// it; a record of no known layout has nothing to look at).  True, with *out
// filled, when a number is not sound.
bool FindUnsoundNumber(const FileDef& file, std::span<const std::uint8_t> image, UnsoundNumber* out);

}  // namespace records
