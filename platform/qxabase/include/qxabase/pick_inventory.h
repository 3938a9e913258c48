// Pick lists of the inventory files: inventory transactions (file 62) and
// master items (file 86), the F5 look-ups of the screens that take a
// transaction's number or date, or a master item's code.
//
// Each is a search list over the caller's open file (qxabase/file_list.h):
// a row per record, typing seeks from the text typed, and the handle's key
// is put back when the list ends.  The window is `top`, `left`, `rows`,
// `cols` on the screen, frame included.  Each returns 1 when a record was
// chosen with Enter (its image written into `record`), 0 after Esc or when
// the file holds no record (`record` unchanged).  `reserved` is kept for the
// callers (0).
#pragma once

#include <string>

#include "btrvc.h"

// Inventory transactions (file 62), in transaction-number order (key 3);
// Shift+F9 switches to item then date (key 1).  Each row shows the number,
// the date, the item and the reference.  `record` receives the 175-byte
// transaction; `text` is a transaction number to start from (null: the
// first).
int PickCode1161(const char* text, int reserved, BtrvHandle transactions, void* record, int top, int left, int rows,
                 int cols);

// Master items (file 86), in code order; each row the code and the
// description.  `record` receives the master item record.
int PickMasterItem(const char* text, int reserved, BtrvHandle masterItems, void* record, int top, int left,
                   int rows, int cols);

// The pieces of the transaction list, for a screen that shows it under a
// title of its own: a row (number, date, item, reference), its heading, and
// the key sought for a typed text in key 3 (a transaction number, right
// justified) or key 1 (an item, from its earliest date).
std::string InventoryTransactionRow(const void* record);
inline constexpr const char* kInventoryTransactionHeading = "Tran. No.  Date     Item           Reference";
void InventoryTransactionSeekKey(int key, const char* text, char* keyBuffer);
