// The selection screen of the customer/vendor reports: the sort field with
// its from/to range, the rank field with its range, and for the aging
// reports the aging date, report type, aging basis, options, days-past-due
// filter and the seven aging periods of the report's set.
//
// The screen is form 383 (aging, commands 337 and 344), 384 (directory, 338
// and 345) or 92 (any other report), data/forms/form-NNN.txt.  It runs in
// the report's window (params->window, opened by the entry; its title and
// its report id, "RSCVAging" or "RSCVDirectory", are the report's).  Keys:
//   F10       checks the values (a valid aging date, periods that follow
//             one another, each range's from not after its to) and runs
//   F5        in a range field: the pick list of customers or vendors (of
//             salespeople in a customer report's salesperson range)
//   Shift+F9  puts back this run's defaults
//   Esc       leaves without a report
// The values a user accepts are remembered per user and report ("CustAging",
// "VendAging", "CustDirectory", "VendDirectory": qxabase/report_mru.h) and
// shown again at the user's next run of the same report; Esc remembers
// nothing.
#pragma once

struct CustVendReportParams;

// Runs the screen over `params` (its defaults and preset values are shown
// first).  On F10 the values are stored into params.  The aging schedule
// shown goes back into params->schedule however the screen ends.  Returns
// 0 when accepted, 27 when left with Esc, 1 when the screen could not be
// prepared (its message has been shown; the report does not run).
int CustVendParamScreen(CustVendReportParams* params);
