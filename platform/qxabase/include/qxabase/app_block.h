// SharedAppBlock: the application state of one run of the program.
//
// The base library owns the one block of the run (SharedAppBlockGet); the
// main program, the menu libraries and every command read and write its
// fields.  It lives for the whole run.  Texts are NUL-terminated code-page-437
// strings within their arrays; a writer never fills an array completely
// (at most size − 1 characters) and refuses a longer text.
#pragma once

#include <cstdint>

// Every folder field holds at most 143 characters and a NUL.
constexpr int kFolderFieldSize = 144;

struct SharedAppBlock {
  // Commands.
  int currentCommand = -1;  // the command to run; −1 none
  int nextCommand = 0;      // a queued follow-up command; 0 none
  int lastKey = 0;          // the key that ended the last command (27 = Esc)
  int fromMenu = 0;         // 1 when the current command was picked from the menu
  int messageArg = 0;       // argument of the message a command leaves for the loop
  int inCommand = 0;        // 1 while a command of Qxa-3 runs
  int commandFlag = 0;      // cleared before and after each command
  std::int32_t carriedPostDate = 0;  // posting date kept across a Backup/Restore detour

  // The user.
  int userLevel = 0;
  char userName[32] = {};

  // The program.
  int appMode = 0;
  int cmdLineValue1 = 0;
  int cmdLineValue2 = 0;
  char toolbarSection[49] = {};
  int helpContext = 0;
  char helpBuffer[260] = {};

  // Folders.
  char programFolder[kFolderFieldSize] = {};
  char commonFolder[kFolderFieldSize] = {};
  char baseDataFolder[kFolderFieldSize] = {};
  char dictFolder[kFolderFieldSize] = {};
  char companyPath[kFolderFieldSize] = {};
};

// The one block of the run.  Never null.
SharedAppBlock* SharedAppBlockGet();

// Copies `text` into a folder (or other text) field of `size` bytes.  False,
// leaving the field unchanged, when the text does not fit with its NUL.
bool AppBlockTextSet(char* field, int size, const char* text);
