// Forecast and year-to-date statistics reports of customers and vendors
// (commands 366, 368, 371, 373) and of inventory (commands 381, 383).
#pragma once

// Entries called with the command id, which chooses the file and the
// report.  Each returns 0.
int RunCustVendForecastReport(int commandId);
int RunInventoryForecastReport(int commandId);
