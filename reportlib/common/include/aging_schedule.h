// The aging schedule: the seven periods of days into which the aging report
// spreads each open item, one set for customers and one for vendors, kept in
// the company's settings record "0Schedule" (records::AgingSchedule).
//
// The customer aging report (menu 337) uses the customer set; every other
// menu id the vendor set.  The customer/vendor screen shows the report's set
// in fields 38 + 3i (label), 39 + 3i (from days) and 40 + 3i (to days),
// i = 0..6, and the report stores the set back when it runs with another
// set than the stored one.
//
// Periods must follow one another: either ascending (each from < to, and
// each period beginning the day after the one before ends: 0-30, 31-60, ...)
// or mirrored (each from > to, each period beginning the day before the one
// before ends: 9999-181, 180-151, ...), the direction set by the first
// period.
#pragma once

#include <string>

#include "records/settings.h"

struct CustVendReportParams;
struct Form;

// Field numbers of period i (0..6) on the screen.
inline constexpr int AgingLabelField(int i) { return 38 + 3 * i; }
inline constexpr int AgingFromField(int i) { return 39 + 3 * i; }
inline constexpr int AgingToField(int i) { return 40 + 3 * i; }

inline constexpr int kAgingPeriods = 7;

// The periods of the report's set in `schedule`: the customer set for menu
// 337, the vendor set otherwise.
records::AgingPeriod* AgingPeriodsOf(records::AgingSchedule* schedule, int menuId);
const records::AgingPeriod* AgingPeriodsOf(const records::AgingSchedule* schedule, int menuId);

// Reads "0Schedule" into params->schedule (write false), or stores the
// report's set of params->schedule into it (write true) when it differs
// from the stored one: the record is read again with a lock and rewritten
// with the other set as stored; it is never inserted.  A company whose files
// may only be read (status 46 or 94) keeps its schedule, and message 252
// says so once: the report runs on with the periods it was given.  A null
// schedule does nothing (0).
// Returns 0, or the record-manager status after the error box or message
// 252 (on a read failure the buffer is unchanged and nothing is written).
int AgingScheduleRecord(CustVendReportParams* params, bool write);

// The first period (0..6) that does not follow the one before it, or −1
// when all seven do.
int AgingPeriodsBadIndex(const records::AgingPeriod* periods);

// The day fields' texts as AgingScheduleToScreen left them (period i's from
// and to), so that AgingScheduleFromScreen can tell which the user changed.
struct AgingDaysShown {
  std::string from[kAgingPeriods], to[kAgingPeriods];
};

// Screen transfer of the report's set of `schedule` (menu id `menuId`):
// labels as texts, days as decimal numbers.  FromScreen reads whole numbers
// (a field that holds none reads as 0; days typed are kept within
// −9999..9999); a day field that still shows what ToScreen put there (given
// `shown`) keeps its value exactly as stored, whatever the field can show.
void AgingScheduleToScreen(Form* form, const records::AgingSchedule* schedule, int menuId,
                           AgingDaysShown* shown = nullptr);
void AgingScheduleFromScreen(Form* form, records::AgingSchedule* schedule, int menuId,
                             const AgingDaysShown* shown = nullptr);

// AgingPeriodsBadIndex over the report's set; at the first bad period shows
// message 251 and puts the cursor on its from field.  True when all follow.
bool ValidateAgingPeriods(Form* form, const records::AgingSchedule* schedule, int menuId);
