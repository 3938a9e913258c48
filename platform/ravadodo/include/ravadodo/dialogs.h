// Message boxes, wait windows, choice lists and search lists.
//
// Each is a small window over whatever is on screen, run by its own loop on
// the same key source as forms.  On the script device message boxes and wait
// windows are written to the transcript with their texts and answers.
#pragma once

#include <cstdint>

#include "ravadodo/keys.h"

// --- Message boxes -------------------------------------------------------------
// Texts are code page 437; a '\n' starts a new line and long lines are
// wrapped.  A button list is one text of buttons separated by ",":
// " Continue", " Continue,F1 Help", " Ok ", "Yes,No".  It may begin with the
// byte 1 (the list form of choice lists); the byte is skipped.  A button whose
// text begins with a key name ("F1 Help") is pressed by that key too.  Left,
// Right and Tab move between buttons, Enter presses the highlighted one, a
// button's first letter presses it.  Esc (and a closed window) give the last
// button that is not a key button: "No" in "Yes,No".

// Shows `text` with `caption` and the buttons (null: " Ok ") and waits for an
// answer.  `defaultButton` (1-based; 0 = the first) is the one highlighted at
// first.  Returns the 1-based number of the button pressed.
int MsgBoxAsk(const char* text, const char* caption, const char* buttons, int defaultButton);

// Shows `text` with an " Ok " button (`buttons` non-null replaces it).
// Returns the button pressed.
int MsgBoxShow(const char* text, const char* caption, const char* buttons = nullptr);

// Style bits of MsgBoxShowStyle (the Win32 values callers pass).
inline constexpr int kMsgStyleOkCancel = 0x01;
inline constexpr int kMsgStyleYesNo = 0x04;
inline constexpr int kMsgStyleError = 0x10;
inline constexpr int kMsgStyleQuestion = 0x20;
inline constexpr int kMsgStyleWarning = 0x30;
inline constexpr int kMsgStyleInfo = 0x40;

// Shows `text` in a box whose style picks the buttons (" Ok ", " Ok ,Cancel"
// or "Yes,No") and marks errors; `owner` is ignored; `caption` null gives the
// program's title; `number` (a help topic) is shown in the transcript only.
// Returns the button pressed (1-based).
int MsgBoxShowStyle(int owner, const char* text, const char* caption, int style, int number);

// --- Wait windows --------------------------------------------------------------

// Opens a small window showing `text` ("Creating the sort index...") while a
// long step runs.  Returns a handle (> 0) for WaitWindowStep and
// WaitWindowClose.
int WaitWindowOpen(const char* text);
// Shows that work goes on (a turning mark); call it once per record.
void WaitWindowStep(int handle);
// Closes the wait window (0 or an unknown handle does nothing).
void WaitWindowClose(int handle);

// --- Choice lists -------------------------------------------------------------

// Shows `count` entries in a pop-up list at screen row `top`, column `left`
// (rows, cols: the window's size, frame included; 0 = fit the entries) with
// `title`; `initial` (1-based) is highlighted first.  Up, Down, PgUp, PgDn,
// Home, End move; a letter jumps to the next entry beginning with it; Enter
// chooses.  Returns the chosen entry (1-based), or 0 after Esc.
int PickChoose(const char* title, const char* const* entries, int count, int initial, int top = 0,
               int left = 0, int rows = 0, int cols = 0);

// --- Search lists ------------------------------------------------------------
// A window listing the rows of a source (usually a record file, in key
// order) with a search line: typing builds the search text and the cursor
// jumps to the first row at or after it; Backspace shortens it.  The list
// keeps no rows: it asks the source for them through `fetch`, which names each
// row by a bookmark of its own choosing (a record position).  Rows (and the
// heading) wider than the window are moved sideways with Left and Right;
// where everything fits, those keys go to `onKey`.

enum SearchOp : int {
  kSearchFirst = 1,  // the first row
  kSearchLast = 2,   // the last row
  kSearchNext = 3,   // the row after *bookmark
  kSearchPrev = 4,   // the row before *bookmark
  kSearchSeek = 5,   // the first row at or after `text` (the search text)
  kSearchFetch = 6,  // the row *bookmark again (the source is left positioned on it)
};

struct SearchList;
// Fills `line` (code page 437, at most lineSize - 1 bytes) with the row the
// operation names and sets *bookmark to it.  Returns 0, or non-zero when
// there is no such row.
using SearchFetch = int (*)(SearchList* list, int op, std::int64_t* bookmark, const char* text,
                            char* line, int lineSize);
// A key the list does not use itself.  The source has just been positioned on
// the current row (kSearchFetch).  Returns 0 when the key is not handled,
// 1 when the row changed (redisplay; the handler may also FormSendKey-style
// queue a key with KeyPush), 2 when the order changed (start again from the
// first row), -1 to end the list (SearchListRun returns -1).
using SearchKeyHandler = int (*)(SearchList* list, KeyCode key, std::int64_t bookmark);

struct SearchList {
  int top = 2, left = 2, rows = 16, cols = 76;  // window, frame included
  const char* title = nullptr;                  // top frame line
  const char* prompt = "Search:";               // before the search text
  const char* heading = nullptr;                // column headings shown above the rows; null: none
  const char* legend = nullptr;                 // extra legend before "Enter Choose  Esc Cancel"
  SearchFetch fetch = nullptr;                  // required
  SearchKeyHandler onKey = nullptr;             // optional
  void* context = nullptr;                      // the caller's
  const char* initialText = nullptr;            // search text to start from; null: the first row
  // Results:
  KeyCode lastKey = 0;                          // the key that ended the list
  std::int64_t chosen = 0;                      // the bookmark of the row chosen with Enter
};

// Runs the list.  Returns 0 when a row was chosen with Enter (its bookmark in
// `chosen`, and the source positioned on it), 27 after Esc, -1 when a key
// handler ended it, 9 when the source has no rows at all (nothing shown but a
// message box "There is nothing to choose from.").
int SearchListRun(SearchList* list);
