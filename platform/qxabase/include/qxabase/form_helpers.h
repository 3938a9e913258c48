// Form helpers of the base library: the set-up every selection screen runs
// after its window opens, yes/no choice fields, the open ends of range
// fields, and the standard callbacks the screens install.
//
// A range pair is two fields, "from" and "to", that bound a selection.  An
// end left empty is open and shows "FIRST" (a from field) or "LAST " (a to
// field); the screen library reads either back as empty.
#pragma once

#include <cstdint>

#include "ravadodo.h"

inline constexpr const char* kRangeFirst = "FIRST";
inline constexpr const char* kRangeLast = "LAST ";

// Sets a form up once its window is open: the window takes the form's report
// id (Form::reportId) and, when it has no title of its own, the caption of
// the running command; `helpTopic` (> 0) becomes SharedAppBlock::helpContext
// while the form runs (FormStandardHook gives the one it replaced back when
// the form ends).  The help folder, SharedAppBlock::helpBuffer, is never the
// form's.  `options` is kept for the callers (0, 1, 0x1023).  Safe on a form
// without a window.  Returns 0.
int FormSetup(Form* form, int options, int helpTopic);

// The Y/N character of a yes/no field: 'Y' when its chosen entry begins with
// Y or y (choices "Yes,No" or "No,Yes"), else 'N'.
char FormYesNoGet(Form* form, int field);

// Chooses the entry of a yes/no field that begins with `yesNo` ('Y' or 'N',
// either case).  Returns 0, or −1 when the field has no such entry.
int FormYesNoSet(Form* form, int field, char yesNo);

// When field `field` (0: the field under the cursor) is empty, writes
// `text` into it ("FIRST", "LAST ", or "" to leave it empty) and redraws it.
// Returns non-zero when the field was empty (an open end: the caller then
// skips its from/to comparison), 0 when it holds a value.
int FieldFillDefault(Form* form, const char* text, int field);

// Exit callback of a from field: an empty field shows "FIRST".  Returns 0.
int RangeFieldEnter(Form* form, int field);
// Exit callback of a to field: an empty field shows "LAST ".  Returns 0.
int RangeFieldExit(Form* form, int field);
// Entry callback of a range field: an open end ("FIRST", "LAST ") is cleared
// so that the user types the value afresh.  Returns 0.
int RangeFieldFocus(Form* form, int field);

// Entry callback of a date field that may be an open end: "FIRST"/"LAST "
// is cleared to the empty date so that a date can be typed.  Returns 0.
int FieldEntryDateHook(Form* form, int field);

// The form's second hook slot (Form::eventHook): when the form starts, its
// window takes the report id; as the cursor enters a field, the status line
// names the screen and the field; when the form ends, the status line and
// the help topic are as they were before.  Returns 0.
int FormStandardHook(Form* form, int event, int field);

// Default key handler (Form::defaultHandler): keys no handler took are
// ignored.  Returns 0.
int FormDefaultHandler(Form* form, KeyCode key);

// --- Option tables ---------------------------------------------------------------
// The choices of a selection screen's choice field as a table: each entry a
// hot letter, a caption and a value (usually a field id); an entry with a
// null caption ends the table.
//   const OptionTableEntry kSortFields[] = {{'C', "Customer Code", 1}, {'N', "Customer Name", 53}, {}};

struct OptionTableEntry {
  char letter = 0;
  const char* caption = nullptr;
  std::int16_t value = 0;
};

// The choice list of `table` (the byte 1, then the captions separated by
// ","), allocated with MemAlloc into *choices; the caller frees it with
// MemFree.  Returns 0, or non-zero for an empty table (nothing allocated).
int OptionTableLoad(const OptionTableEntry* table, char** choices);

// The hot letters of `table` as the screen library's WinWriteRow takes them
// for a choice field: a count byte, then one letter per entry.  The text
// lives as long as the program.
const char* OptionTableText(const OptionTableEntry* table);

// The value of the entry chosen in choice field `field`; the first entry's
// value when nothing is chosen, −1 for an empty table.
int OptionTableValue(Form* form, const OptionTableEntry* table, int field);

// The value of the first entry whose caption equals `caption` exactly
// (letter case counting); −1 when none does.
int FieldIdByName(const OptionTableEntry* table, const char* caption);

// Shift+F2 handler of the 1096 screen: shows the form's report id and help
// topic in a message box.  Returns 0.
int FormShiftF2Handler(Form* form, KeyCode key);
