// The command frame around every command of group 3.
#include "dispatch/command_frame.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <iterator>
#include <optional>
#include <string>

#include "btrvc.h"
#include "dispatch/command_entries.h"
#include "dispatch/command_table.h"
#include "oemtext.h"
#include "qxabase/access.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "qxabase/posting.h"
#include "qxabase/report.h"
#include "report_frame.h"

namespace qxa3 {
namespace {

constexpr int kStyleError = 0x10;

// An exception's own text can be anything; a box shows a few lines of it.
constexpr std::size_t kMaxReasonLength = 300;

void ShowErrorBox(const char* text) {
  const char* lines[] = {text, nullptr};
  MsgTextShow(lines, 1, static_cast<int>(std::strlen(text)), kStyleError, kCaptionError);
}

std::string Reason(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return {};
  }
}

// Tells the user that command `commandId` was stopped by `failure`.  Never
// throws: a failure to show the box must not keep the frame from closing.
void ShowFailure(const FrameServices& services, int commandId, const std::exception_ptr& failure) noexcept {
  try {
    std::string text = "Command " + std::to_string(commandId) + " stopped because of an unexpected error";
    std::string reason = Reason(failure);
    if (reason.size() > kMaxReasonLength) reason = reason.substr(0, kMaxReasonLength) + "...";
    text += reason.empty() ? "." : ":\n" + oem::FromUtf8(reason);
    services.ShowError(text.c_str());
  } catch (...) {
  }
}

// Runs one closing step; a failure is shown and the next step still runs.
template <class Step>
void CloseStep(const FrameServices& services, int commandId, Step step) noexcept {
  try {
    step();
  } catch (...) {
    ShowFailure(services, commandId, std::current_exception());
  }
}

// The text the entry gets: a saved run ("input='usersel'") loses its
// "output" pairs, whichever command it reaches and however it came (the
// preview's "run again", a link, a command line), since what it carries
// there is not the user's choice of a file to write.  Anything else is
// handed on unchanged; a string that cannot be read is the entry's to refuse.
const char* EntryText(const char* parameterText, std::string* kept) {
  if (parameterText == nullptr || !IsSavedRunInput(ParamStringInput(parameterText).c_str())) return parameterText;
  const std::optional<std::string> stripped = ParamTextWithoutOutput(parameterText);
  if (!stripped) return parameterText;
  *kept = *stripped;
  return kept->c_str();
}

}  // namespace

const FrameServices kBaseServices = {
    .BtrvSetPaths = ::BtrvSetPaths,
    .CommandActiveSet = ::CommandActiveSet,
    .UserAccessCheckSession = ::UserAccessCheckSession,
    .UserAccessCheckCommand = ::UserAccessCheckCommand,
    .CommandAccess = ::CommandAccess,
    .SettingsRefresh = ::SettingsRefresh,
    .CommandFlagsReset = ::CommandFlagsReset,
    .PostingLeave = ::PostingLeave,
    .ShowError = ShowErrorBox,
    .CommandIsDone = ::CommandIsDone,
    .CommandNotDone = ::CommandNotDone,
    .CommandUnknown = ::CommandUnknown,
};

void FillPathsBlock(const SharedAppBlock& app, unsigned char* block872) {
  std::memset(block872, 0, kPathsBlockSize);
  const char* const folders[] = {app.programFolder, app.baseDataFolder, app.dictFolder, app.companyPath};
  for (std::size_t i = 0; i < std::size(folders); ++i)
    std::memcpy(block872 + i * kPathsFolderSize, folders[i], strnlen(folders[i], kPathsFolderSize - 1));
  const std::int32_t zero = 0, one = 1;
  std::memcpy(block872 + 864, &zero, sizeof zero);
  std::memcpy(block872 + 868, &one, sizeof one);
}

int RunCommandFrame(SharedAppBlock& app, const char* parameterText, const FrameServices& services,
                    const CommandEntries& entries) noexcept {
  const int commandId = app.currentCommand;  // for the error box: the frame may set it to −1
  int result = -1;
  bool bracketOpen = false;
  bool outermost = false;
  bool entryStarted = false;
  try {
    unsigned char paths[kPathsBlockSize];
    FillPathsBlock(app, paths);
    services.BtrvSetPaths(paths);

    outermost = services.CommandActiveSet(1) == 1;
    bracketOpen = true;

    // The base library explains a refusal itself; here the command only
    // becomes none, and the frame goes on so that it closes as always.
    int scratch = 0;
    if (services.UserAccessCheckSession(&scratch) == 0 || services.UserAccessCheckCommand(app.fromMenu) == 0)
      app.currentCommand = -1;
    if (services.CommandAccess(1, app.currentCommand) == 0) app.currentCommand = -1;
    const bool refused = app.currentCommand == -1;

    services.SettingsRefresh(0, 0);
    services.CommandFlagsReset(0, 0);
    app.inCommand = 1;
    app.commandFlag = 0;

    if (const CommandCase* c = FindCommandCase(app.currentCommand)) {
      std::string kept;
      const char* text = EntryText(parameterText, &kept);
      result = 0;
      entryStarted = true;
      c->run(entries, app.currentCommand, text);
      // Done only when the unit said so: a refusal, a stop or Esc never is.
      if (!services.CommandIsDone()) services.CommandNotDone();
    } else if (refused) {
      services.CommandNotDone();
    } else {
      services.CommandUnknown();
    }
  } catch (...) {
    // A command stopped by a failure did not do its work.
    services.CommandNotDone();
    ShowFailure(services, commandId, std::current_exception());
  }

  app.inCommand = 0;
  app.commandFlag = 0;
  if (bracketOpen) {
    // Before the lock is released: nothing of a transaction the entry left
    // half posted may be kept, and what it posted is committed, once
    // another command can run.
    if (entryStarted && outermost) CloseStep(services, commandId, [&] { services.PostingLeave(); });
    // −1 releases what was taken inside this bracket only, so a command run
    // from inside another one leaves the outer command's lock alone.
    CloseStep(services, commandId, [&] { services.CommandAccess(0, -1); });
    CloseStep(services, commandId, [&] { services.CommandActiveSet(0); });
  }
  return result;
}

}  // namespace qxa3
