// The product price listing (command 352).
#pragma once

// Entry of command 352.  Returns 0.
int RunProductPriceListing();
