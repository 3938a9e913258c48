// Account budgets (command 361): edits a general-ledger account's budget
// period by period for the current fiscal year.
#pragma once

// Entry of command 361.  Returns the account search list's result, 1 when
// the account file cannot be opened.
int RunEditAccountBudget();
