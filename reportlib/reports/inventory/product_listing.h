// The product listing (command 350).
#pragma once

// Entry of command 350.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended.  Returns 0.
int RunProductListing(const char* parameterText);
