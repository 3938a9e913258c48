// The customer purchase history report (command 329): what one customer
// bought in a date range.
#pragma once

// Entry of command 329.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended.  Returns 0.
int RunCustPurchaseHistory(const char* parameterText);
