// Pick lists of G/L accounts: the F5 look-up of the screens that take an
// account code.
//
// A search list over the caller's open accounts file (file 1), in code order,
// showing each account's code, name, kind and type; typing finds the first
// code at or after the text typed (without regard to letter case).  The
// handle's current key is put back when the list ends.  The window is `top`,
// `left`, `rows`, `cols` on the screen, frame included.
#pragma once

#include "btrvc.h"

// Starts at `text` (may be null or blank: the first account).  Returns 1
// when an account was chosen with Enter (its 569-byte record in `record`),
// 0 after Esc or when the chart of accounts is empty (`record` unchanged).
// The trailing arguments are kept for the callers (0, 1).
int PickCode1050(const char* text, int reserved, BtrvHandle accounts, void* record, int top, int left, int rows,
                 int cols, int = 0, int = 1);

// The same starting at the code in `code` (may be null), as the on-line
// balance calls it; the chosen account's code (up to 10 characters) is also
// written into `code` (at least 11 bytes) when it is not null.
int PickAccount(char* code, BtrvHandle accounts, void* record, int top, int left, int rows, int cols,
                int = 0);
