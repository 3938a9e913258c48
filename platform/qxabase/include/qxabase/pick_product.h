// The pick list of products: the F5 look-up of the product selection
// screens.
//
// It opens a search list over the caller's open product file (file 43) in
// product-number order (key 0), each row showing the product number and the
// description; typing finds the first number at or after the text typed
// (without regard to letter case).  `text` (may be null or blank) is where
// the list starts.  The window is `top`, `left`, `rows`, `cols` on the
// screen, frame included.  The handle's current key is put back when the
// list ends; its position is the caller's to restore.
#pragma once

#include "btrvc.h"

// Returns 1 when a product was chosen with Enter (its 668-byte record image
// written into `record`), 0 when the list was left with Esc or the file
// holds no product (the record is then unchanged).  `reserved` is kept for
// the callers (0).
int PickProduct(const char* text, int reserved, BtrvHandle products, void* record, int top, int left, int rows,
                int cols);
