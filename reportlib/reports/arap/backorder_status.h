// The backorder status report (command 340).
#pragma once

// Entry of command 340.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended.  Returns 0.
int RunBackorderReport(const char* parameterText);
