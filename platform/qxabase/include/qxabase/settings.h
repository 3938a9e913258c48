// Settings of the company: the settings records of file 29, the system
// settings by number and the fiscal period of a date.
//
// Settings records are read by `SettingsKey`: "0" and a name, blank-padded to
// 15 characters ("0Periods       "); a key given shorter ("0Periods") is
// padded here.  System settings (yes/no flags and one-letter codes, by
// number) are kept in the settings record "0SysPrefs"; they are read once
// per command (SettingsRefresh forgets them) and a company without the
// record uses the defaults in the table below.
#pragma once

#include <cstdint>

#include "btrvc.h"
#include "records/settings.h"

// --- Settings records -----------------------------------------------------------

// Read modes of SettingsRecordRead.
inline constexpr int kSettingsRead = 0;
inline constexpr int kSettingsReadLocked = 400;  // get-equal + lock bias (405), for a rewrite

// Reads the settings record `key` into `buffer` (`length` bytes): the
// record's bytes, and zeros after a shorter record.  `handle` is the caller's
// open settings file, or 0 to have the company's settings file opened for the
// read.  `mode` kSettingsRead reads; kSettingsReadLocked also locks the
// record on `handle` (required) for the caller's rewrite (op 3) and its
// BtrvUnlock.  Returns 0; 4 when the company has no such record (nothing
// shown: the caller decides); any other record-manager status after the
// error box.  On failure the buffer is all zero.
int SettingsRecordRead(int mode, BtrvHandle handle, int length, const char* key, void* buffer);

// Rewrites the settings record `key` through the open settings file
// `handle`: reads it with a lock (a company without the record gets a new
// one, its key set and the rest zero), lets `change(image, context)` change
// the first `length` bytes of it (every byte it does not change is written
// back as read, also those past `length`), writes it back and releases the
// lock on every way out.  Returns 0, or the record-manager status after the
// error box (80 or 84: another user holds or changed the record; nothing
// was written).
int SettingsRecordRewrite(BtrvHandle handle, const char* key, int length, void (*change)(void* image, void* context),
                          void* context);

// SettingsRecordRead(0, 0, length, key, buffer): a settings record of the
// company read without a handle of the caller's.
int SystemRecordGet(int length, const char* key, void* buffer);

// --- System settings -------------------------------------------------------------
//
//  number  kind   meaning                                            default
//  0       flag   posting opens its files for shared use (0x100)     N (exclusive, 0x400)
//                 instead of exclusive use
//  8       code   costing method: 'A' average, 'L' last, 'S' standard  A
//  9       flag   billing posting keeps back orders                    Y
//  10      flag   billing posting keeps sales history                  Y
//  11      flag   selection screens remember report parameters         Y
//  12      flag   the purge warns before purging unposted-looking       Y
//                 purchasing transactions
//  13      flag   the general ledger runs on line: receivables and       N
//                 payables posting give each transaction its own G/L
//                 transaction at once (qxabase/online_gl.h)
//
// "0SysPrefs" (records::SysPrefsRecord) holds flag n at byte 16 + n ('Y', 'y'
// or 1 set) and code n at byte 48 + n; a byte of 0 there takes the default.

inline constexpr int kSysFlagSharedPosting = 0;
inline constexpr int kSysCodeCosting = 8;
inline constexpr int kSysFlagKeepBackOrders = 9;
inline constexpr int kSysFlagKeepSalesHistory = 10;
inline constexpr int kSysFlagRememberReportParams = 11;
inline constexpr int kSysFlagPurgeWarnings = 12;
inline constexpr int kSysSettingCount = 32;

// The yes/no setting `number` (0..31): 1 set, 0 not.  Unknown numbers are 0.
int SysFlagGet(int number);

// The one-letter setting `number` (0..31); 0 for an unknown number.
char SysCodeGet(int number);

