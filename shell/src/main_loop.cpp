// The main loop: one pass per menu pick, toolbar button or key, with the
// follow-up chain of the commands it runs.
#include "shell/main_loop.h"

#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/startup.h"
#include "qxhlpmnu.h"
#include "ravadodo.h"
#include "shell/menu_tables.h"

namespace qxa {
namespace {

const char* g_parameterText = nullptr;

// A follow-up that runs without the current command run first.
bool RunsWithoutCurrent(int next) {
  return next == kCommandOpenFollowUp || next == kCommandOpenCompany || next == kCommandFileOpen ||
         next == kCommandExit;
}

bool IsShortcutKey(KeyCode key) { return key == 22 || key == 2 || key == 21 || key == kKeyShiftF10; }

}  // namespace

void SetCommandParameterText(const char* text) { g_parameterText = text && *text ? text : nullptr; }

int RunCommand() {
  const int id = SharedAppBlockGet()->currentCommand;
  const int group = id / 100;
  if (group >= 1 && group <= kCommandGroupCount) return CommandRun(id, g_parameterText);
  return HelpMenuRun(id) ? 0 : -1;
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
        const int result = RunCommand();
        SetCommandParameterText(nullptr);
        if (startCommand) startResult = result;
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
    }
    app->currentCommand = kCommandNone;
    if (leave || commandOnly) break;
  }
  return startResult;
}

}  // namespace qxa
