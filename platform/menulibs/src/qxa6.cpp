// QXA-6: command group 6, backup and restore, which lie outside this system.
// Backup/Restore (602) is also the detour of the posting screens: after its
// message the main loop returns to the posting screen that asked for it.
#include "menulibs.h"
#include "not_in_system.h"
#include "qxabase/app_block.h"

namespace {

constexpr MenuLibraryCommand kCommands[] = {
    {602, "Backup and restore"},
};

}  // namespace

extern "C" QX_MENU_EXPORT int Qxa6RunMenuCommand(const char*) {
  return menulibs::AnswerNotInSystem(kCommands, SharedAppBlockGet()->currentCommand);
}

extern "C" QX_MENU_EXPORT bool Qxa6Initialize() {
  menulibs::NoteOutsideSystem(kCommands);
  return menulibs::RegisterGroupHandler(Qxa6RunMenuCommand, 6);
}
