// The vendor payments report (command 347).
#pragma once

// Entry of command 347.  Returns 0.
int RunVendorPaymentsReport();
