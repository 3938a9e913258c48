// qxhlpmnu: the help menu of the main window.
//
// The help menu is the last title of the menu bar ("Help"): its items show
// the help texts of the base-data folder (help/contents.txt, help/keys.txt)
// in a scrolling window and the About box.  The main program hands it every
// command id that no menu library owns; the key commands F1 (105) and
// Shift+F1 (106), which the menu library of group 1 receives, come here too.
// Texts are UTF-8 files, shown in code page 437.
#pragma once

#include "ravadodo/window.h"

// The help menu's own command ids.
inline constexpr int kHelpContentsCommand = 901;  // help contents (also F1, command 105)
inline constexpr int kHelpKeysCommand = 902;      // the keys of the system (also Shift+F1, 106)
inline constexpr int kHelpAboutCommand = 903;     // the About box

// Appends the help menu to the menu bar of the main window.  `library`
// names the base library whose help is shown ("QXABASE.DLL"); it is kept.
// Returns 0.
int HelpMenuAdd(Window* mainWindow, const char* library);

// Runs a help command: 901-903, 105 and 106.  Returns non-zero when the id
// was one of them (and was shown), 0 for any other id (nothing shown).
int HelpMenuRun(int commandId);

// Shows the help text file `name` ("contents.txt") of the help folder with
// `title` in a scrolling window until Esc or Enter.  A missing file gives a
// message that names it.  Returns 0, or -1 when the file could not be read.
int HelpShowText(const char* name, const char* title);

// Ends the help menu's use of the screen (nothing is held today).
void HelpMenuClose();
