// General-ledger year close (command 362): closes the fiscal year once all
// its periods are closed and rolls the accounts' figures by one year.
#pragma once

// Entry of command 362.  Returns 0.
int RunGLYearClose();
