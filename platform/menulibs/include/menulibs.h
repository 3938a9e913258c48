// The menu libraries of command groups 1, 2, 4, 5 and 6.
//
// Each library owns one command group (id / 100) and registers its handler
// with the base library when the main program calls its initialisation
// export; the base library's CommandRun then hands it every command of the
// group (the command id in SharedAppBlock::currentCommand).  Group 3 belongs
// to the journals-and-reports library Qxa-3.
//
//   library   file          group  what it owns                      export            ordinal
//   QXA-1     libQxa-1.so   1      file, edit, tables and defaults,  Qxa1Initialize    93
//                                  opening a company, key commands
//   QXA-2     libQxa-2.so   2      transaction entry, products and   Qxa2Initialize    2
//                                  price breaks
//   QXA-4     libQxa-4.so   4      general-ledger and financial      Qxa4Initialize    34
//                                  reports, labels
//   QXA-5     libQxa-5.so   5      query and publishing              Qxa5Initialize    2
//   QXA-6     libQxa-6.so   6      backup and restore                Qxa6Initialize    2
//
// The exports are called by name; the ordinals are those the main program's
// start-up order refers to.  Each returns true when its handler is
// registered (registering twice keeps one registration).
//
// What the libraries do with their commands:
//   QXA-1  101 and 107 (the opening command) and 110 (File, Open) ask for
//          the company folder and open it; 100 says that a sibling program
//          is not installed; 103 notes that one was started; 104 (Esc at the
//          main window) asks the main loop to end (last key 27); 105 (F1)
//          and 106 (Shift+F1) show help; 118 (Exit) hands Exit to the main
//          loop, which asks for confirmation.
//   every other command of these groups that a menu offers shows a message
//   that its function is not part of this system (NotInSystemCommands).
#pragma once

extern "C" {
bool Qxa1Initialize();
bool Qxa2Initialize();
bool Qxa4Initialize();
bool Qxa5Initialize();
bool Qxa6Initialize();

// The groups' handlers (as the base library calls them).
int Qxa1RunMenuCommand(const char* parameterText);
int Qxa2RunMenuCommand(const char* parameterText);
int Qxa4RunMenuCommand(const char* parameterText);
int Qxa5RunMenuCommand(const char* parameterText);
int Qxa6RunMenuCommand(const char* parameterText);
}

// One command whose function lies outside this system.
struct MenuLibraryCommand {
  int id;
  const char* name;  // as the menus show it
  // What the user can do instead, added to the message; "%s" in it stands
  // for the company folder.  Null when there is nothing to say.
  const char* instead = nullptr;
};
