// The exports of libQxa-3.so and what loading and unloading it does.
#include "dispatch/exports.h"

#include "dispatch/command_entries.h"
#include "dispatch/command_frame.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"

namespace {

// The base library's application block, kept while the library is loaded.
SharedAppBlock* gApp = nullptr;

__attribute__((constructor)) void AttachLibrary() noexcept {
  RegisterMenuHandler();
  gApp = SharedAppBlockGet();
}

// The base library outlives this library when the main program unloads it:
// its group-3 slot must not keep pointing into code that is gone.
__attribute__((destructor)) void DetachLibrary() noexcept {
  qxa3::UnregisterMenuHandler();
  gApp = nullptr;
}

}  // namespace

bool qxa3::UnregisterMenuHandler() noexcept { return CommandHandlerRemove(RunMenuCommand, kGroup3Slot); }

extern "C" QXA3_EXPORT int RunMenuCommand(const char* parameterText) {
  SharedAppBlock* app = gApp ? gApp : SharedAppBlockGet();
  return qxa3::RunCommandFrame(*app, parameterText, qxa3::kBaseServices, qxa3::kCommandEntries);
}

extern "C" QXA3_EXPORT bool RegisterMenuHandler() {
  try {
    if (!CommandHandlerFind(RunMenuCommand, kGroup3Slot)) CommandHandlerAdd(RunMenuCommand, kGroup3Slot);
    return CommandHandlerFind(RunMenuCommand, kGroup3Slot);
  } catch (...) {
    return false;
  }
}
