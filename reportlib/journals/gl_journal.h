// The general-ledger journal (command 301): the edit list of the period's
// unposted general-ledger transactions, or a listing of chosen ranges.
#pragma once

// Entry of command 301.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the journal
// unattended.  Returns 0.
int RunGLJournal(const char* parameterText);
