// Physical-inventory posting (command 327): sets each counted product's
// quantity on hand to its count.
#pragma once

// Entry of command 327.  Returns 0.
int RunPhysicalInventoryPost();
