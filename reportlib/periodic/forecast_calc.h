// Forecast calculation: the customer and vendor forecasts (commands 367 and
// 372) and the inventory forecast (command 382).
#pragma once

// Entries called with the command id.  Each returns 0.
int RunCustVendForecastCalc(int commandId);
int RunInventoryForecastCalc(int commandId);
