// Running a helper program (the print command, the mail command) without a
// shell: the arguments go to the program as they are, so no text from a
// report, a document or a data source is ever read as a command.  The
// report writer's printing and the mail merge's printing and e-mail all
// start their programs here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qxsys {

// What the program reads on its standard input: `text`, written to it
// through a pipe, or, when `fd` is 0 or more, that open file read from
// where it stands (the caller keeps and closes the descriptor).
struct ProgramInput {
  std::string_view text;
  int fd = -1;
};

struct ProgramOptions {
  int timeoutSeconds = 120;
  // The sentence to give when the program is not installed (it cannot be
  // found or started for lack of the file), in place of the system's
  // reason: "lp is not installed (Debian package cups-client)."  Empty: the
  // reason as the system gives it.
  std::string whenMissing;
};

// Runs argv[0] (looked up on PATH when it has no "/") with the arguments
// that follow, gives it `input` and waits for it to end, at most
// `options.timeoutSeconds` (then it is killed).  Its standard output is
// discarded; the start of its error output is kept for the message.
// Descriptors of the caller other than 0..2 are not passed on, and SIGPIPE
// cannot end the caller when the program stops reading early.
//
// Returns an empty text when the program ran and exited with status 0,
// else a sentence naming the program and what happened ("lp: exit status
// 1: lp: The printer or class does not exist.").
std::string RunProgram(const std::vector<std::string>& argv, const ProgramInput& input,
                       const ProgramOptions& options = {});

// The same with `text` as the input and a time limit.
inline std::string RunProgram(const std::vector<std::string>& argv, std::string_view text, int timeoutSeconds = 120) {
  return RunProgram(argv, ProgramInput{text, -1}, ProgramOptions{timeoutSeconds, {}});
}

}  // namespace qxsys
