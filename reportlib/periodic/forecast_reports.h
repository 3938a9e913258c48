// Forecast and year-to-date statistics reports of customers and vendors
// (commands 366, 368, 371, 373) and of inventory (commands 381, 383).
//
// A selection screen chooses an order and a From/To range of it (and, for
// inventory, products or services); F10 prints slots 0-3 of each record's
// statistics groups, a row per group with its variance and percentage, to
// the preview, then the totals of the range.
#pragma once

// Entries called with the command id, which chooses the file and the
// report.  Each returns 0 after the screen was shown and left (or when its
// form definition could not be read), 27 when its fields could not be made,
// or the record-manager status of opening its files.
int RunCustVendForecastReport(int commandId);
int RunInventoryForecastReport(int commandId);
