// Receivables and payables end of period (commands 365 and 370): clears the
// open-invoice lines that the period has settled.
#pragma once

// Entry of commands 365 (receivables) and 370 (payables), called with the
// command id; any id but 365 runs payables.  Returns 0.
int RunArApEndPeriod(int commandId);
