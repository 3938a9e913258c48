// The exports of libQxa-3.so, the journals-and-reports library that owns
// command group 3 (command ids 301-399).
//
// Loading the library registers its dispatcher with the base library as the
// handler of group 3 and keeps the base library's SharedAppBlock; unloading
// it takes the dispatcher out of group 3 again and forgets the block.  The
// main program also calls RegisterMenuHandler at start-up; from then on the
// base library's CommandRun hands every command of group 3 to RunMenuCommand.
// Both exports are `extern "C"` under their own names, and no exception
// leaves either.
#pragma once

#define QXA3_EXPORT __attribute__((visibility("default")))

// The export ordinals that callers by ordinal know; on this system every
// caller finds an export by its name.
struct Qxa3Export {
  int ordinal;
  const char* name;
};
inline constexpr Qxa3Export kQxa3Exports[] = {
    {1, "RunMenuCommand"},       // the dispatcher
    {2, "RegisterMenuHandler"},  // registers the dispatcher for group 3
};

// The base library's handler slot of group 3 (slot = group − 1).
inline constexpr int kGroup3Slot = 2;

extern "C" {

// Ordinal 1, the dispatcher: runs SharedAppBlock::currentCommand inside the
// command frame (dispatch/command_frame.h).  `parameterText` is null or
// empty for an interactive run, or a report parameter string for an
// unattended or drill-down run; it reaches the entries that take it
// unchanged.  Returns 0 when the id has a case, −1 otherwise (also when the
// command was refused, which leaves SharedAppBlock::currentCommand at −1).
QXA3_EXPORT int RunMenuCommand(const char* parameterText);

// Ordinal 2: registers RunMenuCommand for group 3 unless it is registered
// there already.  True when it is registered there afterwards; calling it
// again changes nothing and is true again.
QXA3_EXPORT bool RegisterMenuHandler();

}  // extern "C"

namespace qxa3 {

// What unloading the library does with the base library's routing: takes
// RunMenuCommand out of group 3 when it is registered there (a handler that
// replaced it stays).  True when it was removed.  Not an export.
bool UnregisterMenuHandler() noexcept;

}  // namespace qxa3
