// General-ledger year close (command 362, report id "RSGLYearClose"): closes
// the fiscal year once all its periods are closed and rolls the accounts'
// figures by one year.
//
// The year's net income (income accounts less expense accounts) is posted to
// the closing account in the year's last period; every account then moves a
// year on (this year's periods become last year's, next year's become this
// year's; income and expense accounts start the year at zero), the tax codes
// and salespersons move their period amounts likewise, and "0Periods" moves
// one year on with next year's periods fresh and open.  The whole close is
// one record-manager transaction: it is committed whole or leaves the books
// as they were.
#pragma once

// Entry of command 362, called by the command dispatcher.  Asks first; then
// closes into the closing account of "0Interface", or, when none is set or
// the close cannot use it, the account the user gives (F5 lists the accounts).  Refused, with nothing
// changed, while a period of the year is open, while a ledger holds an
// unposted transaction dated in the year or before it, or when the account
// is not a detail account of the closing kind (3).  Every lock on the
// settings and account files is released on every way out.  Returns 0.
int RunGLYearClose();
