// QXA-5: command group 5, query and publishing, which lie outside this
// system.
#include "menulibs.h"
#include "not_in_system.h"
#include "qxabase/app_block.h"

namespace {

constexpr MenuLibraryCommand kCommands[] = {
    {501, "Query"},
    {502, "Publisher"},
};

}  // namespace

extern "C" QX_MENU_EXPORT int Qxa5RunMenuCommand(const char*) {
  return menulibs::AnswerNotInSystem(kCommands, SharedAppBlockGet()->currentCommand);
}

extern "C" QX_MENU_EXPORT bool Qxa5Initialize() {
  menulibs::NoteOutsideSystem(kCommands);
  return menulibs::RegisterGroupHandler(Qxa5RunMenuCommand, 5);
}
