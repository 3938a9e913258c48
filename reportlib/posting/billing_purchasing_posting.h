// Billing and purchase-order posting (commands 324 and 325): carries the
// unposted purchase orders or invoices into the ledgers, the products and
// the check register.
#pragma once

// Entry of commands 324 (`purchasing` 1) and 325 (`purchasing` 0).
// Returns 0.
int RunBiPoPost(int purchasing);
