// The main program's start-up and shut-down.
//
// `QxaMain` prepares the screen library and the application state, parses
// the command line, calls the menu libraries' initialisation exports,
// creates the main window, checks the installation (base-file upgrade,
// components, record manager), builds the menu bar, runs the opening command
// (101: open the company) and the start-up chain, loads the toolbar, starts
// the WINPOP.INI program, runs the main loop and shuts everything down in
// order.  A stop during the start-up has shown its message first.
#pragma once

#include <cstddef>
#include <string>

#include "ravadodo/menus.h"

namespace qxa {

// Exit statuses of the program.
enum ExitStatus : int {
  kExitOk = 0,              // the program ran (a command-only start: its command ran)
  kExitStartupFailed = 1,   // an installation or start-up check failed
  kExitCommandLine = 2,     // the command line was refused
  kExitNotStarted = 3,      // the start-up was left: the opening command or the start-up
                            // chain left with Esc, or the command line's folder holds
                            // no company
  kExitCommandFailed = 4,   // a command-only start whose command did not do its work: it
                            // said so (CommandNotDone), no unit serves it, or the company
                            // cannot be used (damaged, held by another program)
};

// The program: argc/argv as main gets them.  Returns an ExitStatus.
int QxaMain(int argc, char** argv);

// Start-up before the main window: screen library, title, command line
// (its company path made absolute and at most 143 characters), start modes,
// settings object, menu libraries.  False when the program must end;
// *status then says why.
bool InitApplication(int argc, const char* const* argv, int* status);

// Start-up checks, opening command, main loop and shut-down.  Returns an
// ExitStatus.
int RunMainMenu();

// The current folder becomes the folder of the program's file.  False when
// it cannot.
bool SetWorkingFolder();

// Fills the program, common, base-data and data-dictionary folders of
// SharedAppBlock from the current folder: the program folder without a
// trailing slash, the parent's "common", the program folder's "QXA4BASE" and
// "QXACDICT".  False (nothing changed) when one would not fit its 143
// characters.
bool SetupFolders();

// Resets the record manager, then shows `text` when given.
void StopRecordManager(const char* text);

// Closes the base files opened by InitFormPaths.
void CloseFramework();

// Makes base file 93 when it is missing and opens the base files 96-100 of
// the base-data folder (each made at the first start).
void InitFormPaths();

// Reads QxAcArgs.ini (`path`, read-only, its first 4096 bytes) for the
// company folder ("/FILES:"): see ParseArgsText.  Start-up reads the one in
// the program's folder.
void ReadArgsIni(const char* path);

// Takes the company folder from the text of QxAcArgs.ini: the value after
// the first "/FILES:" (letter case ignored) to the end of its line, blanks
// around it removed, letter case kept (paths are case-sensitive), made
// absolute against the program's folder (where the file lies; the current
// folder while no program folder is known).  It is used only when no company
// folder is known yet, and refused with a message when it is longer than
// 143 characters.
void ParseArgsText(const char* text, std::size_t length);

// True when the record manager is of version 7 or later; an older one is
// reported with its version.
bool CheckRecordManagerVersion();

// The toolbar: the user's section of QXA4BASE/qxastb.ini, else section
// "Default" (saved back under the user's section at the end).
void LoadToolbar(Toolbar* toolbar);
void SaveToolbar(Toolbar* toolbar);

// Starts the program named by key "run" of section "windows" of WINPOP.INI
// in the program folder, when there is one; a failure is not reported.
void RunWinPopProgram();

// The texts of the messages that stopped the start-up, written to standard
// error once the screen is given back (for scripts that run the program).
void NoteStartupFailure(const std::string& text);

// The same for a text a message box has shown as well (without a terminal,
// the box wrote it to standard error already).
void NoteShownStartupFailure(const std::string& text);

}  // namespace qxa
