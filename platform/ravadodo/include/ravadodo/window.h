// Windows: framed rectangles of the virtual screen.
//
// A `Window` is a block the caller owns (usually on its stack, zero-filled):
// the caller may fill its report id and title before or after `WinOpen`; the
// library keeps the window's cells behind `impl` and points back at the block,
// so the block must stay where it is until `WinClose`.  Windows stack in the order
// they are opened; closing one shows what lay beneath.  Coordinates inside a
// window count from its top-left corner, frame included: row 0 and the last
// row are the frame, so row 1, column 1 is the first cell inside.  The top
// frame line carries the title, the bottom frame line the key legend of the
// form running in the window.
#pragma once

#include "ravadodo/screen.h"

struct WindowImpl;

struct Window {
  char reportId[32];  // the screen's report identifier ("RSCVDirectory"); the library only keeps it
  char caption[81];   // a caption the base library writes (e.g. the program's caption)
  char title[81];     // shown centred in the top frame line; `WinOpen` copies its title argument here
  WindowImpl* impl;   // library-owned; null while the window is closed
};

// Opens a window at screen row `top`, column `left`, `rows` high and `cols`
// wide, frame included.  `frame`: 0 none, 1 single line, 2 double line;
// `shadow`: non-zero draws a shadow; `fill`: the character that fills the
// inside (32 = blank); `title`: null keeps `window->title`.  A window that
// does not fit on the screen is moved (and if need be cut) to fit.  Returns 0,
// or non-zero when the window is already open or the size is not usable
// (fewer than 3 rows or columns).
int WinOpen(Window* window, int top, int left, int rows, int cols, int frame, int shadow,
            int fill, const char* title);

// Closes the window (its form's fields go with it).  `restore` is accepted
// for the callers' sake; what lay beneath always shows again.  Closing a
// window that is not open does nothing.
void WinClose(Window* window, int restore = 1);

// Hides (0) or shows (1) an open window without closing it.
void WinShow(Window* window, int show);

// Applies the standard look (frame and fill) again.  Returns 0.
int WinSetup(Window* window);

// Sets the title shown in the top frame line.
void WinSetTitle(Window* window, const char* title);

// Writes code-page-437 text at a window row and column; cut at the frame.
void WinWriteAt(Window* window, int row, int col, const char* text);

// Writes `text` on window row `row` from column `col` (0 = column 1), or, when
// `row` is the number of a choice field of the form attached to the window,
// hands the text to that field: a text that begins with a count byte n (1-31)
// followed by exactly n letters gives the field's key letters (one per
// choice); a text that begins with the byte 1 and lists choices separated by
// "," gives the field's choice list.
void WinWriteRow(Window* window, int col, int row, const char* text);

// Write the prompt "From" / "To" beside a range field: `fieldOrRow` is the
// number of a field of the form attached to the window (the prompt goes just
// left of the field, on its row) or, when there is no such field, a window
// row (the prompt goes at `col`, 0 = column 2).
void WinWriteFromLabel(Window* window, int col, int fieldOrRow);
void WinWriteToLabel(Window* window, int col, int fieldOrRow);

// Shows a one-line status text in the window's bottom frame line (a progress
// window's "record being worked on").  Null or "" clears it.
void WinStatusText(Window* window, const char* text);

// Redraws a window row (after the caller changed what it shows).  Returns 0.
int WinRowRedraw(Window* window, int row);

// The number of rows and columns of the open window, frame included; 0 when
// closed.
int WinRows(const Window* window);
int WinCols(const Window* window);

// The window opened last that is still open and shown (message boxes and
// menus excluded); null when none.
Window* WinTop();
