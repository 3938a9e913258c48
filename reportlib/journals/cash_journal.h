// The cash journal (command 310): the edit list of the unposted cash
// receipts and disbursements.
#pragma once

// Entry of command 310.  Returns 0, 27 when the journal could not be set up.
int RunCashJournal();
