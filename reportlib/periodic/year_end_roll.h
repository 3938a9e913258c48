// Year-end roll of the yearly statistics: customers (command 369), vendors
// (command 374), products and services (command 384).
#pragma once

// Entry of commands 369 and 374, called with the file number: 22 customers,
// 66 vendors.  Returns 0.
int RunCustVendYearEnd(int fileNo);

// Entry of command 384.  Returns 0, or the record-manager status that ended
// the product walk.
int RunInventoryYearEnd();
