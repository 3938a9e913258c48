// The receivables and payables journals (commands 302 and 303): edit lists
// of the unposted receivables and payables transactions.
#pragma once

// Entry of commands 302 (receivables) and 303 (payables), called with the
// command id.  Returns 0 after a run, 27 when the journal could not be set up.
int RunArApJournal(int commandId);
