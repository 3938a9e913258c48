// The price breaks report (command 353): the price-break tables between two
// table codes chosen on a small screen of its own, each with its code,
// description, type and rounding, then its amount or, for a quantity table,
// its quantity limits and percentages.
#pragma once

// Entry of command 353.  Returns 0.
int RunPriceBreaksReport();
