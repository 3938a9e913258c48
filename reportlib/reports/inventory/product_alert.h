// The product alert report (command 355).
#pragma once

// Entry of command 355.  Returns 0.
int RunProductAlertReport();
