// Forecast calculation: the customer and vendor forecasts (commands 367 and
// 372) and the inventory forecast of products or services (command 382).
//
// A selection screen chooses a method, a percentage, an order and a From/To
// range of that order; F10 fills the forecast slot (3) of every statistics
// group of each record in the range from the slots before it and rewrites
// the record, nothing else of it changed.  A run is one record-manager
// transaction: a failure part way leaves every record as it was.
#pragma once

#include <cstdint>

#include "periodic/statistics_groups.h"

// Entries called with the command id (367 customers, 372 vendors; 382).
// Each returns 0 after the screen was shown and left, 27 when its fields
// could not be made, or the record-manager status of opening its files.
int RunCustVendForecastCalc(int commandId);
int RunInventoryForecastCalc(int commandId);

// The methods, as the method list numbers them.
enum ForecastMethod : int {
  kForecastPreviousYear = 1,     // this year again
  kForecastPreviousPercent = 2,  // this year, up or down by the percentage
  kForecastPreviousTrend = 3,    // this year plus this year's change, never below 0
  kForecastTrendLine = 4,        // this year's change over two years plus the three years' mean
};

// Slot 3 of a group by `method` from slots 0-2 of `slots` (slot 3 is what
// an unknown method leaves).  `percent` is the percentage as typed (7.5 for
// 7.5 %; negative lowers); the percentage's share is taken to 6 decimals.
// A count group's results are whole (a share truncated toward zero, a mean
// by integer division) and held within the int32 range; dollars are kept
// to the cent.
std::int32_t ForecastCount(int method, double percent, const std::int32_t (&slots)[4]);
double ForecastAmount(int method, double percent, const double (&slots)[4], periodic::GroupKind kind);

// Fills slot 3 of every group of `record`, a record of `file`.
void ForecastRecord(int method, double percent, const periodic::StatisticsFile& file, unsigned char* record);
