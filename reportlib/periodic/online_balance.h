// The on-line account balance (command 316): one detail account's posted
// balance with the debits and credits still waiting in every journal.
#pragma once

// Entry of command 316.  Returns 0 after the form ran, 1 when it could not
// be set up.
int RunOnLineBalance();
