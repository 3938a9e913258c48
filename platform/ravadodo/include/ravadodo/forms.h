// Forms and fields: the input screens of the system.
//
// A form is a set of numbered fields shown in a window, an input loop
// (`FormRun`) that moves between them, and the caller's callbacks: a start
// hook, an exit and an entry callback per field, and key handlers by
// `KeyCode`.  Fields come from a table of `TagFormField` records (a copy of a
// static table that the caller may patch) or from a form definition loaded by
// number (`FormDefLoad`).  Every form shows a title (top frame line), a label
// beside each field, and a key legend (bottom frame line) such as
// "F10 Post  F9 Backup  Esc Cancel", so that a newcomer can use it.
//
// A screen runs in this order:
//
//   Form form{};            Window win{};
//   FormBegin(&form);
//   if (!FormFieldsCreate(&form, table, 1)) { FormEnd(&form); return 0; }
//   if (WinOpen(&win, 5, 12, 17, 66, 1, 1, 32, "Title")) { FormEnd(&form); return 0; }
//   FormAttachWindow(&win, &form, 1);
//   FormOnKey(&form, kKeyF10, OnF10, "Run");
//   FormRun(&form, 0);                       // 0 accepted, 27 Esc
//   WinClose(&win, 1);
//   FormEnd(&form);                          // on every way out after FormBegin
//
// Field values are code-page-437 texts.  Choice fields hold one of a list of
// entries; their number is 1-based.  A range field showing "FIRST" or "LAST "
// (written there by the base library for an empty end) reads back as empty:
// `FieldGetText` gives "" and `FieldGetTyped` reports an open end;
// `FieldGetShownText` gives the word shown.
//
// Callback results (exit and entry callbacks, key handlers, start hooks):
//   0        go on (after an exit callback the cursor moves on);
//   0x20     the cursor stays on the field;
//   0x40     redisplay the fields, then go on;
//   0x80     redisplay the whole form, then go on;
//   1        leave the form as accepted: FormRun returns 0 (key handlers);
//   27       leave the form as cancelled: FormRun returns 27;
//   kPickEnterGrid (may be or-ed with the above) move into the form's grid.
// A callback that calls `FieldSetFocus` moves the cursor there instead.
// Esc leaves the form as cancelled.  F10 without a handler accepts the form.
// Callbacks must not throw.  Give every key you register a legend label: a
// key without one works but is not shown to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ravadodo/keys.h"
#include "ravadodo/window.h"

struct Form;
struct FormImpl;

using FieldCallback = int (*)(Form* form, int field);          // exit and entry callbacks
using FormKeyHandler = int (*)(Form* form, KeyCode key);       // FormOnKey handlers
using FormStartHook = int (*)(Form* form, int start);          // 1 at form start
using FormEventHook = int (*)(Form* form, int event, int field);

// Events of `Form::eventHook`.
enum FormEvent : int {
  kFormEventStart = 1,       // the form starts (after the start hook)
  kFormEventFieldEnter = 2,  // the cursor entered `field`
  kFormEventFieldExit = 3,   // the cursor left `field`
  kFormEventEnd = 4,         // FormRun is about to return
};

// One screen field.  Tables end with a record of number 0.  The byte size of
// the record is not binding; the fields are those the calling code names.
struct TagFormField {
  std::uint8_t number = 0;   // 1..255; 0 ends a table
  std::uint8_t row = 0;      // window row of the field
  std::uint8_t column = 0;   // window column where the field starts
  // Display mask:
  //   printf-like "%[-]W[.P]<conv>[type]": conv s (text), d/u/ld/lu (whole
  //   number), f (decimal number); type letter C (text kept in capitals),
  //   m (choice field; W is its width), F (a quantity: decimal number).
  //   "%-14sC", "%-10sm", "%11.4fF", "%12.2f", "%3d", "%2u".
  //   A picture of n (digit), c (any character), C (any character, made a
  //   capital) and literals: "nn/nn/nn" (a date), "(nnn) nnnnnnnn",
  //   "ccccc-cccc", "nnnnnnnnnn", "C".
  char mask[16] = {};
  const char* choices = nullptr;  // choice fields: byte 1, then "Yes,No"; 0xFF in an entry is a hard blank
  std::uint16_t attributes = 0;   // kept for the caller (a help topic); no visible effect
  std::uint16_t flags = 0;        // kept for the caller; no visible effect
  FieldCallback exitCallback = nullptr;
  FieldCallback entryCallback = nullptr;
  std::uint8_t option = 0;        // kept for the caller
  std::uint32_t runtime[5] = {};  // the library's
  const char* label = nullptr;    // prompt shown left of the field ("Posting date"); null: none
  std::uint8_t labelColumn = 0;   // window column of the label; 0: just left of the field
};

