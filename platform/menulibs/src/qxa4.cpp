// QXA-4: command group 4, general-ledger and financial reports and labels.
// Their reports lie outside this system.
#include "menulibs.h"
#include "not_in_system.h"
#include "qxabase/app_block.h"

namespace {

constexpr MenuLibraryCommand kCommands[] = {
    {401, "Financial reporter"},
    {403, "Business analysis"},
    {410, "Chart of accounts"},
    {411, "General-ledger activity report"},
    {412, "Trial balance"},
    {413, "Balance sheet"},
    {414, "Income statement"},
    {415, "Cash flow report"},
    {420, "Vendor labels"},
    {421, "Product labels (purchasing)"},
    {422, "Customer labels"},
    {423, "Product labels (billing)"},
    {426, "Product labels"},
};

}  // namespace

extern "C" QX_MENU_EXPORT int Qxa4RunMenuCommand(const char*) {
  return menulibs::AnswerNotInSystem(kCommands, SharedAppBlockGet()->currentCommand);
}

extern "C" QX_MENU_EXPORT bool Qxa4Initialize() {
  menulibs::NoteOutsideSystem(kCommands);
  return menulibs::RegisterGroupHandler(Qxa4RunMenuCommand, 4);
}
