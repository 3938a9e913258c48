// The checks-to-print listing (command 313).
#pragma once

// Entry of command 313.  Returns 0.
int RunChecksToPrint();
