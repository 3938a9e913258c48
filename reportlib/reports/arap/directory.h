// The customer (command 338) and vendor (command 345) directory.
#pragma once

// Entry of commands 338 and 345, called with the command id and the
// parameter text (null or empty: the selection screen).  Returns 0.
int RunCustVendDirectory(int commandId, const char* parameterText);
