// The physical-inventory journal (command 307): the edit list of the
// physical counts waiting to be posted.
#pragma once

// Entry of command 307.  Returns 0.
int RunPhysicalInventoryJournal();
