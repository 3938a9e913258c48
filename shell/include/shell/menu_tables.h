// The main program's menu bar: eight titles with their drop-down lists and
// fifteen pop-up tables that give sub-menus to items of those lists, as
// static tables of the screen library's `TagMenuItem` records.
//
// The command ids of the tables are the system's command vocabulary: the
// main loop routes them by command group (id / 100).  A list caption is
// stored as a blank, the text and blanks up to the list's width; the hot
// letter is the one capital inside a word where it is not the first letter
// (" CoNsolidate ").  Separators have command id 0 and a caption of 0xC4
// characters.
#pragma once

#include "ravadodo/menus.h"

namespace qxa {

// The top-level table: the eight titles, each with its drop-down list as
// children.  Also the table the main loop enables and disables.
const TagMenuItem* TopLevelMenu();

// The pop-up ids, in the order BuildMenuBar attaches them.
inline constexpr int kPopupIds[] = {131, 140, 210, 220, 230, 240, 310, 410,
                                    336, 343, 350, 360, 364, 370, 151};

// The pop-up table of one of the fifteen pop-up ids into *table; false (and
// *table untouched) for any other id.
bool FindPopupTable(int popupId, const TagMenuItem** table);

// Builds the menu bar of the main window: the titles, the pop-ups attached
// by command id, then the help menu.  A command-only start builds no menu
// tables: only the help menu is added.
void BuildMenuBar();

}  // namespace qxa
