// The assembly report (command 357) and the component report (command 358).
#pragma once

// Entry of command 357.  Returns 0.
int RunProductAssemblyReport();

// Entry of command 358.  Returns 0.
int RunProductComponentReport();
