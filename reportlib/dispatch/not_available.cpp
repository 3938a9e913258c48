// The answer of a command whose unit is not part of the library yet.
#include "dispatch/not_available.h"

#include <string>

#include "qxabase/commands.h"
#include "qxabase/messages.h"

namespace qxa3 {

int NotAvailableYet(const char* what) {
  const std::string text = std::string(what ? what : "This command") + " is not available yet.";
  const char* lines[] = {text.c_str(), nullptr};
  MsgTextShow(lines, 1, static_cast<int>(text.size()), 0, kCaptionWindow);
  CommandNotDone();
  return 0;
}

}  // namespace qxa3