// Flags of FormRun's second argument (none are needed today).
inline constexpr int kFormRunDefault = 0;

struct Form {
  char reportId[32] = {};                  // the screen's report identifier; the library only keeps it
  void* context = nullptr;                 // the caller's callback context; never touched
  void* baseContext = nullptr;             // the base library's per-form slot; never touched
  FormStartHook startHook = nullptr;       // runs as FormRun starts, with start = 1
  FormKeyHandler defaultHandler = nullptr; // keys nothing else took (a result of 0 ignores the key)
  FormEventHook eventHook = nullptr;       // the second hook slot: told of FormEvent events
  FormImpl* impl = nullptr;                // library-owned, between FormBegin and FormEnd
};

// --- Form life cycle ------------------------------------------------------

// Starts a form: every later call on it is valid until FormEnd.  Returns 0.
int FormBegin(Form* form);

// Ends a form and releases what the library holds for it (fields, keys, its
// grid).  Safe on a form that was never begun or already ended.
void FormEnd(Form* form);

// Creates the fields of `table` (ended by number 0).  The table is the
// caller's patched copy; the library keeps a pointer to it and reads the
// callbacks from it when it calls them, so it must live until FormEnd, and
// callbacks may be placed in it after this call.  Masks are read now; a
// field's choice list is read again whenever the table points to another
// text.  A second call adds more fields.  Returns 1, or 0 when the table
// is empty, holds a number twice, or a mask cannot be understood (the reason
// is shown in a message box).
int FormFieldsCreate(Form* form, TagFormField* table, int flags = 1);

// Shows the form's fields in `window` (otherwise FormRun uses the window
// opened last).  `flags` is accepted for the callers' sake.  Returns 0.
int FormAttachWindow(Window* window, Form* form, int flags = 1);

// The window the form is shown in (attached, or the top window); may be null.
Window* FormWindow(Form* form);

// Lays out labels and fields in the window without running the loop.
// Returns 0.
int FormPrepare(Form* form);

// Registers a handler for a key.  `label` names the key's action in the
// legend ("Run"); null gives a default for the usual keys (F10 "Accept",
// F5 "Look up", Shift+F9 "Defaults", F1 "Help") and none otherwise.
// Registering a key again replaces its handler.  Returns 0.
// Before a key handler runs, the typed text of the current field is taken
// into its value, and the field is left (its exit callback runs, with
// FormLastKey() = the key) when its text changed since the cursor entered it
// or the key is F10; an exit result of 0x20 then drops the key.  In a grid the
// changed row is left the same way (its `leave` callback), so that F10 keeps
// a row typed last.
int FormOnKey(Form* form, KeyCode key, FormKeyHandler handler, const char* label = nullptr);
// Removes a key's handler (the key is then ignored).  Returns 0.
int FormKeyRemove(Form* form, KeyCode key);
// Disables (0) or enables (1) a registered key: a disabled key does nothing
// and leaves the legend.  Returns 0.
int FormKeyEnable(Form* form, KeyCode key, int enable);
// Sets the legend text of a key.  Returns 0.
int FormKeyLabel(Form* form, KeyCode key, const char* label);
// Replaces the generated legend with a text of the caller's (null: generate).
void FormSetLegend(Form* form, const char* legend);

// Runs the input loop until a handler accepts (result 1) or the user leaves
// with Esc (or the window is closed).  The start hook runs first with 1, then
// the cursor goes to the first enterable field (or the one set with
// FieldSetFocus).  Returns 0 when accepted, 27 when cancelled.  On the script
// device the screen is written to the transcript when the form starts and
// when it ends.
int FormRun(Form* form, int flags = kFormRunDefault);

// Non-zero when the last FormRun ended with Esc or a closed window.
int FormWasCancelled(const Form* form);

// Redraws every field from its value (and the labels).  Returns 0.
int FormRedraw(Form* form);
// Redraws the form and its grid.  Returns 0.
int FormRefresh(Form* form);

// Queues a key for the running loop as if typed (0 = redisplay only).
void FormSendKey(Form* form, KeyCode key);

// The key that ended the last field or that the loop is handling now.
KeyCode FormLastKey(const Form* form);
// The number of the field the cursor is on (0 when none).
int FormCurrentField(const Form* form);

