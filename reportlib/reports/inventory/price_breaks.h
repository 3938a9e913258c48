// The price breaks report (command 353).
#pragma once

// Entry of command 353.  Returns 0.
int RunPriceBreaksReport();
