// Customer (command 336) and vendor (command 343) statements.
#pragma once

// Entry of commands 336 and 343, called with the command id: the options
// screen, then the statements to the preview.  Returns 0.
int RunCustVendStatements(int commandId);

// The same run with its report written to `output`: HTML files (a name
// ending in .htm or .html), one per account, the account's code added to
// the name ("st.htm" gives "st-C100.htm"); a text file (any other name);
// or the preview (null or blank).  Returns 0.
int RunCustVendStatementsTo(int commandId, const char* output);
