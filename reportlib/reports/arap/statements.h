// Customer (command 336) and vendor (command 343) statements.
#pragma once

// Entry of commands 336 and 343, called with the command id.  Returns 0.
int RunCustVendStatements(int commandId);
