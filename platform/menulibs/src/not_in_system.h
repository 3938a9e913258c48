// The answer of a menu library to a command whose function lies outside
// this system.
#pragma once

#include <cstddef>
#include <span>

#include "menulibs.h"

namespace menulibs {

// When `id` is in `commands`: tells the user that the command is not part of
// this system, leaves SharedAppBlock::lastKey at 0 (the main loop goes on),
// marks the command as not done (CommandNotDone) and returns 0.  Otherwise
// the id names no command: marks it unknown (CommandUnknown), returns -1 and
// shows nothing.
int AnswerNotInSystem(std::span<const MenuLibraryCommand> commands, int id);

// Tells the base library that these commands lie outside this system, so
// that reports print links to them as plain text.
void NoteOutsideSystem(std::span<const MenuLibraryCommand> commands);

// Registers `handler` for group `group` unless it is registered already;
// true when it is registered afterwards.
bool RegisterGroupHandler(int (*handler)(const char*), int group);

}  // namespace menulibs

// Exports of the menu libraries; everything else stays inside each library.
#define QX_MENU_EXPORT __attribute__((visibility("default")))
