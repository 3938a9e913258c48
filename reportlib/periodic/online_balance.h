// The on-line account balance (command 316): one detail account's posted
// balance with the debits and credits still waiting in every journal (cash,
// billing, general ledger, receivables, payables, the check register), and
// the balance the account will have once they are posted.  Nothing is
// written.
#pragma once

// Entry of command 316.  Starts at the company's cash account; F10 prints
// the account shown, F5 lists the accounts.  Returns 0 after the form ran,
// 1 when it could not be set up.
int RunOnLineBalance();
