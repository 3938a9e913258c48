// The product activity detail report (command 359).
#pragma once

// Entry of command 359.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended.  Returns 0.
int RunProductActivityDetail(const char* parameterText);
