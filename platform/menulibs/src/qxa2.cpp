// QXA-2: command group 2, transaction entry, products and price breaks.
// Their entry screens lie outside this system.
#include "menulibs.h"
#include "not_in_system.h"
#include "qxabase/app_block.h"

namespace {

constexpr MenuLibraryCommand kCommands[] = {
    {201, "General-ledger transaction entry"},
    {202, "Receivables ledger entry"},
    {203, "Payables ledger entry"},
    {204, "Assembly entry"},
    {205, "Inventory adjustments entry"},
    {210, "Cash receipts entry"},
    {211, "Cash payments entry"},
    {212, "Cash adjustments entry"},
    {213, "Check printing"},
    {214, "Void checks"},
    {215, "Deposit slips"},
    {216, "AutoPay"},
    {220, "Purchase order entry"},
    {221, "Merchandise received entry"},
    {222, "Purchase returns entry"},
    {223, "Purchase order printing"},
    {225, "Merchandise received printing"},
    {226, "Purchase returns printing"},
    {227, "Automatic purchase orders"},
    {230, "Invoice entry"},
    {231, "Fill backorders"},
    {232, "Purge backorders"},
    {233, "Sales returns entry"},
    {234, "Recurring invoices entry"},
    {235, "Recurring invoices generation"},
    {236, "Invoice printing"},
    {237, "Sales returns printing"},
    {238, "Sales quotes entry"},
    {239, "Sales quotes printing"},
    {240, "Recurring general-ledger entry"},
    {241, "Recurring payments entry"},
    {243, "Recurring general-ledger generation"},
    {244, "Recurring payments generation"},
    {250, "Products"},
    {251, "Price breaks"},
};

}  // namespace

extern "C" QX_MENU_EXPORT int Qxa2RunMenuCommand(const char*) {
  return menulibs::AnswerNotInSystem(kCommands, SharedAppBlockGet()->currentCommand);
}

extern "C" QX_MENU_EXPORT bool Qxa2Initialize() {
  menulibs::NoteOutsideSystem(kCommands);
  return menulibs::RegisterGroupHandler(Qxa2RunMenuCommand, 2);
}
