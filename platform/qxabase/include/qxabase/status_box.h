// The status box: a small window that shows a long run's progress (posting,
// period end, purge) so that a person can follow it: a title, the values of
// the record being worked on, one label per line, and the count of records
// done in its bottom line.
//
// One status box at a time.  Its lines come from a TagFormField table: each
// field's row and column in the box and its mask ("%-10s" a text, "%-3ld" an
// int32, "%11.2f" a double, "nn/nn/nn" a day number; a trailing type letter
// is ignored).  Values are handed over as pointers to them.
//
//   StatusBoxOpen(5, -1, -1, 3, 54, 0);
//   StatusBoxTitle(510);                          // text 510 of the store
//   StatusBoxFields(lines, sizeof lines);
//   StatusBoxShow(0);
//   for (...) StatusBoxRecord(-1, journalCode, transactionNumber, 0);
//   StatusBoxClose();
#pragma once

#include <type_traits>
#include <vector>

#include "ravadodo.h"

// Opens the box at screen row `top` (column `left`; −1 centres it), with
// room for `lines` lines of `width` columns.  `reserved` and `flags` are kept
// for the callers.  A box still open is closed first.  Returns 0, or
// non-zero when the window cannot be opened.
int StatusBoxOpen(int top, int left, int reserved, int lines, int width, int flags);

// Sets the title to text `textNumber` of the text store.
void StatusBoxTitle(int textNumber);
// Sets the title to a text of the caller's.
void StatusBoxTitleText(const char* title);

// The report id the box belongs to ("RSPURGINGFILE"); shown in its title
// when it has none.
void ProgressFormSet(const char* reportId);

// Takes the lines of the box from `table` (ended by field number 0, or after
// `sizeBytes` / sizeof(TagFormField) entries when `sizeBytes` > 0).  The
// table is copied.
void StatusBoxFields(const TagFormField* table, int sizeBytes);

// Writes `text` at the start of box row `row` (1 = the first row inside the
// box, the row of the lines whose field row is 1), left of the values.
void StatusBoxLabel(int row, const char* text);

// Shows the box (after the set-up calls above).  `reserved` is kept for the
// callers.
void StatusBoxShow(int reserved);

// Shows the values of the record being worked on, one pointer per line in
// table order from line 0 (`line` −1), or from line `line`; a null pointer
// blanks its line.  Counts the record.
void StatusBoxRecordList(int line, const std::vector<const void*>& values);

// StatusBoxRecord(-1, journalCode, transactionNumber, 0): the values as the
// callers write them (a trailing 0 is harmless: it blanks nothing beyond the
// table).
template <class... Values>
void StatusBoxRecord(int line, Values... values) {
  std::vector<const void*> list;
  (list.push_back([](auto v) -> const void* {
     if constexpr (std::is_pointer_v<decltype(v)>) {
       return static_cast<const void*>(v);
     } else {
       static_assert(std::is_integral_v<decltype(v)> || std::is_null_pointer_v<decltype(v)>,
                     "status values are pointers (0 for none)");
       return nullptr;
     }
   }(values)), ...);
  StatusBoxRecordList(line, list);
}

// Writes `text` on box line `line` (0-based) at the line's column
// (`column` −1) or at `column`.
void StatusBoxLine(int line, int column, const char* text);

// 1 after each account of a run: the box is redrawn at once.  Other modes
// are kept for the callers.
void StatusBoxMode(int mode);

// The number of records counted since the box opened.
long StatusBoxCount();

// Closes the box; closing twice does nothing.  On the script device the
// transcript notes the title and the records counted.
void StatusBoxClose();
