// The answer of a command whose unit is not part of the library yet.
#pragma once

namespace qxa3 {

// Shows "<what> is not available yet." in a message box of the base library,
// under the running command's title.  `what` names the work in code page 437
// ("General-ledger posting").  The command is marked as not done
// (CommandNotDone).  Returns 0, as the entries do.
int NotAvailableYet(const char* what);

}  // namespace qxa3
