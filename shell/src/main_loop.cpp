// The main loop: one pass per menu pick, toolbar button or key, with the
// follow-up chain of the commands it runs.
#include "shell/main_loop.h"

#include <string>

#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/startup.h"
#include "qxhlpmnu.h"
#include "ravadodo.h"
#include "shell/menu_tables.h"
#include "shell/startup.h"

namespace qxa {
namespace {

const char* g_parameterText = nullptr;

// The command a command-only start runs, and what its last run gave: the
// start command may run more than once (a posting's detour to Backup/Restore
// queues it again), and its last run is what the start did.
int g_startCommand = 0;
int g_startResult = 0;
bool g_startUnknown = false;

// A follow-up that runs without the current command run first.
bool RunsWithoutCurrent(int next) {
  return next == kCommandOpenFollowUp || next == kCommandOpenCompany || next == kCommandFileOpen ||
         next == kCommandExit;
}

bool IsShortcutKey(KeyCode key) { return key == 22 || key == 2 || key == 21 || key == kKeyShiftF10; }

}  // namespace

void ReportUnknownCommand(int id) {
  const std::string text = "Command " + std::to_string(id) + " does not exist.";
  MsgBoxShowStyle(0, text.c_str(), nullptr, kMsgStyleError, 0);
  NoteShownStartupFailure(text);
}

void SetCommandParameterText(const char* text) { g_parameterText = text && *text ? text : nullptr; }

int RunCommand() {
  const int id = SharedAppBlockGet()->currentCommand;
  const int group = id / 100;
  int result = -1;
  bool unknown = false;
  if (group >= 1 && group <= kCommandGroupCount) {
    result = CommandRun(id, g_parameterText);
    unknown = CommandWasUnknown();
  } else {
    const bool served = HelpMenuRun(id) != 0;
    result = served ? 0 : -1;
    unknown = !served;
  }
  if (g_startCommand != 0 && id == g_startCommand) {
    g_startResult = result;
    g_startUnknown = unknown;
  }
  return result;
}

void MapKeyToCommand(int* command, KeyCode key) {
  switch (key) {
    case kKeyEsc: *command = 104; break;
    case kKeyF1: *command = 105; break;
    case kKeyF4: *command = 102; break;
    case kKeyShiftF1: *command = 106; break;
    default: break;
  }
}

bool RunFollowUpChain() {
  SharedAppBlock* app = SharedAppBlockGet();
  bool leave = false;
  while (app->nextCommand != 0) {
    if (!RunsWithoutCurrent(app->nextCommand)) {
      // A command that asked for a detour has made the detour current and
      // queued itself: the detour runs first, then the command again.
      RunCommand();
      if (app->lastKey == kKeyEsc) {
        app->nextCommand = 0;
        break;
      }
    }
    app->currentCommand = app->nextCommand;
    app->nextCommand = 0;
    leave = app->currentCommand == kCommandOpenFollowUp || app->currentCommand == kCommandOpenCompany;
    RunCommand();
    if (app->lastKey == kKeyEsc) {
      app->nextCommand = 0;
      return leave;
    }
    leave = false;
  }
  return leave;
}

int RunMainLoop(Toolbar* toolbar) {
  SharedAppBlock* app = SharedAppBlockGet();
  int startResult = 0;
  for (;;) {
    ReapStartedPrograms();
    // Only the command a pass runs may ask to leave: a 27 left by an
    // earlier command (one that ended a chain) is not this pass's Esc.
    app->lastKey = 0;
    MenuEnable(TopLevelMenu());
    AppEnableInput(1);
    const bool commandOnly = AppIsCommandOnly() && AppGetStartCommand() != 0;
    int picked = kCommandNone;
    KeyCode key = 0;
    bool startCommand = false;
    if (commandOnly) {
      MenuDisable(TopLevelMenu());
      picked = AppGetStartCommand();
      app->currentCommand = picked;
      startCommand = true;
    } else if (AppHasMenuCommand() && AppGetStartCommand() != 0) {
      picked = AppGetStartCommand();
      MenuDisable(TopLevelMenu());
      AppEnableInput(0);
      AppSetStartCommand(0);  // it runs once
      startCommand = true;
    } else {
      app->currentCommand = kCommandNone;
      AppGetKey(&key, 0, 0);
      if (key == kKeyMenuPick) {
        picked = MenuGetPick();
        MenuDisable(TopLevelMenu());
        AppEnableInput(0);
      }
      int button = 0;
      if (toolbar && ToolbarHitTest(toolbar, &key, &button)) {
        // The button's command arrives as a pick on the next pass.
        ToolbarPostCommand(toolbar, toolbar->buttons[button - 1].command, AppGetMainWindow());
        continue;
      }
    }

    if (picked == kCommandExit) {
      // Nobody answers questions in a command-only start.
      if (commandOnly || AppConfirmExit()) break;
      continue;
    }
    if (picked != kCommandNone) {
      app->currentCommand = picked;
      app->fromMenu = 1;
    } else {
      if (IsShortcutKey(key)) {
        ShortcutKeyRun(0);
        continue;
      }
      MapKeyToCommand(&app->currentCommand, key);
    }

    bool leave = false;
    int messageKey = 0, started = 0;
    if (RunAddOnProgram(app->currentCommand, &messageKey, &started)) {
      // A sibling program that was not started did not run.
      if (startCommand) startResult = started ? 0 : -1;
      if (started) {
        app->currentCommand = kCommandProgramStarted;
        RunCommand();
      } else if (messageKey) {
        app->currentCommand = kCommandNotInstalled;
        app->lastKey = messageKey;
        app->messageArg = kNotInstalledMessageArg;
        RunCommand();
      }
    } else {
      if (app->currentCommand != kCommandNone) {
        SetCommandParameterText(startCommand ? AppGetCommandLine()->ParameterText() : nullptr);
        g_startCommand = startCommand ? app->currentCommand : 0;
        g_startResult = 0;
        g_startUnknown = false;
        RunCommand();
        SetCommandParameterText(nullptr);
        if (startCommand && g_startUnknown) ReportUnknownCommand(g_startCommand);
      }
      if (app->lastKey == kKeyEsc) {
        if (commandOnly || AppConfirmExit()) break;
        app->lastKey = 0;
        app->nextCommand = 0;  // nothing left queued by the command that was left
        continue;
      }
      leave = RunFollowUpChain();
      if (app->currentCommand == kCommandAfterChain) {
        RunCommand();
        if (app->lastKey == kKeyEsc) leave = true;
      }
      if (g_startCommand != 0) startResult = g_startResult;
      g_startCommand = 0;
    }
    app->currentCommand = kCommandNone;
    if (leave || commandOnly) break;
  }
  return startResult;
}

}  // namespace qxa
