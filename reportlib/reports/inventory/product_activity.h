// The product activity report (command 354).
#pragma once

// Entry of command 354.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended.  Returns 0.
int RunProductActivityReport(const char* parameterText);
