// QXA-6: command group 6, backup and restore, which lie outside this system.
// Backup/Restore (602) is also the detour of the posting screens: after its
// message the main loop returns to the posting screen that asked for it.
#include "menulibs.h"
#include "not_in_system.h"
#include "qxabase/app_block.h"

namespace {

// The company's books are the files of its one folder, so a copy of the
// folder is a backup of the books.
constexpr MenuLibraryCommand kCommands[] = {
    {602, "Backup and restore",
     "The company is the one folder %s. To back it up, end the program and copy that folder "
     "(for example cp -a, to a folder of another name); to restore it, copy the copy back in its place."},
};

}  // namespace

extern "C" QX_MENU_EXPORT int Qxa6RunMenuCommand(const char*) {
  return menulibs::AnswerNotInSystem(kCommands, SharedAppBlockGet()->currentCommand);
}

extern "C" QX_MENU_EXPORT bool Qxa6Initialize() {
  menulibs::NoteOutsideSystem(kCommands);
  return menulibs::RegisterGroupHandler(Qxa6RunMenuCommand, 6);
}
