// Following a drill-down link or a saved run from the preview.
//
// The link's command runs nested inside the command whose report is shown:
// through the base library's command routing, as the main loop would run
// it, and back to the preview when it ends.  A link is untrusted input (it
// may have come from a file): its parameter string goes to the target's own
// parser like any other, but its "output" pairs are taken out first, so that
// a link can never make the nested run write a file; the nested report
// shows in the preview.
#include <cctype>
#include <string>

#include "oemtext.h"
#include "qxabase/access.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "ravadodo/dialogs.h"
#include "report_model.h"

namespace qxreport {

namespace {

// Links lead to reports whose previews hold links again; a chain this deep
// is a loop the user did not mean.
constexpr int kMaxNesting = 8;
int gNesting = 0;

bool IsKey(const std::string& key, const char* name) {
  if (key.size() != std::char_traits<char>::length(name)) return false;
  for (std::size_t i = 0; i < key.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(key[i])) != name[i]) return false;
  return true;
}

// The outer command's place in the application block, put back when the
// nested command ends.
struct CommandState {
  int currentCommand, nextCommand, lastKey, fromMenu, inCommand, commandFlag;
  static CommandState Take(const SharedAppBlock& a) {
    return {a.currentCommand, a.nextCommand, a.lastKey, a.fromMenu, a.inCommand, a.commandFlag};
  }
  void Restore(SharedAppBlock& a) const {
    a.currentCommand = currentCommand;
    a.nextCommand = nextCommand;
    a.lastKey = lastKey;
    a.fromMenu = fromMenu;
    a.inCommand = inCommand;
    a.commandFlag = commandFlag;
  }
};

}  // namespace

std::optional<std::string> WithoutOutput(const std::string& params) {
  // The grammar of parameter strings: pairs of a key, "=", a quoted value
  // (a quote inside written doubled), separated by blanks.
  std::string out;
  const std::size_t n = params.size();
  std::size_t i = 0;
  while (true) {
    while (i < n && params[i] == ' ') ++i;
    if (i >= n) break;
    const std::size_t pairStart = i;
    const std::size_t eq = params.find('=', i);
    if (eq == std::string::npos) return std::nullopt;
    std::string key = params.substr(i, eq - i);
    key.erase(0, key.find_first_not_of(' '));
    key.erase(key.find_last_not_of(' ') + 1);
    if (key.empty() || key.find('\'') != std::string::npos) return std::nullopt;
    if (eq + 1 >= n) break;  // a key that ends the string stores nothing
    const std::size_t open = params.find('\'', eq + 1);
    if (open == std::string::npos) return std::nullopt;
    std::size_t j = open + 1;
    bool closed = false;
    while (j < n) {
      if (params[j] == '\'') {
        if (j + 1 < n && params[j + 1] == '\'') {
          j += 2;
          continue;
        }
        closed = true;
        break;
      }
      ++j;
    }
    if (!closed) return std::nullopt;
    i = j + 1;
    if (IsKey(key, "output")) continue;
    if (!out.empty()) out += ' ';
    out += params.substr(pairStart, i - pairStart);
  }
  return out;
}

}  // namespace qxreport

std::optional<std::string> ParamTextWithoutOutput(const std::string& params) {
  return qxreport::WithoutOutput(params);
}

namespace qxreport {

std::string DescribeLink(const Link& link) {
  if (!link.title.empty()) return link.title;
  std::string what = link.kind == kDrillRunReport ? "Runs report " : "Opens screen ";
  what += std::to_string(link.commandId);
  if (!link.params.empty()) what += ": " + link.params;
  return what;
}

int FollowLink(const Link& link) {
  if (link.commandId == 0) return -1;
  const std::optional<std::string> params = WithoutOutput(link.params);
  if (!params) {
    MsgBoxShow("This link cannot be followed: its parameters are not readable.", "Report link");
    return -1;
  }
  if (gNesting >= kMaxNesting) {
    MsgBoxShow("Links have been followed too deep.\nClose a preview before following another link.",
               "Report link");
    return -1;
  }

  SharedAppBlock& app = *SharedAppBlockGet();
  const CommandState outer = CommandState::Take(app);
  // The outer command only shows its finished report now.  Its lock is let
  // go while the link runs, so that a link may run the same report again
  // (a summary line's balance runs the detail of that account), and taken
  // back when the link returns.
  const bool held = outer.currentCommand > 0 && CommandAccessHeld(outer.currentCommand);
  if (held) CommandAccess(0, outer.currentCommand);

  ++gNesting;
  app.fromMenu = 0;
  app.nextCommand = 0;
  const int result = CommandRun(link.commandId, params->c_str());
  --gNesting;

  // A follow-up the nested command queued would run after the outer
  // command; it is dropped with the rest of the nested command's state.
  outer.Restore(app);
  if (held && !CommandAccessHeld(outer.currentCommand)) CommandAccess(1, outer.currentCommand);
  return result;
}

}  // namespace qxreport
