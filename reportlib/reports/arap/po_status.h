// The purchase-order status report (command 308).
#pragma once

// Entry of command 308.  Returns 0.
int RunPOStatusReport();
