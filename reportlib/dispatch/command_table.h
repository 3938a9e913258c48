// The command table of group 3: for every command id 301-399, the entry that
// runs it and the arguments it is given, or no case at all.
//
// A case calls its entry through a CommandEntries set (the real one, or a
// test's recording one), with arguments fixed by the table: the command id,
// the dispatcher's parameter text (handed on unchanged) or a constant.  Ids
// without a case give the dispatcher −1.
#pragma once

namespace qxa3 {

struct CommandEntries;

// Runs one case: calls its entry of `entries` with the case's arguments and
// returns the entry's result.
using CaseRunner = int (*)(const CommandEntries& entries, int commandId, const char* parameterText);

struct CommandCase {
  int id;
  CaseRunner run;  // null: the id has no case
};

inline constexpr int kFirstCommandId = 301;
inline constexpr int kLastCommandId = 399;

// The case that runs `commandId`, or null when the id has none (also for
// every id outside 301-399).
const CommandCase* FindCommandCase(int commandId);

}  // namespace qxa3
