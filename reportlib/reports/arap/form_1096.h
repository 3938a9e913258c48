// The 1096 summary form (command 375): transmits one batch made by the 1099
// run.
#pragma once

// Entry of command 375 (`batchName` null: the batch is chosen on the
// screen) and of the 1099 run (the batch it made).  Returns 0.
int RunPrint1096(const char* batchName);
