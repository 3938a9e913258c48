// Account budgets (command 361): edits a general-ledger account's budget
// period by period for the current fiscal year.
//
// The user picks accounts from a list, one after another; each opens the
// budget form (one amount per period of "0Periods" with its label, and the
// total).  Saving a detail account adds each period's change to every
// account above it in the account tree, in one record-manager transaction;
// a summary account is only shown.
#pragma once

// Entry of command 361.  Returns 0 once the account list is left, 1 when
// the account file cannot be opened.
int RunEditAccountBudget();
