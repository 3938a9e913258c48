// Inventory posting (command 328): posts the unposted inventory
// transactions dated up to a chosen date.
#pragma once

// Entry of command 328.  Returns 0.
int RunInventoryPost();
