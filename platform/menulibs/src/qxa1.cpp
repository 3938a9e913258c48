// QXA-1: command group 1, the file and edit menus, tables and defaults,
// opening a company, and the key commands of the main window.
#include "menulibs.h"
#include "not_in_system.h"
#include "open_company.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxhlpmnu.h"
#include "ravadodo.h"

namespace {

// The commands of the group whose screens lie outside this system.
constexpr MenuLibraryCommand kCommands[] = {
    {102, "The F4 key's function"},
    {111, "Express setup"},
    {112, "Copying a company"},
    {113, "Import"},
    {114, "Export TAL"},
    {115, "Export billing"},
    {116, "Utilities"},
    {117, "Consolidation"},
    {120, "Accounts"},
    {121, "Customers"},
    {122, "Vendors"},
    {123, "Master items"},
    {124, "Services"},
    {125, "Fixed assets"},
    {126, "Purchasing codes"},
    {127, "Billing codes"},
    {128, "Salespeople"},
    {129, "Serial numbers"},
    {130, "Promotional prices"},
    {131, "Messages"},
    {133, "Terms"},
    {134, "Tax codes"},
    {135, "Warehouses"},
    {136, "Shipping methods"},
    {137, "Weight units"},
    {140, "Company information"},
    {141, "System preferences"},
    {143, "Account interface"},
    {144, "Customer defaults"},
    {145, "Vendor defaults"},
    {146, "Product defaults"},
    {148, "Printers"},
    {149, "Passwords"},
    {150, "Forms setup"},
    {151, "Component list adjustment"},
    {152, "User access rights"},
    {153, "Custom field labels"},
};

// The message of command 100: a sibling program (payroll, order entry, point
// of sale, job cost) that the main loop did not find.
void ShowNotInstalled() {
  MsgBoxShowStyle(0,
                  "The program you chose is not installed on this computer.\n\n"
                  "Its folder is set in the company's system settings (\"0System\").",
                  nullptr, kMsgStyleInfo, SharedAppBlockGet()->messageArg);
}

}  // namespace

extern "C" QX_MENU_EXPORT int Qxa1RunMenuCommand(const char*) {
  SharedAppBlock* app = SharedAppBlockGet();
  const int id = app->currentCommand;
  switch (id) {
    case 100:
      ShowNotInstalled();
      app->lastKey = 0;
      CommandNotDone();  // the program chosen did not start
      return 0;
    case 101:
    case 107:
      return menulibs::OpenCompany(true);
    case 110:
      return menulibs::OpenCompany(false);
    case 103:  // a sibling program was started: it runs on its own
      app->lastKey = 0;
      return 0;
    case 104:  // Esc at the main window: the main loop asks whether to leave
      app->lastKey = kKeyEsc;
      return 0;
    case 105:
    case 106:
      HelpMenuRun(id);
      app->lastKey = 0;
      return 0;
    case 118:
      // Exit is the main loop's: it asks for confirmation and ends.
      ToolbarPostCommand(nullptr, 118, nullptr);
      app->lastKey = 0;
      return 0;
    default:
      return menulibs::AnswerNotInSystem(kCommands, id);
  }
}

extern "C" QX_MENU_EXPORT bool Qxa1Initialize() {
  menulibs::NoteOutsideSystem(kCommands);
  return menulibs::RegisterGroupHandler(Qxa1RunMenuCommand, 1);
}
