// The main loop of the program and the routing of every command.
//
// The loop waits, pass after pass, for a menu pick, a toolbar button or a
// key, turns it into a command id and runs it: ids of the command groups
// 1..6 go through the base library (`CommandRun`) to the handler that the
// owning menu library registered; 701-705 start a sibling program; any
// other id goes to the help menu.  A command may queue a follow-up
// (SharedAppBlock::nextCommand), which the loop runs before it waits again.
#pragma once

#include <string>

#include "ravadodo/keys.h"
#include "ravadodo/menus.h"

namespace qxa {

// Command ids with a meaning for the loop.
inline constexpr int kCommandNone = -1;
inline constexpr int kCommandNotInstalled = 100;   // a sibling program was not found
inline constexpr int kCommandOpenCompany = 101;
inline constexpr int kCommandProgramStarted = 103;
inline constexpr int kCommandOpenFollowUp = 107;
inline constexpr int kCommandFileOpen = 110;
inline constexpr int kCommandAfterChain = 111;
inline constexpr int kCommandExit = 118;
inline constexpr int kNotInstalledMessageKey = 617;
inline constexpr int kNotInstalledMessageArg = 479;

// Runs SharedAppBlock::currentCommand: a group 1..6 through CommandRun with
// the start command's parameter text while the start command runs (null
// otherwise), any other id through the help menu.  Returns the handler's
// result (−1 when the command did not do its work or no case serves it);
// for the help menu 0 when it served the id, else -1.
int RunCommand();

// Tells the user that command `id`, given to start with, does not exist: a
// message box, and on standard error once the screen is given back.
void ReportUnknownCommand(int id);

// The parameter text handed to the commands RunCommand runs (the command
// line's, while the start command runs); null for none.
void SetCommandParameterText(const char* text);

// Maps the keys that have no menu entry to their command ids: Esc 104,
// F1 105, F4 102, Shift+F1 106.  Any other key leaves *command unchanged.
void MapKeyToCommand(int* command, KeyCode key);

// Runs the follow-up chain while SharedAppBlock::nextCommand is set (the
// loop's step after a command).  Returns true when the program should end:
// a follow-up 101 or 107 left with Esc.  A chain that Esc ends leaves no
// command queued.
bool RunFollowUpChain();

// Runs the main loop until Exit is confirmed, Esc is confirmed, a follow-up
// 101/107 or a final 111 is left with Esc, or a command-only start has run
// its command.  Returns the result of the start command of a command-only
// start (RunCommand's for its last run: a command that queued a detour runs
// again after it; −1 for a sibling program not started), else 0.  A start
// command that does not exist is told (ReportUnknownCommand).
int RunMainLoop(Toolbar* toolbar);

// ---- Sibling programs ----------------------------------------------------------

// For ids 701-705: looks up the program's folder in the company's "0System"
// record and starts the program.  Returns 0 for any other id; else 1 with
// *started 1 when it was started, or *messageKey 617 when it is not
// installed (a blank folder, no program file named, no such file or folder).
int RunAddOnProgram(int id, int* messageKey, int* started);

// True when `folder` + `file` is a regular file.
bool ProgramExists(const std::string& folder, const char* file);

// Starts `folder` + `file` with no arguments, in `folder`, as a process of
// its own (a new session, standard input and output on /dev/null); does not
// wait for it.  *started is 1 when it runs; else the failure is reported
// (ReportStartFailure).  Returns 1.
int StartProgram(const std::string& folder, const char* file, int* messageKey, int* started);

// Starts the program `path` with no arguments in `folder` (none: the current
// folder), as a process of its own: a new session, standard input and output
// on /dev/null.  Does not wait for it.  Returns 0 and sets *pid (may be
// null), or the errno of the failure.
int SpawnDetached(const std::string& path, const std::string& folder, int* pid = nullptr);

// A start that failed with `error` (errno): a missing folder sets
// *messageKey to 617 and shows nothing; any other error is shown with the
// system's text under the main window's title.
void ReportStartFailure(int error, int* messageKey);

// Collects the exit status of the sibling programs that have ended.
void ReapStartedPrograms();

}  // namespace qxa
