// Customer (command 336) and vendor (command 343) statements.
#pragma once

// Entry of commands 336 and 343, called with the command id: the options
// screen, then the statements to the preview.  Returns 0.
int RunCustVendStatements(int commandId);

// The same run with its report written to `output`: an HTML file (a name
// ending in .htm or .html), a text file (any other name), or the preview
// (null or blank).  Returns 0.
int RunCustVendStatementsTo(int commandId, const char* output);