// Form flags: bits the caller sets and reads (e.g. "a line was changed").
void FormFlagSet(Form* form, unsigned flag, int on);
int FormFlagGet(const Form* form, unsigned flag);

// Kept for callers that release the input block apart from FormEnd; does
// nothing.
inline void FormInputRelease(Form*) {}

// --- Fields ---------------------------------------------------------------
// Every call names a field by number; calls on an unknown field return -1 (or
// 0 / false) and change nothing.

// The field's value, without the blanks its mask pads with: a text field
// gives its text (trailing blanks removed), a number field its digits, a
// picture field the characters in place ("03/15/25", "  /  /  " when empty;
// see StrApplyMask), a choice field the chosen entry's text (its first byte
// tells the entry: 'Y' of "Yes").  "FIRST" and "LAST " read as "".  Writes at
// most size - 1 bytes and a NUL; returns the length, or -1.
int FieldGetText(Form* form, int field, char* out, int size);
std::string FieldText(Form* form, int field);

// The field's value as the user sees it: as FieldGetText, except that an
// open range end gives the word it shows ("FIRST" or "LAST", without the
// blank), so that a caller that keeps the value can put the same open end
// back with FieldSetText.  Returns the length, or -1.
int FieldGetShownText(Form* form, int field, char* out, int size);

// Sets the value (shown at once when the form is on screen).  A text longer
// than the field is cut; text fields with type C are put in capitals; a
// number field given a number shows it with the mask's decimals; a choice
// field takes an entry number as a first byte below 32 (1..n), an entry's
// text, or a text whose first byte begins an entry ("Y" chooses "Yes").
// Returns 0, or -1.
int FieldSetText(Form* form, int field, const char* text);

// The choice (1-based) of a choice field; 0 for other fields.
int FieldGetChoice(Form* form, int field);
// Chooses entry `choice` (1-based).  Returns 0, or -1 when out of range.
int FieldSetChoice(Form* form, int field, int choice);
// The text of the chosen entry (hard blanks as blanks).  Returns the length or -1.
int FieldGetChoiceText(Form* form, int field, char* out, int size);
// Replaces the choice list (byte 1, then entries separated by ",").  The
// text is copied.  Keeps the choice when still in range, else chooses 1.
int FieldSetChoices(Form* form, int field, const char* choices);

// Typed reads.  `type`:
//   0  open range end: returns 1 when the field is empty or shows "FIRST" /
//      "LAST " (the caller then passes no text), else 0; `value` (char*, may
//      be null, at least 256 bytes) receives the text as FieldGetText;
//   1  number: returns 1 and sets *(double*)value when the field holds one;
//   2  date: returns 1 and sets *(int*)value to its day number when the
//      field holds a valid date.
int FieldGetTyped(Form* form, int field, int type, void* value);

// Access: 0 normal, 2 out of use (hidden and skipped, with its label).
// Returns 0 or -1.
int FieldSetAccess(Form* form, int field, int state);
// Protection: 1 shown but not enterable, 0 enterable.  Returns 0 or -1.
int FieldSetProtect(Form* form, int field, int on);
// Moves the cursor to the field (at once in a running loop; at the start of
// the next FormRun otherwise).  Returns 0 or -1.
int FieldSetFocus(Form* form, int field);
// Redraws one field from its value.  Returns 0 or -1.
int FieldRedraw(Form* form, int field);
// Replaces the field's label (the text is copied).  Returns 0 or -1.
int FieldSetLabel(Form* form, int field, const char* label);

// --- Form definitions -------------------------------------------------------
// Forms kept as data: QXA4BASE/forms/form-NNN.txt (three digits).  A line
// format, `#` starting a comment:
//   title "General Ledger Posting"
//   legend "F10 Post  F9 Backup  Esc Cancel"          (optional)
//   size 17 66                                        (optional: rows, columns)
//   field 1 row=2 col=24 mask="nn/nn/nn" label="Posting date"
//   field 3 row=4 col=24 mask="%-10sm" choices="No,Yes" label="Delete posted entries"
//   text row=7 col=3 "Text shown as it stands"
// Field keywords: row, col, mask, label, labelcol, choices, attr, flags,
// option.  Texts are UTF-8 in the file and code page 437 once loaded; a
// no-break space (U+00A0) in a choice is its hard blank.

struct FormDefText {
  int row = 0;
  int col = 0;
  std::string text;
};

