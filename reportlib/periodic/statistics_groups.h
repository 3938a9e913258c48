// The yearly statistics groups of the master files: where each group of a
// customer, vendor, product and service record lies, what it counts, and
// which unit factor turns its stock units into purchase or sales units.
//
// A group is five numbers of one type, slots 0-4 (records/masters.h): the
// year before last, last year, this year, the forecast, and what posting
// dated in next year already put there.  The year-end roll moves every
// group along; the forecasts fill slot 3 and print slots 0-3 side by side.
// Groups are listed in the order of the record.
#pragma once

#include <cstddef>
#include <span>

namespace periodic {

enum class GroupKind {
  kCount,    // int32: numbers of invoices and of other transactions
  kUnits,    // double: quantities in stock units
  kDollars,  // double: money, kept to the cent
};

struct StatisticsGroup {
  std::size_t offset;  // the group's first slot in the record
  GroupKind kind;
  // Units groups: the offset of the int16 unit factor (stock units per
  // purchase or sales unit) that the printed units are divided by; 0 none.
  std::size_t factorOffset = 0;

  bool IsCount() const { return kind == GroupKind::kCount; }
};

struct StatisticsFile {
  int fileNo;
  unsigned recordLength;
  std::size_t codeLength;  // the record's code at offset 0, NUL-ended when shorter
  std::span<const StatisticsGroup> groups;
};

// The groups of master file `fileNo` (22 customers, 66 vendors, 43
// products, 52 services); null for any other file.
const StatisticsFile* StatisticsFileOf(int fileNo);

}  // namespace periodic
