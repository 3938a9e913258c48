// The text-editing window: a page of lines the user edits in place, as the
// texts of letters, labels and statements are edited.
//
// The window shows as many lines as fit and scrolls over the rest.  Keys:
//   arrows, Home, End, PgUp, PgDn, Ctrl+Home, Ctrl+End   move the cursor
//   characters            typed at the cursor (Ins toggles overwriting)
//   Enter                 splits the line at the cursor
//   Backspace, Del        remove a character; at a line's end or start they
//                         join the two lines
//   Ctrl+Y                removes the line under the cursor
//   F10                   ends the edit and keeps it
//   Esc                   ends the edit and drops it
// Lines are code page 437; a line never grows past `maxLineLength`
// characters nor the text past `maxLines` lines (a key that would do so
// does nothing).  Empty lines are kept, also at the end: they are part of
// the page a text describes.  On the script device the screen is
// written to the transcript when the window opens and when it closes.
#pragma once

#include <string>
#include <vector>

struct TextEdit {
  int top = 2, left = 1, rows = 20, cols = 78;  // the window on the screen, frame included
  const char* title = nullptr;                  // top frame line
  int maxLineLength = 255;
  int maxLines = 500;
  std::vector<std::string> lines;               // the text: in before the run, the edit after F10
  bool changed = false;                         // set by the run: the text was changed
};

// Runs the window until F10 (returns 0; `lines` hold the edited text) or Esc
// or a closed window (returns 27; `lines` are as they were given).
int TextEditRun(TextEdit* edit);
