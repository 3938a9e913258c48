// The range walk of the forecasts: the master records of one file whose
// order field lies between a From and a To, read in that order.
//
// The forecast calculation and the forecast and statistics reports select
// the same way: a file (products, services, customers or vendors), an order
// (1 the code, then the file's other orders: department, vendor, bin,
// salesperson, type, territory) and the From/To texts of that order's
// field.  An order other than the code is read through a temporary index on
// its field, then the code, so the range is one contiguous stretch of that
// order: the walk starts at From and ends at the first record past To, and
// a large file is not scanned whole.  Texts compare by the system's one
// text rule (without regard to case, trailing blanks ignored), as the index
// sorts them.  An empty From or To is an open end.
//
//   ForecastRange range(file, handle, order, from, to);
//   switch (range.Start(record)) { case kRangeFirst: ... }
//   do { ... } while (NextRecordInRange(&range, record));
//   if (range.Failed()) ...                         // a read error, shown
//
// The index lives as long as the ForecastRange (or until DropIndex).
// Everything runs on the UI thread; failures are shown here, once.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "btrvc.h"
#include "range_criteria.h"

namespace forecast {

// One order of a master file: the field it tests.
struct ForecastOrder {
  std::size_t offset;  // the field in the record
  std::size_t length;  // its stored length (NUL-ended when shorter)
  int indexKind;       // the field dictionary's number the temporary index sorts on; 0: the file's code order
  int width;           // characters of the field's range ends and of the key they start at
};

// The orders of master file `fileNo` (22, 66, 43, 52), order 1 first;
// empty for another file.  Products offer Code, Department, Vendor and Bin;
// services Code and Department; customers Code, Department and Salesperson;
// vendors Code, Type and Territory.
std::span<const ForecastOrder> ForecastOrdersOf(int fileNo);

// The order `order` (1-based) of `fileNo`; an order the file does not have
// is the code order.
const ForecastOrder& ForecastOrderOf(int fileNo, int order);

// Makes the read order of `order` current on `handle` (open on `fileNo`):
// the code order needs nothing; any other gets a temporary index on its
// field, then the code.  Returns 0 when the walk can go on; otherwise the
// status after the message that said why (TempIndexCreate's), and no index
// is left behind.
int CreateForecastSortIndex(int order, int fileNo, BtrvHandle handle);

// How the walk began.
enum RangeStart {
  kRangeFirst,        // the first record in range is in the buffer
  kRangeEmpty,        // no record lies in the range (nothing shown)
  kRangeIndexFailed,  // the order's index could not be built (the reason shown)
  kRangeReadFailed,   // reading failed (the record-manager error box shown)
};

class ForecastRange {
 public:
  // A walk of `fileNo` through `handle` in `order`, From and To as typed
  // (cut to the order's width; blank is open).
  ForecastRange(int fileNo, BtrvHandle handle, int order, std::string_view from, std::string_view to);
  ~ForecastRange() { DropIndex(); }
  ForecastRange(const ForecastRange&) = delete;
  ForecastRange& operator=(const ForecastRange&) = delete;

  // Builds the order's index and reads the first record of the range into
  // `record` (the file's record length).
  RangeStart Start(void* record);

  // The next record of the range into `record`: true when there is one;
  // false at the end of the range or the file, or after a read error (shown;
  // Failed() then tells).
  bool Next(void* record);

  // True when `record`'s order field lies in the range (a record read
  // again after the walk may have moved out of it).
  bool Contains(const void* record) const;

  bool Failed() const { return failed_; }
  int fileNo() const { return fileNo_; }
  const ForecastOrder& order() const { return *order_; }

  // Drops the order's index (also done when the walk goes).
  void DropIndex();

 private:
  // One read by `op` and the range test of what it read.
  bool Step(int op, void* record);

  int fileNo_;
  BtrvHandle handle_;
  int orderNumber_;
  const ForecastOrder* order_;
  RangeCriterion range_{};
  char key_[255] = {};
  bool indexMade_ = false;
  bool failed_ = false;
};

// One step of the walk: ForecastRange::Next.
inline bool NextRecordInRange(ForecastRange* range, void* record) { return range->Next(record); }

}  // namespace forecast
