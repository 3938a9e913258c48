// Price assignment (command 380): sets the prices of a range of products by
// a rule.
#pragma once

// Entry of command 380.  Returns 0.
int RunPriceAssignment();