// The fields' labels and choice lists point into the definition: keep it
// alive while a table copied from it is in use.  It can be moved, not copied.
struct FormDef {
  FormDef() = default;
  FormDef(FormDef&&) = default;
  FormDef& operator=(FormDef&&) = default;
  FormDef(const FormDef&) = delete;
  FormDef& operator=(const FormDef&) = delete;

  int number = 0;
  std::string title;                 // may be empty
  std::string legend;                // empty: the form generates its legend
  int rows = 0, cols = 0;            // suggested window size; 0 when not given
  std::vector<TagFormField> fields;  // ends with a record of number 0
  std::vector<FormDefText> texts;
  std::deque<std::string> strings;   // storage for labels and choices (do not touch)
};

// Loads form definition `number`.  Returns 0, or non-zero when the file is
// missing or damaged; the library has then shown a message that names the
// file and the line.
int FormDefLoad(FormDef* def, int number);

// Gives `form` the title, legend and fixed texts of `def` (its fields come
// from FormFieldsCreate on a copy of def->fields).  The form copies what it
// needs.  Returns 0.
int FormDefUse(Form* form, const FormDef* def);

// --- Grids ------------------------------------------------------------------
// A grid is a scrolling list of rows inside a form's window, each row edited
// through one line of fields (the grid's own field set, made with
// FormFieldsCreate on `PickList::line` after PickListInit; the line fields'
// `row` is ignored and their `column` is the window column; their callbacks
// get the line form, PickListOf gives its grid).  The PickList block must
// live until FormEnd of its form.  Row data belong to the caller (or
// come from PickRowAlloc); the grid keeps pointers.  The cursor enters the
// grid from the form's last field, by PickListFocus, or by a key handler's
// result kPickEnterGrid; Up on the grid's first row goes back to the form's
// fields.
//
// Row callbacks (all optional): `display` fills the line fields from a row
// (the grid calls it for every row it draws and before the cursor enters a
// row); `enter` runs when the cursor enters a row; `leave` runs when the
// cursor leaves a row whose line was changed (0 accept, 0x20 stay on the
// row; a row is changed when a line field's value differs from what the row
// showed when the cursor entered it); `escape` runs on Esc in the grid
// (non-zero leaves the form as cancelled, 0 stays; without it Esc leaves).
// For the blank append row `display` gets a null row and index -1, after the
// line fields were emptied.  With `appendRow` set, a blank row is always offered
// below the last row for a new entry: `leave` on it with 0 and a row made by
// `PickRowInsert` adds it.

struct PickList;
using PickRowCallback = int (*)(PickList* list, void* row, int index);
using PickEscapeCallback = int (*)(PickList* list);

inline constexpr int kPickEnterGrid = 0x10000;  // key handler / exit result: move the cursor into the grid

struct PickListImpl;
struct PickList {
  Form line;                        // the fields of one line (FormBegin is done by PickListInit)
  PickRowCallback display = nullptr;
  PickRowCallback enter = nullptr;
  PickRowCallback leave = nullptr;
  PickEscapeCallback escape = nullptr;
  bool appendRow = false;
  void* context = nullptr;          // the caller's
  PickListImpl* impl = nullptr;
};

// Sets up a grid over window rows top .. top + rows - 1, columns left ..
// left + width - 1.  Returns 0.
int PickListInit(PickList* list, int top, int left, int rows, int width);
// Shows the grid in the form (and its window).  Returns 0.
int PickListAttach(Form* form, PickList* list);
// Releases the grid and the rows made by PickRowAlloc (FormEnd of the owning
// form does it too).
void PickListFree(PickList* list);
// Zeroed row data owned by the grid; null when out of memory.
void* PickRowAlloc(PickList* list, std::size_t size);
// Inserts a row at `index` (-1 or past the end: appends).  `flags` is kept
// for the callers' sake.  Returns the row's index, or -1.
int PickRowInsert(PickList* list, void* row, int index, unsigned flags = 0);
// Rows, the row at an index (null when out of range), the cursor's row
// (-1 outside the grid or on the blank append row).
int PickRowCount(const PickList* list);
void* PickRowGet(const PickList* list, int index);
int PickListCurrent(const PickList* list);
// Removes every row; the cursor goes to the top.
void PickListClear(PickList* list);
// The grid a line form belongs to (callbacks of line fields get the line
// form); null for another form.
PickList* PickListOf(Form* line);
// The form the grid is attached to (null before PickListAttach).
Form* PickListForm(PickList* list);
// Moves the cursor into the grid (row `index`, -1 the blank append row).
void PickListFocus(PickList* list, int index);
