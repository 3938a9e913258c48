// The cash receipts (command 311) and cash disbursements (command 312)
// reports.
#pragma once

// Entry of commands 311 (`kind` 'R', receipts) and 312 (`kind` 'P',
// disbursements).  Returns 0.
int RunCashRecDisReport(char kind);
