// The main window: menu bar, toolbar, status line and the event wait.
//
// In the terminal the main window is the whole screen: the menu bar on row 0,
// the toolbar's buttons on row 1, the status line on the last row and the
// desktop between them, under every window the program opens.  The main loop
// waits with `AppGetKey`, which runs the menus itself (Alt+hot letter or F10
// opens the bar, the arrows move, Enter or a hot letter picks, Esc closes) and
// returns a pick as kKeyMenuPick (`MenuGetPick` gives the command id); a
// toolbar button (mouse click, or Alt+1 .. Alt+9, Alt+0 for buttons 1-10) comes
// back as a key that `ToolbarHitTest` recognises.
#pragma once

#include <cstdint>

#include "ravadodo/keys.h"
#include "ravadodo/window.h"

// --- Menu tables --------------------------------------------------------------
// One menu table entry.  A table is a run of entries ended by an entry with
// command id -1, or command id 0 and a null caption.  Captions are stored as
// shown (" CoNsolidate "): the hot letter is written as the one capital
// inside a word where it is not the first letter.  Separators have command id
// 0 and a caption of 0xC4 characters.
struct TagMenuItem {
  std::uint32_t row;       // row within its list (1-based; 0 in the top-level and pop-up tables)
  std::uint32_t column;    // column of a title or pop-up entry; 1 in lists
  std::int32_t commandId;  // 0 separator or title, -1 end of table
  std::uint32_t level;     // access level needed (0 = everyone)
  std::uint32_t keyCode;   // Alt key of a title or pop-up entry (scan code << 8); 0 in lists
  char hotLetter;          // letter of the hot key (0xC4 on separators; 0: found in the caption)
  const char* caption;     // null on end entries
  const TagMenuItem* children;  // the list a title or pop-up entry opens; null in lists
};

// Builds the menu bar from the top-level table (each title's children are its
// drop-down list).  The tables must live as long as the menu bar.  Returns 0,
// or -1 for an empty table.
int MenuBuild(const TagMenuItem* topLevel);

// Attaches sub-menus: each entry of the pop-up table whose command id equals
// an item of the drop-down lists gives that item its children list as a
// sub-menu (the item then opens the sub-menu instead of being picked).
// `popupId` names the pop-up table.  Returns the number of items attached.
int MenuAttachPopup(const TagMenuItem* popup, int popupId);

// Appends a title with its drop-down list at the right of the bar (the help
// menu).  Returns 0.
int MenuAppendTitle(const char* caption, const TagMenuItem* list);

// Enables or disables the whole menu bar (`table` names the top-level table;
// null means the bar built last).  A disabled bar is shown dimmed and opens
// no menu.
void MenuEnable(const TagMenuItem* table);
void MenuDisable(const TagMenuItem* table);

// Enables (1) or disables (0) every item with this command id.  Returns the
// number of items changed.
int MenuItemEnable(int commandId, int enable);

// Items whose level is above the user's level are shown dimmed and cannot be
// picked.  The default level (6) allows every item.
void MenuSetUserLevel(int level);

// The command id of the last pick (after AppGetKey gave kKeyMenuPick);
// -1 when none.  Reading it clears it.
int MenuGetPick();

// Draws the menu bar again.
void MenuBarDraw();

// The hot letter of a caption: the one capital inside a word where it is not
// the word's first letter (" TaX " -> 'X', " CoNsolidate " -> 'N'); else the
// first letter or digit (" Open " -> 'O'); 0 when none.
char MenuHotLetter(const char* caption);

// --- Toolbar ------------------------------------------------------------------

inline constexpr int kToolbarMaxButtons = 20;

struct ToolbarButton {
  int command;    // the command id the button posts
  char text[24];  // the button's caption
};

// A toolbar record: the buttons of one section of an ini file.
struct Toolbar {
  char section[50];  // the ini section the buttons come from and go back to
  char file[260];    // the ini file (set by ToolbarLoad)
  int count;         // number of buttons held; 0 = no toolbar
  ToolbarButton buttons[kToolbarMaxButtons];
};

// Loads the buttons of `toolbar->section` from the ini file `file`:
//   [Default]
//   Button1=320,Post
//   Button2=337,Aging
// Keys Button1 .. Button20 in order; a missing key ends the list.  Returns the
// number of buttons loaded (0 when the file or the section is missing; a
// malformed line is skipped).
int ToolbarLoad(Toolbar* toolbar, const char* file);
// Writes the buttons back to the file under `toolbar->section`, keeping the
// other sections.  Returns 0, or -1 when the file cannot be written.
int ToolbarSave(const Toolbar* toolbar);
// Shows the toolbar on the main window's second row.
void ToolbarShow(const Toolbar* toolbar);
// Removes the toolbar from the screen.
void ToolbarDestroy();
// When `*key` is a click on a button of the shown toolbar or its Alt+digit
// key: sets *button (1-based) and returns 1; else 0.
int ToolbarHitTest(const Toolbar* toolbar, KeyCode* key, int* button);
// Posts `command` as a menu pick: the next AppGetKey returns kKeyMenuPick and
// MenuGetPick gives the command.  `window` is ignored.  Returns 0.
int ToolbarPostCommand(const Toolbar* toolbar, int command, Window* window);

// --- Main window ----------------------------------------------------------------

// Creates the main window (the whole screen).  Returns 1, or 0 when the screen
// cannot be used.
int AppCreateMainWindow();
// Removes the main window (menus and toolbar go with it).
void AppDestroyMainWindow();
// The main window as a window block (for callers that name an owner); null
// before AppCreateMainWindow.
Window* AppGetMainWindow();
// The window in front (the top window, else the main window).
Window* AppGetActiveWindow();

// Sets and gives the main window's title (shown at the right of the status
// line and used as the caption of message boxes without one).
void AppSetTitle(const char* title);
const char* AppGetCaption();

// Sets and gives the status line text (left part).
void AppStatusText(const char* text);
const char* AppGetStatusText();

// Enables (1) or disables (0) the user's input to the main window: while
// disabled (a command runs) the menu bar is dimmed.
void AppEnableInput(int enable);

// Waits at the main window for a menu pick, a toolbar button or a key and
// stores it in *key: kKeyMenuPick for a pick (see MenuGetPick), the button's
// key for a toolbar hit (see ToolbarHitTest), else the key.  kKeyClose from
// the device (window closed, script run out) comes back as a pick of command
// 118 (Exit).  The other two arguments are accepted for the callers' sake.
// Returns 0.
int AppGetKey(KeyCode* key, int, int);

// Asks "Do you want to leave <title>?" (Yes/No).  Returns 1 for yes, 0 for
// no; returns 1 without asking once the window is closing.
int AppConfirmExit();

// True once the window was closed or the key script ran out.
bool AppIsClosing();
