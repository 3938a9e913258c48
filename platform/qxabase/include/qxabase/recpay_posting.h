// Posting services of receivables and payables posting beyond those every
// posting run shares (qxabase/posting.h): the batch G/L transaction posted
// into the accounts line by line, with the transaction each line belongs
// to, and the removal of a posted receivables or payables transaction.
//
// Receivables and payables posting gathers the G/L lines of a whole run in
// one batch G/L transaction.  So that each posted transaction stays one unit
// (its marks, its customer or vendor, its open invoice and its share of the
// general ledger committed together), the lines a transaction adds to the
// batch are posted into their accounts in the same unit
// (PostGLLineToAccount), and the batch header is written posted: at every
// commit the batch holds exactly what the accounts have taken in.
//
// Everything runs on the UI thread; nothing here throws.
#pragma once

#include "btrvc.h"
#include "qxabase/posting.h"
#include "records/settings.h"
#include "records/transactions.h"

class QxOIHeader;

// Posts one G/L line into its account: its amount, in the account's natural
// sign, goes to the current balance and to the period amount of
// period->entryIndex.  A negative amount counts on the other side.  Returns
// 0; 4 with the account's code in work->key when the account is not on file
// (file 1); kPostStatusNoPeriod when the period names no entry; or the
// record-manager status of the failing step, the work record filled.  The
// write belongs to the posting unit that is open (or is a unit of its own).
int PostGLLineToAccount(BtrvHandle accounts, const records::GLLine* line, const records::FiscalPeriodInfo* period,
                        TagPostWork* work);

// Removes a receivables (`headerFileNo` 7) or payables (4) transaction: its
// detail lines (file 6 or 3, key 0: "AR" or "AP" and its number) and its
// header.  A header that the walk is on (PostTranRead) is deleted in place,
// so that the walk goes on after it; another is found by its number (key 0).
// The open invoice the transaction applied to stays: posted, it is one of
// the account's open items.  `mode` (4 after posting), `openInvoices` and
// `oiHeader` are kept for the callers.  Returns 0, or the status with the
// work record filled.
int PostRecPayTranRemove(int mode, BtrvHandle headers, BtrvHandle details, BtrvHandle openInvoices,
                         int headerFileNo, const records::TagRecPayHeader* header, TagPostWork* work,
                         QxOIHeader* oiHeader = nullptr);
