// Open-invoice lines written outside posting: a line deleted, rewritten or
// added by a period-end process, with the header of its invoice kept in step
// (QxOIHeader, qxabase/open_invoices.h).
//
// Each operation works on the caller's handles: `lines` the open-invoice
// line file (5 receivables, 2 payables), `headers` its header file (72, 71),
// the same handles the caller gave its QxOIHeader.  None of them opens a
// record-manager transaction: the caller brackets its work (PostUnitBegin,
// PostUnitCommit of qxabase/posting.h) so that a line and its header change
// together.  Everything runs on the UI thread; nothing here throws; nothing
// is shown.
#pragma once

#include "btrvc.h"
#include "qxabase/open_invoices.h"
#include "records/masters.h"

// Deletes the current record of `lines`, which the caller read as `line`.
// The header of its invoice moves by what the line counted in it; an invoice
// left without lines loses its header (it is settled).  Returns 0, or the
// status of the failing step (the line's delete, or the header's, also then
// in oiHeader->GetResultError()).  `lines` keeps its current key; its
// current record is gone, so the caller's walk goes on with get next.
int OpenInvoiceLineDelete(QxOIHeader* oiHeader, BtrvHandle headers, BtrvHandle lines,
                          const records::TagOpenInvoice& line);

// Rewrites the current record of `lines` (read as `stored`) as `line`; the
// header of its invoice (or of both invoices, when the line moves to
// another) moves by the change, and an invoice the line leaves without lines
// loses its header.  Returns 0, or the failing status.
int OpenInvoiceLineRewrite(QxOIHeader* oiHeader, BtrvHandle headers, BtrvHandle lines,
                           const records::TagOpenInvoice& stored, const records::TagOpenInvoice& line);

// Adds `line` to the line file of `ledgerFileNo`'s ledger (`mode` 2 insert;
// any other mode answers 1).  The line is numbered first: its item number
// (key 3) becomes one above the highest in the file.  The header of its
// invoice counts it (an invoice without a header gets one).  `settings` is
// kept for the callers.  The handle `lines` is left on key 3 with the new
// line current: a caller walking another key saves its key and position
// before and restores them after.  Returns 0, or the failing status.
int RecPayTranWrite(int mode, BtrvHandle settings, BtrvHandle lines, int ledgerFileNo,
                    records::TagOpenInvoice* line, QxOIHeader* oiHeader);
