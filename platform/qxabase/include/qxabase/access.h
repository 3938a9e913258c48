// Access rights and the command lock.
//
// Rights.  A company whose users file (file 64) holds no user is a
// single-user install: whoever runs the program has every right.  Once the
// file lists users, the session's user (SharedAppBlock::userName) must be
// one of them.  The users record names no rights of its own yet, so a listed
// user has every right; the checks below are where per-command rights take
// effect once the record carries them.
//
// Command lock.  A command id that runs is held until its command ends, so
// that it never runs twice at once: neither nested in this program (a
// drill-down from a report back into the same command) nor in a second
// program working on the same company folder.  Locks between programs are
// kernel locks on the file `qxcommands.lock` in the company folder, so a
// program that is killed releases its commands at once.
#pragma once

// 1 when the session may run commands in the current company, else 0 after
// a message saying why (an unknown user).  `scratch`, when given, receives 0;
// it is kept for the callers.
int UserAccessCheckSession(int* scratch);

// 1 when the session's user may run SharedAppBlock::currentCommand
// (`fromMenu`: 1 when it was picked from the menu), else 0 after a message.
int UserAccessCheckCommand(int fromMenu);

// 1 when `userName` (null: the session's user) holds right number `right`,
// else 0; with `show` non-zero a refusal is explained in a message box.
// `reserved` is kept for the callers (0).
int UserAccessCheckRight(int right, int reserved, const char* userName, int show);

// The command lock.  CommandAccess(1, id) takes the lock of command `id`:
// 1 when taken, 0 when the command already runs (here or in another program
// on the same company), after a message that says so.  An id of 0 or below
// names no command: taking it gives 1 and holds nothing.
// CommandAccess(0, id) releases `id`; CommandAccess(0, −1) releases every
// command taken inside the command bracket that is open now (CommandActiveSet),
// or every command this program holds when no bracket is open, so that a
// command run from inside another one does not release the outer command's
// lock.  Releasing what is not held does nothing.  Returns 1 for a release.
int CommandAccess(int take, int commandId);

// True when this program holds the lock of `commandId`.
bool CommandAccessHeld(int commandId);
