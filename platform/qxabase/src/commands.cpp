// Command routing by group, the command bracket, the per-command flags, the
// module check and the commands the base library serves itself.
#include "qxabase/commands.h"

#include <set>
#include <string>

#include "internal.h"
#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "ravadodo.h"

namespace {

// What the running command said of itself.
struct Marks {
  bool done = false;     // it did its work, or found nothing to do
  bool notDone = false;  // it did not do its work (this outweighs done)
  bool unknown = false;  // its handler has no case for it
};

struct Routing {
  CommandHandler handlers[kCommandGroupCount] = {};
  int depth = 0;  // command brackets open
  Marks marks;    // the running command's
  bool lastUnknown = false;  // the last command CommandRun ran had no case
};

Routing& State() {
  static Routing routing;
  return routing;
}

// Message texts of the commands whose work lies outside this system.
constexpr int kMsgGroupNotInstalled = 1921;
constexpr int kMsgModuleUnknown = 1923;
constexpr int kMsgCommandOutside = 1925;

int OutsideCommand(int commandId, const char* name) {
  CommandNotDone();
  MsgShowArgsList(kMsgCommandOutside, 0, 0, 1,
                  {MsgArg{MsgArg::Kind::kText, name, 0, 0}, MsgArg{MsgArg::Kind::kNumber, nullptr, commandId, 0}});
  return 0;
}

}  // namespace

namespace qxb {
int CommandDepth() { return State().depth; }
}  // namespace qxb

bool CommandHandlerAdd(CommandHandler handler, int slot) {
  if (handler == nullptr || slot < 0 || slot >= kCommandGroupCount) return false;
  State().handlers[slot] = handler;
  return true;
}

bool CommandHandlerRemove(CommandHandler handler, int slot) {
  if (!CommandHandlerFind(handler, slot)) return false;
  State().handlers[slot] = nullptr;
  return true;
}

bool CommandHandlerFind(CommandHandler handler, int slot) {
  if (handler == nullptr || slot < 0 || slot >= kCommandGroupCount) return false;
  return State().handlers[slot] == handler;
}

CommandHandler CommandHandlerGet(int slot) {
  if (slot < 0 || slot >= kCommandGroupCount) return nullptr;
  return State().handlers[slot];
}

int CommandRun(int commandId, const char* parameterText) {
  SharedAppBlock* app = SharedAppBlockGet();
  const int group = commandId / 100;
  CommandHandler handler = group >= 1 && group <= kCommandGroupCount ? State().handlers[group - 1] : nullptr;
  Routing& r = State();
  if (handler == nullptr) {
    app->currentCommand = -1;
    r.lastUnknown = false;  // the message names the command
    MsgShowArgsList(kMsgGroupNotInstalled, 0, 0, 1,
                    {MsgArg{MsgArg::Kind::kNumber, nullptr, commandId, 0},
                     MsgArg{MsgArg::Kind::kNumber, nullptr, group, 0}});
    return -1;
  }
  app->currentCommand = commandId;
  // The marks belong to this command alone: an outer command's are kept
  // aside while it runs and put back after.
  const Marks outer = r.marks;
  r.marks = Marks{};
  int result = handler(parameterText);
  if (r.marks.notDone || r.marks.unknown) result = -1;
  r.lastUnknown = r.marks.unknown;
  r.marks = outer;
  return result;
}

void CommandDone() { State().marks.done = true; }

void CommandNotDone() { State().marks.notDone = true; }

void CommandUnknown() { State().marks.unknown = true; }

bool CommandIsDone() { return State().marks.done && !State().marks.notDone; }

bool CommandIsNotDone() { return State().marks.notDone; }

bool CommandWasUnknown() { return State().lastUnknown; }

int CommandActiveSet(int active) {
  Routing& r = State();
  if (active) {
    if (++r.depth == 1) AppEnableInput(0);
  } else if (r.depth > 0) {
    if (--r.depth == 0) {
      AppEnableInput(1);
      SharedAppBlockGet()->fromMenu = 0;
    }
  }
  return r.depth;
}

bool CommandIsActive() { return State().depth > 0; }

int SettingsRefresh(int, int) {
  qxb::ForgetSystemSettings();
  return 0;
}

int CommandFlagsReset(int, int) {
  SharedAppBlock* app = SharedAppBlockGet();
  app->commandFlag = 0;
  app->messageArg = 0;
  return 0;
}

bool ModulesAvailableList(int, const int* zeroEndedList) {
  for (const int* m = zeroEndedList; m && *m != 0; ++m) {
    if (*m < 1 || *m > kModuleCount) {
      MsgShowArgsList(kMsgModuleUnknown, 0, 0, 1, {MsgArg{MsgArg::Kind::kNumber, nullptr, *m, 0}});
      return false;
    }
  }
  return true;
}

int PostCash() { return OutsideCommand(323, "Cash posting"); }
int PromoPriceReport(int) { return OutsideCommand(363, "The promotional price report"); }
int Command395Run() { return OutsideCommand(395, "This command"); }
int MailMergeCustomers(int) { return OutsideCommand(396, "Mail merge to customers"); }
int MailMergeVendors(int) { return OutsideCommand(397, "Mail merge to vendors"); }

namespace {

std::set<int>& OutsideCommands() {
  static std::set<int> commands = {323, 363, 395, 396, 397};
  return commands;
}

}  // namespace

void CommandOutsideSystemAdd(int commandId) {
  if (commandId > 0) OutsideCommands().insert(commandId);
}

bool CommandIsOutsideSystem(int commandId) { return OutsideCommands().count(commandId) != 0; }

void CommandsResetForTest() { State() = Routing{}; }
