// 1099 forms (command 348).
#pragma once

// Entry of command 348.  Returns 0.
int RunPrint1099();
