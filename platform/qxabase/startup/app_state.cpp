// Application state, options and the shortcut keys of the start-up.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/startup.h"
#include "ravadodo.h"

namespace {

// The login name: $USER when set, else the password entry of the user.
std::string LoginName() {
  if (const char* user = std::getenv("USER"); user && *user) return user;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
  return "user";
}

// Copies `text` into a field of `size` bytes, cut to fit.
void PutCut(char* field, std::size_t size, const std::string& text) {
  std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

}  // namespace

int AppStateLoad(char* helpBuffer, int /*helpContext*/) {
  SharedAppBlock* app = SharedAppBlockGet();
  if (!app->userName[0]) PutCut(app->userName, sizeof app->userName, LoginName());
  if (!app->toolbarSection[0]) PutCut(app->toolbarSection, sizeof app->toolbarSection, app->userName);
  if (helpBuffer && !helpBuffer[0]) {
    std::string folder = app->baseDataFolder[0] ? app->baseDataFolder : AppBaseDataFolder();
    PutCut(helpBuffer, sizeof app->helpBuffer, folder + "/help");
  }
  return 0;
}

int AppQueryOption(int option) {
  if (option != 0) return 0;
  const int level = SharedAppBlockGet()->userLevel;
  return level >= 1 && level <= 6 ? level : 6;
}

int AppApplyOption(int value, int option) {
  if (option == 0 && value >= 1 && value <= 6) MenuSetUserLevel(value);
  return 0;
}

namespace {

std::string& StartFolder() {
  static std::string folder;
  return folder;
}

}  // namespace

void StartFolderSet(const char* folder) { StartFolder() = folder ? folder : ""; }
const char* StartFolderGet() { return StartFolder().c_str(); }

int StartupChainDone() {
  SharedAppBlockGet()->appMode = kAppModeRunning;
  return 0;
}

int ShortcutKeyRun(int /*key*/) { return 0; }

const char* GetDataFolder() { return SharedAppBlockGet()->companyPath; }

int RunOpeningCommand(int commandId) {
  const int group = commandId / 100;
  if (group < 1 || group > kCommandGroupCount) return 0;
  return CommandHandlerGet(group - 1) ? 1 : 0;
}
