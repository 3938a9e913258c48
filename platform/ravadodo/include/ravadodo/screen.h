// The virtual screen and its two devices.
//
// Everything the library shows is drawn into one character-cell virtual
// screen: code-page-437 characters with a display attribute, at least 80
// columns by 25 rows (larger when the terminal is).  One device shows it and
// supplies the keys:
//   - the terminal device (ncursesw): draws the screen in UTF-8, reads keys and
//     mouse clicks, follows resizing, and restores the terminal on every exit,
//     including a crash signal;
//   - the script device: reads keys from the key script named by the
//     environment variable QX_KEYS and writes a transcript to the file named by
//     QX_TRANSCRIPT (message boxes with their answers, the screen when each form
//     starts and ends, reports opened).  Its screen is always 80 x 25.
// QX_KEYS set chooses the script device, otherwise the terminal device; with
// neither a key script nor a terminal the program behaves as if its window
// were closed at once, and message boxes write their text to standard error.  The device is chosen on first use.  Form loops,
// message boxes and menus run the same code on both devices.
//
// Key script: whitespace-separated tokens, one key each: key names ("F10",
// "Shift+F9", "Esc", "Enter", "Tab", "Shift+Tab", "Down", "Alt+F", "Ctrl+Home",
// "Space", "0x4400"), "quoted text" typed character by character (UTF-8,
// \" and \\ escapes), `Break` (an Esc that a running report sees through
// `KeyPoll`), `Click(row,col)` (a mouse click on a screen cell, 0-based), and
// `#` comments to the end of the line.  When the script has run out every
// further key read gives kKeyClose.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ravadodo/keys.h"

// Display attributes of a cell: what the cell is, not its colour; the terminal
// device chooses the colours.
enum class CellAttr : std::uint8_t {
  kDesktop,      // background of the main window
  kNormal,       // window text
  kFrame,        // window frame and title
  kLabel,        // field prompts
  kField,        // an enterable field
  kFieldFocus,   // the field being edited
  kFieldShown,   // a protected (display-only) field
  kLegend,       // the key legend in a window's bottom line
  kMenuBar,      // menu bar and pop-up entries
  kMenuHot,      // hot letter of a menu entry
  kMenuSelected, // the highlighted menu entry
  kMenuDisabled, // an entry the user cannot choose now
  kStatus,       // the main window's status line
  kButton,       // a message-box or toolbar button
  kButtonFocus,  // the button Enter would press
  kError,        // text of an error box
};

// Chooses the device now (it is otherwise chosen on first use).  Returns 0.
int ScreenInit();

// Restores the terminal and closes the transcript.  Safe to call more than
// once; also runs at exit and on a crash signal.
void ScreenShutdown();

// Size of the virtual screen.
int ScreenRows();
int ScreenCols();

// True when the script device is in use (or neither a terminal nor a key
// script is there).
bool ScreenIsScripted();

// True when neither a terminal nor a key script is there: nobody sees the
// screen, and message boxes write their text to standard error.
bool ScreenIsClosed();

// Reads the next key, waiting for it (the terminal redraws first).  Gives
// kKeyClose once the window was closed or the script ran out, and forever
// after.  Keys pushed with `KeyPush` come first.
KeyCode KeyRead();

// Names a function that KeyRead calls each time it is about to wait for the
// user (a key neither pushed nor read already): every message box, question,
// form, menu and list waits there, so work kept back for speed (a posting
// run's uncommitted group) can be made safe before the user is waited for.
// One hook; null removes it.
void KeySetWaitHook(void (*hook)());

// Non-blocking: the key the user has pressed, or 0 when none is waiting.  A
// running report calls it (through the base library's user-break check) to see
// Esc.  On the script device only a `Break` token is taken this way (as Esc);
// the other tokens wait for the loop that reads them.  kKeyClose is reported
// once the script has run out.
KeyCode KeyPoll();

// True when, with neither a terminal nor a key script, a form, menu, list or
// question waited for keys (said once on standard error): what it asked for
// was never given.  A message box with one button only informs; its text
// goes to standard error.
bool ScreenInputMissing();

// Queues a key for the next `KeyRead` (before any key of the device).
void KeyPush(KeyCode key);

// The screen cell (0-based) of the last kKeyMouse event.
void KeyLastClick(int* row, int* col);

// Lets the terminal follow resizing and redraw during a long run; call it
// once per record.  Does nothing on the script device.
void AppIdle();

// Draws the composed screen on the device now (loops do it before each key).
void ScreenRefresh();

// The screen as text, one line per row, trailing blanks removed, in UTF-8
// (code-page-437 pictures for the line-drawing characters).  Used by the
// transcript and by tests.
std::string ScreenSnapshot();

// Transcript (script device only; ignored on the terminal):
// writes one entry "kind: text" (for example the report writer's
// TranscriptNote("report", "Customer Aging -> screen")).
void TranscriptNote(const char* kind, const char* text);
// writes the same entry in pieces, without holding its whole text: Begin,
// then each piece of the text in order, then End (a long report's pages).
void TranscriptNoteBegin(const char* kind);
void TranscriptNoteMore(std::string_view text);
void TranscriptNoteEnd();
// writes the current screen under a heading line.
void TranscriptScreen(const char* heading);

// For tests: drops every window, form, menu and device state and starts again
// with the script device reading `keys` (the text of a key script) and
// writing the transcript into `transcriptPath` (null: no transcript).
void ScreenResetForTest(const std::string& keys, const char* transcriptPath);
