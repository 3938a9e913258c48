// The inventory transaction journal (command 399): the edit list of the
// unposted inventory transactions.
#pragma once

// Entry of command 399.  Returns 0.
int RunInventoryTransactionJournal();
