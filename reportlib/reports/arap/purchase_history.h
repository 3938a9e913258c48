// The customer purchase history report (command 329): what one customer
// bought in a date range.
#pragma once

// Entry of command 329.  `parameterText` (a drill-down link, a saved run or
// a command line; see purchase_history_params.h) names the customer and the
// dates; when it gives neither date, a screen asks for them, opening on
// today's fiscal period.  Without a parameter string no customer is named
// and the run tells that nothing was selected.  Returns 0.
int RunCustPurchaseHistory(const char* parameterText);
