// Pieces the report selection screens share: the remembered-field table a
// screen hands CQxRepMRUParam::Initialize, so that the user's last
// selection comes back next time, and the exit check of a date field that
// may be left open.
#pragma once

#include <cstdint>
#include <new>
#include <string>

#include "btrvc.h"
#include "qxabase/app_block.h"
#include "qxabase/form_helpers.h"
#include "qxabase/report_mru.h"
#include "range_criteria.h"
#include "ravadodo.h"
#include "records/masters.h"

// --- Remembered fields -------------------------------------------------------------
//
// Every screen remembers its fields 1 to the last one, each under the value
// code 20 × its number; only the kind of each field (text, date, choice,
// number) differs between screens.

// Fills records 0 .. lastField − 1 of `fields` for form fields 1 ..
// `lastField`: field f under value code 20 × f, of the kind kindOf(f) gives
// (null: every field a text).  The records past them are left as they are.
void FillMruFields(TAG_REPORT_MRU_FIELD* fields, int lastField, std::uint32_t (*kindOf)(int field));

// A screen's table: its fields 1 .. Records − 1 and the closing record
// (zero).  `Records` is the count ReportDefAndMRUInit takes.
template <int Records>
struct MruFieldTable {
  static_assert(Records >= 2, "a table holds at least one field and the closing record");
  explicit MruFieldTable(std::uint32_t (*kindOf)(int field) = nullptr) { FillMruFields(fields, Records - 1, kindOf); }
  TAG_REPORT_MRU_FIELD fields[Records] = {};
};

// The remembered values of a screen as its start hook shows them: the
// defaults on the screen are backed up first (Shift+F9 brings them back
// with collection->RestoreAll), then, when the system preference keeps
// remembered values and no object is made yet, a `Param` is made into *mru
// for the user of SharedAppBlock and `key`, and its values, when any are
// remembered, replace the defaults.  Any pointer may be null.
template <class Param>
void ShowRememberedValues(Form* form, CQxDataCopyCollection* collection, CQxRepMRUParam** mru, const char* key,
                          const TAG_REPORT_MRU_FIELD* table) {
  if (collection) collection->BackupAll();
  if (*mru != nullptr || !CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return;
  *mru = new (std::nothrow) Param;
  if (*mru == nullptr) return;
  (*mru)->Initialize(SharedAppBlockGet()->userName, key, table);
  if ((*mru)->LoadAllFields()) (*mru)->StructToScreen(form);
}

// --- The screen's form ------------------------------------------------------------------

// Wires a report screen's form (its fields made) for FormRun: `reportId` (the
// screen's help and its window's id), `context` and the start hook `start`
// on the form, the standard event hook, the form attached to `window` (null:
// the window opened last), then FormSetup.  The caller adds its keys.
void SetUpScreenForm(Form* form, Window* window, const char* reportId, void* context, FormStartHook start);

// --- Range pairs ------------------------------------------------------------------------
//
// A screen offers a from/to pair per field a range can be on, one pair of a
// group in use at a time.

// Puts fields `first` .. `last` out of use and opens the pair starting at
// `open` (0: none).
void OpenOnePair(Form* form, int first, int last, int open);

// A criterion's end as the screen shows it: an open end is empty (the exit
// callbacks then show "FIRST"/"LAST "); field 0 does nothing.
void PutRangeEnd(Form* form, int field, const RangeCriterion& range, bool from);

// Shows "FIRST" / "LAST " in the open ends of the pair starting at `pair`
// (0: none).
void ShowOpenEnds(Form* form, int pair);

// --- Choice fields ---------------------------------------------------------------------

// Makes `field` a choice field showing `choices` (the byte 1, then the
// entries separated by ","), as wide as its longest entry.
void SetChoiceFieldMask(TagFormField& field, const char* choices);

// True when the field being left was left backwards (Up or Shift+Tab): a
// choice field then keeps the pair it opened.
inline bool LeftBackwards(Form* form) {
  const KeyCode key = FormLastKey(form);
  return key == kKeyUp || key == kKeyShiftTab;
}

// The entry (1-based) of option table `table` whose value is `id`; 1 when
// none is.
int OptionEntryOf(const OptionTableEntry* table, int id);

// --- Field checks ---------------------------------------------------------------------

// Exit callback of a date field that bounds a range: left empty it is an
// open end and stays empty (a date mask cannot show "FIRST"/"LAST "), 0;
// otherwise 0 for a valid date, or 0x20 (the cursor stays) after message 13.
int OpenDateFieldExit(Form* form, int field);

// The check of a date of a from/to pair that may not be left open (field
// `field`, the pair's from field `fromField`): 0 for a valid date that,
// on the to field, does not come before a valid from date; otherwise 0x20
// (the cursor stays) after message 13 or 205.
int CheckRangeDate(Form* form, int field, int fromField, int toField);

// The check of a G/L account code typed on a screen (`code`, without the
// blanks at its ends): 0 with the chart's record in *account when the chart
// holds the account (read through `accounts` by key 0, which compares codes
// without regard to case); otherwise 0x20 (the cursor stays) after message
// 89 or the record-manager error box.
int CheckAccountOnFile(BtrvHandle accounts, const std::string& code, records::GLAccount* account);
