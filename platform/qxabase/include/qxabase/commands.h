// Command routing: the menu libraries' handlers by command group, the
// command bracket around each command, and the commands the base library
// serves itself.
//
// A command id names its group by id / 100: groups 1..6 belong to the menu
// libraries, each of which registers one handler for its group at start-up
// (slot = group − 1).  The main loop hands every command of those groups to
// `CommandRun`, which calls the registered handler; the handler reads the
// command id from SharedAppBlock::currentCommand.  Everything runs on the UI
// thread.
#pragma once

#include <initializer_list>
#include <type_traits>

// A menu library's dispatcher: runs SharedAppBlock::currentCommand with an
// optional parameter text (null or empty: an interactive run).  Returns 0
// when the command had a case, −1 otherwise.
using CommandHandler = int (*)(const char* parameterText);

inline constexpr int kCommandGroupCount = 6;

// Registers `handler` for the group of `slot` (0..5, slot = group − 1),
// replacing a handler registered there before.  False for a bad slot or a
// null handler.
bool CommandHandlerAdd(CommandHandler handler, int slot);

// Removes `handler` from `slot` when it is the handler registered there; a
// handler another library registered in the slot since stays.  A library
// calls it as it unloads, so that no command reaches code that is gone.
// True when it was removed.
bool CommandHandlerRemove(CommandHandler handler, int slot);

// True when `handler` is the handler registered in `slot`.
bool CommandHandlerFind(CommandHandler handler, int slot);

// The handler registered in `slot`, or null.
CommandHandler CommandHandlerGet(int slot);

// Runs command `commandId` through the handler of its group: sets
// SharedAppBlock::currentCommand to the id and calls the handler with
// `parameterText`.  Returns the handler's result, or −1 when the command said
// it did not do its work (CommandNotDone) or that no case serves it
// (CommandUnknown).  A group outside 1..6, or one no menu library
// registered, is refused with a message that names the command; the result
// is then −1 and SharedAppBlock::currentCommand −1.  A command run from
// inside another (a report's link) keeps its marks to itself: the outer
// command's marks are as they were when the inner one ends.
int CommandRun(int commandId, const char* parameterText);

// --- Whether a command did its work ---------------------------------------------
// A command says what it did.  It calls CommandDone when it did its work or
// found nothing to do: a report written or shown, a posting or a period end
// run to its end, a screen's changes saved; showing message 197 ("Nothing
// was selected or printed", nothing to post) says it too.  Every other way
// out (a refusal, a stop, Esc, a failure) leaves it not done, and the
// journals-and-reports frame turns a command that never said it was done
// into one that was not (CommandNotDone), which a command-only start ends
// with as its exit status 4.
//
// CommandNotDone outweighs CommandDone: a command that did part of its work
// and then failed did not do its work.  A command calls it, once it has told
// the user why, where it stops without doing its work; the base library
// marks its own refusals, so that a unit need not: every record-manager
// error box (MsgRecordError, MsgRecordErrorPost), a file set that cannot be
// opened, and the commands whose work lies outside this system.  Outside a
// command the calls do nothing that lasts.
void CommandDone();
void CommandNotDone();

// A handler that has no case for SharedAppBlock::currentCommand says so
// (and returns −1): no command of that id exists.
void CommandUnknown();

// True when the command running now has said it was done and nothing
// outweighs it.
bool CommandIsDone();

// True when the command running now has called CommandNotDone.
bool CommandIsNotDone();

// True when the command CommandRun ran last had no case (CommandUnknown).
bool CommandWasUnknown();

// The command bracket.  CommandActiveSet(1) when a command starts, (0) when
// it ends: while a command is active the main window takes no input (its menu
// bar is dimmed).  Brackets nest; input returns when the outermost ends,
// which also clears SharedAppBlock::fromMenu.  Returns the nesting depth
// after the call.
int CommandActiveSet(int active);

// True while a command bracket is open.
bool CommandIsActive();

// Forgets the system settings read so far (SysFlagGet, SysCodeGet), so that
// the next command sees what is stored now.  Both arguments are kept for the
// callers and ignored.  Returns 0.
int SettingsRefresh(int, int);

// Clears the per-command flags: SharedAppBlock::commandFlag and
// SharedAppBlock::messageArg.  Both arguments are kept for the callers and
// ignored.  Returns 0.
int CommandFlagsReset(int, int);

// --- Modules -------------------------------------------------------------------

// The modules of the system are numbered 1..kModuleCount (1 receivables,
// 2 payables, 3 inventory, the others the billing, purchasing and
// finance-charge parts).
inline constexpr int kModuleCount = 7;

// True when every module of the zero-ended list is installed.  Every module
// of the system is part of this installation, so only a number that names no
// module (outside 1..kModuleCount) makes it false; it then says which.  `mode` is kept
// for the callers (0 or 1) and does not change the answer.
bool ModulesAvailableList(int mode, const int* zeroEndedList);

// ModulesAvailable(0, 1, 0): the list as the callers write it, ended by 0.
template <class... Ids>
bool ModulesAvailable(int mode, Ids... ids) {
  static_assert(((std::is_integral_v<Ids> || std::is_enum_v<Ids>) && ...), "module numbers are ints");
  const int list[] = {static_cast<int>(ids)..., 0};
  return ModulesAvailableList(mode, list);
}

// --- Commands of the base library -----------------------------------------------
// Commands 323, 363, 395, 396 and 397 are routed to the base library by the
// journals-and-reports dispatcher.  Their work lies outside this system: each
// tells the user so in a message box, is not done (CommandNotDone) and
// returns 0.

int PostCash();                      // 323
int PromoPriceReport(int);           // 363
int Command395Run();                 // 395
int MailMergeCustomers(int);         // 396
int MailMergeVendors(int);           // 397

// --- Commands outside this system ------------------------------------------------
// The menu libraries name the commands whose work lies outside this system
// (maintenance and entry screens, other products' functions), so that what
// leads to one, such as a report's drill-down link, can say so before the
// user follows it: a report prints such a link as plain text.

// Notes command `commandId` as outside this system.  The base library's own
// (323, 363, 395-397) are noted from the start.
void CommandOutsideSystemAdd(int commandId);

// True when `commandId` was noted as outside this system.
bool CommandIsOutsideSystem(int commandId);

// For tests: forgets every registered handler and closes every bracket.
void CommandsResetForTest();
