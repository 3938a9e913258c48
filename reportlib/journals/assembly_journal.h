// The assembly journal (command 306): the edit list of the unposted
// assembly transactions.
#pragma once

// Entry of command 306.  Returns 0, 27 when the journal could not be set up.
int RunAssemblyJournal();
