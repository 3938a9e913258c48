// Where the statistics groups of the master records lie.
#include "periodic/statistics_groups.h"

#include <cstddef>

#include "records/dictionary.h"
#include "records/masters.h"

namespace periodic {
namespace {

using records::CustVendRecord;
using records::ServiceRecord;
using records::TagProduct;

constexpr StatisticsGroup kCustVendGroups[] = {
    {offsetof(CustVendRecord, invoiceCounts), GroupKind::kCount},  // A, 190
    {offsetof(CustVendRecord, otherCounts), GroupKind::kCount},    // B, 210
    {offsetof(CustVendRecord, grossAmounts), GroupKind::kDollars}, // C, 230
    {offsetof(CustVendRecord, costOfGoods), GroupKind::kDollars},  // D, 270
    {offsetof(CustVendRecord, payments), GroupKind::kDollars},     // E, 310
};
constexpr StatisticsGroup kProductGroups[] = {
    {offsetof(TagProduct, purchaseUnits), GroupKind::kUnits, offsetof(TagProduct, purchaseUnitFactor)},  // 370
    {offsetof(TagProduct, salesUnits), GroupKind::kUnits, offsetof(TagProduct, salesUnitFactor)},        // 410
    {offsetof(TagProduct, purchaseDollars), GroupKind::kDollars},                                       // 450
    {offsetof(TagProduct, salesDollars), GroupKind::kDollars},                                          // 490
    {offsetof(TagProduct, costOfSales), GroupKind::kDollars},                                           // 530
    {offsetof(TagProduct, grossProfit), GroupKind::kDollars},                                           // 570
};
constexpr StatisticsGroup kServiceGroups[] = {
    {offsetof(ServiceRecord, salesDollars), GroupKind::kDollars},                                   // 115
    {offsetof(ServiceRecord, salesUnits), GroupKind::kUnits, offsetof(ServiceRecord, unitFactor)},  // 155
};

static_assert(offsetof(CustVendRecord, invoiceCounts) == 190 && offsetof(CustVendRecord, grossAmounts) == 230);
static_assert(offsetof(TagProduct, purchaseUnits) == 370 && offsetof(TagProduct, grossProfit) == 570);
static_assert(offsetof(ServiceRecord, salesDollars) == 115 && offsetof(ServiceRecord, salesUnits) == 155);

constexpr StatisticsFile kFiles[] = {
    {records::kFileCustomers, sizeof(CustVendRecord), sizeof(CustVendRecord::code), kCustVendGroups},
    {records::kFileVendors, sizeof(CustVendRecord), sizeof(CustVendRecord::code), kCustVendGroups},
    {records::kFileProducts, sizeof(TagProduct), sizeof(TagProduct::number), kProductGroups},
    {records::kFileServices, sizeof(ServiceRecord), sizeof(ServiceRecord::code), kServiceGroups},
};

}  // namespace

const StatisticsFile* StatisticsFileOf(int fileNo) {
  for (const StatisticsFile& f : kFiles)
    if (f.fileNo == fileNo) return &f;
  return nullptr;
}

}  // namespace periodic
