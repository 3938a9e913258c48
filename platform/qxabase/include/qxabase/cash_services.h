// Services of the base library for cash transactions (cash headers, file 18):
// the control account an application of receivables or payables goes to,
// and which payments are checks still waiting to be printed.
//
// A receipt or payment applied to invoices (distribution 'R' or 'P') moves
// money out of or into the receivables or payables account of the customer
// or vendor it was paid by or to.  A customer or vendor may name an account
// of its own (its record's account, offset 707); when it names none the
// company's control account of "0Interface" applies, which the caller knows.
//
// Everything runs on the UI thread; nothing here throws.
#pragma once

#include "btrvc.h"
#include "records/transactions.h"

// The paid-to party's own receivables or payables account.  Reads the
// customer or vendor named by `header`'s paid-to code through `custVendFile`
// (the caller's open customers (22) or vendors (66) file, read in key 0;
// its key and position are put back) and copies its account into `account`
// (at least 12 bytes: the code without trailing blanks, NUL-ended).  Returns
// non-zero when the party is on file and names an account; 0 otherwise
// (`account` then holds ""), and the caller takes the control account of its
// side.  A read that fails otherwise than "not found" shows the
// record-manager error box (file 22 for a receivables application, 66 for
// any other) and answers 0.
int CashJournalLineTest(char* account, const records::CashHeader* header, BtrvHandle custVendFile);

// Non-zero for a check still to be printed: a payment of type 'C' (a check
// the system prints) whose check-printed field is 0, not deleted in entry.
// Journals and cash reports show such a payment with a type text of its own.
int CashTranTest(const records::CashHeader* header);