// --- Fiscal periods ------------------------------------------------------------
//
// FiscalPeriodOfDate(kind, day, info) finds the period of "0Periods" that
// holds `day`, this fiscal year's (periods 1..N) or next year's (N+1..2N),
// and fills `info` (records::FiscalPeriodInfo):
//   period         the period number of the day (1..2N), −1 when none holds it
//   entryIndex     the day's entry in PeriodsRecord::entries (0-25), −1 none
//   startDate, endDate   the first and last day of that period
//   yearFlag       1 when the period is one of next year's (posting then
//                  updates statistics slot 4 instead of 2), else 0
//   journalStartDate  the first day of the first open period when it comes
//                  before the day's period (the unposted work before it is
//                  still open), else the day's period's first day
//   pendingPeriod, pendingDate  the pending posting period of billing and
//                  purchasing (settings record "0BiPoPeriod",
//                  records::PendingPeriodRecord): its number and its last
//                  day.  A pending period closed since gives way to the
//                  first open period after it.  0 and 0 when the company
//                  keeps none, the one it keeps lies in neither year, or no
//                  open period follows it: the postings and journals then
//                  take the date's own period.  FiscalPeriodOfDateIn reads
//                  no other record and leaves both 0.
// The record's other bytes are left as they were.
//
// Kinds (bits):
//   0  fill only: nothing is shown; the result tells whether a period of
//      this or next year holds the day.
//   1  check: the day must lie in an open period of this or next year; a
//      day outside every period, or in a closed period, is refused with a
//      message that names the day and the period.
//   2  accepted for the callers' sake; no effect of its own (kind 3 checks
//      as kind 1).
//   4  with 1: a closed period is accepted too (any period of this or next
//      year), for a date that writes nothing into its period: the date up
//      to which periods are closed, today's period of the count entry.
// Kinds in use: 0 (form defaults), 1 (every date a command writes entries
// on: posting, as-of and end-of-period dates, through the screens'
// EntryDateField; journal dates), 5 and 7 (the closing date of the general
// ledger's end of period; today's period of the count entry).

inline constexpr int kPeriodFillOnly = 0;
inline constexpr int kPeriodCheckOpen = 1;
inline constexpr int kPeriodAcceptClosed = 4;

// Returns 0 when the day is accepted (the record filled); 1 when it lies in
// no period (or in a closed one that the kind refuses), the record filled as
// far as it can be and the cause shown when the kind checks; the
// record-manager status when "0Periods" cannot be read (after the error box;
// a company without the record is told so).  A damaged "0Periods" (a period
// count outside 1..13) is refused with a message.
int FiscalPeriodOfDate(int kind, int day, records::FiscalPeriodInfo* info);

// The same from a "0Periods" record the caller already holds; nothing is
// read.  Used by tests and by callers that keep the record.
int FiscalPeriodOfDateIn(const records::PeriodsRecord& periods, int kind, int day,
                         records::FiscalPeriodInfo* info);

// Moves the pending posting period of billing and purchasing on to the
// period after the one of entry `entryIndex` (0-25) of "0Periods": a
// complete run of that period is done.  It moves only once the period is
// over (today after its last day), so that transactions of its remaining
// days still find it pending, and never back: a run of an earlier period
// leaves it alone.  `settings` is the caller's open settings
// file (required); `reserved` is kept for the callers (4).  Returns 0, or
// the record-manager status (nothing shown; the record is then as it was).
int PeriodStep441(BtrvHandle settings, int reserved, int entryIndex);

// The period key of `day` (records::PeriodKeyOf): the first day of the
// period of this or next year that holds it, 0 when none does.  Transaction
// headers store it; the journals select by it.
std::int32_t RecordStep446(int day, const records::PeriodsRecord* periods);

// --- Year end of the statistics groups -----------------------------------------------
// A statistics group is five numbers, slots 0-4: 0 the year before last,
// 1 last year, 2 the current year, 3 the forecast, 4 what posting dated in
// the next fiscal year gathered.  The roll at the year end moves each year
// back one place: 0 := 1, 1 := 2, 2 := 4 (the new year starts with what was
// already posted to it), 4 := 0; the forecast stays.

void YearEndPairClose(std::int32_t* group);  // a group of five int32
void YearEndBlockClose(double* group);       // a group of five doubles
