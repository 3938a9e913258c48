// The pick list of services: the F5 look-up of the service selection
// screen.
//
// It opens a search list over the caller's open services file (file 52) in
// service-code order (key 0), each row showing the code and the
// description; typing finds the first code at or after the text typed
// (without regard to letter case).  `text` (may be null or blank) is where
// the list starts.  The window is `top`, `left`, `rows`, `cols` on the
// screen, frame included.  The handle's current key is put back when the
// list ends; its position is the caller's to restore.
#pragma once

#include "btrvc.h"

// Returns 1 when a service was chosen with Enter (its 196-byte record image
// written into `record`), 0 when the list was left with Esc or the file
// holds no service (the record is then unchanged).
int PickService(const char* text, BtrvHandle services, void* record, int top, int left, int rows, int cols);
