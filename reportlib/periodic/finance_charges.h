// Finance charges (command 364): charges interest on overdue receivables as
// of a chosen date.
#pragma once

// Entry of command 364.  Returns 0.
int RunGenerateFinanceCharges();
