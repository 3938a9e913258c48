// Physical-inventory count entry (command 391): the grid in which counted
// quantities are entered, one count record per product.
#pragma once

// Entry of command 391.  Returns 0.
int RunPhysicalInventoryEntry();
