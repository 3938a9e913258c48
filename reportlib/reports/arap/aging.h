// The customer (command 337) and vendor (command 344) aging report.
#pragma once

// Entry of commands 337 and 344, called with the command id (344 payables,
// any other receivables) and the parameter text: null or empty runs the
// selection screen, a report parameter string presets it or runs the report
// unattended.  Returns 0, 27 after a user break.
int RunCustVendAging(int commandId, const char* parameterText);
