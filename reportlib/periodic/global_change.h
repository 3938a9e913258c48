// Global change (command 393): sets one field to one value in every
// customer, vendor, product or salesperson record within a range.
#pragma once

// Entry of command 393.  Returns 1 when a change run took place, else 0.
int RunGlobalChange();
