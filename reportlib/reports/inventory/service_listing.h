// The service listing (command 351).
#pragma once

// Entry of command 351.  Returns 0.
int RunServiceListing();
