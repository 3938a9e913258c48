// Pick lists of the small code files: tax codes (file 58), terms codes
// (file 57) and message codes (file 35), the F5 look-ups of the screens that
// take such a code.
//
// Each opens a search list over the caller's open file in code order (key
// 0); typing finds the first code at or after the text typed (without
// regard to letter case).  `text` (may be null or blank) is where the list
// starts.  The window is `top`, `left`, `rows`, `cols` on the screen, frame
// included.  The handle's current key is put back when the list ends.
// Each returns 1 when a code was chosen with Enter (its record image
// written into `record`), 0 when the list was left with Esc or the file
// holds no code (`record` unchanged).  `reserved` is kept for the callers
// (0).
#pragma once

#include "btrvc.h"

// Tax codes: each row the code and its billing and purchasing rates;
// `record` receives the 995-byte tax code record.
int PickCode1200(const char* text, int reserved, BtrvHandle taxCodes, void* record, int top, int left, int rows,
                 int cols);

// Terms codes: each row the code and its terms; `record` receives the
// terms record.
int PickCode1210(const char* text, int reserved, BtrvHandle terms, void* record, int top, int left, int rows,
                 int cols);

// Message codes: each row the code and its message; `record` receives the
// message code record.
int PickCode1130(const char* text, int reserved, BtrvHandle messages, void* record, int top, int left, int rows,
                 int cols);
