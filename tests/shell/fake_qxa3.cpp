// A stand-in for the journals-and-reports library Qxa-3 in the program trees
// of the tests: it registers a dispatcher for command group 3 that notes
// each command (its id and parameter text) in the file QX_FAKE_QXA3_LOG
// names and shows it in a message box.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "ravadodo.h"

extern "C" __attribute__((visibility("default"))) int RunMenuCommand(const char* parameterText) {
  SharedAppBlock* app = SharedAppBlockGet();
  const int id = app->currentCommand;
  if (id < 301 || id > 399) return -1;
  if (const char* log = std::getenv("QX_FAKE_QXA3_LOG")) {
    if (FILE* f = std::fopen(log, "a")) {
      std::fprintf(f, "%d %s\n", id, parameterText ? parameterText : "");
      std::fclose(f);
    }
  }
  const std::string text = "Journals and reports: command " + std::to_string(id);
  MsgBoxShow(text.c_str(), "Qxa-3 test double");
  app->lastKey = 0;
  return 0;
}

extern "C" __attribute__((visibility("default"))) bool RegisterMenuHandler() {
  if (!CommandHandlerFind(RunMenuCommand, 2)) CommandHandlerAdd(RunMenuCommand, 2);
  return CommandHandlerFind(RunMenuCommand, 2);
}
