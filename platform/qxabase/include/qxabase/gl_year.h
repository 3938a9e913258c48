// General-ledger services of the year close: the year's total of an account
// kind, and a posting of one amount straight into an account's period.
//
// Amounts are kept in the account's natural sign (qxabase/posting.h): kinds
// 1, 5 and 7 are debit-balance accounts, every other kind a credit-balance
// account.  Both services work on the caller's open accounts file (file 1)
// and keep its current key; the caller draws the record-manager transaction
// around them.  Nothing here shows a message or throws.
#pragma once

#include "btrvc.h"

// The total of this fiscal year's period amounts (entries 0..lastEntry) of
// every account of `kind`, summary accounts ('G', which hold no postings of
// their own) left out; each account counts in its natural sign.  `periods`
// is the year's number of periods (lastEntry is periods - 1 as the callers
// pass it; the smaller of the two bounds is used).  *total receives the
// year's total, *second (may be null) the kind's total of next year's
// periods posted so far (entries 13 .. 13 + lastEntry).  Both rounded to
// cents.  Returns 0, or the record-manager status of the failing read (the
// totals are then 0).
int GLKindYearTotal(int kind, BtrvHandle accounts, int lastEntry, int periods, double* total, double* second);

// Posts `amount` to account `code` (up to 10 characters) on `side` ('D'
// debit, anything else credit) in period entry `entry` (0-25): the account's
// current balance and that period's amount move by it in the account's
// natural sign (a negative amount moves them the other way).  `reserved` is
// kept for the callers (0).  Returns 0; 1 for an entry outside 0-25; else the
// record-manager status of the failing read (4: the account is not on file)
// or rewrite, the account then unchanged.
int GLPostToPeriod(BtrvHandle accounts, const char* code, char side, int reserved, int entry, double amount);
