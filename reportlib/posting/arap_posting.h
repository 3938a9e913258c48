// Receivables and payables posting (commands 321 and 322): carries the
// unposted receivables or payables transactions into the customers or
// vendors, their open invoices and the general ledger.
#pragma once

// Entry of commands 321 (`receivables` 1) and 322 (`receivables` 0).
// Returns 0.
int RunArApPost(int receivables);
