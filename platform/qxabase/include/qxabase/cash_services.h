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

struct TagPostWork;

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

// Removes a cash transaction (file 18, through `headers`) with its lines
// (file 17, through `lines`, key 0: the header's first 18 bytes).  A header
// that a walk of `headers` stands on is deleted in place, so that the walk
// goes on after it; another is found by key 0.  The open invoices its lines
// applied to stay: posted, they are the accounts' open items.  `mode` (4),
// `openInvoices`, `reserved`, `line` and `spare` are kept for the callers
// (the line read last is left in `line` when given).  Returns 0, or the
// status with the work record filled.  The deletes belong to the posting
// unit that is open (or are a unit of their own).
int OpenInvoiceRemove(int mode, BtrvHandle headers, BtrvHandle lines, BtrvHandle openInvoices, int reserved,
                      const records::CashHeader* header, records::CashLine* line, void* spare, TagPostWork* work);
