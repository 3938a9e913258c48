// The message for commands whose function lies outside this system, and the
// registration the libraries share.
#include "not_in_system.h"

#include <string>

#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "ravadodo.h"

namespace menulibs {

int AnswerNotInSystem(std::span<const MenuLibraryCommand> commands, int id) {
  for (const MenuLibraryCommand& c : commands) {
    if (c.id != id) continue;
    std::string text = std::string(c.name) + " (command " + std::to_string(id) + ") is not part of this system.\n\n";
    if (c.instead) {
      std::string instead = c.instead;
      if (const std::size_t at = instead.find("%s"); at != std::string::npos) {
        instead.replace(at, 2, SharedAppBlockGet()->companyPath);
      }
      text += instead;
    } else {
      text += "This system keeps the books: journals, posting, period-end processing and reports.";
    }
    MsgBoxShowStyle(0, text.c_str(), GetCaption(kCaptionNotice), kMsgStyleInfo, id);
    SharedAppBlockGet()->lastKey = 0;
    // Nothing of it was done here.
    CommandNotDone();
    return 0;
  }
  CommandUnknown();
  return -1;
}

void NoteOutsideSystem(std::span<const MenuLibraryCommand> commands) {
  for (const MenuLibraryCommand& c : commands) CommandOutsideSystemAdd(c.id);
}

bool RegisterGroupHandler(int (*handler)(const char*), int group) {
  const int slot = group - 1;
  if (!CommandHandlerFind(handler, slot)) CommandHandlerAdd(handler, slot);
  return CommandHandlerFind(handler, slot);
}

}  // namespace menulibs
