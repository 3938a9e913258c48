// The command frame: what runs around every command of group 3.
//
// Opening the frame hands the four folders of SharedAppBlock to the record
// manager, opens the base library's command bracket, applies the user's
// access rights and takes the command lock (either may turn the command into
// none, −1), refreshes the settings and clears the per-command flags, and
// marks the command as running (inCommand).  The command's case of the
// command table then runs.  Closing the frame clears the marks, drops a
// posting unit the command left open (so that no half-posted transaction
// outlives its command), releases the locks taken inside the bracket and
// closes the bracket.  A refused command still passes through every step but
// its case and the posting unit's.
//
// The frame makes its calls through a FrameServices table and reaches the
// entries through a CommandEntries set, so that a test can record both.
#pragma once

#include "qxabase/app_block.h"

namespace qxa3 {

struct CommandEntries;

// The calls of the frame, named as the calls of the record-manager client and
// the base library they stand for.
struct FrameServices {
  int (*BtrvSetPaths)(const void* block872);
  int (*CommandActiveSet)(int active);
  int (*UserAccessCheckSession)(int* scratch);
  int (*UserAccessCheckCommand)(int fromMenu);
  int (*CommandAccess)(int take, int commandId);
  int (*SettingsRefresh)(int, int);
  int (*CommandFlagsReset)(int, int);
  void (*PostingLeave)();
  // Shows `text` (code page 437, lines separated by '\n') in the base
  // library's error box.
  void (*ShowError)(const char* text);
  // Whether the command did its work (commands.h).
  bool (*CommandIsDone)();
  void (*CommandNotDone)();
  void (*CommandUnknown)();
};

// The real calls.
extern const FrameServices kBaseServices;

// Fills the record manager's 872-byte paths block from `app`: the program,
// base-data, data-dictionary and company folders at 0, 144, 288 and 432
// (each cut to 143 characters and a NUL), zeros up to 864, the i32 0 at 864
// and the i32 1 at 868.
void FillPathsBlock(const SharedAppBlock& app, unsigned char* block872);

// Runs `app.currentCommand` inside the frame, handing `parameterText` (null,
// empty, or a report parameter string) to the entries that take it: as it
// is, but a saved run ("input='usersel'") without its "output" pairs, so
// that a saved run never chooses a file to write.
//
// Returns 0 when the id has a case, −1 when it has none (ids 300 and 400
// included) or the frame refused it; a refused command leaves
// `app.currentCommand` at −1.  The entry's own result is dropped: every entry
// reports its own failures.  A command is done only when its unit said so
// (CommandDone) and nothing outweighed it; every other way out (a refusal,
// a stop, Esc, a failure, the frame's refusal) the frame marks as not done
// (CommandNotDone).  An id without a case is unknown (CommandUnknown).
//
// Once the entry has started, its posting is ended on every way out
// (PostingLeave: a unit still open is abandoned, the units ended before it
// are committed; nothing happens when no posting ran), except when the
// frame runs inside another command's bracket: a command run from inside a
// posting must not end the posting that is still running.
//
// Nothing is thrown.  An exception from an entry or from a call of the frame
// is shown in an error box that names the command, and the frame still
// closes: the flags are cleared, the posting unit dropped, the locks released
// and the bracket closed (once it was opened).  The result is then 0 when the
// entry had started, else −1.
int RunCommandFrame(SharedAppBlock& app, const char* parameterText, const FrameServices& services,
                    const CommandEntries& entries) noexcept;

}  // namespace qxa3
