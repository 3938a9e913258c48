// Pick lists of customers, vendors and salespeople: the F5 look-up of the
// selection screens.
//
// Each opens a search list over the caller's open file, in code order
// (key 0), showing each record's code and name; typing finds the first code
// at or after the text typed (without regard to letter case).  `text` (may
// be null or blank) is where the list starts.  The window is `top`, `left`,
// `rows`, `cols` on the screen, frame included.  The handle's current key is
// put back when the list ends; its position is the caller's to restore.
//
// Each returns 1 when a record was chosen with Enter (its image written into
// `record`), 0 when the list was left with Esc, or the file holds no record
// (the record is then unchanged).  Trailing arguments are kept for the
// callers' sake (0, and 1 for "show the name").
#pragma once

#include "btrvc.h"

// Customers (file 22): `record` receives the 795-byte customer record.
int PickCustomer(const char* text, int reserved, BtrvHandle customers, void* record, int top, int left,
                 int rows, int cols, int = 0, int = 1);

// Vendors (file 66): `record` receives the 795-byte vendor record.
int PickVendor(const char* text, int reserved, BtrvHandle vendors, void* record, int top, int left,
               int rows, int cols, int = 0, int = 1);

// Salespeople (file 56, the look-up file of the customer screens): the
// chosen code is written into the salesperson field of `record`, a customer
// record image (records::CustVendRecord::salesperson), and nothing else of
// it changes.
int PickCustomerByKey(const char* text, int reserved, BtrvHandle salespeople, void* record, int top, int left,
                      int rows, int cols, int = 0);
