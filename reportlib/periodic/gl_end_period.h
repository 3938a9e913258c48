// General-ledger end of period (command 360, report id "RSGLEndPeriod"):
// closes the fiscal periods of "0Periods" up to a date the user gives.
//
// The period that holds the date, and every earlier period still open, are
// marked closed ('C') and `nextOpenPeriod` moves past the date's period, but
// only when none of the seven transaction ledgers (general ledger,
// receivables, payables, cash, billing, purchasing, assembly) holds an
// unposted transaction dated inside those periods.  Nothing else changes: no
// balance is touched.  The year close requires every period of the year to
// have been closed here first.
#pragma once

// Entry of command 360, called by the command dispatcher.  Shows the closing
// screen (a date, today's by default, and its period); F10 closes the periods
// up to that date, Esc leaves without change.  The "0Periods" record is held
// locked from the screen's start to the command's end, and every lock on the
// settings file is released on every way out.  When a ledger holds unposted
// transactions in the stretch, or the record manager fails while the ledgers
// are read, the failure is shown and nothing is written.  Returns 0.
int RunGLEndPeriod();
