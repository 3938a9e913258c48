// The range walk of the forecasts and the temporary index of its order.
#include "periodic/forecast_range.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "qxabase/dictionary.h"
#include "qxabase/messages.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace forecast {
namespace {

using records::CustVendRecord;
using records::ServiceRecord;
using records::TagProduct;

#define QX_ORDER(Rec, member, kind, width) \
  ForecastOrder { offsetof(Rec, member), sizeof(Rec::member), kind, width }

// The second sort field of every index: the code, so that records of one
// department (vendor, bin, ...) follow in code order.
constexpr int kCodeField = 1;

// The field dictionary's numbers of the order fields.
constexpr ForecastOrder kProductOrders[] = {
    QX_ORDER(TagProduct, number, 0, 14),
    QX_ORDER(TagProduct, department, 8, 5),
    QX_ORDER(TagProduct, vendor, 10, 10),
    QX_ORDER(TagProduct, bin, 5, 8),
};
constexpr ForecastOrder kServiceOrders[] = {
    QX_ORDER(ServiceRecord, code, 0, 14),
    QX_ORDER(ServiceRecord, department, 3, 5),
};
constexpr ForecastOrder kCustomerOrders[] = {
    QX_ORDER(CustVendRecord, code, 0, 10),
    QX_ORDER(CustVendRecord, department, 6, 5),
    QX_ORDER(CustVendRecord, salesperson, 7, 5),
};
constexpr ForecastOrder kVendorOrders[] = {
    QX_ORDER(CustVendRecord, code, 0, 10),
    QX_ORDER(CustVendRecord, vendorType, 9, 5),
    QX_ORDER(CustVendRecord, territory, 8, 5),
};
#undef QX_ORDER

static_assert(kProductOrders[1].offset == 85 && kProductOrders[2].offset == 102 && kProductOrders[3].offset == 58);
static_assert(kServiceOrders[1].offset == 46);
static_assert(kCustomerOrders[1].offset == 40 && kCustomerOrders[2].offset == 46);
static_assert(kVendorOrders[1].offset == 58 && kVendorOrders[2].offset == 52);

std::string Cut(std::string_view text, int width) {
  return std::string(text.substr(0, static_cast<std::size_t>(std::max(width, 0))));
}

}  // namespace

std::span<const ForecastOrder> ForecastOrdersOf(int fileNo) {
  switch (fileNo) {
    case records::kFileProducts: return kProductOrders;
    case records::kFileServices: return kServiceOrders;
    case records::kFileCustomers: return kCustomerOrders;
    case records::kFileVendors: return kVendorOrders;
    default: return {};
  }
}

const ForecastOrder& ForecastOrderOf(int fileNo, int order) {
  const std::span<const ForecastOrder> orders = ForecastOrdersOf(fileNo);
  if (orders.empty()) return kProductOrders[0];
  if (order < 1 || order > static_cast<int>(orders.size())) return orders[0];
  return orders[static_cast<std::size_t>(order - 1)];
}

int CreateForecastSortIndex(int order, int fileNo, BtrvHandle handle) {
  const ForecastOrder& o = ForecastOrderOf(fileNo, order);
  if (o.indexKind == 0) return BtrvSetKey(handle, 0, -1);
  return TempIndexCreate(fileNo, handle, o.indexKind, kCodeField, -1);
}

ForecastRange::ForecastRange(int fileNo, BtrvHandle handle, int order, std::string_view from, std::string_view to)
    : fileNo_(fileNo), handle_(handle), orderNumber_(order), order_(&ForecastOrderOf(fileNo, order)) {
  const std::string f = Cut(from, order_->width);
  const std::string t = Cut(to, order_->width);
  RangeCriterionSet(&range_, order_->indexKind, "", RangeKind::kText, f.c_str(), t.c_str());
  if (!range_.fromEmpty) std::memcpy(key_, f.data(), std::min(f.size(), sizeof key_ - 1));
}

void ForecastRange::DropIndex() {
  if (indexMade_) TempIndexDrop(fileNo_, handle_);
  indexMade_ = false;
}

RangeStart ForecastRange::Start(void* record) {
  if (CreateForecastSortIndex(orderNumber_, fileNo_, handle_) != kStatusOk) return kRangeIndexFailed;
  indexMade_ = order_->indexKind != 0;
  if (Step(range_.fromEmpty ? kOpGetFirst : kOpGetGreaterOrEqual, record)) return kRangeFirst;
  return failed_ ? kRangeReadFailed : kRangeEmpty;
}

bool ForecastRange::Next(void* record) { return Step(kOpGetNext, record); }

bool ForecastRange::Step(int op, void* record) {
  const int status = BtrvGetOp(op, handle_, key_, record);
  if (status == kStatusEndOfFile || (status == kStatusKeyNotFound && op != kOpGetNext)) return false;
  if (status != kStatusOk) {
    MsgRecordError(status, 1, op, fileNo_, 0);
    failed_ = true;
    return false;
  }
  return Contains(record);
}

bool ForecastRange::Contains(const void* record) const {
  const char* field = static_cast<const char*>(record) + order_->offset;
  int pastEnd = 0;
  return RangeMatchText(range_, std::string_view(field, strnlen(field, order_->length)), &pastEnd);
}

}  // namespace forecast
